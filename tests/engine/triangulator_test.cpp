// triangulator_test.cpp — ear clipping on convex, concave, collinear, spiral and earless polygons.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <vector>

#include "engine/triangulator.h"

namespace korvel {
namespace {

using Points = std::vector<std::array<double, 2>>;

// n - 2 triangles that use every edge of the outline exactly once and every diagonal once each way:
// anything else leaves a hole in the solid the cap closes. For a simple counter-clockwise polygon also
// an exact cover: every triangle counter-clockwise and the areas adding up, all from the stored
// single-precision corners.
void ExpectClosedCap(const Points& pts, bool simple = true) {
    const int32_t n = static_cast<int32_t>(pts.size());
    arrayOfVertex v;
    for (int32_t k = 0; k < n; ++k) {
        v.push_back(vertex{float(pts[size_t(k)][0]), float(pts[size_t(k)][1]), false, (k + 1) % n, (k + n - 1) % n, k});
    }
    const auto area2 = [&v](int32_t a, int32_t b, int32_t c) {
        const vertex &A = v[size_t(a)], &B = v[size_t(b)], &C = v[size_t(c)];
        return (double(B.x) - A.x) * (double(C.y) - A.y) - (double(C.x) - A.x) * (double(B.y) - A.y);
    };
    int32_t count = 0;
    arrayOfLongInt I1(size_t(n - 2), -1), I2(size_t(n - 2), -1), I3(size_t(n - 2), -1);
    TriangulatePolygon(v, n, count, I1, I2, I3);
    ASSERT_EQ(count, n - 2);
    std::map<std::pair<int32_t, int32_t>, int> edges;
    double total = 0.0, sum = 0.0;
    for (int32_t k = 0; k < n; ++k) ++edges[{(k + 1) % n, k}];  // the outline, run backwards
    for (int32_t k = 1; k + 1 < n; ++k) total += area2(0, k, k + 1);
    for (size_t k = 0; k < size_t(count); ++k) {
        const int32_t t[3] = {I1[k], I2[k], I3[k]};
        for (int e = 0; e < 3; ++e) ++edges[{t[e], t[(e + 1) % 3]}];
        EXPECT_TRUE(!simple || area2(t[0], t[1], t[2]) > 0) << "triangle " << t[0] << " " << t[1] << " " << t[2];
        sum += area2(t[0], t[1], t[2]);
    }
    for (const auto& [e, times] : edges) EXPECT_TRUE(times == 1 && edges.count({e.second, e.first}) == 1);
    if (!simple) return;
    ASSERT_GT(total, 0.0) << "test polygon must be counter-clockwise";
    EXPECT_NEAR(sum, total, 1e-5 * total);
}

TEST(Triangulator, CoversConvexConcaveCollinearAndSpiralPolygons) {
    Points circle, comb{{0, 0}, {7, 0}, {7, 3}}, runs, spiral;
    for (int k = 0; k < 37; ++k) {
        const double t = 2 * std::numbers::pi * k / 37;
        circle.push_back({0.3 + 0.5 * std::cos(t), -0.2 + 0.25 * std::sin(t)});
    }
    for (int k = 6; k >= 1; --k) {  // deep notches, many reflex corners
        comb.insert(comb.end(), {{k + 0.5, 3}, {k + 0.25, 1}, {double(k), 3}});
    }
    comb.push_back({0, 3});
    for (int k = 0; k < 4; ++k) runs.push_back({0.25 * k, 0});  // collinear corners on every side
    for (int k = 0; k < 2; ++k) runs.push_back({1, 0.5 * k});
    for (int k = 4; k > 0; --k) runs.push_back({0.25 * k, 1});
    for (int k = 2; k > 0; --k) runs.push_back({0, 0.5 * k});
    // A strip out along an Archimedean spiral and back along a second one just inside it.
    for (int k = 0; k <= 121; ++k) {
        const int s = k <= 60 ? k : 121 - k;
        const double t = 4 * std::numbers::pi * s / 60, r = 1 + 0.5 * t - (k <= 60 ? 0.0 : 0.8);
        spiral.push_back({r * std::cos(t), r * std::sin(t)});
    }
    for (const Points& shape : {circle, comb, runs, spiral}) ExpectClosedCap(shape);
}

TEST(Triangulator, OutlineWithoutEarsIsStillClosed) {
    ExpectClosedCap({{0, 0}, {0, 1}, {1, 1}, {1.5, 0.5}, {1, 0}}, false);              // clockwise
    ExpectClosedCap({{0, 0}, {2, 2}, {2, 0}, {0, 2}, {-1, 1}, {-1, 0.5}}, false);  // bow tie
}

// A corner that is not a number decides no predicate: the outline gets no triangle, at once.
TEST(Triangulator, OutlineWithACornerThatIsNotFiniteGetsNoTriangle) {
    for (const float bad : {NAN, INFINITY}) {
        arrayOfVertex v;
        for (int32_t k = 0; k < 5000; ++k) {
            const double t = 2 * std::numbers::pi * k / 5000;
            v.push_back(vertex{float(std::cos(t)), k == 2500 ? bad : float(std::sin(t)), false, (k + 1) % 5000, (k + 4999) % 5000, k});
        }
        int32_t count = -1;
        arrayOfLongInt I1(4998), I2(4998), I3(4998);
        TriangulatePolygon(v, 5000, count, I1, I2, I3);
        EXPECT_EQ(count, 0);
    }
}

// The plain ear clipping the triangulator speeds up: every ear flag from a walk round the whole remaining
// ring, no edge tables, no nearby-first walk. Triangles as (prev, ear, next).
std::vector<std::array<int32_t, 3>> PlainWalk(arrayOfVertex v, int32_t n) {
    std::vector<std::array<int32_t, 3>> out;
    for (int32_t k = 0; k < n; ++k) v[size_t(k)].ear = IsDiagonal(v, v[size_t(k)].prev, v[size_t(k)].next, 0);
    int32_t start = FindStartVertex(v, n - 1);
    const auto at = [&v](int32_t k) -> vertex& { return v[size_t(k)]; };
    for (int32_t pass = n - 4; pass >= 0; --pass) {
        int32_t c = start, fallback = -1;
        do {
            if (at(c).ear) break;
            if (fallback < 0 && IsLeftOn(at(at(c).prev), at(c), at(at(c).next))) fallback = c;
            c = at(c).next;
        } while (c != start);
        if (!at(c).ear) c = fallback >= 0 ? fallback : start;
        const int32_t nx = at(c).next, pv = at(c).prev, nn = at(nx).next, pp = at(pv).prev;
        out.push_back({pv, c, nx});
        at(pv).next = nx;
        at(nx).prev = pv;
        start = pass % 2 == 0 ? nx : pv;
        at(pv).ear = IsDiagonal(v, pp, nx, start);
        at(nx).ear = IsDiagonal(v, pv, nn, start);
    }
    out.push_back({at(start).prev, start, at(start).next});
    return out;
}

// The blocked fast path must give the plain walk's triangles exactly, on simple polygons and on the
// near-degenerate outlines rounding makes: points on a coarse lattice (collinear runs, touching corners),
// slivers a few units in the last place wide, repeated points, and outlines that cross themselves.
TEST(Triangulator, FastPathGivesThePlainWalksTrianglesBitForBit) {
    std::mt19937 rng(20261207);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int trial = 0; trial < 600; ++trial) {
        const int kind = trial % 6;
        const int32_t n = 3 + int32_t(rng() % (trial % 20 == 0 ? 1500 : 180));
        arrayOfVertex v(static_cast<size_t>(n));
        for (int32_t k = 0; k < n; ++k) {
            const float t = 6.2831853f * (k + (kind == 4 ? unit(rng) * 40 : 0.5f * unit(rng))) / n;
            float r = 0.3f + unit(rng);
            if (kind == 1 || kind == 5) r = std::round(r * 4) / 4;  // a lattice: collinear and touching corners
            float x = r * std::cos(t), y = r * std::sin(t);
            if (kind == 1 || kind == 5) x = std::round(x * 8) / 8, y = std::round(y * 8) / 8;
            if (kind == 2 && k % 2) x = std::nextafter(v[size_t(k - 1)].x, 2.0f), y = v[size_t(k - 1)].y;  // slivers
            if ((kind == 3 || kind == 5) && k % 5 == 3) x = v[size_t(k - 1)].x, y = v[size_t(k - 1)].y;  // repeated
            v[size_t(k)] = vertex{x, y, false, (k + 1) % n, (k + n - 1) % n, k};
        }
        const std::vector<std::array<int32_t, 3>> want = PlainWalk(v, n);
        int32_t count = 0;
        arrayOfLongInt I1(size_t(n - 2)), I2(size_t(n - 2)), I3(size_t(n - 2));
        TriangulatePolygon(v, n, count, I1, I2, I3);
        ASSERT_EQ(count, n - 2) << "trial " << trial;
        for (int32_t k = 0; k < count; ++k)
            ASSERT_EQ(want[size_t(k)], (std::array<int32_t, 3>{I1[size_t(k)], I2[size_t(k)], I3[size_t(k)]}))
                << "trial " << trial << " kind " << kind << " n " << n << " triangle " << k;
    }
}

}  // namespace
}  // namespace korvel
