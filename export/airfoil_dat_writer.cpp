// airfoil_dat_writer.cpp — the airfoil point file and the chord normalisation it shares with the curve file.
#include "airfoil_dat_writer.h"

#include <charconv>
#include <cmath>
#include <cstddef>

#include "export_common.h"
#include "output_file.h"

namespace korvel {

NormalisedSection NormaliseSectionChord(const ModelState& m) {
    const int32_t ns = m.SectionCount;
    const std::size_t needed = ns >= 2 ? static_cast<std::size_t>(ns) + 2 : 0;
    if (ns < 2 || m.SectionX.size() < needed || m.SectionY.size() < needed) {
        throw ExportError("There is no airfoil section to export: build the section in 2D mode first.");
    }
    double xmin = 1.0;
    int32_t iLE = 1;
    for (int32_t i = ns; i >= 2; --i) {
        const double x = m.SectionX[static_cast<std::size_t>(i)];
        const double y = m.SectionY[static_cast<std::size_t>(i)];
        if (!std::isfinite(x) || !std::isfinite(y)) {
            throw ExportError("The airfoil section has points that are not finite numbers; nothing was written.");
        }
        if (x < xmin) {
            xmin = x;
            iLE = i;
        }
    }
    const double c = 1.0 - xmin;
    if (!(c > 0.0) || !std::isfinite(1.0 / c)) {
        throw ExportError("The airfoil section has no chord to normalise; nothing was written.");
    }
    NormalisedSection out;
    out.x.reserve(static_cast<std::size_t>(ns) - 1);
    out.y.reserve(static_cast<std::size_t>(ns) - 1);
    for (int32_t i = ns; i >= 2; --i) {
        const std::size_t k = static_cast<std::size_t>(i);
        // Every row divides Y by the chord, the leading-edge row too, so the shape is scaled uniformly.
        out.x.push_back(i == iLE ? 0.0 : (m.SectionX[k] - xmin) / c);
        out.y.push_back(m.SectionY[k] / c);
    }
    return out;
}

std::string FormatPointCoordinate(double value) {
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 7);
    std::string s(text, result.ptr);
    if (!s.empty() && s.front() == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

void ExportAirfoilDat(const ModelState& m, const std::string& fileName) {
    const NormalisedSection section = NormaliseSectionChord(m);
    const std::string trailingEdge = FormatPointCoordinate(1.0) + "   " + FormatPointCoordinate(0.0);
    std::string text = "korvel\n" + trailingEdge + "\n";
    for (std::size_t k = 0; k < section.x.size(); ++k) {
        text += FormatPointCoordinate(section.x[k]);
        text += "   ";
        text += FormatPointCoordinate(section.y[k]);
        text += '\n';
    }
    text += trailingEdge;
    OutputFile file(fileName);
    file.Write(text);
    file.Close();
}

}  // namespace korvel
