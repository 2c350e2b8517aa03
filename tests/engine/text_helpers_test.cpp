// text_helpers_test.cpp — number text with '.' decimals, also while the process runs under a ',' locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "engine/text_helpers.h"

namespace korvel {
namespace {

struct ParseCase {
    const char* text;
    bool ok;
    double value;
};

void ExpectExamples() {
    EXPECT_EQ(FloatToText(0.65), "0.65");
    EXPECT_EQ(FloatToText(2.0), "2");
    EXPECT_EQ(FloatToText(-2.5), "-2.5");
    EXPECT_EQ(FloatToText(1234.56789012), "1234.5678901");
    EXPECT_EQ(FloatToText(-0.00000001), "0");
    EXPECT_EQ(FloatToText(-0.0), "0");
    EXPECT_EQ(FloatToText(0.0), "0");
    EXPECT_EQ(FloatToText(0.00000006), "0.0000001");
    EXPECT_EQ(FloatToText(-0.99999999), "-1");
    EXPECT_EQ(FloatToText(1e20), "100000000000000000000");

    const ParseCase cases[] = {
        {"", true, 0.0},         {"1,5", true, 1.5},      {"1.5", true, 1.5},   {"-1.5", true, -1.5},
        {"0", true, 0.0},        {" 2,25 ", true, 2.25},  {"+3", true, 3.0},    {".5", true, 0.5},
        {"1e3", true, 1000.0},   {"1,5,0", false, 0.0},   {"1.5.0", false, 0.0}, {"abc", false, 0.0},
        {"nan", false, 0.0},     {"inf", false, 0.0},     {"-", false, 0.0},    {"1e999", false, 0.0},
        {"+-1", false, 0.0},     {"1 2", false, 0.0},     {" ", false, 0.0},    {"0x10", false, 0.0},
    };
    for (const ParseCase& c : cases) {
        double value = -7.0;
        EXPECT_EQ(TryTextToFloat(c.text, value), c.ok) << "'" << c.text << "'";
        if (c.ok) {
            EXPECT_EQ(value, c.value) << "'" << c.text << "'";
        }
    }
    EXPECT_EQ(TextToFloat(""), 0.0);
    EXPECT_EQ(TextToFloat("2,25"), 2.25);
    EXPECT_THROW(TextToFloat("x"), std::invalid_argument);

    EXPECT_EQ(FilterNumericText("12,5.3"), "12.53");
    EXPECT_EQ(FilterNumericText("-3.5"), "3.5");
    EXPECT_EQ(FilterNumericText("a1b2"), "12");
    EXPECT_EQ(FilterNumericText(".5"), ".5");
    EXPECT_EQ(FilterNumericText(""), "");
}

TEST(TextHelpers, ExamplesUnderTheCLocale) { ExpectExamples(); }

TEST(TextHelpers, TextRoundTripsToSevenDecimals) {
    for (double v : {0.1, 0.9815, 44.0, -12.3456789, 359.99, 0.0575}) {
        EXPECT_EQ(TextToFloat(FloatToText(v)), v) << v;
    }
}

// Makes a locale whose decimal separator is ',' available: an installed one, or one compiled from the
// system's locale sources into a private folder. Empty when neither is possible on this machine.
std::string CommaLocale(std::string& madeFolder) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) return name;
    }
    if (!std::filesystem::exists("/usr/share/i18n/locales/de_DE")) return {};
    char folder[] = "/tmp/korvel-locale-XXXXXX";
    if (mkdtemp(folder) == nullptr) return {};
    madeFolder = folder;
    const std::string command =
        std::string("localedef -i de_DE -f UTF-8 ") + folder + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return {};
    setenv("LOCPATH", folder, 1);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) return {};
    return "de_DE.UTF-8";
}

TEST(TextHelpers, ExamplesUnderACommaLocale) {
    std::string folder;
    const std::string name = CommaLocale(folder);
    const auto restore = [&folder] {
        std::setlocale(LC_ALL, "C");
        unsetenv("LOCPATH");
        if (!folder.empty()) std::filesystem::remove_all(folder);
    };
    if (name.empty()) {
        restore();
        GTEST_SKIP() << "no locale with ',' decimals can be made on this machine";
    }
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    ASSERT_STREQ(probe, "0,5") << "the locale " << name << " does not use ',' decimals";
    ExpectExamples();
    restore();
}

}  // namespace
}  // namespace korvel
