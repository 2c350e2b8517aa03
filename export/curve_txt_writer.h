// curve_txt_writer.h — the 3D curve text file (.txt): the chord-normalised section as one numbered curve, z = 0.
#pragma once

#include <string>

#include "engine/model.h"

namespace korvel {

// Writes the curve file, creating or replacing fileName. Its numbers use the decimal separator of the
// current C locale. Raises ExportError (and touches no file) when there is no section; an error while
// writing passes on and a partly written file stays.
void ExportCurveTxt(const ModelState& m, const std::string& fileName);

}  // namespace korvel
