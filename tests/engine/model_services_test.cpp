// model_services_test.cpp — the model's dimensions, the modeller-set rule and the checked integer conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/checked_int.h"
#include "engine/model.h"

namespace korvel {
namespace {

TEST(ModellerSet, ActivityThresholdIsTheExtendedConstant) {
    EXPECT_TRUE(ModellerSetActive(1.0, 0.004) && ModellerSetActive(1.0, 4 * 0.001));
    EXPECT_FALSE(ModellerSetActive(1.0, std::nextafter(0.004, 0.0)) || ModellerSetActive(0.0, 5.0));
}

TEST(Dimensions, EachAxisDecidedByItself) {
    ModelState m;
    m.NaturalSize = {3.0, 4.0, 5.0};
    ResetDimensions(m);
    m.WidthY = 2.5;
    m.HeightZ = -0.5;  // above -1 is a request
    double l = 0, w = 0, h = 0;
    GetDimensions(m, l, w, h);
    EXPECT_TRUE(l == 3.0 && w == 2.5 && h == -0.5);
}

TEST(Counts, RoundUpToTheStepWithoutOverflow) {
    EXPECT_TRUE(RoundCountUp(8, 8) == 8 && RoundCountUp(9, 8) == 16 && RoundCountUp(9, 4) == 12 && RoundCountUp(-3, 8) == 0);
    EXPECT_EQ(RoundCountUp(std::numeric_limits<int32_t>::max(), 8), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundCountUp(std::numeric_limits<int32_t>::min(), 4), std::numeric_limits<int32_t>::min());
}

TEST(CheckedInt, RoundsHalvesToEvenAndNeverOverflows) {
    EXPECT_TRUE(RoundToInt(2.5) == 2 && RoundToInt(3.5) == 4 && RoundToInt(-2.5) == -2 && TruncToInt(-2.7) == -2);
    EXPECT_EQ(RoundToInt(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(RoundToInt(1e300), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundToInt(-std::numeric_limits<double>::infinity()), std::numeric_limits<int32_t>::min());
}

}  // namespace
}  // namespace korvel
