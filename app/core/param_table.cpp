// param_table.cpp — the slider table and the value/position conversions.
#include "param_table.h"

#include "engine/checked_int.h"

namespace korvel {

namespace {
constexpr BarScale I = BarScale::Integer;
constexpr BarScale H = BarScale::Hundredth;
constexpr BarScale T = BarScale::Thousandth;
constexpr BarScale M = BarScale::TenThousandth;
}  // namespace

// clang-format off
const std::array<BarSpec, kBarCount> kBars = {{
    {Bar::NPX,            "BarNPX",            0,  Box::Points,      8,      64,     40,    I, 8, 16,  "nX",         nullptr},
    {Bar::MPX,            "BarMPX",            1,  Box::Points,      8,      64,     40,    I, 4, 8,   "mYZ",        nullptr},
    {Bar::TEA,            "BarTEA",            2,  Box::TEA,         0,      18000,  4400,  H, 1, 10,  "Tea",        nullptr},
    {Bar::LEA,            "BarLEA",            3,  Box::TEA,         0,      18000,  0,     H, 1, 10,  "Lea",        nullptr},
    {Bar::X0,             "BarX0",             5,  Box::Thick,       1,      4500,   575,   M, 1, 10,  "x0",         nullptr},
    {Bar::RB1,            "BarRB1",            6,  Box::Thick,       7000,   10000,  9815,  M, 1, 10,  "rb",         nullptr},
    {Bar::RC1,            "BarRC1",            7,  Box::Thick,       7000,   10000,  9815,  M, 1, 10,  "rc1",        nullptr},
    {Bar::RC2,            "BarRC2",            8,  Box::Thick,       7000,   10000,  9815,  M, 1, 10,  "rc2",        nullptr},
    {Bar::Y0,             "BarY0",             9,  Box::Camber,      -5000,  5000,   0,     M, 1, 100, "y0",         nullptr},
    {Bar::TX,             "BarTX",             10, Box::Mdlr,        0,      12000,  0,     T, 1, 10,  "tx3",        nullptr},
    {Bar::TZ,             "BarTZ",             11, Box::Mdlr,        4,      12000,  4,     T, 1, 10,  "tz3",        nullptr},
    {Bar::KTc,            "BarKTc",            12, Box::Mdlr,        100,    20000,  100,   T, 1, 100, "kc3",        nullptr},
    {Bar::KTt,            "BarKTt",            13, Box::Mdlr,        0,      36000,  0,     H, 1, 10,  "kt3",        nullptr},
    {Bar::Versus,         "BarVersus",         14, Box::Mdlr,        0,      1,      0,     I, 1, 10,  "vs3",        nullptr},
    {Bar::Norm,           "BarNorm",           15, Box::Mdlr,        50,     150000, 5000,  M, 1, 10,  "nm3",        nullptr},
    {Bar::StretchYF,      "BarStretchYF",      16, Box::Stretch,     0,      500000, 10000, M, 1, 100, "fY",         nullptr},
    {Bar::StretchZF,      "BarStretchZF",      17, Box::Stretch,     0,      100000, 10000, M, 1, 100, "fZ",         nullptr},
    {Bar::StretchYD,      "BarStretchYD",      18, Box::Stretch,     0,      100000, 10000, M, 1, 100, "dY",         nullptr},
    {Bar::WT,             "BarWT",             19, Box::WingTip,     0,      500000, 0,     M, 1, 100, "wt",         nullptr},
    {Bar::FoldX,          "BarFoldX",          20, Box::Fold,        -50000, 50000,  0,     T, 1, 100, "foldX",      nullptr},
    {Bar::FoldZ,          "BarFoldZ",          21, Box::Fold,        -20000, 20000,  0,     T, 1, 100, "foldZ",      nullptr},
    {Bar::Cut,            "BarCut",            22, Box::Cut,         1,      4,      1,     I, 1, 10,  "c",          nullptr},
    {Bar::TypeSecX,       "BarTypeSecX",       23, Box::CutSec,      1,      2,      1,     I, 1, 10,  "tX",         "X-Section Type"},
    {Bar::TypeSecY,       "BarTypeSecY",       24, Box::CutSec,      1,      2,      1,     I, 1, 10,  "tY",         "Y-Section Type"},
    {Bar::TypeSecZ,       "BarTypeSecZ",       25, Box::CutSec,      1,      2,      1,     I, 1, 10,  "tZ",         "Z-Section Type"},
    {Bar::TypeSec2D,      "BarTypeSec2D",      26, Box::CutSec,      0,      2,      0,     I, 1, 10,  nullptr,      "Plane Section"},
    {Bar::CutSecX,        "BarCutSecX",        27, Box::CutSec,      0,      1000,   1000,  T, 1, 10,  "csX",        "X-Section Position"},
    {Bar::CutSecY,        "BarCutSecY",        28, Box::CutSec,      0,      1000,   1000,  T, 1, 10,  "csY",        "Y-Section Position"},
    {Bar::CutSecZ,        "BarCutSecZ",        29, Box::CutSec,      0,      1000,   1000,  T, 1, 10,  "csZ",        "Z-Section Position"},
    {Bar::AOA,            "BarAOA",            30, Box::AOA,         -9000,  9000,   0,     H, 1, 10,  nullptr,      nullptr},
    {Bar::SS,             "BarSS",             31, Box::SpanSection, 0,      50000,  10000, M, 1, 100, "ss",         nullptr},
    {Bar::TX2,            "BarTX2",            32, Box::Mdlr,        0,      12000,  0,     T, 1, 10,  "tx2",        nullptr},
    {Bar::TZ2,            "BarTZ2",            33, Box::Mdlr,        4,      12000,  4,     T, 1, 10,  "tz2",        nullptr},
    {Bar::KTc2,           "BarKTc2",           34, Box::Mdlr,        100,    20000,  100,   T, 1, 100, "kc2",        nullptr},
    {Bar::KTt2,           "BarKTt2",           35, Box::Mdlr,        0,      36000,  0,     H, 1, 10,  "kt2",        nullptr},
    {Bar::Versus2,        "BarVersus2",        36, Box::Mdlr,        0,      1,      0,     I, 1, 10,  "vs2",        nullptr},
    {Bar::Norm2,          "BarNorm2",          37, Box::Mdlr,        50,     150000, 5000,  M, 1, 10,  "nm2",        nullptr},
    {Bar::FlipVertical,   "BarFlipVertical",   38, Box::Flip,        0,      1,      0,     I, 1, 10,  "Vertical",   nullptr},
    {Bar::FlipHorizontal, "BarFlipHorizontal", 39, Box::Flip,        0,      1,      0,     I, 1, 10,  "Horizontal", nullptr},
}};
// clang-format on

const BarSpec* SpecByTag(int32_t tag) {
    for (const BarSpec& s : kBars)
        if (s.tag == tag) return &s;
    return nullptr;
}

double PositionToValue(int32_t position, BarScale scale) {
    switch (scale) {
        case BarScale::Hundredth: return static_cast<double>(position * 0.01L);
        case BarScale::Thousandth: return static_cast<double>(position * 0.001L);
        case BarScale::TenThousandth: return static_cast<double>(position * 0.0001L);
        case BarScale::Integer: break;
    }
    return static_cast<double>(position);
}

int32_t SlotFactor(int32_t tag) {
    switch (tag) {
        case 2: case 3: case 13: case 30: case 35:
            return 100;
        case 4: case 10: case 11: case 12: case 20: case 21: case 27: case 28: case 29: case 32: case 33: case 34:
            return 1000;
        case 5: case 6: case 7: case 8: case 9: case 15: case 16: case 17: case 18: case 19: case 31: case 37:
            return 10000;
        default:
            return 0;
    }
}

int32_t ValueToPosition(int32_t tag, double value) {
    const int32_t factor = SlotFactor(tag);
    return factor == 0 ? 0 : RoundToInt(value * factor);
}

}  // namespace korvel
