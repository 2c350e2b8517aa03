// panel_solver.h — potential flow around the 2D section: pressure per panel, lift and drag, area and height.
#pragma once

#include <cstddef>
#include <vector>

#include "model.h"

namespace korvel {

// Solves the doublet panel system of the current section (nodes 1..NS+1, trailing edge first, lower
// surface first) for a unit free stream at AOA degrees. Fills CpValues[1..NS] (entry 0 stays 0), returns
// the lift coefficient Cl and the drag figure Cd = Cl x AOA in radians, both set to 0 below 1e-7 in
// magnitude. A degenerate contour gives infinities or NaNs, not an error,
// and so do fewer than three panels; section arrays shorter than SectionCount + 2 throw std::logic_error.
// When only the angle changed since the previous call on the same section (bit for bit), the solution is
// taken from m.SolverCache instead of a new dense solve.
void SolvePanelMethod(ModelState& m, double AOA, double& Cl, double& Cd);

// The 2D build solves only sections of fewer panels than this: the solve is dense and cubic in the panel
// count and runs on every rebuild while the tunnel is on (with counts in steps of 8, at most 632 panels).
constexpr int32_t kSolverPanelLimit = 640;

// Enclosed area of the contour (always positive) and its height (max - min of Y over nodes 1..NS).
void SectionAreaHeight(const ModelState& m, double& Area, double& Height);

namespace panel_detail {

// The solver's vector kernels come in three widths; the processor decides which one a solve uses. All
// give the same bits. Exposed for the tests, with the solver's own arctangent and logarithm, which stay
// within a few ulp of the library and follow its special cases.
enum class KernelWidth { Sse2, Avx2, Avx512 };
KernelWidth WidestKernels();
void Atan2Array(KernelWidth width, const double* y, const double* x, double* out, std::size_t count);
void LogArray(KernelWidth width, const double* x, double* out, std::size_t count);
// The blocked elimination the solver uses, or the plain triple loop it must match bit for bit.
enum class Elimination { Blocked, Textbook };
// Surface potentials of the current section for free streams along and across the chord.
void SolveBothStreams(const ModelState& m, KernelWidth width, std::vector<double>& muCos,
                      std::vector<double>& muSin, Elimination elimination = Elimination::Blocked);
// Forward elimination alone, without pivoting, of n rows of stride doubles each (stride a multiple of 8,
// at least n + 2): what the benchmarks time.
void EliminateRows(KernelWidth width, Elimination elimination, double* A, std::size_t n, std::size_t stride);

}  // namespace panel_detail

}  // namespace korvel
