// build_model_2d_test.cpp — the 2D road of a build: which section comes out, and what a too small canvas leaves.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <tuple>

#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/canvas.h"
#include "engine/model.h"
#include "mesh_checks.h"

namespace korvel {
namespace {

// A 2D build of the given inputs on a canvas of the given size.
BuildInputs TwoD(BuildInputs in = {}, int32_t width = 800, int32_t height = 600) {
    std::tie(in.Act3D, in.ActCutSec, in.CanvasWidth, in.CanvasHeight) = std::tuple(false, false, width, height);
    return in;
}

void Build(ModelState& m, const BuildInputs& in) {
    NullCanvas canvas;
    std::string info;
    BuildModel(m, in, canvas, info);
}

// Every 2D section: chord 1 from the leading edge at (0, 0) to the trailing edge at (1, 0), lower surface first.
void ExpectUnitChord(const ModelState& m, const std::string& what) { testing::ExpectSectionConventions(m, true, what); }

// Counts round up to the next multiple (8 for the section, 4 for the rows); every road through the sets, the
// wing flag and the directions ends on the unit chord, also at kt = 360 where the modifier's exponent is 0.
TEST(Build2D, CountsRoundUpAndEveryPathEndsOnTheUnitChord) {
    const int32_t counts[][4] = {{8, 8, 8, 8}, {9, 9, 16, 12}, {40, 41, 40, 44}, {41, 12, 48, 12}, {640, 8, 640, 8}};
    for (int path = 0; path < 20; ++path) {  // bits: wing, set 1, set 2, direction
        const auto& [nX, mYZ, ns, gridM] = counts[path % 5];
        const int vs3 = (path >> 3) & 1;
        const BuildInputs in = TwoD({.nX = nX, .mYZ = mYZ, .y0 = 0.04, .tx3 = (path & 2) ? 0.15 : 0.0, .vs3 = vs3,
                                     .vs2 = 1 - vs3, .ActWing = (path & 1) != 0, .kt3 = 30.0, .nm3 = 0.7,
                                     .tx2 = (path & 4) ? 0.25 : 0.0, .kt2 = 360.0, .nm2 = 1.3});
        ModelState m;
        Build(m, in);
        EXPECT_TRUE(m.SectionCount == ns && m.GridN == ns && m.GridM == gridM) << nX << " " << mYZ;
        ExpectUnitChord(m, "path " + std::to_string(path));
    }
    // Counts at the ends of the integer range round without overflowing.
    EXPECT_EQ(RoundCountUp(std::numeric_limits<int32_t>::max(), 8), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundCountUp(std::numeric_limits<int32_t>::min(), 4), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(RoundCountUp(-3, 8), 0);
}

TEST(Build2D, DefaultSectionIsSymmetricAndTheSetThresholdIsExtended) {
    BuildInputs in = TwoD({.tx3 = 0.2});
    for (double tz : {std::nextafter(0.004, 0.0), 0.004}) {  // just below the threshold set 1 stays off
        in.tz3 = tz;
        ModelState m;
        Build(m, in);
        ExpectUnitChord(m, "tz " + std::to_string(tz));
        double asymmetry = 0.0;
        for (int32_t k = 2; k <= 40; ++k) {
            asymmetry = std::max(asymmetry, std::fabs(m.SectionY[k] + m.SectionY[42 - k]));
            EXPECT_TRUE(tz == 0.004 || std::fabs(m.SectionX[k] - m.SectionX[42 - k]) <= 1e-13) << k;
        }
        EXPECT_TRUE(tz == 0.004 ? asymmetry > 1e-3 : asymmetry <= 1e-13) << asymmetry;
    }
}

// Vertical: upside down with the lower surface first again; horizontal: the chord reversed, surfaces kept.
TEST(Build2D, FlipsMirrorTheSection) {
    BuildInputs in = TwoD({.y0 = 0.06, .tx3 = 0.1, .kt3 = 20.0});
    ModelState plain, flipped[2];
    Build(plain, in);
    for (int h : {0, 1}) {
        std::tie(in.FlipVertical, in.FlipHorizontal) = std::tuple(1 - h, h);
        Build(flipped[h], in);
        ExpectUnitChord(flipped[h], h ? "horizontal" : "vertical");
    }
    for (int32_t k = 2; k <= 40; ++k) {
        const ModelState& up = flipped[0];
        EXPECT_TRUE(up.SectionX[k] == plain.SectionX[42 - k] && up.SectionY[k] == -plain.SectionY[42 - k]) << k;
        const int32_t j = k <= 20 ? 22 - k : 62 - k;
        if (k == 21) continue;
        EXPECT_DOUBLE_EQ(flipped[1].SectionX[j], 1.0 - plain.SectionX[k]) << k;
        EXPECT_EQ(flipped[1].SectionY[j], plain.SectionY[k]) << k;
    }
}

// A too small canvas builds nothing and frees the old section and triangles; inputs no command can give
// are refused before anything changes.
TEST(Build2D, NarrowCanvasLeavesNothingBehindAndARefusedBuildChangesNothing) {
    for (const auto& [width, height, nX] : {std::tuple{10, 400, 40}, {400, 10, 40}, {0, 0, 40}, {800, 600, 0}}) {
        ModelState m;
        Build(m, TwoD());
        ASSERT_FALSE(m.SectionX.empty());
        m.Triangles.resize(3);
        m.TriangleLast = 2;
        const BuildInputs in = TwoD({.nX = nX}, width, height);  // no section can have no points
        if (nX == 0) {
            EXPECT_THROW(Build(m, in), std::invalid_argument);
            EXPECT_TRUE(!m.SectionX.empty() && m.TriangleLast == 2);
            continue;
        }
        Build(m, in);
        EXPECT_TRUE(m.SectionX.empty() && m.SectionY.empty() && m.Triangles.empty());
        EXPECT_EQ(m.TriangleLast, -1);
    }
    ModelState m;
    Build(m, TwoD({}, 11, 11));
    ExpectUnitChord(m, "11 x 11");
}

}  // namespace
}  // namespace korvel
