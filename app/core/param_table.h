// param_table.h — every parameter slider of the main window: tag, range, default, scale, steps, group, hint and file key.
#pragma once

#include <array>
#include <cstdint>

namespace korvel {

// The sliders in the order the history restores them (and the window creates them).
enum class Bar : int {
    NPX, MPX, TEA, LEA, X0, RB1, RC1, RC2, Y0, TX, TZ, KTc, KTt, Versus, Norm, StretchYF, StretchZF,
    StretchYD, WT, FoldX, FoldZ, Cut, TypeSecX, TypeSecY, TypeSecZ, TypeSec2D, CutSecX, CutSecY, CutSecZ,
    AOA, SS, TX2, TZ2, KTc2, KTt2, Versus2, Norm2, FlipVertical, FlipHorizontal,
};
inline constexpr int kBarCount = 39;

// The slot count of the parameter array: tags 0..39 of the sliders, 40..43 the surface tangent factors.
inline constexpr int kParamCount = 44;
inline constexpr int kTangentFactorSlot = 40;
inline constexpr double kDefaultTangentFactor = 0.65;

// A scaled slider's value is its position times 0.01, 0.001 or 0.0001; an integer slider's is its position.
enum class BarScale { Integer, Hundredth, Thousandth, TenThousandth };

// The group boxes of the slider panel, top to bottom.
enum class Box : int {
    Points, TEA, Thick, Camber, Mdlr, Stretch, WingTip, Fold, Cut, CutSec, AOA, SpanSection, Flip,
};
inline constexpr int kBoxCount = 13;

struct BarSpec {
    Bar bar;
    const char* name;   // the control's name, e.g. "BarTEA"
    int32_t tag;        // slot in the parameter array
    Box box;
    int32_t min;
    int32_t max;        // as designed; the window changes NPX, MPX and Cut maxima at run time
    int32_t position;   // default position
    BarScale scale;
    int32_t smallChange;
    int32_t largeChange;
    const char* key;    // parameter-file key, nullptr where the file has none
    const char* hint;   // tool tip, nullptr for none
};

extern const std::array<BarSpec, kBarCount> kBars;

inline const BarSpec& Spec(Bar b) { return kBars[static_cast<int>(b)]; }

// The slider that carries a tag, or nullptr (slot 4 and the tangent factors have none).
const BarSpec* SpecByTag(int32_t tag);

inline bool IsScaled(const BarSpec& s) { return s.scale != BarScale::Integer; }

// Position x scale, the scale held in 80 bits and the product rounded once to a double.
double PositionToValue(int32_t position, BarScale scale);

// The multiplier that turns a typed value of a slot back into a position: 100, 1000 or 10000, 0 for slots
// that take no typed value.
int32_t SlotFactor(int32_t tag);

// round(value x factor) with halves to even, in double precision; 0 for a slot without a factor.
int32_t ValueToPosition(int32_t tag, double value);

// The widest count any command allows for the panels (2D) and for the subdivisions (solid).
inline constexpr int32_t kMaxPanels2DLimit = 10000;
inline constexpr int32_t kMaxSubdivisionsLimit = 2000;
inline constexpr int32_t kDefaultMaxPanels2D = 5000;

}  // namespace korvel
