// obj_writer.cpp — OBJ surface and curve groups with wrapped index and knot lists.
#include "obj_writer.h"

#include <array>
#include <functional>
#include <vector>

#include "fitted_model.h"

namespace korvel {

namespace {

std::string VertexLine(double x, double y, double z) {
    return "v " + FormatReal(x) + " " + FormatReal(y) + " " + FormatReal(z);
}

// A list line: the keyword, then " " and item(i) for i = from..last, wrapped with " \" continuations.
void WriteList(OutputFile& f, const std::string& keyword, int32_t from, int32_t last,
               const std::function<std::string(int32_t)>& item) {
    std::string line = keyword;
    for (int32_t i = from; i <= last; ++i) {
        line += " " + item(i);
        ObjFlushLine(f, line, i, last);
    }
    if (!line.empty()) WriteTextLine(f, line);
}

void WriteKnots(OutputFile& f, const std::string& keyword, const array1Df& knots) {
    WriteList(f, keyword, 0, static_cast<int32_t>(knots.size()) - 1,
              [&](int32_t i) { return FormatReal(knots[i]); });
}

}  // namespace

void ObjFlushLine(OutputFile& f, std::string& line, int32_t index, int32_t last) {
    if (line.size() > 70 && last > index) {
        WriteTextLine(f, line + " \\");
        line.clear();
    }
}

void ExportObjSurfaces(const ModelState& m, const std::string& fileName) {
    const std::vector<FittedSurface> surfaces = FitModelSurfaces(m);  // throws before any file exists

    OutputFile f(fileName);
    WriteTextLine(f, "# korvel");
    WriteTextLine(f, "");
    int32_t base = 0;  // OBJ indexes count every vertex line of the file from 1
    for (const FittedSurface& s : surfaces) {
        WriteTextLine(f, "g " + s.Name);
        for (int32_t v = 0; v <= s.NV + 2; ++v) {
            for (int32_t u = 0; u <= s.NU + 2; ++u) WriteTextLine(f, VertexLine(s.PX[u][v], s.PY[u][v], s.PZ[u][v]));
        }
        WriteTextLine(f, "cstype bspline");
        WriteTextLine(f, "deg " + std::to_string(s.Degree) + " " + std::to_string(s.Degree));
        const int32_t count = (s.NU + 3) * (s.NV + 3);
        WriteList(f, "surf 0 1 0 1", 1, count, [&](int32_t i) { return std::to_string(i + base); });
        base += count;
        WriteKnots(f, "parm u", s.UKnots);
        WriteKnots(f, "parm v", s.VKnots);
        WriteTextLine(f, "end");
    }
    f.Close();
}

void ExportObjCurves(const ModelState& m, const AirfoilOptions& options, const std::string& fileName) {
    const std::array<FittedCurve, 2> curves = FitSectionCurves(m, options);  // throws before any file exists

    OutputFile f(fileName);
    WriteTextLine(f, "# korvel");
    WriteTextLine(f, "");
    int32_t base = 0;
    for (const FittedCurve& c : curves) {
        WriteTextLine(f, "g " + c.Name);
        for (int32_t i = 0; i <= c.N + 2; ++i) {
            WriteTextLine(f, options.AirfoilXZPlane ? VertexLine(c.PX[i], c.PZ[i], c.PY[i])
                                               : VertexLine(c.PX[i], c.PY[i], c.PZ[i]));
        }
        WriteTextLine(f, "cstype bspline");
        WriteTextLine(f, "deg " + std::to_string(c.Degree));
        const int32_t count = c.N + 3;
        WriteList(f, "curv 0 1", 1, count, [&](int32_t i) { return std::to_string(i + base); });
        base += count;
        WriteKnots(f, "parm u", c.Knots);
        WriteTextLine(f, "end");
    }
    f.Close();
}

}  // namespace korvel
