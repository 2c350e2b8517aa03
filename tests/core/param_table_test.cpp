// param_table_test.cpp — the slider table's conversions: exact values from positions, positions from typed values.
#include <gtest/gtest.h>

#include <set>

#include "app/core/param_table.h"
#include "engine/build_inputs.h"

namespace korvel {
namespace {

TEST(ParamTable, TagsAreUniqueAndEveryScaledSlotTakesTypedValuesAtItsOwnScale) {
    std::set<int32_t> tags;
    int scaled = 0;
    for (const BarSpec& s : kBars) {
        EXPECT_TRUE(tags.insert(s.tag).second) << s.name;
        EXPECT_LE(s.min, s.position) << s.name;
        EXPECT_LE(s.position, s.max) << s.name;
        if (!IsScaled(s)) continue;
        ++scaled;
        // The typed-value factor is the inverse of the slider's scale: a position survives the round trip.
        for (int32_t p : {s.min, s.position, s.max})
            EXPECT_EQ(ValueToPosition(s.tag, PositionToValue(p, s.scale)), p) << s.name;
    }
    EXPECT_EQ(scaled, 28);
    EXPECT_TRUE(SpecByTag(4) == nullptr && SpecByTag(40) == nullptr);
}

TEST(ParamTable, PositionsBecomeTheDoublesTheExtendedScaleGives) {
    EXPECT_EQ(PositionToValue(4400, BarScale::Hundredth), 44.0);
    EXPECT_EQ(PositionToValue(575, BarScale::TenThousandth), 0.0575);
    // Typed values round halves to even, and a value a hair past the end still maps onto it.
    EXPECT_EQ(ValueToPosition(2, 44.125), 4412);
    EXPECT_EQ(ValueToPosition(5, 0.45000006), 4500);
    EXPECT_EQ(ValueToPosition(0, 12.0), 0);
}

}  // namespace
}  // namespace korvel
