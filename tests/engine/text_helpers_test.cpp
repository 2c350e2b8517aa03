// text_helpers_test.cpp — number text with '.' decimals, also while the process runs under a ',' locale.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>

#include "comma_locale.h"
#include "engine/text_helpers.h"

namespace korvel {
namespace {

void ExpectExamples() {
    const std::pair<double, const char*> written[] = {
        {0.65, "0.65"},  {2.0, "2"},  {-2.5, "-2.5"}, {1234.56789012, "1234.5678901"}, {-0.00000001, "0"}, {-0.0, "0"},
        {0.00000006, "0.0000001"}, {-0.99999999, "-1"}, {1e20, "100000000000000000000"}};
    for (const auto& [value, text] : written) EXPECT_EQ(FloatToText(value), text) << value;
    for (double v : {0.1, 0.9815, -12.3456789, 359.99}) EXPECT_EQ(TextToFloat(FloatToText(v)), v) << v;

    const struct { const char* text; bool ok; double value; } read[] = {
        {"", true, 0.0},       {"1,5", true, 1.5},    {"1.5", true, 1.5},    {"-1.5", true, -1.5},
        {" 2,25 ", true, 2.25}, {"+3", true, 3.0},    {".5", true, 0.5},     {"1e3", true, 1000.0},
        {"1,5,0", false, 0},   {"1.5.0", false, 0},   {"abc", false, 0},     {"nan", false, 0},
        {"inf", false, 0},     {"-", false, 0},       {"1e999", false, 0},   {"+-1", false, 0},
        {"1 2", false, 0},     {" ", false, 0},       {"0x10", false, 0}};
    for (const auto& c : read) {
        double value = -7.0;
        EXPECT_EQ(TryTextToFloat(c.text, value), c.ok) << "'" << c.text << "'";
        EXPECT_TRUE(!c.ok || value == c.value) << "'" << c.text << "'";
    }
    EXPECT_EQ(TextToFloat("2,25"), 2.25);
    EXPECT_THROW(TextToFloat("x"), std::invalid_argument);
    const std::pair<const char*, const char*> filtered[] = {
        {"12,5.3", "12.53"}, {"-3.5", "3.5"}, {"a1b2", "12"}, {"", ""}};
    for (const auto& [text, kept] : filtered) EXPECT_EQ(FilterNumericText(text), kept) << text;
}

TEST(TextHelpers, ExamplesUnderTheCLocale) { ExpectExamples(); }

TEST(TextHelpers, ExamplesUnderACommaLocale) {
    const testing::CommaLocale comma(LC_ALL);
    if (!comma.Active()) GTEST_SKIP() << "no locale with ',' decimals can be made on this machine";
    ExpectExamples();
}

}  // namespace
}  // namespace korvel
