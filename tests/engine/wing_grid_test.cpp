// wing_grid_test.cpp — wing grids: column counts, span laws, mirror symmetry, tips and the winding sign of the build paths.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>

#include "engine/build_model.h"
#include "engine/build_paths.h"
#include "engine/wing_grid.h"

namespace korvel {
namespace {

// An oriented section of 2M intervals, chord 1 from the leading edge at X = 0, with lower and upper
// half-thicknesses; skew shifts the upper surface along X so that paired points differ in X too.
ModelState Section(int32_t M, double lower, double upper, double skew = 0.0) {
    ModelState m;
    m.SetGridM(M);
    m.SetGridN(40);
    m.SetSectionCount(2 * M);
    m.SectionLE = M + 1;
    m.SectionX.assign(2 * M + 2, 0.0);
    m.SectionY.assign(2 * M + 2, 0.0);
    for (int i = 1; i <= M + 1; ++i) {
        const double t = std::numbers::pi * (i - 1) / M, s = (i == 1 || i == M + 1) ? 0.0 : std::sin(t);
        m.SectionX[i] = (1 + std::cos(t)) / 2;
        m.SectionY[i] = -lower * s;
        m.SectionX[2 * M + 2 - i] = (1 + std::cos(t)) / 2 + skew * s;
        m.SectionY[2 * M + 2 - i] = upper * s;
    }
    return m;
}

// b is a mirrored in Y: its upper span part reversed, everything after that reversed as a whole (a full wing
// onto itself, a half wing of cut mode 1 onto one of mode 2).
void ExpectMirrored(const ModelState& a, const ModelState& b, int nS) {
    ASSERT_EQ(a.GridN, b.GridN);
    for (int i = 1; i <= a.GridM + 1; ++i)
        for (int j = 1; j <= a.GridN + 1; ++j) {
            const int k = j <= nS ? nS + 1 - j : nS + a.GridN + 1 - j;
            const double tol = 1e-12 * (1 + std::fabs(a.GridX[i][j]) + std::fabs(a.GridY[i][j]));
            ASSERT_NEAR(a.GridX[i][j], b.GridX[i][k], tol) << i << " " << j;
            ASSERT_NEAR(a.GridY[i][j], -b.GridY[i][k], tol) << i << " " << j;
            ASSERT_NEAR(a.GridZ[i][j], b.GridZ[i][k], tol) << i << " " << j;
        }
}

TEST(WingGrid, ColumnCountsShareTheOutline) {
    ModelState m = Section(16, 0.06, 0.06);  // thickness 0.12
    double wt = 0;
    BuildWing(m, wt, kSpanLinear, 0, 4.0, 0, 0, 1.0);
    EXPECT_EQ(std::tuple(m.GridN, m.PatchFirst, m.PatchLast),
              std::tuple(88, std::array<int32_t, 6>{1, 21, 41, 45, 65, 85}, std::array<int32_t, 6>{21, 41, 45, 65, 85, 89}));
    EXPECT_TRUE(m.GridY[5][21] == 0.0 && m.BodyEndX == (std::array{1.0, 0.0}));
    for (int c : {1, 2}) {  // half wings chain four patches; ss = 0 drops the shrunken tip and its rounding
        ModelState h = Section(16, 0.06, 0.06);
        double tip = 2;
        BuildWing(h, tip, kSpanElliptical, c, 4.0, 0, 0, 0.0);
        const int dropped = c == 1 ? 1 : 3;
        EXPECT_TRUE(tip == 0 && h.PatchLast[dropped] == 0 && (c == 2 || h.PatchLast[3] == h.GridN + 1));
        for (int p = 0; p < 3; ++p) EXPECT_TRUE(p == dropped || h.PatchFirst[p + 1] == h.PatchLast[p]) << p;
    }
}

// A c = 0 wing is its own mirror image in Y (rounded tips: closure B built from its own position), the two
// halves are each other's; the chord is ss at the span ends (Jouk: pointed, never rounded) and 1 at the root.
TEST(WingGrid, FullWingsAndOppositeHalvesAreMirrorImages) {
    const auto chord = [](const ModelState& m, int k) { return m.GridX[1][k] - m.GridX[9][k]; };
    for (int family : {kSpanLinear, kSpanElliptical, kSpanJouk})
        for (auto [foldX, foldZ] : {std::pair{0.0, 0.0}, {2.5, -1.2}})
            for (double wt : {0.0, 0.8})
                for (double ss : {1.0, 0.4, 2.5}) {
                    SCOPED_TRACE(testing::Message() << family << " fold " << foldX << " wt " << wt << " ss " << ss);
                    ModelState full = Section(8, 0.05, 0.08, 0.01), left = full, right = full;
                    double w0 = wt, w1 = wt, w2 = wt;
                    BuildWing(full, w0, family, 0, 3, foldX, foldZ, ss);
                    ExpectMirrored(full, full, full.PatchLast[1]);
                    BuildWing(left, w1, family, 1, 3, foldX, foldZ, ss);
                    BuildWing(right, w2, family, 2, 3, foldX, foldZ, ss);
                    ExpectMirrored(left, right, left.PatchLast[0]);
                    for (int i = 1; i <= 9; ++i) EXPECT_TRUE(left.GridY[i][5] <= 0 && left.GridY[i][left.GridN] == 0);
                    const int nS = full.PatchLast[1], root = full.PatchLast[0];
                    const double end = family == kSpanJouk ? 0.0 : ss;
                    EXPECT_TRUE(w0 > 0 ||
                                (std::fabs(chord(full, 1) - end) < 1e-12 && std::fabs(chord(full, nS) - end) < 1e-12));
                    EXPECT_TRUE(std::fabs(chord(full, root) - 1.0) <= 1e-15 && (family != kSpanJouk || w0 == 0));
                    EXPECT_TRUE(full.GridY[1][1] == 1.5 && full.GridY[1][nS] == -1.5 && full.GridY[1][root] == 0);
                    for (int k = 1; family == kSpanJouk && foldX == 0 && k <= nS; ++k)
                        EXPECT_NEAR(full.GridX[1][k], 1.0, 1e-15);  // the trailing edge stays straight
                }
}

TEST(WingPath, RoundSectionSweepsACylinderClosedByHalfEllipsoids) {
    for (double wt : {0.0, 1.5}) {
        BuildInputs v{.x0 = 0.2, .Tea = 180, .Lea = 180, .ActWing = true, .rc1 = 1, .rc2 = 1, .fY = 3, .wt = wt};
        ModelState m;
        m.SetGridM(16);
        m.SetGridN(40);
        EXPECT_TRUE(BuildWingModel(m, v) == -1 && v.c == 0);
        const int nS = m.PatchLast[1], cA = m.PatchLast[2], cL = m.PatchFirst[5];
        for (int i = 1; i <= 17; ++i)
            for (int j = 1; j <= m.GridN + 1; ++j) {
                const double x = m.GridX[i][j] - 0.5, y = std::fabs(m.GridY[i][j]), z = m.GridZ[i][j];
                if (j <= nS || (j >= cA && j <= cL)) {
                    EXPECT_TRUE(std::fabs(x * x + z * z - 0.25) < 1e-12 && y <= 1.5);
                } else if (wt > 0) {
                    EXPECT_NEAR(x * x + z * z + (y - 1.5) * (y - 1.5) / (wt * wt), 0.25, 1e-12);
                } else {
                    EXPECT_TRUE(x * x + z * z <= 0.25 + 1e-12 && y == 1.5);
                }
            }
    }
}

// Set 1 with kt 0 (the Joukowski map) or 180 (the inversion kc/zeta) in either direction: the bent grid runs
// from X = 0 to X = 1 (body ends, wing root edges); dY = 0 flattens it. Which way it faces is the mesh's
// business (its signed volume, the solid tests).
TEST(BuildPaths, BentGridsRunOverTheUnitLengthAndDYZeroFlattensThem) {
    for (bool wing : {false, true})
        for (int c = 0; c <= (wing ? 2 : 4); ++c)
            for (int vs3 : {0, 1})
                for (auto [kt, dY] : {std::pair{0.0, 1.0}, {180.0, 1.0}, {180.0, 0.0}}) {
                    SCOPED_TRACE(testing::Message() << "wing " << wing << " c " << c << " kt " << kt << " dY " << dY);
                    BuildInputs v{.tx3 = 1.0, .vs3 = vs3, .c = c, .ActCut = true, .ActWing = wing, .tz3 = 0.3, .kc3 = 0.1, .kt3 = kt, .dY = dY};
                    ModelState m;
                    m.SetGridM(wing ? 8 : 12);
                    m.SetGridN(16);
                    const int32_t s = wing ? BuildWingModel(m, v) : BuildBodyModel(m, v), root = c == 1 ? m.GridN : m.PatchLast[0];
                    EXPECT_TRUE(s == 1 || s == -1);
                    EXPECT_TRUE(!wing || (std::fabs(m.GridX[1][root]) < 1e-12 && std::fabs(m.GridX[9][root] - 1) < 1e-12));
                    for (int j = 1; !wing && j <= m.GridN + 1; ++j)
                        for (const array2Df* g : {&m.GridX, &m.GridY, &m.GridZ}) {
                            EXPECT_NEAR((*g)[1][j], 0.0, 1e-12);
                            EXPECT_NEAR((*g)[13][j], g == &m.GridX ? 1.0 : 0.0, 1e-12);
                        }
                    for (int i = 1; dY == 0 && i <= m.GridM + 1; ++i)
                        for (int j = 1; j <= m.GridN + 1; ++j) EXPECT_EQ(m.GridY[i][j], 0.0);
                }
}

}  // namespace
}  // namespace korvel
