// wing_grid.h — the point grid of a wing swept from the current section, with its tips, fold and planform.
#pragma once

#include <cstdint>

#include "model.h"

namespace korvel {

// Span distributions of the chord.
inline constexpr int32_t kSpanLinear = 0;
inline constexpr int32_t kSpanElliptical = 1;
inline constexpr int32_t kSpanJouk = 2;

// The planform law of the Jouk family at parameter t: a gives the chord scale, b the span position.
void JoukPlanformPoint(double t, double& a, double& b);

// Sweeps the oriented section (SectionCount = 2·GridM points) along Y and closes both span ends.
// c: 0 full wing, 1 the half at Y <= 0, 2 the half at Y >= 0. wt is forced to 0 (and written back) for the
// Jouk family and for ss = 0. Replaces GridN by the wing's own column count.
void BuildWing(ModelState& m, double& wt, int32_t family, int32_t c, double fY, double foldX, double foldZ,
               double ss);

}  // namespace korvel
