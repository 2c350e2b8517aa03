// mesh_solids_test.cpp — whole 3D builds against closed-form solids, closure over the build options, the cut planes.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <tuple>

#include "engine/mesh.h"
#include "mesh_checks.h"

namespace korvel {
namespace {

constexpr double pi = std::numbers::pi;

using testing::Build;
using testing::RoundInputs;

// Closed and outward: exact edge pairing, a positive volume and the three divergence volumes agreeing.
void ExpectClosed(const ModelState& m, double tolerance) {
    EXPECT_TRUE(testing::Closed(m));
    EXPECT_GT(m.Volume, 0.0);
    for (double v : testing::Volumes(m)) EXPECT_NEAR(v, m.Volume, tolerance * m.Volume);
}

TEST(MeshSolids, SphereAreaAndVolumeConverge) {
    double areaError = 1.0, volumeError = 1.0;
    for (int32_t n : {20, 40, 80}) {
        const ModelState m = Build(RoundInputs(false, n));
        ExpectClosed(m, 1e-6);
        const double a = std::fabs(m.SurfaceArea - pi) / pi, v = std::fabs(m.Volume - pi / 6) / (pi / 6);
        EXPECT_TRUE(n != 40 || (a < 0.005 && v < 0.01)) << a << " " << v;
        EXPECT_TRUE(a < areaError && v < volumeError) << n;
        std::tie(areaError, volumeError) = std::tuple(a, v);
        EXPECT_NEAR(m.Centroid.x, 0.5, 1e-3);
    }
}

// Hemispheres, spherical caps from each plane keeping either side, an octant, a mirrored half, a cylinder
// with flat and half-circle tips, two frusta, and a sphere at a requested size.
TEST(MeshSolids, ClosedFormVolumes) {
    struct Case {
        std::string name;
        std::function<void(BuildInputs&)> change;
        double volume, tolerance;
        bool wing = false;
        Vec3d size{-1, -1, -1};
    };
    std::vector<Case> cases;
    for (int32_t c = 1; c <= 4; ++c)
        cases.push_back({"hemisphere " + std::to_string(c), [c](BuildInputs& in) { in.ActCut = true, in.c = c; }, pi / 12, 0.01});
    const double fraction[3] = {0.2, 0.7, 0.35};
    for (int axis = 0; axis < 3; ++axis)
        for (int32_t type : {1, 2}) {
            const double f = fraction[axis], low = pi * f * f * (1.5 - f) / 3;
            cases.push_back({"cap " + std::to_string(axis) + " type " + std::to_string(type), [=](BuildInputs& in) {
                                 in.nX = in.mYZ = 80;
                                 in.ActCutSec = true;
                                 (axis == 0 ? in.csX : axis == 1 ? in.csY : in.csZ) = f;
                                 in.tX = in.tY = in.tZ = type;
                             }, type == 1 ? low : pi / 6 - low, 0.015});
        }
    cases.push_back({"octant", [](BuildInputs& in) { in.nX = in.mYZ = 80, in.ActCutSec = true, in.csX = in.csY = in.csZ = 0.5, in.tY = 2; }, pi / 48, 0.015});
    cases.push_back({"mirrored half", [](BuildInputs& in) { in.ActCut = in.ActMirror = true, in.c = 1; }, pi / 6, 0.01});
    const double span = 3.0, R = 0.5, r = 0.5 * 0.4;
    cases.push_back({"cylinder", [=](BuildInputs& in) { in.fY = span; }, pi * span / 4, 0.01, true});
    cases.push_back({"capsule", [=](BuildInputs& in) { in.fY = span, in.wt = 1.0; }, pi * span / 4 + pi / 6, 0.015, true});
    cases.push_back({"frusta", [=](BuildInputs& in) { in.fY = span, in.ss = 0.4; }, 2 * pi * (span / 2) / 3 * (R * R + R * r + r * r), 0.01, true});
    cases.push_back({"sized sphere", [](BuildInputs&) {}, pi / 6 * 2.0 * 0.5, 0.01, false, {2.0, -1.0, 0.5}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildInputs in = RoundInputs(c.wing);
        c.change(in);
        const ModelState m = Build(in, c.size);
        ExpectClosed(m, 1e-6);
        EXPECT_NEAR(m.Volume, c.volume, c.tolerance * c.volume);
        EXPECT_TRUE(c.name != "mirrored half" || std::fabs(m.NaturalSize.y - 1.0) < 1e-3);
        EXPECT_TRUE(c.size.x < 0 || (m.ScaleFactor.y == 1.0 && std::fabs(m.ScaleFactor.x * m.NaturalSize.x - 2.0) < 1e-12 &&
                                     std::fabs(m.Centroid.x - 1.0) < 1e-3));
    }
}

TEST(MeshSolids, SweptWingCutThroughBothHalves) {
    // Swept far enough back that a plane across the span, behind the root, meets each half separately:
    // two outlines, each with its own cap. Kept and discarded parts add up to the whole wing.
    BuildInputs in = RoundInputs(true);
    std::tie(in.fY, in.foldX) = std::tuple(4.0, 10.0);
    const double whole = Build(in).Volume;
    std::tie(in.ActCutSec, in.csX) = std::tuple(true, 0.5);
    double sum = 0.0;
    for (int32_t type : {1, 2}) {
        in.tX = type;
        const ModelState m = Build(in);
        ExpectClosed(m, 1e-6 * whole / m.Volume);
        sum += m.Volume;
    }
    EXPECT_NEAR(sum, whole, 1e-4 * whole);
}

// Every closed configuration stays closed and outward: body cut modes 0-4 and wing 0-2, modifier sets
// off and on in either direction, no cut, each single section cut and all three from either side, mirror.
// Then the set-1 bend and the strong cambers that once left solids facing inward.
TEST(MeshSolids, ClosedAndOutwardOverTheOptions) {
    const double cuts[6][3] = {{1, 1, 1}, {0.4, 1, 1}, {1, 0.6, 1}, {1, 1, 0.3}, {0.4, 0.6, 0.7}, {1, 1, 1}};
    std::vector<BuildInputs> cases;
    for (int32_t shape = 0; shape < 8; ++shape)
        for (int32_t sets = 0; sets < 3; ++sets)
            for (int cut = 0; cut < 6; ++cut)
                for (int32_t type = 1; type <= (cut >= 1 && cut <= 4 ? 2 : 1); ++type) {  // no plane, no side
                    const bool wing = shape >= 5;
                    BuildInputs in{.nX = 24, .mYZ = 24, .tX = type, .csX = cuts[cut][0], .csY = cuts[cut][1], .csZ = cuts[cut][2], .tY = type,
                                   .tZ = type, .c = wing ? shape - 5 : shape, .ActCutSec = cut >= 1 && cut <= 4, .ActCut = shape != 0 && shape != 5,
                                   .ActMirror = cut == 5, .ActWing = wing, .fY = wing ? 3.0 : 1.0};
                    if (sets > 0) std::tie(in.vs3, in.tx3, in.tz3, in.kt3, in.tx2, in.tz2) = std::tuple(sets - 1, 1.0, 0.3, 20.0, 0.5, 0.2);
                    cases.push_back(in);
                }
    ASSERT_EQ(cases.size(), 8u * 3 * (4 * 2 + 2));
    for (const bool wing : {false, true})  // the body that left all its triangles facing inward
        cases.push_back({.tx3 = 0.5, .vs3 = 1, .ActWing = wing, .tz3 = 0.5, .kc3 = 1.0, .kt3 = 0.0, .nm3 = 0.5});
    for (const double y0 : {0.3, 0.4446}) cases.push_back({.y0 = y0, .ActWing = true, .rc2 = y0 > 0.4 ? 0.7899 : 0.7, .fY = 2.0});
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const ModelState m = Build(cases[k]);
        SCOPED_TRACE(::testing::Message() << "case " << k);
        if (m.TriangleLast < 0 && cases[k].csX == 0.4 && cases[k].csY == 0.6) continue;  // three high-side cuts of a bent model
        ASSERT_GE(m.TriangleLast, 3);  // a closed solid has at least four faces
        ExpectClosed(m, 1e-5);
    }
}

TEST(MeshBuild, CutPlanesSpanTheModelWithAMarginAndNoGridBuildsNothing) {
    BuildInputs in = RoundInputs(false, 16);
    std::tie(in.ActCutSec, in.csX, in.tX) = std::tuple(true, 0.25, 2);  // the high side kept and moved to the origin: the plane at x = 0
    const ModelState m = Build(in);
    ASSERT_TRUE(m.CutPlaneOn[0] && !m.CutPlaneOn[1] && !m.CutPlaneOn[2]);
    EXPECT_EQ(m.CutPlaneX[0][3][3], 0.0);
    EXPECT_NEAR(m.CutPlaneZ[0][0][0], -0.1 * m.GridSize.z, 1e-12);
    EXPECT_NEAR(m.CutPlaneY[0][0][3], 1.1 * m.GridSize.y, 1e-12);
    EXPECT_EQ(m.CutPlaneY[1][2][2], 0.0);  // plane absent: cleared
    ModelState empty;  // no grid: no triangles and no measures
    empty.Centroid = {1, 2, 3};
    BuildMesh(empty, -1, 1, 1, 1, true, true, true, 0.5, 0.5, 0.5);
    EXPECT_TRUE(empty.TriangleLast == -1 && empty.Centroid.y == 2.0);
}

}  // namespace
}  // namespace korvel
