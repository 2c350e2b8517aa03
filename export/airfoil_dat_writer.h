// airfoil_dat_writer.h — the airfoil point file (.dat): a name line and x/y rows of the chord-normalised section.
#pragma once

#include <string>
#include <vector>

#include "engine/model.h"

namespace korvel {

// The section's points 2..NS in file order (NS down to 2: from the trailing edge over the upper surface to
// the leading edge and back over the lower one), moved and scaled so the chord runs from 0 to 1.
// The point of least X (the first of equal minima met from point NS down) gets x' = 0 exactly.
// Raises ExportError when there is no section, when a point is not finite, or when the chord is not positive.
struct NormalisedSection {
    std::vector<double> x;
    std::vector<double> y;
};
NormalisedSection NormaliseSectionChord(const ModelState& m);

// "0.0000000" with '.' as the separator; a value that rounds to zero is written without a sign.
std::string FormatPointCoordinate(double value);

// Writes the .dat file, creating or replacing fileName. Raises ExportError (and touches no file) when there
// is no section; an error while writing passes on and a partly written file stays.
void ExportAirfoilDat(const ModelState& m, const std::string& fileName);

}  // namespace korvel
