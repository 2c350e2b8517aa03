// model_services_test.cpp — the modeller-set rule: its tz threshold is the 80-bit constant, not the double.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/build_inputs.h"

namespace korvel {
namespace {

TEST(ModellerSet, ActivityThresholdIsTheExtendedConstant) {
    EXPECT_TRUE(ModellerSetActive(1.0, 0.004) && ModellerSetActive(1.0, 4 * 0.001));
    EXPECT_FALSE(ModellerSetActive(1.0, std::nextafter(0.004, 0.0)) || ModellerSetActive(0.0, 5.0));
}

}  // namespace
}  // namespace korvel
