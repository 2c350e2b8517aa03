// occt_reader.h — reads an exported STEP or IGES file back with OpenCASCADE's batch interpreter and reports what it found.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

namespace korvel::test {

// What the real reader made of one file. Counts are those of nbshapes ("VERTEX", "EDGE", "WIRE", "FACE",
// "SHELL", "SOLID", "COMPOUND", "SHAPE"); a key it did not print is absent.
struct OcctReport {
    bool Ran = false;   // the interpreter ran the whole script
    bool Read = false;  // the file was read and gave one shape
    bool Valid = false; // checkshape found nothing wrong
    std::map<std::string, int> Count;
    bool HasBox = false;
    std::array<double, 6> Box{};  // tight bounding box: xmin, ymin, zmin, xmax, ymax, zmax
    double Area = 0.0;            // total face area (sprops)
    double Length = 0.0;          // total edge length (lprops)
    std::vector<std::string> Colours;  // as XGetAllColors names them
    std::vector<std::string> Layers;   // as XGetAllLayers names them, without quotes
    std::string Log;                   // everything the interpreter printed, for failure messages

    int Faces() const { return Get("FACE"); }
    int Edges() const { return Get("EDGE"); }
    int Get(const std::string& key) const {
        const auto it = Count.find(key);
        return it == Count.end() ? 0 : it->second;
    }
};

// True when occt-draw and its libraries are installed.
bool OcctAvailable();

// Reads the file through the XDE document reader (colours and layers included). The interpreter's
// plug-in loader wants unversioned library names, which the Debian package lacks: they are linked in a
// private temporary folder put on LD_LIBRARY_PATH for the child only, never in the system.
OcctReport ReadStep(const std::string& path);
OcctReport ReadIges(const std::string& path);

}  // namespace korvel::test
