// params_file.h — the parameter file (.krvlp): its text as written from the panel, and its reading into a checked batch request.
#pragma once

#include <cstdint>
#include <string>

#include "engine/build_inputs.h"
#include "file_io.h"
#include "ini_reader.h"
#include "panel_state.h"

namespace korvel {

// The exact text of the parameter file for the state: a comment line, every section with its keys (reals
// with seven decimals and '.', whatever the locale), and the [Output] section of the state's mode naming
// home + "/Desktop/korvel3D00.stl" (solid) or home + "/Desktop/korvel2D00.dat" (2D).
std::string ParamsFileText(const PanelState& s, const std::string& home);

// Writes ParamsFileText through WriteFileAtomically; throws FileError.
void SaveParamsFile(const std::string& path, const PanelState& s, const std::string& home);

// What a valid parameter file asks for: one build and one export.
struct BatchRequest {
    // Every build input the file sets; the 2D section plane, the tunnel and the angle of attack stay off and
    // the axes on. The canvas size and the grid modifier's offset count are the window's: the batch sets them.
    BuildInputs Inputs;
    // The requested dimensions: all three above 0, or all -1 (natural size).
    double LengthX = -1.0;
    double WidthY = -1.0;
    double HeightZ = -1.0;
    std::string Format = "stl";  // lower-cased
    std::string File;            // as it stands in the file
    int32_t Rotation = 0;        // STL axis order: 0 x,y,z; 1 y,z,x; 2 z,x,y
    bool Solid() const { return Inputs.Act3D || Inputs.ActCutSec; }
    friend bool operator==(const BatchRequest&, const BatchRequest&) = default;
};

// The result of reading a parameter file: the request, or the first key that makes the file invalid.
struct ParamsCheck {
    BatchRequest Request;
    std::string Invalid;  // e.g. "x0=0.5" or "x0 (missing)"; empty when the file is valid
    bool Valid() const { return Invalid.empty(); }
};

// Each parse leaves ok alone on success and clears it on failure; value gets 0 (false) first.
// A boolean is a number (non-zero is true) or "True" / "False" in any letter case.
void ParseBoolSetting(bool& ok, const std::string& text, bool& value);
// An optionally signed decimal integer within min..max.
void ParseIntSetting(bool& ok, const std::string& text, int32_t min, int32_t max, int32_t& value);
// A number as TryTextToFloat reads it ("," accepted, empty text is 0) within min..max.
void ParseFloatSetting(bool& ok, const std::string& text, double& value, double min, double max);

// Reads every key with its rule and bounds: slider ranges as designed, c up to 2 when the file's ModWing is
// true and up to 4 otherwise, nX and mYZ within 8..2000 for a solid and 8..10000 in 2D, Rotation 0..2.
ParamsCheck CheckParams(const IniFile& ini);

// CheckParams of the file; a file that does not exist reads as empty (and is invalid). Throws FileError
// when the file cannot be read.
ParamsCheck ReadParamsFile(const std::string& path);

}  // namespace korvel
