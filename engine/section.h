// section.h — the airfoil section: Karman-Trefftz mapped circle, modifier map, scaling, ordering, flips, circle tables.
#pragma once

#include <cstdint>

#include "model.h"

namespace korvel {

// Sizes the section arrays and fills points 1..NS+1, SectionLE and SectionMinY.
void BuildBaseSection(ModelState& m, int direction, double x0, double y0, double rc1, double rc2, double fZ,
                      double size, double Tea, double Lea);

// Maps the current section in place with a modeller set; tz arrives already reduced by SectionMinY.
void KarmanTrefftzSection(ModelState& m, double tx, double tz, double kc, double kt);

void ScaleSection(ModelState& m, int direction, double size);
void OrientSection(ModelState& m);
void FlipSectionVertical(ModelState& m);
void FlipSectionHorizontal(ModelState& m);

// Sine and cosine of n+1 evenly spaced angles over a half (full) circle, indexes 0..n.
void HalfCircleTable(array1Df& sines, array1Df& cosines, int32_t n);
void FullCircleTable(array1Df& sines, array1Df& cosines, int32_t n);

}  // namespace korvel
