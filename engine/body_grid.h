// body_grid.h — the point grid of a streamlined body: the closed body and its lengthwise halves.
#pragma once

#include "model.h"

namespace korvel {

// Image of one pre-map point a + ib (b >= 0) under the body's meridian map with exponent e:
// re is the real part, h half the imaginary part.
struct MeridianImage {
    double re = 0.0;
    double h = 0.0;
};

// z' = (1 + W)/(1 - W), W = ((1 - z)/(1 + z))^e on the principal branch.
MeridianImage MeridianMap(double a, double b, double e);

// H(a + i·rho)/rho through the ring form of the map, for a point at distance rho > 0 from the axis.
double MeridianRingFactor(double a, double rho, double e);

// g = (1/x0 - 1)^e: the ratio that fixes where the leading edge lands.
double MeridianRatio(double x0, double e);

// The closed body (cut mode 0). vs: false puts row 1 at X = 0, true at X = nm.
void BuildBody(ModelState& m, bool vs, double x0, double Tea, double Lea, double nm, double rb, double rc1,
               double rc2, double fY, double fZ);

// The halves cut by the plane Y = 0 (side true: cut mode 1, false: cut mode 2). Doubles GridN.
void BuildHalfBodyY(ModelState& m, bool vs, bool side, double x0, double Tea, double Lea, double nm, double rb,
                    double rc1, double rc2, double fY, double fZ);

// The halves cut by the plane Z = 0 (side true with rc = rc1: cut mode 3; false with rc = rc2: mode 4).
// Doubles GridN.
void BuildHalfBodyZ(ModelState& m, bool vs, bool side, double x0, double Tea, double Lea, double nm, double rb,
                    double rc, double fY, double fZ);

}  // namespace korvel
