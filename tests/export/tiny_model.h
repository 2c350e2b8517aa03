// tiny_model.h — a small hand-made 3D model state (a flared half tube in two patches) for the export tests.
#pragma once

#include <cmath>
#include <numbers>

#include "engine/model.h"
#include "engine/tangents.h"

namespace korvel::test {

// Rows run along X over [0, 2]; columns sweep a half circle of radius 0.5 + 0.1 x from +Y over +Z to -Y.
// Patch 0 takes the first half of the columns, patch 1 the second; all tangents free; scale 1.
inline ModelState TinyModel(int32_t M = 4, int32_t N = 4) {
    ModelState m;
    m.SetGridM(M);
    m.SetGridN(N);
    AllocateGrid(m, true, false);
    for (int32_t i = 1; i <= M + 1; ++i) {
        const double x = 2.0 * (i - 1) / M;
        const double r = 0.5 + 0.1 * x;
        for (int32_t j = 1; j <= N + 1; ++j) {
            const double a = std::numbers::pi * (j - 1) / N;
            m.GridX[i][j] = x;
            m.GridY[i][j] = r * std::cos(a);
            m.GridZ[i][j] = r * std::sin(a);
        }
    }
    ResetSurfaceTangents(m);
    m.PatchFirst[0] = 1;
    m.PatchLast[0] = N / 2 + 1;
    m.PatchFirst[1] = N / 2 + 1;
    m.PatchLast[1] = N + 1;
    m.ScaleFactor = Vec3d{1.0, 1.0, 1.0};
    return m;
}

// Turns on the X cut plane of the tiny model: a 4 x 4 grid over the tube's open end at x = 0.
inline void AddCutPlaneX(ModelState& m) {
    m.CutPlaneOn[0] = true;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            m.CutPlaneX[0][i][j] = 0.0;
            m.CutPlaneY[0][i][j] = -0.5 + i / 3.0;
            m.CutPlaneZ[0][i][j] = 0.5 * j / 3.0;
        }
    }
}

// A thin symmetric section of ns intervals (ns even): points 1 and ns+1 at the trailing edge (1, 0), the
// lower side first, the leading edge (point ns/2 + 1) at (0, 0); end tangents set along the travel.
inline ModelState TinySection(int32_t ns = 8) {
    ModelState m;
    m.SetSectionCount(ns);
    AllocateGrid(m, false, true);
    for (int32_t k = 1; k <= ns + 1; ++k) {
        const double a = 2.0 * std::numbers::pi * (k - 1) / ns;
        m.SectionX[k] = 0.5 + 0.5 * std::cos(a);
        m.SectionY[k] = -0.1 * std::sin(a);
    }
    m.SectionLE = ns / 2 + 1;
    m.SectionY[1] = m.SectionY[m.SectionLE] = m.SectionY[ns + 1] = 0.0;
    m.SectionX[m.SectionLE] = 0.0;
    m.SectionTangents.X = {0.0, -0.6, 0.0, -0.6};
    m.SectionTangents.Y = {-0.65, 0.1, 0.65, -0.1};
    return m;
}

}  // namespace korvel::test
