// mesh_caps.cpp — closing a cut: the outline segments chained into loops, each loop capped by a flat polygon.
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "mesh_internal.h"
#include "triangulator.h"

namespace korvel {

namespace {

inline double Gap(const double* end, const double* start) {
    return std::fabs(start[0] - end[0]) + std::fabs(start[1] - end[1]);
}

// Points where two triangles meet the plane on a shared edge are found from either triangle, so they
// may differ in the last bits; a loop counts as closed within this distance of its first point.
double ClosingTolerance(const std::vector<CutSegment>& s, int32_t n) {
    double largest = 0.0;
    for (int32_t k = 1; k <= n; ++k) {
        for (const double c : {s[At(k)].start[0], s[At(k)].start[1], s[At(k)].end[0], s[At(k)].end[1]}) {
            largest = std::fmax(largest, std::fabs(c));
        }
    }
    return 1e-5 * largest;
}

Point3f Lift(int cutAxis, float u, float v, float value) {
    if (cutAxis == 0) return Point3f{value, u, v};
    if (cutAxis == 1) return Point3f{u, value, v};
    return Point3f{v, u, value};
}

}  // namespace

void CapSection(ModelState& m, bool flag, int32_t& count, int cutAxis, int32_t n, double value) {
    std::vector<CutSegment>& s = m.CutSegments;
    if (n < 1 || s.size() <= At(n)) return;

    // Greedy chaining: after each segment comes the remaining one that starts nearest to its end. A chain
    // that comes back to its own first point is a closed loop; the next segment starts a new loop instead
    // of bridging the empty space between outlines (a swept wing cut through both halves has two).
    const double tol = ClosingTolerance(s, n);
    std::vector<int32_t> loopFirst{1};
    for (int32_t i = 1; i <= n - 2; ++i) {
        const double* end = s[At(i)].end;
        double best = Gap(end, s[At(i) + 1].start);
        // Nothing is nearer than a gap of 0 (nor a NaN gap), so the search ends there.
        for (int32_t k = i + 2; k <= n && best != 0.0; ++k) {
            const double d = Gap(end, s[At(k)].start);
            if (d < best) {
                std::swap(s[At(i) + 1], s[At(k)]);
                best = d;
            }
        }
        const int32_t first = loopFirst.back();
        if (i > first) {
            const double closing = Gap(end, s[At(first)].start);
            if (closing <= tol && closing <= best) loopFirst.push_back(i + 1);
        }
    }
    loopFirst.push_back(n + 1);

    // The triangulator wants the outline counter-clockwise in (u, v); the segments run in the winding of
    // the kept surface, which is the other way round for the low side of X and for the high side of the
    // left-handed Y and Z frames.
    const bool F = cutAxis == 0 ? flag : !flag;
    const float plane = static_cast<float>(value);
    arrayOfVertex verts(At(n));
    arrayOfLongInt I1(At(n)), I2(At(n)), I3(At(n));
    for (std::size_t l = 0; l + 1 < loopFirst.size(); ++l) {
        const int32_t a = loopFirst[l];
        const int32_t b = loopFirst[l + 1] - 1;
        const int32_t len = b - a + 1;
        if (len <= 2) continue;
        for (int32_t k = 0; k < len; ++k) {
            const CutSegment& seg = s[At(F ? b - k : a + k)];
            vertex& v = verts[At(k)];
            v.x = static_cast<float>(seg.start[0]);
            v.y = static_cast<float>(seg.start[1]);
            v.ear = false;
            v.next = k + 1 == len ? 0 : k + 1;
            v.prev = k == 0 ? len - 1 : k - 1;
            v.id = k;
        }
        int32_t made = 0;
        TriangulatePolygon(verts, len, made, I1, I2, I3);
        for (int32_t t = made - 1; t >= 0; --t) {
            const vertex& pv = verts[At(I1[At(t)])];
            const vertex& ev = verts[At(I2[At(t)])];
            const vertex& nv = verts[At(I3[At(t)])];
            const vertex& second = F ? ev : nv;
            const vertex& third = F ? nv : ev;
            ++count;
            m.TempTriangles.push_back(T3p{{Lift(cutAxis, pv.x, pv.y, plane), Lift(cutAxis, second.x, second.y, plane),
                                           Lift(cutAxis, third.x, third.y, plane)}});
        }
    }
}

}  // namespace korvel
