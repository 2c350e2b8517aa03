// mesh_solids_test.cpp — whole 3D builds against closed-form solids, and closure over the build options.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>
#include <vector>

#include "mesh_checks.h"

namespace korvel {
namespace {

constexpr double pi = std::numbers::pi;

using testing::Build;
using testing::RoundInputs;

// Closed and outward: exact edge pairing, a positive volume and the three divergence volumes agreeing.
void ExpectClosed(const ModelState& m, double tolerance) {
    EXPECT_EQ(testing::UnpairedEdges(m), 0);
    EXPECT_GT(m.Volume, 0.0);
    for (double v : testing::Volumes(m)) EXPECT_NEAR(v, m.Volume, tolerance * m.Volume);
}

void ExpectSolid(const ModelState& m, double volume, double tolerance) {
    ExpectClosed(m, 1e-6);
    EXPECT_NEAR(m.Volume, volume, tolerance * volume);
}

TEST(MeshSolids, SphereAreaAndVolumeConverge) {
    double areaError = 1.0, volumeError = 1.0;
    for (int32_t n : {20, 40, 80}) {
        const ModelState m = Build(RoundInputs(false, n));
        ExpectClosed(m, 1e-6);
        const double a = std::fabs(m.SurfaceArea - pi) / pi, v = std::fabs(m.Volume - pi / 6) / (pi / 6);
        EXPECT_TRUE(n != 40 || (a < 0.005 && v < 0.01)) << a << " " << v;
        EXPECT_TRUE(a < areaError && v < volumeError) << n;
        areaError = a;
        volumeError = v;
        EXPECT_NEAR(m.Centroid.x, 0.5, 1e-3);
    }
}

TEST(MeshSolids, HemispheresCapsAndMirroredHalf) {
    for (int32_t c = 1; c <= 4; ++c) {
        BuildInputs in = RoundInputs(false);
        in.ActCut = true;
        in.c = c;
        SCOPED_TRACE(c);
        ExpectSolid(Build(in), pi / 12, 0.01);
    }
    // A spherical cap from each plane, keeping either side.
    const double fraction[3] = {0.2, 0.7, 0.35};
    for (int axis = 0; axis < 3; ++axis) {
        for (int32_t type : {1, 2}) {
            BuildInputs in = RoundInputs(false, 80);
            const double f = fraction[axis], low = pi * f * f * (1.5 - f) / 3;
            in.ActCutSec = true;
            (axis == 0 ? in.csX : axis == 1 ? in.csY : in.csZ) = f;
            in.tX = in.tY = in.tZ = type;
            SCOPED_TRACE(::testing::Message() << "axis " << axis << " type " << type);
            ExpectSolid(Build(in), type == 1 ? low : pi / 6 - low, 0.015);
        }
    }
    BuildInputs octant = RoundInputs(false, 80);
    octant.ActCutSec = true;
    octant.csX = octant.csY = octant.csZ = 0.5;
    octant.tY = 2;
    ExpectSolid(Build(octant), pi / 48, 0.015);

    BuildInputs half = RoundInputs(false);
    half.ActCut = true;
    half.c = 1;
    half.ActMirror = true;
    const ModelState m = Build(half);
    ExpectSolid(m, pi / 6, 0.01);
    EXPECT_NEAR(m.NaturalSize.y, 1.0, 1e-3);
}

TEST(MeshSolids, CylinderCapsuleAndFrustum) {
    BuildInputs in = RoundInputs(true);
    const double span = 3.0, R = 0.5, r = 0.5 * 0.4;
    in.fY = span;
    ExpectSolid(Build(in), pi * span / 4, 0.01);
    in.wt = 1.0;  // half-circle tips: a sphere's worth added
    ExpectSolid(Build(in), pi * span / 4 + pi / 6, 0.015);
    in.wt = 0.0;
    in.ss = 0.4;  // two frusta from radius R at the root to r at the tips
    ExpectSolid(Build(in), 2 * pi * (span / 2) / 3 * (R * R + R * r + r * r), 0.01);
}

TEST(MeshSolids, SweptWingCutThroughBothHalves) {
    // Swept far enough back that a plane across the span, behind the root, meets each half separately:
    // two outlines, each with its own cap. Kept and discarded parts add up to the whole wing.
    BuildInputs in = RoundInputs(true);
    in.fY = 4.0;
    in.foldX = 10.0;
    const double whole = Build(in).Volume;
    in.ActCutSec = true;
    in.csX = 0.5;
    double sum = 0.0;
    for (int32_t type : {1, 2}) {
        in.tX = type;
        const ModelState m = Build(in);
        ExpectClosed(m, 1e-6 * whole / m.Volume);
        sum += m.Volume;
    }
    EXPECT_NEAR(sum, whole, 1e-4 * whole);
}

TEST(MeshSolids, RequestedSizeScalesTheVolume) {
    const ModelState natural = Build(RoundInputs(false));
    const ModelState m = Build(RoundInputs(false), {2.0, -1.0, 0.5});
    const double fx = 2.0 / natural.NaturalSize.x, fz = 0.5 / natural.NaturalSize.z;
    EXPECT_NEAR(m.ScaleFactor.x, fx, 1e-12);
    EXPECT_EQ(m.ScaleFactor.y, 1.0);
    EXPECT_NEAR(m.ScaleFactor.z, fz, 1e-12);
    EXPECT_NEAR(m.Volume, natural.Volume * fx * fz, 1e-6 * natural.Volume);
    EXPECT_NEAR(m.Centroid.x, 1.0, 1e-3);
}

// Every closed configuration stays closed and outward: body cut modes 0-4 and wing 0-2, modifier sets
// off and on in either direction, no cut, each single section cut and all three from either side, mirror.
TEST(MeshSolids, ClosedAndOutwardOverTheOptions) {
    const double cuts[6][3] = {{1, 1, 1}, {0.4, 1, 1}, {1, 0.6, 1}, {1, 1, 0.3}, {0.4, 0.6, 0.7}, {1, 1, 1}};
    int built = 0;
    for (int32_t shape = 0; shape < 8; ++shape) {
        for (int32_t sets = 0; sets < 3; ++sets) {
            for (int cut = 0; cut < 6; ++cut) {
                BuildInputs in;
                in.nX = in.mYZ = 24;
                in.ActWing = shape >= 5;
                in.c = in.ActWing ? shape - 5 : shape;
                in.ActCut = in.c > 0;
                in.fY = in.ActWing ? 3.0 : 1.0;
                if (sets > 0) {
                    in.vs3 = sets - 1;
                    in.tx3 = 1.0;
                    in.tz3 = 0.3;
                    in.kt3 = 20.0;
                    in.tx2 = 0.5;
                    in.tz2 = 0.2;
                }
                in.csX = cuts[cut][0];
                in.csY = cuts[cut][1];
                in.csZ = cuts[cut][2];
                in.ActCutSec = cut >= 1 && cut <= 4;
                in.ActMirror = cut == 5;
                for (int32_t type = 1; type <= (in.ActCutSec ? 2 : 1); ++type) {  // no plane, no side
                    in.tX = in.tY = in.tZ = type;
                    const ModelState m = Build(in);
                    SCOPED_TRACE(::testing::Message() << "shape " << shape << " sets " << sets << " cut " << cut
                                                      << " type " << type);
                    ++built;
                    if (m.TriangleLast < 0 && cut == 4) continue;  // three high-side cuts of a bent model
                    ASSERT_GE(m.TriangleLast, 3);                  // a closed solid has at least four faces
                    ExpectClosed(m, 1e-5);
                }
            }
        }
    }
    EXPECT_EQ(built, 8 * 3 * (4 * 2 + 2));
}

// Set-1 bends and strong camber can turn a grid inside out, either way round; the finished solid still
// faces outward: a sweep over moderate set-1 values, body and wing, either direction, and cambered wings.
TEST(MeshSolids, BentAndCamberedSolidsFaceOutward) {
    std::vector<BuildInputs> cases;
    for (int bits = 0; bits < 128; ++bits) {
        BuildInputs in;
        in.nX = in.mYZ = 8;
        in.ActWing = bits & 1;
        in.vs3 = (bits >> 1) & 1;
        in.tx3 = bits & 4 ? 2.0 : 0.05;
        in.tz3 = bits & 8 ? 0.5 : 0.004;
        in.kt3 = bits & 16 ? 180.0 : 0.0;
        in.kc3 = bits & 32 ? 2.0 : 0.1;
        in.nm3 = bits & 64 ? 2.0 : 0.2;
        cases.push_back(in);
    }
    for (const double y0 : {0.3, 0.4446}) {
        BuildInputs in;
        std::tie(in.ActWing, in.y0, in.rc2, in.fY) = std::tuple(true, y0, y0 > 0.4 ? 0.7899 : 0.7, 2.0);
        cases.push_back(in);
    }
    BuildInputs bent;  // the body that left all its triangles facing inward
    std::tie(bent.tx3, bent.tz3, bent.kt3, bent.kc3, bent.nm3, bent.vs3) = std::tuple(0.5, 0.5, 0.0, 1.0, 0.5, 1);
    cases.push_back(bent);
    int closed = 0;
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const ModelState m = Build(cases[k]);
        if (testing::UnpairedEdges(m) != 0) continue;  // folded through itself: no inside to face
        ++closed;
        EXPECT_GT(m.Volume, 0.0) << "case " << k;
    }
    EXPECT_GT(closed, 120);
}

}  // namespace
}  // namespace korvel
