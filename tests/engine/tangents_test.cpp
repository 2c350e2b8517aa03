// tangents_test.cpp — end tangents checked against surfaces whose directions are known in closed form.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <string>

#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/canvas.h"
#include "engine/model.h"
#include "engine/tangents.h"

namespace korvel {
namespace {

constexpr double kFree = 2.0;

std::size_t U(int32_t i) { return static_cast<std::size_t>(i); }

Vec3d E(const ModelState& m, int r, int32_t j) {
    return {m.EdgeTangentX[U(r)][U(j)], m.EdgeTangentY[U(r)][U(j)], m.EdgeTangentZ[U(r)][U(j)]};
}
Vec3d K(const ModelState& m, int r, int32_t i) {
    return {m.CurveTangentX[U(r)][U(i)], m.CurveTangentY[U(r)][U(i)], m.CurveTangentZ[U(r)][U(i)]};
}
Vec3d G(const ModelState& m, int32_t i, int32_t j) {
    return {m.GridX[U(i)][U(j)], m.GridY[U(i)][U(j)], m.GridZ[U(i)][U(j)]};
}
bool IsFree(const Vec3d& v) { return v.x == kFree && v.y == kFree && v.z == kFree; }

void ExpectNear(const Vec3d& got, const Vec3d& want, double tol, const std::string& what) {
    EXPECT_NEAR(got.x, want.x, tol) << what;
    EXPECT_NEAR(got.y, want.y, tol) << what;
    EXPECT_NEAR(got.z, want.z, tol) << what;
}

// Round ends and a circular section: the body is the sphere of diameter 1, the wing a cylinder of
// diameter 1 along Y, each built by the whole pipeline. Four different factors tell the ends apart.
BuildInputs Round(bool wing) {
    BuildInputs in;
    in.ActWing = wing;
    in.Tea = in.Lea = 180.0;
    in.rb = in.rc1 = in.rc2 = 1.0;
    in.fY = wing ? 3.0 : 1.0;
    in.x0 = 0.25;
    in.nX = in.mYZ = 24;
    in.UpperLeadingEdge = 0.7;
    in.UpperRoundedTrailingEdge = 0.6;
    in.LowerLeadingEdge = 0.3;
    in.LowerRoundedTrailingEdge = 0.2;
    return in;
}

ModelState Build(const BuildInputs& in, double lengthX = -1.0) {
    ModelState m;
    ResetDimensions(m);
    m.LengthX = lengthX;
    NullCanvas canvas;
    std::string info;
    BuildModel(m, in, canvas, info);
    return m;
}

TEST(TangentDirection, UnitVectorWithImposedComponents) {
    const Vec3d a{4, 5, 7}, b{1, 1, -5};  // a - b = (3, 4, 12), length 13
    ExpectNear(TangentDirection(kFree, kFree, kFree, a, b), {3.0 / 13, 4.0 / 13, 12.0 / 13}, 1e-15, "free");
    Vec3d t = TangentDirection(0.0, kFree, kFree, a, b);  // imposed x, the rest not renormalised
    EXPECT_TRUE(t.x == 0.0 && std::fabs(t.y - 4.0 / 13) < 1e-15 && std::fabs(t.z - 12.0 / 13) < 1e-15);
    t = TangentDirection(0.3, -0.4, 5.0, a, b);  // a full triple stands as given, length and all
    EXPECT_TRUE(t.x == 0.3 && t.y == -0.4 && t.z == 5.0);
    t = TangentDirection(0.3, 0.4, 0.5, a, a);  // coincident points: zero whatever is imposed
    EXPECT_TRUE(t.x == 0 && t.y == 0 && t.z == 0);
    t = TangentDirection(0.3, 0.4, kFree, {1, 2, 3}, {1, 2, 1});  // no horizontal part: x = y = 0
    EXPECT_TRUE(t.x == 0 && t.y == 0 && t.z == 1);
    t = TangentDirection(kFree, kFree, kFree, {1, 0, 1e-17}, {0, 0, 0});  // dust below 1e-15 cleared
    EXPECT_TRUE(t.x == 1 && t.y == 0 && t.z == 0);
}

// A sphere's pole seen from the neighbouring ring at polar angle a: the fitted model stretched by sx
// along the axis is an ellipsoid, whose pole chord has the part sin a / |(sx (1 - cos a), sin a)| across
// the axis (cos(a/2) on the sphere), pointing at the axis at the last pole and away from it at the first.
void ExpectPoleTangents(const ModelState& m, bool last, double f, double sx) {
    const int32_t row = last ? m.GridM + 1 : 1, ring = last ? m.GridM : 2;
    const Vec3d pole = G(m, row, 1), other = G(m, last ? 1 : m.GridM + 1, 1);
    const Vec3d c{(pole.x + other.x) / 2, (pole.y + other.y) / 2, (pole.z + other.z) / 2};  // poles are exact
    for (int32_t j = m.PatchFirst[0]; j <= m.PatchLast[1]; ++j) {
        const Vec3d p = G(m, ring, j);
        const double across = std::hypot(p.y - c.y, p.z - c.z);
        const double a = std::atan2(across, (p.x - c.x) * (pole.x > c.x ? 1.0 : -1.0));  // polar angle
        const double len = (last ? -f : f) * std::sin(a) / std::hypot(sx * (1 - std::cos(a)), std::sin(a));
        const Vec3d got = E(m, last ? 1 : 0, j);
        EXPECT_EQ(got.x, 0.0);
        ExpectNear(got, {0, len * (p.y - c.y) / across, len * (p.z - c.z) / across}, 1e-9, "pole");
    }
}

TEST(SurfaceTangents, SpherePolesSeamsAndFreeEntries) {
    BuildInputs in = Round(false);
    for (double sx : {1.0, 3.0}) {
        ModelState m = Build(in, sx);  // natural length 1: a requested length stretches by sx
        ASSERT_GT(m.PatchLast[1], 0);
        ExpectPoleTangents(m, true, in.UpperLeadingEdge, sx);
        ExpectPoleTangents(m, false, in.UpperRoundedTrailingEdge, sx);
    }
    ModelState m = Build(in);
    const int32_t M = m.GridM;
    for (int32_t i = 2; i <= M; ++i) {
        // Central differences across the seam and the joint: the ring's own tangent, shared by both sides.
        for (int r : {0, 1}) {
            const Vec3d k = K(m, r, i), twin = K(m, 3 - r, i);
            EXPECT_TRUE(k.x == twin.x && k.y == twin.y && k.z == twin.z);
            EXPECT_NEAR(std::fabs(k.z), 1.0, 1e-12);
        }
    }
    for (int r = 0; r < 12; ++r) {
        EXPECT_TRUE(IsFree(K(m, r, 1)) && IsFree(K(m, r, M + 1))) << r;  // the poles have no cross direction
        for (int32_t i = 0; i <= M + 1 && r >= 4; ++i) EXPECT_TRUE(IsFree(K(m, r, i))) << r;
    }
    EXPECT_TRUE(IsFree(E(m, 0, 0)) && IsFree(E(m, 1, 0)));

    in.Tea = 179.99;  // a sharp trailing edge silences the trailing-edge factors in 3D
    m = Build(in);
    for (int32_t j = 0; j <= m.GridN + 1; ++j) EXPECT_TRUE(IsFree(E(m, 0, j))) << j;
}

TEST(SurfaceTangents, HalfBodiesMeetTheirFlatFaceSquarely) {
    for (int32_t c = 1; c <= 4; ++c) {
        BuildInputs in = Round(false);
        in.ActCut = true;
        in.c = c;
        ModelState m = Build(in);
        for (int32_t i = 2; i <= m.GridM; ++i) {
            for (int r = 0; r < 2; ++r) {
                const Vec3d k = K(m, r, i);
                EXPECT_TRUE(k.x == kFree && (c <= 2 ? k.z : k.y) == 0.0 && (c <= 2 ? k.y : k.z) == kFree) << c;
            }
            for (int r = 2; r < 12; ++r) EXPECT_TRUE(IsFree(K(m, r, i)));
        }
        in.tx3 = 0.1;  // the first modifier set bends the half: nothing imposed across
        m = Build(in);
        for (int r = 0; r < 12; ++r)
            for (int32_t i = 0; i <= m.GridM + 1; ++i) EXPECT_TRUE(IsFree(K(m, r, i)));
    }
}

// At a circular leading edge the upper surface arrives heading straight down and the lower one up; at a
// rounded trailing edge they leave up and down; each scaled by its own factor. With round tips the tip's
// middle takes the edge line's direction (leading edge away from the tip, length fUL²; trailing edge
// toward it, fUT²), and the tip's end columns the direction of the neighbouring span lines (along Y).
TEST(SurfaceTangents, CylinderEdgesAndRoundTips) {
    BuildInputs in = Round(true);
    const double fUL = in.UpperLeadingEdge, fUT = in.UpperRoundedTrailingEdge;
    ModelState m = Build(in);
    ASSERT_GT(m.PatchLast[5], 0);
    int32_t nS = m.PatchFirst[2], cL = m.PatchFirst[5];
    ASSERT_GT(G(m, 2, 1).z, G(m, 2, cL).z) << "column 1 runs along the upper surface";
    for (int32_t k = 1; k <= nS; ++k) {
        ExpectNear(E(m, 1, k), {0, 0, -fUL}, 1e-9, "upper, leading edge");
        ExpectNear(E(m, 1, cL + 1 - k), {0, 0, in.LowerLeadingEdge}, 1e-9, "lower, leading edge");
        ExpectNear(E(m, 0, k), {0, 0, fUT}, 1e-9, "upper, trailing edge");
        ExpectNear(E(m, 0, cL + 1 - k), {0, 0, -in.LowerRoundedTrailingEdge}, 1e-9, "lower, trailing edge");
    }
    for (int r = 0; r < 12; ++r)
        for (int32_t i = 0; i <= m.GridM + 1; ++i) EXPECT_TRUE(IsFree(K(m, r, i)));  // flat tips

    in.wt = 1.0;
    m = Build(in);
    nS = m.PatchFirst[2];
    const int32_t M = m.GridM;
    const double towardB = G(m, M + 1, 1).y > G(m, M + 1, nS).y ? 1.0 : -1.0;  // from tip A to tip B
    for (int tip : {2, 5}) {
        const int32_t first = m.PatchFirst[U(tip)], last = m.PatchLast[U(tip)], h = (last - first) / 2;
        const double away = tip == 2 ? towardB : -towardB;
        ExpectNear(E(m, 1, (first + last) / 2), {0, away * fUL * fUL, 0}, 1e-9, "leading edge, tip middle");
        ExpectNear(E(m, 0, (first + last) / 2), {0, -away * fUT * fUT, 0}, 1e-9, "trailing edge, tip middle");
        for (int32_t i = 1; i <= M + 1; ++i) {
            // Column order runs A-ward on the upper surface and B-ward on the lower one.
            ExpectNear(K(m, 2 * tip, i), {0, (tip == 2 ? -1 : 1) * towardB, 0}, 1e-9, "tip start");
            ExpectNear(K(m, 2 * tip + 1, i), {0, (tip == 2 ? 1 : -1) * towardB, 0}, 1e-9, "tip end");
        }
        if (tip == 2 && h > 1) {
            // The far half of the blend starts from the negated upper value, not from the lower one.
            const Vec3d S{0, 0, -fUL}, T{0, away * fUL * fUL, 0};
            ExpectNear(E(m, 1, last - 1), {-S.x + (T.x + S.x) / h, -S.y + (T.y + S.y) / h, -S.z + (T.z + S.z) / h},
                       1e-9, "far half");
        }
    }
}

// Sections made in the test, points from the trailing edge along the lower surface to the leading edge
// and back: the circle of diameter 1 (round at both edges) and a rhombus of half height t (sharp edges,
// straight sides).
void SetSection(ModelState& m, bool rhombus, double t = 0.2) {
    const int32_t ns = 40;
    m.SetSectionCount(ns);
    AllocateGrid(m, false, true);
    m.SectionLE = ns / 2 + 1;
    for (int32_t k = 1; k <= ns + 1; ++k) {
        const double s = 2.0 * (k - 1) / ns, u = 3.141592653589793 * s;
        m.SectionX[U(k)] = rhombus ? std::fabs(1 - s) : 0.5 + 0.5 * std::cos(u);
        m.SectionY[U(k)] = rhombus ? (s <= 1 ? -t : t) * (1 - std::fabs(2 * std::fabs(1 - s) - 1)) : -0.5 * std::sin(u);
    }
}

void ExpectSection(const ModelState& m, const double (&x)[4], const double (&y)[4]) {
    for (int e = 0; e < 4; ++e) {
        EXPECT_NEAR(m.SectionTangents.X[U(e)], x[e], 1e-14) << e;
        EXPECT_NEAR(m.SectionTangents.Y[U(e)], y[e], 1e-14) << e;
        EXPECT_EQ(m.SectionTangents.Z[U(e)], 0.0) << e;
    }
}

TEST(SectionTangents, RoundEdgesScaledSharpEdgesOneSided) {
    ModelState m;
    SetSection(m, false);
    ComputeSectionTangents(m, 0, 180.0, 0.65, 0.65, 0.5, 0.3);
    ExpectSection(m, {0, 0, 0, 0}, {-0.65, 0.65, 0.5, -0.3});

    const double t = 0.2, a = 0.5 / std::hypot(0.5, t), b = t / std::hypot(0.5, t);
    SetSection(m, true, t);
    ComputeSectionTangents(m, 0, 20.0, 0.65, 0.9, 0.5, 0.8);
    ExpectSection(m, {0, -a, 0, -a}, {-0.65, b, 0.5, -b});
    // Flipped front to back the sharp edge lies at the leading-edge index: the roles change places.
    ComputeSectionTangents(m, 1, 20.0, 0.65, 0.9, 0.5, 0.8);
    ExpectSection(m, {-a, 0, -a, 0}, {-b, 0.9, b, -0.8});
}

// The pipeline's 2D circle: factors passed as given, whatever the trailing-edge angle does in 3D.
TEST(SectionTangents, CircleBuiltInTwoDimensions) {
    BuildInputs in = Round(false);
    in.Act3D = false;
    in.CanvasWidth = in.CanvasHeight = 200;
    ModelState m = Build(in);
    ExpectSection(m, {0, 0, 0, 0}, {-0.7, 0.6, 0.3, -0.2});
}

}  // namespace
}  // namespace korvel
