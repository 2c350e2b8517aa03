// curve_txt_writer.cpp — the 3D curve text file of the section.
#include "curve_txt_writer.h"

#include <clocale>
#include <cstddef>

#include "airfoil_dat_writer.h"
#include "output_file.h"

namespace korvel {

namespace {

// The point text with '.' swapped for the separator of the current C locale.
std::string LocaleNumber(double value, const std::string& separator) {
    std::string s = FormatPointCoordinate(value);
    const std::size_t dot = s.find('.');
    if (dot != std::string::npos) s.replace(dot, 1, separator);
    return s;
}

}  // namespace

void ExportCurveTxt(const ModelState& m, const std::string& fileName) {
    const NormalisedSection section = NormaliseSectionChord(m);
    const std::lconv* conv = std::localeconv();
    const std::string separator = conv != nullptr && conv->decimal_point != nullptr && conv->decimal_point[0] != '\0'
                                      ? std::string(conv->decimal_point)
                                      : std::string(".");
    std::string text = "#korvel\n#Group 1\n\n";
    text += "1 1 " + LocaleNumber(1.0, separator) + " " + LocaleNumber(0.0, separator) + " 0\n";
    for (std::size_t k = 0; k < section.x.size(); ++k) {
        text += "1 " + std::to_string(k + 2) + " " + LocaleNumber(section.x[k], separator) + " " +
                LocaleNumber(section.y[k], separator) + " 0\n";
    }
    text += "1 0";
    OutputFile file(fileName);
    file.Write(text);
    file.Close();
}

}  // namespace korvel
