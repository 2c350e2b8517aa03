// mesh_checks.h — shared round-model builds and triangle-list checks: exact edge pairing, divergence volumes.
#pragma once

#include <array>
#include <map>
#include <string>
#include <tuple>

#include "engine/build_model.h"
#include "engine/canvas.h"

namespace korvel::testing {

// Round ends, round sections, no stretch, no modifier: the body is the sphere of diameter 1 and the
// wing a cylinder of diameter 1 along Y.
inline BuildInputs RoundInputs(bool wing, int32_t n = 40) {
    BuildInputs in;
    in.nX = in.mYZ = n;
    in.Tea = in.Lea = 180.0;
    in.rb = in.rc1 = in.rc2 = 1.0;
    in.ActWing = wing;
    return in;
}

// The whole pipeline at the requested dimensions (-1: the natural one).
inline ModelState Build(const BuildInputs& in, Vec3d size = {-1, -1, -1}, Canvas* canvas = nullptr,
                        std::string* info = nullptr) {
    ModelState m;
    m.LengthX = size.x;
    m.WidthY = size.y;
    m.HeightZ = size.z;
    NullCanvas none;
    std::string text;
    BuildModel(m, in, canvas ? *canvas : none, info ? *info : text);
    return m;
}

// How many directed edges of the list fail to appear exactly once together with their reverse.
inline int UnpairedEdges(const ModelState& m) {
    using Key = std::tuple<float, float, float>;
    std::map<std::pair<Key, Key>, int> edges;
    for (int32_t k = 0; k <= m.TriangleLast; ++k) {
        for (int e = 0; e < 3; ++e) {
            const Point3f &a = m.Triangles[size_t(k)].p[e], &b = m.Triangles[size_t(k)].p[(e + 1) % 3];
            ++edges[{{a.x, a.y, a.z}, {b.x, b.y, b.z}}];
        }
    }
    int unpaired = 0;
    for (const auto& [e, n] : edges) {
        const auto r = edges.find({e.second, e.first});
        unpaired += n != 1 || r == edges.end() || r->second != 1;
    }
    return unpaired;
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
