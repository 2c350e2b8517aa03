// grid_modifier.h — modeller set 1 applied to a finished body or wing grid: the conformal bend and its offset.
#pragma once

#include <cstdint>

#include "model.h"

namespace korvel {

// The lowest Z (<= 0) that the rc1 meridian of a closed body reaches when sampled at n stations; the body
// path lowers the modifier's axis by it so the axis stays below the body.
double GridModifierOffset(ModelState& m, int32_t n, double x0, double Tea, double Lea, double nm, double fZ,
                          double rc1);

// Bends the grid in place about the axis line Y = 0, Z = -tz: the grid ends (BodyEndX) land on X = 0 and
// X = 1, and Y is scaled by dY over the length of the mapped chord.
void KarmanTrefftzGrid(ModelState& m, double kc, double kt, double tx, double tz, double dY);

}  // namespace korvel
