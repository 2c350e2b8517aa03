// mesh_checks.h — shared checks for triangle lists: exact edge pairing, divergence volumes, planar caps.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <map>
#include <string>
#include <tuple>

#include "engine/model.h"

namespace korvel::testing {

using PointKey = std::tuple<float, float, float>;

inline PointKey Key(const Point3f& p) { return {p.x, p.y, p.z}; }

// Empty when every directed edge of the list appears exactly once and its reverse exactly once;
// otherwise a description of the first offence.
inline std::string EdgePairingFault(const ModelState& m) {
    std::map<std::pair<PointKey, PointKey>, int> edges;
    for (int32_t k = 0; k <= m.TriangleLast; ++k) {
        const T3p& t = m.Triangles[static_cast<std::size_t>(k)];
        for (int e = 0; e < 3; ++e) ++edges[{Key(t.p[e]), Key(t.p[(e + 1) % 3])}];
    }
    for (const auto& [edge, n] : edges) {
        const auto reverse = edges.find({edge.second, edge.first});
        const int back = reverse == edges.end() ? 0 : reverse->second;
        if (n != 1 || back != 1) {
            const auto& [a, b] = edge;
            const auto text = [](const PointKey& p) {
                return "(" + std::to_string(std::get<0>(p)) + ", " + std::to_string(std::get<1>(p)) + ", " +
                       std::to_string(std::get<2>(p)) + ")";
            };
            return text(a) + " -> " + text(b) + " appears " + std::to_string(n) + " times, reversed " +
                   std::to_string(back);
        }
    }
    return {};
}

struct Measures {
    double area = 0.0;
    std::array<double, 3> volume{};  // from x nx, y ny and z nz
};

// Area and the three divergence-theorem volumes of the list, all in double from the stored vertices.
inline Measures Measure(const ModelState& m) {
    Measures r;
    for (int32_t k = 0; k <= m.TriangleLast; ++k) {
        const T3p& t = m.Triangles[static_cast<std::size_t>(k)];
        const double ax = t.p[0].x, ay = t.p[0].y, az = t.p[0].z;
        const double e1[3] = {t.p[1].x - ax, t.p[1].y - ay, t.p[1].z - az};
        const double e2[3] = {t.p[2].x - ax, t.p[2].y - ay, t.p[2].z - az};
        const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                             e1[0] * e2[1] - e1[1] * e2[0]};
        r.area += 0.5 * std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        const double sx = ax + t.p[1].x + t.p[2].x;
        const double sy = ay + t.p[1].y + t.p[2].y;
        const double sz = az + t.p[1].z + t.p[2].z;
        r.volume[0] += n[0] * sx / 6.0;
        r.volume[1] += n[1] * sy / 6.0;
        r.volume[2] += n[2] * sz / 6.0;
    }
    return r;
}

// Normal (not normalised) of one triangle.
inline std::array<double, 3> Normal(const T3p& t) {
    const double e1[3] = {double(t.p[1].x) - t.p[0].x, double(t.p[1].y) - t.p[0].y, double(t.p[1].z) - t.p[0].z};
    const double e2[3] = {double(t.p[2].x) - t.p[0].x, double(t.p[2].y) - t.p[0].y, double(t.p[2].z) - t.p[0].z};
    return {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
}

inline float Coord(const Point3f& p, int axis) { return axis == 0 ? p.x : (axis == 1 ? p.y : p.z); }

// Triangles lying wholly in the plane axis = value (exact float comparison), with their area summed and
// the sign of their normal on that axis counted.
struct PlaneFaces {
    int count = 0;
    int facingPlus = 0;
    int facingMinus = 0;
    double area = 0.0;
};

inline PlaneFaces FacesInPlane(const ModelState& m, int axis, float value) {
    PlaneFaces r;
    for (int32_t k = 0; k <= m.TriangleLast; ++k) {
        const T3p& t = m.Triangles[static_cast<std::size_t>(k)];
        if (Coord(t.p[0], axis) != value || Coord(t.p[1], axis) != value || Coord(t.p[2], axis) != value) continue;
        const auto n = Normal(t);
        ++r.count;
        if (n[static_cast<std::size_t>(axis)] > 0) ++r.facingPlus;
        if (n[static_cast<std::size_t>(axis)] < 0) ++r.facingMinus;
        r.area += 0.5 * std::fabs(n[static_cast<std::size_t>(axis)]);
    }
    return r;
}

}  // namespace korvel::testing
