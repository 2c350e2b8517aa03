// Services on the model state, the count rounding and the modeller-set rule.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/checked_int.h"
#include "engine/model.h"

namespace korvel {
namespace {

TEST(Counts, RoundUpToMultiples) {
    EXPECT_EQ(RoundCountUp(8, 8), 8);
    EXPECT_EQ(RoundCountUp(9, 8), 16);
    EXPECT_EQ(RoundCountUp(8, 4), 8);
    EXPECT_EQ(RoundCountUp(9, 4), 12);
    EXPECT_EQ(RoundCountUp(5000, 8), 5000);
}

TEST(ModellerSet, ActivityThresholdIsTheExtendedConstant) {
    EXPECT_TRUE(ModellerSetActive(1.0, 0.004));
    EXPECT_TRUE(ModellerSetActive(1.0, 4 * 0.001));
    EXPECT_FALSE(ModellerSetActive(1.0, std::nextafter(0.004, 0.0)));
    EXPECT_FALSE(ModellerSetActive(0.0, 5.0));
    EXPECT_FALSE(ModellerSetActive(1.0, 0.0039));
}

TEST(Dimensions, EachAxisDecidedByItself) {
    ModelState m;
    m.NaturalSize = {3.0, 4.0, 5.0};
    ResetDimensions(m);
    m.WidthY = 2.5;
    double l = 0, w = 0, h = 0;
    GetDimensions(m, l, w, h);
    EXPECT_EQ(l, 3.0);
    EXPECT_EQ(w, 2.5);
    EXPECT_EQ(h, 5.0);
    m.HeightZ = -0.5;  // above -1 is a request
    GetDimensions(m, l, w, h);
    EXPECT_EQ(h, -0.5);
}

TEST(Triangles, RotateAxesPermutesEveryVertex) {
    T3p t;
    for (Point3f& p : t.p) p = {1, 2, 3};
    T3p a = t;
    RotateTriangleAxes(a, 1);
    for (const Point3f& p : a.p) EXPECT_TRUE(p.x == 2 && p.y == 3 && p.z == 1);
    T3p b = t;
    RotateTriangleAxes(b, 2);
    for (const Point3f& p : b.p) EXPECT_TRUE(p.x == 3 && p.y == 1 && p.z == 2);
    for (int r : {0, 3}) {
        T3p c = t;
        RotateTriangleAxes(c, r);
        for (const Point3f& p : c.p) EXPECT_TRUE(p.x == 1 && p.y == 2 && p.z == 3);
    }
}

TEST(Allocation, GridAndTablesSizedFromTheCurrentCounts) {
    ModelState m;
    m.SetGridM(8);
    m.SetGridN(16);
    m.SetSectionCount(16);
    AllocateGrid(m, true, true);
    ASSERT_EQ(m.GridX.size(), 10u);
    EXPECT_EQ(m.GridZ[9].size(), 19u);
    EXPECT_EQ(m.EdgeTangentY.size(), 2u);
    EXPECT_EQ(m.EdgeTangentY[1].size(), 19u);
    EXPECT_EQ(m.CurveTangentZ.size(), 12u);
    EXPECT_EQ(m.CurveTangentZ[11].size(), 10u);
    EXPECT_EQ(m.SectionX.size(), 18u);

    m.Triangles.resize(4);
    m.TriangleLast = 3;
    FreeWorkArrays(m, 0);
    EXPECT_TRUE(m.Triangles.empty());
    EXPECT_EQ(m.TriangleLast, -1);
    EXPECT_EQ(m.SectionX.size(), 18u);
    FreeWorkArrays(m, 1);
    EXPECT_TRUE(m.SectionX.empty());
    EXPECT_EQ(m.GridX.size(), 10u);  // the grid is never freed by the engine
}

TEST(CheckedInt, RoundsHalvesToEvenAndNeverOverflows) {
    EXPECT_EQ(RoundToInt(2.5), 2);
    EXPECT_EQ(RoundToInt(3.5), 4);
    EXPECT_EQ(RoundToInt(-2.5), -2);
    EXPECT_EQ(TruncToInt(-2.7), -2);
    EXPECT_EQ(RoundToInt(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(RoundToInt(1e300), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundToInt(-std::numeric_limits<double>::infinity()), std::numeric_limits<int32_t>::min());
}

}  // namespace
}  // namespace korvel
