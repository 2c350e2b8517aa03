// tangents.h — end tangents for the curve and surface fits: the section's four, the grid's edge and cross tables.
#pragma once

#include <cstdint>

#include "model.h"

namespace korvel {

// The value of a tangent component that is not prescribed: the fit takes it from the data.
inline constexpr double kFreeTangent = 2.0;

// The unit direction from b to a, with every component g that is not kFreeTangent imposed as it stands
// (not renormalised). Coincident points give (0, 0, 0); a segment with no horizontal part gives x = y = 0.
Vec3d TangentDirection(double gx, double gy, double gz, const Vec3d& a, const Vec3d& b);

// Every entry of the edge and cross tangent tables back to free.
void ResetSurfaceTangents(ModelState& m);

// Fills the grid's tangent tables for the wing or the body just meshed; c is the cut mode (0 = uncut).
// The factors scale the prescribed edge tangents; fUT = 0 leaves the first grid row free.
void ComputeSurfaceTangents(ModelState& m, bool wing, int32_t c, double tx3, double tz3, double wt, double fUL,
                            double fUT, double fLL, double fLT);

// Fills the four end tangents of the 2D section's upper and lower curves.
void ComputeSectionTangents(ModelState& m, int32_t flipH, double Tea, double fUL, double fUT, double fLL,
                            double fLT);

}  // namespace korvel
