// wing_grid_test.cpp — wing grids: column counts, span laws, mirror symmetry, tips; finite grids over every slider.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

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

bool FiniteGrid(const ModelState& m) {
    for (int i = 1; i <= m.GridM + 1; ++i)
        for (int j = 1; j <= m.GridN + 1; ++j)
            if (!std::isfinite(m.GridX[i][j] + m.GridY[i][j] + m.GridZ[i][j])) return false;
    return true;
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
    EXPECT_EQ(m.GridN, 88);
    EXPECT_EQ(m.PatchFirst, (std::array<int32_t, 6>{1, 21, 41, 45, 65, 85}));
    EXPECT_EQ(m.PatchLast, (std::array<int32_t, 6>{21, 41, 45, 65, 85, 89}));
    EXPECT_EQ(m.GridY[5][21], 0.0);
    EXPECT_EQ(m.BodyEndX, (std::array{1.0, 0.0}));
    for (int c : {1, 2}) {  // half wings chain four patches; ss = 0 drops the shrunken tip and its rounding
        ModelState h = Section(16, 0.06, 0.06);
        double tip = 2;
        BuildWing(h, tip, kSpanElliptical, c, 4.0, 0, 0, 0.0);
        const int dropped = c == 1 ? 1 : 3;
        EXPECT_TRUE(tip == 0 && h.PatchLast[dropped] == 0 && (c == 2 || h.PatchLast[3] == h.GridN + 1));
        for (int p = 0; p < 3; ++p) EXPECT_TRUE(p == dropped || h.PatchFirst[p + 1] == h.PatchLast[p]) << p;
    }
    ModelState flat = Section(16, 0.06, 0.06);  // no span: the outline of the section itself
    BuildWing(flat, wt, kSpanLinear, 0, 0.0, 0, 0, 1.0);
    for (int p : {0, 1, 3, 4}) EXPECT_EQ(flat.PatchFirst[p], flat.PatchLast[p]);
}

TEST(WingGrid, ChordIsSsAtTheSpanEndsAndOneAtTheRoot) {
    const auto chord = [](const ModelState& m, int k) { return m.GridX[1][k] - m.GridX[9][k]; };
    for (int family : {kSpanLinear, kSpanElliptical, kSpanJouk})
        for (double ss : {0.4, 1.0, 2.5}) {
            ModelState m = Section(8, 0.05, 0.07);
            double wt = family == kSpanJouk ? 3 : 0;  // Jouk: pointed ends, never rounded tips
            BuildWing(m, wt, family, 0, 3, 0, 0, ss);
            const int nS = m.PatchLast[1], root = m.PatchLast[0];
            const double end = family == kSpanJouk ? 0.0 : ss;
            EXPECT_EQ(wt, 0.0);
            EXPECT_TRUE(std::fabs(chord(m, 1) - end) < 1e-12 && std::fabs(chord(m, nS) - end) < 1e-12) << family;
            EXPECT_NEAR(chord(m, root), 1.0, 1e-15);
            for (int k = 1; family == kSpanJouk && k <= nS; ++k) EXPECT_NEAR(m.GridX[1][k], 1.0, 1e-15);  // TE stays
            EXPECT_TRUE(m.GridY[1][1] == 1.5 && m.GridY[1][nS] == -1.5 && m.GridY[1][root] == 0);
        }
}

TEST(WingGrid, FullWingsAndOppositeHalvesAreMirrorImages) {
    for (int family : {kSpanLinear, kSpanElliptical, kSpanJouk})
        for (auto [foldX, foldZ] : {std::pair{0.0, 0.0}, {2.5, -1.2}})
            for (double wt : {0.0, 0.8})
                for (double ss : {1.0, 0.4}) {
                    SCOPED_TRACE(testing::Message() << family << " fold " << foldX << " wt " << wt << " ss " << ss);
                    ModelState full = Section(8, 0.05, 0.08, 0.01), left = full, right = full;
                    double w0 = wt, w1 = wt, w2 = wt;
                    BuildWing(full, w0, family, 0, 3, foldX, foldZ, ss);
                    ExpectMirrored(full, full, full.PatchLast[1]);
                    BuildWing(left, w1, family, 1, 3, foldX, foldZ, ss);
                    BuildWing(right, w2, family, 2, 3, foldX, foldZ, ss);
                    ExpectMirrored(left, right, left.PatchLast[0]);
                    for (int i = 1; i <= 9; ++i) EXPECT_TRUE(left.GridY[i][5] <= 0 && left.GridY[i][left.GridN] == 0);
                }
}

TEST(WingGrid, ZeroThicknessWithoutSpanStaysFinite) {
    for (int family : {kSpanLinear, kSpanElliptical, kSpanJouk})
        for (int c = 0; c <= 2; ++c)
            for (double wt : {0.0, 3.0}) {
                ModelState m = Section(8, 0.0, 0.0);
                BuildWing(m, wt, family, c, 0.0, 1.5, -2, 0.7);
                EXPECT_TRUE(m.GridN > 0 && m.GridN < 40 && FiniteGrid(m)) << family << " " << c << " " << wt;
            }
}

