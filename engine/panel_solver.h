// panel_solver.h — potential flow around the 2D section: pressure per panel, lift and drag, area and height.
#pragma once

#include <cstddef>

#include "model.h"

namespace korvel {

// Solves the doublet panel system of the current section (nodes 1..NS+1, trailing edge first, lower
// surface first) for a unit free stream at AOA degrees. Fills CpValues[1..NS] (entry 0 stays 0), returns
// the lift coefficient Cl and the drag figure Cd = Cl x AOA in radians, both set to 0 below 1e-7 in
// magnitude. PanelMatrix is empty afterwards. A degenerate contour gives infinities or NaNs, not an error.
// When only the angle changed since the previous call on the same section (bit for bit), the solution is
// taken from m.SolverCache instead of a new dense solve.
void SolvePanelMethod(ModelState& m, double AOA, double& Cl, double& Cd);

// Enclosed area of the contour (always positive) and its height (max - min of Y over nodes 1..NS).
void SectionAreaHeight(const ModelState& m, double& Area, double& Height);

namespace panel_detail {

// The solver's own arctangent and logarithm over arrays, a few ulp from the library functions and
// vectorised; exposed for the accuracy tests. atan2 follows the library's quadrant and signed-zero rules.
void Atan2Array(const double* y, const double* x, double* out, std::size_t count);
void LogArray(const double* x, double* out, std::size_t count);

}  // namespace panel_detail

}  // namespace korvel
