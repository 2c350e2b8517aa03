// build_model_2d_test.cpp — the 2D road of a build: which section comes out, and what a too small canvas leaves.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/canvas.h"
#include "engine/model.h"

namespace korvel {
namespace {

BuildInputs TwoD(int32_t width = 800, int32_t height = 600) {
    BuildInputs in;
    in.Act3D = false;
    in.ActCutSec = false;
    in.CanvasWidth = width;
    in.CanvasHeight = height;
    return in;
}

void Build(ModelState& m, const BuildInputs& in) {
    NullCanvas canvas(in.CanvasWidth, in.CanvasHeight);
    std::string info;
    BuildModel(m, in, canvas, info);
}

// Every 2D section: chord 1 from the leading edge at (0, 0) to the trailing edge at (1, 0), lower surface first.
void ExpectUnitChord(const ModelState& m, const std::string& what) {
    const int32_t ns = m.SectionCount;
    ASSERT_EQ(m.SectionX.size(), static_cast<size_t>(ns + 2)) << what;
    const int32_t le = m.SectionLE;
    ASSERT_EQ(le, ns / 2 + 1) << what;
    EXPECT_EQ(m.SectionX[1], 1.0) << what;
    EXPECT_EQ(m.SectionX[ns + 1], 1.0) << what;
    EXPECT_EQ(m.SectionX[le], 0.0) << what;
    EXPECT_EQ(m.SectionY[1], 0.0) << what;
    EXPECT_EQ(m.SectionY[ns + 1], 0.0) << what;
    EXPECT_EQ(m.SectionY[le], 0.0) << what;
    EXPECT_LE(m.SectionY[le - 1], m.SectionY[le + 1]) << what;
    for (int32_t i = 1; i <= ns + 1; ++i) {
        ASSERT_TRUE(std::isfinite(m.SectionX[i]) && std::isfinite(m.SectionY[i])) << what << " point " << i;
    }
}

TEST(Build2D, CountsRoundUpToTheNextMultiple) {
    const int32_t cases[][3] = {{8, 8, 8}, {9, 9, 16}, {40, 41, 40}, {41, 12, 48}, {640, 4, 640}};
    for (const auto& c : cases) {
        BuildInputs in = TwoD();
        in.nX = c[0];
        in.mYZ = c[1];
        ModelState m;
        Build(m, in);
        EXPECT_EQ(m.SectionCount, c[2]);
        EXPECT_EQ(m.GridN, c[2]);
        EXPECT_EQ(m.GridM, c[1] + (4 - c[1] % 4) % 4);
        EXPECT_EQ(m.SectionX.size(), static_cast<size_t>(c[2] + 2));
        ExpectUnitChord(m, "nX " + std::to_string(c[0]));
    }
}

TEST(Build2D, EveryPathEndsOnTheUnitChord) {
    for (bool wing : {false, true}) {
        for (bool set1 : {false, true}) {
            for (bool set2 : {false, true}) {
                for (int32_t direction : {0, 1}) {
                    BuildInputs in = TwoD();
                    in.ActWing = wing;
                    in.y0 = 0.04;
                    in.tx3 = set1 ? 0.15 : 0.0;
                    in.tx2 = set2 ? 0.25 : 0.0;
                    in.kt3 = 30.0;
                    in.kt2 = 360.0;  // the slider's end, where the modifier's exponent is 0
                    in.vs3 = direction;
                    in.vs2 = 1 - direction;
                    in.nm3 = 0.7;
                    in.nm2 = 1.3;
                    ModelState m;
                    Build(m, in);
                    ExpectUnitChord(m, "wing " + std::to_string(wing) + " set1 " + std::to_string(set1) + " set2 " +
                                           std::to_string(set2) + " direction " + std::to_string(direction));
                }
            }
        }
    }
}

TEST(Build2D, DefaultSectionIsSymmetricAndTheSetThresholdIsExtended) {
    BuildInputs in = TwoD();
    in.tx3 = 0.2;
    in.tz3 = std::nextafter(0.004, 0.0);  // just below the threshold: set 1 stays off
    ModelState plain;
    Build(plain, in);
    ExpectUnitChord(plain, "plain");
    for (int32_t k = 2; k <= 40; ++k) {
        EXPECT_NEAR(plain.SectionX[k], plain.SectionX[42 - k], 1e-13);
        EXPECT_NEAR(plain.SectionY[k], -plain.SectionY[42 - k], 1e-13);
    }
    in.tz3 = 0.004;
    ModelState bent;
    Build(bent, in);
    ExpectUnitChord(bent, "bent");
    double asymmetry = 0.0;
    for (int32_t k = 2; k <= 40; ++k) asymmetry = std::max(asymmetry, std::fabs(bent.SectionY[k] + bent.SectionY[42 - k]));
    EXPECT_GT(asymmetry, 1e-3);
}

TEST(Build2D, FlipsMirrorTheSection) {
    BuildInputs in = TwoD();
    in.y0 = 0.06;
    in.tx3 = 0.1;
    in.kt3 = 20.0;
    ModelState plain;
    Build(plain, in);
    in.FlipVertical = 1;
    ModelState upside;
    Build(upside, in);
    ExpectUnitChord(upside, "vertical");
    for (int32_t k = 2; k <= 40; ++k) {
        EXPECT_EQ(upside.SectionX[k], plain.SectionX[42 - k]);
        EXPECT_EQ(upside.SectionY[k], -plain.SectionY[42 - k]);
    }
    in.FlipVertical = 0;
    in.FlipHorizontal = 1;
    ModelState back;
    Build(back, in);
    ExpectUnitChord(back, "horizontal");
    for (int32_t k = 2; k <= 20; ++k) {
        EXPECT_DOUBLE_EQ(back.SectionX[22 - k], 1.0 - plain.SectionX[k]);  // same surface, order reversed
        EXPECT_EQ(back.SectionY[22 - k], plain.SectionY[k]);
        EXPECT_DOUBLE_EQ(back.SectionX[20 + k], 1.0 - plain.SectionX[42 - k]);
        EXPECT_EQ(back.SectionY[20 + k], plain.SectionY[42 - k]);
    }
}

TEST(Build2D, NarrowCanvasBuildsNothingAndFreesTheOldSection) {
    for (const auto& size : {std::pair{10, 400}, std::pair{400, 10}, std::pair{0, 0}}) {
        ModelState m;
        Build(m, TwoD());
        ASSERT_FALSE(m.SectionX.empty());
        m.Triangles.resize(3);
        m.TriangleLast = 2;
        Build(m, TwoD(size.first, size.second));
        EXPECT_TRUE(m.SectionX.empty());
        EXPECT_TRUE(m.SectionY.empty());
        EXPECT_TRUE(m.Triangles.empty());
        EXPECT_EQ(m.TriangleLast, -1);
    }
    ModelState m;
    Build(m, TwoD(11, 11));
    ExpectUnitChord(m, "11 x 11");
    EXPECT_TRUE(m.Triangles.empty());
    EXPECT_EQ(m.TriangleLast, -1);
}

TEST(Build2D, AnErrorLeavesNothingBehindAndPasses) {
    ModelState m;
    Build(m, TwoD());
    BuildInputs in = TwoD();
    in.nX = 0;  // no section can have no points
    EXPECT_THROW(Build(m, in), std::invalid_argument);
    EXPECT_TRUE(m.SectionX.empty());
    EXPECT_TRUE(m.SectionY.empty());
    EXPECT_EQ(m.TriangleLast, -1);
}

}  // namespace
}  // namespace korvel