TEST(WingPath, RoundSectionSweepsACylinderClosedByHalfEllipsoids) {
    for (double wt : {0.0, 1.5}) {
        BuildInputs v;
        v.ActWing = true;
        v.Tea = v.Lea = 180;
        v.rc1 = v.rc2 = 1;
        v.x0 = 0.2;
        v.fY = 3;
        v.wt = wt;
        ModelState m;
        m.SetGridM(16);
        m.SetGridN(40);
        EXPECT_EQ(BuildWingModel(m, v), -1);
        EXPECT_EQ(v.c, 0);
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

TEST(WingPath, WindingSignFollowsDirectionAndInversion) {
    for (int vs3 : {0, 1}) {
        const int d = vs3 ? 1 : -1;
        BuildInputs v;
        v.ActWing = true;
        v.vs3 = vs3;
        ModelState m;
        m.SetGridM(8);
        m.SetGridN(16);
        EXPECT_EQ(BuildWingModel(m, v), d);
        v.tx3 = 1;
        v.kc3 = 0.1;
        for (auto [kt, sign] : {std::pair{0.0, d}, {180.0, -d}}) {  // Joukowski keeps sides; inversion swaps
            v.kt3 = kt;
            m.SetGridN(16);
            EXPECT_EQ(BuildWingModel(m, v), sign);
            const int root = m.PatchLast[0];  // its trailing and leading edge land on X = 0 and 1
            EXPECT_TRUE(std::fabs(m.GridX[1][root]) < 1e-12 && std::fabs(m.GridX[9][root] - 1) < 1e-12);
        }
    }
}

// Every slider at its ends and middle, one at a time, over both directions, every cut mode and family,
// with and without the modeller sets: the grid must stay finite.
struct Slider {
    const char* name;
    double BuildInputs::*field;
    double lo, hi;
};
const Slider kSliders[] = {
    {"Tea", &BuildInputs::Tea, 0, 180},    {"Lea", &BuildInputs::Lea, 0, 180},   {"x0", &BuildInputs::x0, 0.0001, 0.45},
    {"rb", &BuildInputs::rb, 0.7, 1},      {"rc1", &BuildInputs::rc1, 0.7, 1},    {"rc2", &BuildInputs::rc2, 0.7, 1},
    {"y0", &BuildInputs::y0, -0.5, 0.5},   {"tx3", &BuildInputs::tx3, 0, 12},     {"tz3", &BuildInputs::tz3, 0.004, 12},
    {"kc3", &BuildInputs::kc3, 0.1, 20},   {"kt3", &BuildInputs::kt3, 0, 360},    {"nm3", &BuildInputs::nm3, 0.005, 15},
    {"tx2", &BuildInputs::tx2, 0, 12},     {"tz2", &BuildInputs::tz2, 0.004, 12}, {"kc2", &BuildInputs::kc2, 0.1, 20},
    {"kt2", &BuildInputs::kt2, 0, 360},    {"nm2", &BuildInputs::nm2, 0.005, 15}, {"fY", &BuildInputs::fY, 0, 50},
    {"fZ", &BuildInputs::fZ, 0, 10},       {"dY", &BuildInputs::dY, 0, 10},       {"wt", &BuildInputs::wt, 0, 50},
    {"foldX", &BuildInputs::foldX, -50, 50}, {"foldZ", &BuildInputs::foldZ, -20, 20},
    {"ss", &BuildInputs::ss, 0, 5},
};

void ExpectFinite(const BuildInputs& base, const std::string& what) {
    auto run = [&](BuildInputs v, const std::string& change) {
        ModelState m;
        m.SetGridM(RoundCountUp(v.mYZ, 4));
        m.SetGridN(RoundCountUp(v.nX, 8));
        const int32_t s = v.ActWing ? BuildWingModel(m, v) : BuildBodyModel(m, v);
        if (!FiniteGrid(m) || (s != 1 && s != -1)) ADD_FAILURE() << what << ", " << change;
    };
    for (const Slider& sl : kSliders)
        for (double value : {sl.lo, (sl.lo + sl.hi) / 2, sl.hi}) {
            BuildInputs v = base;
            v.*(sl.field) = value;
            run(v, std::string(sl.name) + " " + std::to_string(value));
        }
    for (int count : {8, 36, 64}) {
        BuildInputs v = base, w = base;
        v.nX = w.mYZ = count;
        run(v, "nX " + std::to_string(count));
        run(w, "mYZ " + std::to_string(count));
    }
}

TEST(GridSweep, EverySliderEndAndMiddleGivesAFiniteGrid) {
    for (bool wing : {false, true})
        for (int c = 0; c <= (wing ? 2 : 4); ++c)
            for (int family = 0; family <= (wing ? 2 : 0); ++family)
                for (int vs = 0; vs <= 1; ++vs)
                    for (int sets = 0; sets <= (wing ? 3 : 1); ++sets) {
                        BuildInputs v;
                        v.ActWing = wing;
                        v.ActCut = c > 0;
                        v.c = c;
                        v.SpanFamily = family;
                        v.vs3 = v.vs2 = vs;
                        v.tx3 = (sets & 1) ? 1.0 : 0.0;
                        v.tx2 = (sets & 2) ? 1.0 : 0.0;
                        ExpectFinite(v, std::string(wing ? "wing" : "body") + " c " + std::to_string(c) + " family " +
                                            std::to_string(family) + " vs " + std::to_string(vs) + " sets " +
                                            std::to_string(sets));
                    }
}

}  // namespace
}  // namespace korvel
