// tangents_test.cpp — end tangents checked against surfaces whose directions are known in closed form.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "engine/tangents.h"
#include "mesh_checks.h"

namespace korvel {
namespace {

using testing::Build;
constexpr double kFree = 2.0;

size_t U(int32_t i) { return static_cast<size_t>(i); }
Vec3d E(const ModelState& m, int r, int32_t j) {
    return {m.EdgeTangentX[U(r)][U(j)], m.EdgeTangentY[U(r)][U(j)], m.EdgeTangentZ[U(r)][U(j)]};
}
Vec3d K(const ModelState& m, int r, int32_t i) {
    return {m.CurveTangentX[U(r)][U(i)], m.CurveTangentY[U(r)][U(i)], m.CurveTangentZ[U(r)][U(i)]};
}
Vec3d G(const ModelState& m, int32_t i, int32_t j) { return {m.GridX[U(i)][U(j)], m.GridY[U(i)][U(j)], m.GridZ[U(i)][U(j)]}; }
bool IsFree(const Vec3d& v) { return v.x == kFree && v.y == kFree && v.z == kFree; }
bool AllCrossFree(const ModelState& m, int fromRow = 0) {
    for (int r = fromRow; r < 12; ++r)
        for (int32_t i = 0; i <= m.GridM + 1; ++i)
            if (!IsFree(K(m, r, i))) return false;
    return true;
}

void ExpectNear(const Vec3d& got, const Vec3d& want, double tol, const std::string& what) {
    EXPECT_NEAR(got.x, want.x, tol) << what;
    EXPECT_NEAR(got.y, want.y, tol) << what;
    EXPECT_NEAR(got.z, want.z, tol) << what;
}

// The sphere of diameter 1 and the cylinder of diameter 1 along Y, four different factors telling the
// ends apart.
BuildInputs Round(bool wing) {
    BuildInputs in = testing::RoundInputs(wing, 24);
    std::tie(in.fY, in.x0) = std::tuple(wing ? 3.0 : 1.0, 0.25);
    std::tie(in.UpperLeadingEdge, in.UpperRoundedTrailingEdge, in.LowerLeadingEdge, in.LowerRoundedTrailingEdge) = std::tuple(0.7, 0.6, 0.3, 0.2);
    return in;
}

// A sphere's pole seen from the neighbouring ring at polar angle a: the model stretched by sx along the
// axis is an ellipsoid, whose pole chord has the part sin a / |(sx (1 - cos a), sin a)| across the axis
// (cos(a/2) on the sphere), scaled by the end's factor, pointing at the axis at the last pole and away
// from it at the first.
TEST(SurfaceTangents, SpherePolesSeamsAndFreeEntries) {
    for (double sx : {1.0, 3.0}) {
        const ModelState m = Build(Round(false), {sx, -1, -1});  // natural length 1: stretched by sx
        ASSERT_GT(m.PatchLast[1], 0);
        for (bool last : {true, false}) {
            const double f = last ? 0.7 : 0.6;
            const int32_t ring = last ? m.GridM : 2;
            const Vec3d pole = G(m, last ? m.GridM + 1 : 1, 1), other = G(m, last ? 1 : m.GridM + 1, 1);
            const Vec3d c{(pole.x + other.x) / 2, (pole.y + other.y) / 2, (pole.z + other.z) / 2};
            for (int32_t j = m.PatchFirst[0]; j <= m.PatchLast[1]; ++j) {
                const Vec3d p = G(m, ring, j);
                const double across = std::hypot(p.y - c.y, p.z - c.z);
                const double a = std::atan2(across, (p.x - c.x) * (pole.x > c.x ? 1.0 : -1.0));
                const double len = (last ? -f : f) * std::sin(a) / std::hypot(sx * (1 - std::cos(a)), std::sin(a));
                EXPECT_EQ(E(m, last ? 1 : 0, j).x, 0.0);
                ExpectNear(E(m, last ? 1 : 0, j), {0, len * (p.y - c.y) / across, len * (p.z - c.z) / across}, 1e-9,
                           "pole");
            }
        }
    }
    BuildInputs in = Round(false);
    const ModelState m = Build(in);
    for (int32_t i = 2; i <= m.GridM; ++i) {
        // Central differences across the seam and the joint: the ring's own tangent, shared by both sides.
        for (int r : {0, 1}) {
            const Vec3d k = K(m, r, i), twin = K(m, 3 - r, i);
            EXPECT_TRUE(k.x == twin.x && k.y == twin.y && k.z == twin.z);
            EXPECT_NEAR(std::fabs(k.z), 1.0, 1e-12);
        }
    }
    for (int r = 0; r < 4; ++r) EXPECT_TRUE(IsFree(K(m, r, 1)) && IsFree(K(m, r, m.GridM + 1))) << r;  // poles
    EXPECT_TRUE(AllCrossFree(m, 4));
    EXPECT_TRUE(IsFree(E(m, 0, 0)) && IsFree(E(m, 1, 0)));
    // A sharp trailing edge silences the trailing-edge factors in 3D.
    in.Tea = 179.99;
    const ModelState sharp = Build(in);
    for (int32_t j = 0; j <= sharp.GridN + 1; ++j) EXPECT_TRUE(IsFree(E(sharp, 0, j))) << j;
}

TEST(SurfaceTangents, HalfBodiesMeetTheirFlatFaceSquarely) {
    for (int32_t mode = 1; mode <= 4; ++mode) {
        BuildInputs in = Round(false);
        std::tie(in.ActCut, in.c) = std::tuple(true, mode);
        const ModelState m = Build(in);
        for (int32_t i = 2; i <= m.GridM; ++i) {
            for (int r = 0; r < 2; ++r) {
                const Vec3d k = K(m, r, i);
                EXPECT_TRUE(k.x == kFree && (mode <= 2 ? k.z : k.y) == 0.0 && (mode <= 2 ? k.y : k.z) == kFree);
            }
        }
        EXPECT_TRUE(AllCrossFree(m, 2)) << mode;
        in.tx3 = 0.1;  // the first modifier set bends the half: nothing imposed across
        EXPECT_TRUE(AllCrossFree(Build(in))) << mode;
    }
}

// At a circular leading edge the upper surface arrives heading straight down and the lower one up; at a
// rounded trailing edge they leave up and down; each scaled by its own factor. Flat tips: nothing across.
TEST(SurfaceTangents, CylinderEdges) {
    const ModelState m = Build(Round(true));
    ASSERT_GT(m.PatchLast[5], 0);
    const int32_t nS = m.PatchFirst[2], cL = m.PatchFirst[5];
    ASSERT_GT(G(m, 2, 1).z, G(m, 2, cL).z) << "column 1 runs along the upper surface";
    for (int32_t k = 1; k <= nS; ++k) {
        ExpectNear(E(m, 1, k), {0, 0, -0.7}, 1e-9, "upper, leading edge");
        ExpectNear(E(m, 1, cL + 1 - k), {0, 0, 0.3}, 1e-9, "lower, leading edge");
        ExpectNear(E(m, 0, k), {0, 0, 0.6}, 1e-9, "upper, trailing edge");
        ExpectNear(E(m, 0, cL + 1 - k), {0, 0, -0.2}, 1e-9, "lower, trailing edge");
    }
    EXPECT_TRUE(AllCrossFree(m));
}

// A rhombus of half height t made in the test (sharp edges, straight sides), points from the trailing
// edge along the lower surface to the leading edge and back.
void SetRhombus(ModelState& m, double t) {
    m.SetSectionCount(40);
    AllocateGrid(m, false, true);
    m.SectionLE = 21;
    for (int32_t k = 1; k <= 41; ++k) {
        const double s = (k - 1) / 20.0;
        m.SectionX[U(k)] = std::fabs(1 - s);
        m.SectionY[U(k)] = (s <= 1 ? -t : t) * (1 - std::fabs(2 * std::fabs(1 - s) - 1));
    }
}

void ExpectSection(const ModelState& m, const double (&x)[4], const double (&y)[4]) {
    for (size_t e = 0; e < 4; ++e) {
        EXPECT_NEAR(m.SectionTangents.X[e], x[e], 1e-14) << e;
        EXPECT_NEAR(m.SectionTangents.Y[e], y[e], 1e-14) << e;
        EXPECT_EQ(m.SectionTangents.Z[e], 0.0) << e;
    }
}

TEST(SectionTangents, RoundEdgesScaledSharpEdgesOneSided) {
    ModelState m;
    const double t = 0.2, a = 0.5 / std::hypot(0.5, t), b = t / std::hypot(0.5, t);
    SetRhombus(m, t);
    ComputeSectionTangents(m, 0, 20.0, 0.65, 0.9, 0.5, 0.8);
    ExpectSection(m, {0, -a, 0, -a}, {-0.65, b, 0.5, -b});
    // Flipped front to back the sharp edge lies at the leading-edge index: the roles change places.
    ComputeSectionTangents(m, 1, 20.0, 0.65, 0.9, 0.5, 0.8);
    ExpectSection(m, {-a, 0, -a, 0}, {-b, 0.9, b, -0.8});

    // The pipeline's 2D circle: factors passed as given, whatever the trailing-edge angle does in 3D.
    BuildInputs in = Round(false);
    std::tie(in.Act3D, in.CanvasWidth, in.CanvasHeight) = std::tuple(false, 200, 200);
    ExpectSection(Build(in), {0, 0, 0, 0}, {-0.7, 0.6, 0.3, -0.2});
}

}  // namespace
}  // namespace korvel
