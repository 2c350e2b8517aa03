// mesh.h — the triangle mesh of a 3D build: grid to triangles, section cuts with caps, mirror, fit, measures.
#pragma once

#include <array>
#include <cstdint>

#include "model.h"

namespace korvel {

// Where the three cut planes ended up after the fit (index 0 = X, 1 = Y, 2 = Z) and how far a
// high-side cut moved the grid (in grid units, before the fit). The section drawing takes the
// positions; the cut-plane patches take both.
struct CutPlacement {
    std::array<double, 3> Position{};
    std::array<double, 3> Shift{};
};

// Turns the grid into the triangle list: the winding sign applied to Y, the grid moved to its minimum
// corner, cut by the planes whose fraction lies strictly between 0 and 1 (section mode only), each cut
// capped, mirrored in Y, fitted to the requested dimensions, and measured when axes is set.
// Types: 1 keeps the low side of a plane, any other value the high side.
CutPlacement BuildMesh(ModelState& m, int32_t sign, int32_t tX, int32_t tY, int32_t tZ, bool cutSection,
                       bool mirror, bool axes, double csX, double csY, double csZ);

// The winding sign to hand to BuildMesh: s itself when the grid, meshed with it, encloses a positive
// volume (or none at all), otherwise -s. The sign mirrors the grid in Y, which reverses its volume.
int32_t OutwardSign(const ModelState& m, int32_t s);

// No cut plane present.
void ClearCutPlanes(ModelState& m);

// Lays a 4 x 4 point grid, with a tenth of the span as margin, on every cut plane that is present.
void BuildCutPlanes(ModelState& m, bool mirror, const CutPlacement& cuts);

}  // namespace korvel
