// mesh_checks.h — shared builds and checks: section conventions, exact edge pairing of triangle lists, divergence volumes.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "engine/build_model.h"
#include "engine/canvas.h"

namespace korvel::testing {

// Round ends, round sections, no stretch, no modifier: the body is the sphere of diameter 1 and the
// wing a cylinder of diameter 1 along Y.
inline BuildInputs RoundInputs(bool wing, int32_t n = 40) {
    return {.nX = n, .mYZ = n, .Tea = 180.0, .Lea = 180.0, .ActWing = wing, .rb = 1.0, .rc1 = 1.0, .rc2 = 1.0};
}

// The whole pipeline on a fresh state at the requested dimensions (-1: the natural one), on the inputs'
// canvas size unless a canvas is given.
inline ModelState Build(const BuildInputs& in, Vec3d size = {-1, -1, -1}, Canvas* canvas = nullptr,
                        std::string* info = nullptr) {
    ModelState m;
    std::tie(m.LengthX, m.WidthY, m.HeightZ) = std::tuple(size.x, size.y, size.z);
    NullCanvas none(in.CanvasWidth, in.CanvasHeight);
    std::string text;
    BuildModel(m, in, canvas ? *canvas : none, info ? *info : text);
    return m;
}

// A section's conventions: points 1 and ns + 1 at the trailing edge, the leading edge (point ns/2 + 1) and
// both ends on y = 0, the lower surface first, every point finite; a unit chord runs from x = 0 to 1.
inline void ExpectSectionConventions(const ModelState& m, bool unitChord, const std::string& what = "") {
    const int32_t ns = m.SectionCount, le = m.SectionLE;
    ASSERT_TRUE(m.SectionX.size() == static_cast<size_t>(ns + 2) && le == ns / 2 + 1) << what;
    EXPECT_TRUE(m.SectionY[1] == 0.0 && m.SectionY[ns + 1] == 0.0 && m.SectionY[le] == 0.0 && m.SectionX[1] == m.SectionX[ns + 1]) << what;
    EXPECT_TRUE(!unitChord || (m.SectionX[1] == 1.0 && m.SectionX[le] == 0.0)) << what;
    EXPECT_LE(m.SectionY[le - 1], m.SectionY[le + 1]) << what;
    for (int32_t i = 1; i <= ns + 1; ++i)
        ASSERT_TRUE(std::isfinite(m.SectionX[i]) && std::isfinite(m.SectionY[i])) << what << " point " << i;
}

// Every edge twice, once in each direction: the list bounds a closed, consistently wound surface. Plain
// keys sorted by the C library, so that thousands of meshes stay quick under the sanitizers.
inline bool Closed(const ModelState& m) {
    struct Key {
        uint32_t w[6];  // the two end points' bits, the lower point (by bytes) first
        uint32_t forward;
    };
    std::vector<Key> keys;
    for (int32_t k = 0; k <= m.TriangleLast; ++k)
        for (int e = 0; e < 3; ++e) {
            const Point3f &p = m.Triangles[size_t(k)].p[e], &q = m.Triangles[size_t(k)].p[(e + 1) % 3];
            const Point3f a{p.x + 0.0f, p.y + 0.0f, p.z + 0.0f}, b{q.x + 0.0f, q.y + 0.0f, q.z + 0.0f};  // -0 is 0
            const uint32_t forward = std::memcmp(&a, &b, sizeof a) < 0;
            Key key{{}, forward};
            std::memcpy(key.w, forward ? &a : &b, sizeof a);
            std::memcpy(key.w + 3, forward ? &b : &a, sizeof a);
            keys.push_back(key);
        }
    std::qsort(keys.data(), keys.size(), sizeof(Key), [](const void* x, const void* y) { return std::memcmp(x, y, sizeof(Key)); });
    for (std::size_t i = 0; i < keys.size(); i += 2) {
        if (i + 1 == keys.size() || keys[i].forward == keys[i + 1].forward || std::memcmp(keys[i].w, keys[i + 1].w, sizeof keys[i].w) != 0 ||
            (i + 2 < keys.size() && std::memcmp(keys[i].w, keys[i + 2].w, sizeof keys[i].w) == 0))
            return false;
    }
    return true;
}

// The three divergence-theorem volumes of the list, from x nx, y ny and z nz, in double.
inline std::array<double, 3> Volumes(const ModelState& m) {
    std::array<double, 3> v{};
    for (int32_t k = 0; k <= m.TriangleLast; ++k) {
        const Point3f &a = m.Triangles[size_t(k)].p[0], &b = m.Triangles[size_t(k)].p[1], &c = m.Triangles[size_t(k)].p[2];
        const double e1[3] = {double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z};
        const double e2[3] = {double(c.x) - a.x, double(c.y) - a.y, double(c.z) - a.z};
        v[0] += (e1[1] * e2[2] - e1[2] * e2[1]) * (double(a.x) + b.x + c.x) / 6.0;
        v[1] += (e1[2] * e2[0] - e1[0] * e2[2]) * (double(a.y) + b.y + c.y) / 6.0;
        v[2] += (e1[0] * e2[1] - e1[1] * e2[0]) * (double(a.z) + b.z + c.z) / 6.0;
    }
    return v;
}

}  // namespace korvel::testing
