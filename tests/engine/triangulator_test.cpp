// triangulator_test.cpp — ear clipping on convex, concave, collinear, spiral and malformed polygons.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <vector>

#include "engine/triangulator.h"

namespace korvel {
namespace {

struct P2 {
    double x, y;
};

arrayOfVertex Ring(const std::vector<P2>& pts) {
    const int32_t n = static_cast<int32_t>(pts.size());
    arrayOfVertex v(pts.size());
    for (int32_t k = 0; k < n; ++k) {
        v[static_cast<std::size_t>(k)] = vertex{static_cast<float>(pts[static_cast<std::size_t>(k)].x),
                                                static_cast<float>(pts[static_cast<std::size_t>(k)].y), false,
                                                (k + 1) % n, (k + n - 1) % n, k};
    }
    return v;
}

// Twice the signed area from the stored single-precision corners, in double.
double Area2(const arrayOfVertex& v, int32_t a, int32_t b, int32_t c) {
    const vertex &A = v[static_cast<std::size_t>(a)], &B = v[static_cast<std::size_t>(b)],
                 &C = v[static_cast<std::size_t>(c)];
    return (double(B.x) - A.x) * (double(C.y) - A.y) - (double(C.x) - A.x) * (double(B.y) - A.y);
}

double PolygonArea2(const arrayOfVertex& v) {
    double s = 0.0;
    for (std::size_t k = 0; k < v.size(); ++k) {
        const vertex& a = v[k];
        const vertex& b = v[(k + 1) % v.size()];
        s += double(a.x) * b.y - double(b.x) * a.y;
    }
    return s;
}

struct Result {
    int32_t count = 0;
    arrayOfLongInt I1, I2, I3;
    arrayOfVertex verts;
};

Result Triangulate(const std::vector<P2>& pts) {
    Result r;
    r.verts = Ring(pts);
    const std::size_t n = pts.size();
    r.I1.assign(n - 2, -1);
    r.I2.assign(n - 2, -1);
    r.I3.assign(n - 2, -1);
    TriangulatePolygon(r.verts, static_cast<int32_t>(n), r.count, r.I1, r.I2, r.I3);
    return r;
}

// A simple polygon is covered exactly: n - 2 counter-clockwise triangles whose areas add up.
void ExpectFullCover(const std::vector<P2>& pts) {
    const Result r = Triangulate(pts);
    const arrayOfVertex fresh = Ring(pts);
    ASSERT_EQ(r.count, static_cast<int32_t>(pts.size()) - 2);
    double sum = 0.0;
    for (int32_t k = 0; k < r.count; ++k) {
        const double a = Area2(fresh, r.I1[std::size_t(k)], r.I2[std::size_t(k)], r.I3[std::size_t(k)]);
        EXPECT_GT(a, 0.0) << "triangle " << k << " is not counter-clockwise";
        sum += a;
    }
    const double total = PolygonArea2(fresh);
    ASSERT_GT(total, 0.0) << "test polygon must be counter-clockwise";
    EXPECT_NEAR(sum, total, 1e-5 * std::fabs(total));
}

TEST(Triangulator, StartCornerAndItsNeighbours) {
    // A triangle taller than wide: one triangle round the lowest corner, corner 1.
    const Result tri = Triangulate({{0, 1}, {0.2, -1}, {0.5, 2}});
    ASSERT_EQ(tri.count, 1);
    EXPECT_EQ((std::vector<int32_t>{tri.I1[0], tri.I2[0], tri.I3[0]}), (std::vector<int32_t>{0, 1, 2}));
    // Wider than tall: start at the leftmost corner (2); triangles (1, 2, 3) then (1, 3, 0).
    const Result wide = Triangulate({{4, 0}, {3, 1}, {0, 0.5}, {2, -0.5}});
    ASSERT_EQ(wide.count, 2);
    EXPECT_EQ((std::vector<int32_t>{wide.I1[0], wide.I2[0], wide.I3[0]}), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ((std::vector<int32_t>{wide.I1[1], wide.I2[1], wide.I3[1]}), (std::vector<int32_t>{1, 3, 0}));
    // A square starts at its lowest corner; with two lowest corners neither of them corner 0, the
    // higher-numbered one.
    EXPECT_EQ(FindStartVertex(Ring({{1, 1}, {0, 1}, {0, 0}, {1, 0}}), 3), 3);
    EXPECT_EQ(FindStartVertex(Ring({{1, 0}, {1, 1}, {0, 1}, {0, 0}}), 3), 0);
    EXPECT_EQ(FindStartVertex(Ring({{3, 0}, {3, 1}, {0, 1}, {0, 0.5}, {1, 0.2}}), 4), 3);
}

// Convex, concave (a comb), collinear runs and a spiral strip, all counter-clockwise.
std::vector<std::vector<P2>> Shapes() {
    std::vector<P2> circle;
    for (int k = 0; k < 37; ++k) {
        const double t = 2 * std::numbers::pi * k / 37;
        circle.push_back({0.3 + 0.5 * std::cos(t), -0.2 + 0.25 * std::sin(t)});
    }

    // A comb: deep notches, many reflex corners.
    std::vector<P2> comb{{0, 0}, {7, 0}, {7, 3}};
    for (int k = 6; k >= 1; --k) {
        comb.push_back({double(k) + 0.5, 3});
        comb.push_back({double(k) + 0.25, 1});
        comb.push_back({double(k), 3});
    }
    comb.push_back({0, 3});

    // A rectangle with runs of collinear corners on every side.
    std::vector<P2> runs;
    for (int k = 0; k < 4; ++k) runs.push_back({0.25 * k, 0});
    for (int k = 0; k < 2; ++k) runs.push_back({1, 0.5 * k});
    for (int k = 4; k > 0; --k) runs.push_back({0.25 * k, 1});
    for (int k = 2; k > 0; --k) runs.push_back({0, 0.5 * k});

    // A spiral strip: out along an Archimedean spiral, back along a second one just inside it.
    std::vector<P2> spiral;
    const int steps = 60;
    for (int k = 0; k <= steps; ++k) {
        const double t = 4 * std::numbers::pi * k / steps;
        const double r = 1 + 0.5 * t;
        spiral.push_back({r * std::cos(t), r * std::sin(t)});
    }
    for (int k = steps; k >= 0; --k) {
        const double t = 4 * std::numbers::pi * k / steps;
        const double r = 1 + 0.5 * t - 0.8;
        spiral.push_back({r * std::cos(t), r * std::sin(t)});
    }
    return {circle, comb, runs, spiral};
}

TEST(Triangulator, CoversConvexConcaveCollinearAndSpiralPolygons) {
    for (const auto& shape : Shapes()) ExpectFullCover(shape);
}

// The diagonal test as first principles put it: both cones, then no edge that avoids both ends may
// touch the segment.
bool ReferenceDiagonal(const arrayOfVertex& v, int32_t a, int32_t b) {
    if (!IsInCone(v, a, b) || !IsInCone(v, b, a)) return false;
    for (int32_t c = 0; c < static_cast<int32_t>(v.size()); ++c) {
        const int32_t d = v[std::size_t(c)].next;
        if (c == a || c == b || d == a || d == b) continue;
        if (SegmentsIntersect(v[std::size_t(a)], v[std::size_t(b)], v[std::size_t(c)], v[std::size_t(d)])) {
            return false;
        }
    }
    return true;
}

TEST(Triangulator, DiagonalWalkAgreesWithThePredicates) {
    // Rings on a coarse lattice: full of collinear corners, touching edges and crossings.
    unsigned seed = 12345u;
    const auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<unsigned>(range));
    };
    int diagonals = 0;
    for (int ring = 0; ring < 200; ++ring) {
        std::vector<P2> pts;
        const int n = 4 + next(9);
        for (int k = 0; k < n; ++k) pts.push_back({double(next(5)), double(next(5))});
        const arrayOfVertex v = Ring(pts);
        for (int32_t a = 0; a < n; ++a) {
            for (int32_t b = 0; b < n; ++b) {
                if (a == b) continue;
                const bool expected = ReferenceDiagonal(v, a, b);
                ASSERT_EQ(IsDiagonal(v, a, b, 0), expected) << "ring " << ring << " a " << a << " b " << b;
                diagonals += expected;
            }
        }
    }
    EXPECT_GT(diagonals, 100);
}

// Ear clipping as first principles put it: every flag from the start, one walk per diagonal.
std::vector<int32_t> ReferenceTriangulation(arrayOfVertex v) {
    const int32_t n = static_cast<int32_t>(v.size());
    InitEars(v, n - 1);
    int32_t start = FindStartVertex(v, n - 1);
    std::vector<int32_t> out;
    for (int32_t pass = n - 4; pass >= 0; --pass) {
        int32_t e = start;
        while (!v[std::size_t(e)].ear) {
            e = v[std::size_t(e)].next;
            if (e == start) return out;  // no ear: the comparison below fails
        }
        const int32_t nx = v[std::size_t(e)].next, pv = v[std::size_t(e)].prev;
        const int32_t nn = v[std::size_t(nx)].next, pp = v[std::size_t(pv)].prev;
        out.insert(out.end(), {pv, e, nx});
        v[std::size_t(pv)].next = nx;
        v[std::size_t(nx)].prev = pv;
        start = pass % 2 == 0 ? nx : pv;
        v[std::size_t(pv)].ear = IsDiagonal(v, pp, nx, start);
        v[std::size_t(nx)].ear = IsDiagonal(v, pv, nn, start);
    }
    out.insert(out.end(), {v[std::size_t(start)].prev, start, v[std::size_t(start)].next});
    return out;
}

TEST(Triangulator, SameTrianglesAsPlainEarClipping) {
    // Star-shaped rings with radii on a coarse scale, so collinear and reflex corners abound.
    unsigned seed = 777u;
    for (int ring = 0; ring < 300; ++ring) {
        std::vector<P2> pts;
        const int n = 3 + int((seed = seed * 1103515245u + 12345u) >> 16) % 40;
        for (int k = 0; k < n; ++k) {
            const double r = 1 + int((seed = seed * 1103515245u + 12345u) >> 16) % 12;
            const double t = 2 * std::numbers::pi * k / n;
            pts.push_back({std::round(8 * r * std::cos(t)) / 8, std::round(8 * r * std::sin(t)) / 8});
        }
        const Result r = Triangulate(pts);
        std::vector<int32_t> got;
        for (int32_t k = 0; k < r.count; ++k) {
            got.insert(got.end(), {r.I1[std::size_t(k)], r.I2[std::size_t(k)], r.I3[std::size_t(k)]});
        }
        ASSERT_EQ(got, ReferenceTriangulation(Ring(pts))) << "ring " << ring;
    }
    for (const auto& shape : Shapes()) {
        const Result r = Triangulate(shape);
        std::vector<int32_t> got;
        for (int32_t k = 0; k < r.count; ++k) {
            got.insert(got.end(), {r.I1[std::size_t(k)], r.I2[std::size_t(k)], r.I3[std::size_t(k)]});
        }
        EXPECT_EQ(got, ReferenceTriangulation(Ring(shape)));
    }
}

TEST(Triangulator, OutlineWithoutEarsIsStillClosed) {
    // A clockwise ring and a bow tie have no ear in the usual sense; the cap must still use every edge
    // of the outline exactly once and every diagonal once each way, or the solid it closes has a hole.
    for (const std::vector<P2>& pts : {std::vector<P2>{{0, 0}, {0, 1}, {1, 1}, {1.5, 0.5}, {1, 0}},
                                       std::vector<P2>{{0, 0}, {2, 2}, {2, 0}, {0, 2}, {-1, 1}, {-1, 0.5}}}) {
        const Result r = Triangulate(pts);
        const int32_t n = static_cast<int32_t>(pts.size());
        ASSERT_EQ(r.count, n - 2);
        std::map<std::pair<int32_t, int32_t>, int> edges;
        for (int32_t k = 0; k < r.count; ++k) {
            const int32_t t[3] = {r.I1[std::size_t(k)], r.I2[std::size_t(k)], r.I3[std::size_t(k)]};
            for (int e = 0; e < 3; ++e) ++edges[{t[e], t[(e + 1) % 3]}];
        }
        for (int32_t k = 0; k < n; ++k) ++edges[{(k + 1) % n, k}];  // the outline, run backwards
        for (const auto& [e, count] : edges) {
            EXPECT_EQ(count, 1);
            EXPECT_EQ(edges.count({e.second, e.first}), 1u);
        }
    }
}

}  // namespace
}  // namespace korvel
