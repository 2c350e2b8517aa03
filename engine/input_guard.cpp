// input_guard.cpp — the ranges the build accepts, each the widest that a slider, a dialog or a file can give.
#include "input_guard.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace korvel {

namespace {

// Point limits of the maximum-value command: solid models and the 2D section.
constexpr int32_t kMinCount = 8;
constexpr int32_t kMaxCountSolid = 2000;
constexpr int32_t kMaxCount2D = 10000;
// Far beyond any screen, yet small enough that no pixel arithmetic of the drawings can overflow.
constexpr int32_t kMaxCanvas = 32767;
// A requested dimension above this would leave the single-precision triangle list.
constexpr double kMaxRequestedSize = 1e30;

std::string Shortest(double v) {
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, r.ptr);
}

[[noreturn]] void Reject(const char* name, const std::string& value, const std::string& why) {
    throw BuildInputError(std::string("The build input ") + name + " = " + value + " " + why +
                          "; nothing was built.");
}

// A slider value: what is typed into the window may pass a slider's end by less than half a step. No
// sign can be typed, so a range that starts at 0 ends there: the laws behind those inputs need them >= 0.
void Real(const char* name, double v, double lo, double hi, double step) {
    if (!std::isfinite(v)) Reject(name, Shortest(v), "is not a finite number");
    const double slack = 0.5 * step;
    if (v < (lo == 0.0 ? 0.0 : lo - slack) || v > hi + slack) {
        Reject(name, Shortest(v), "lies outside " + Shortest(lo) + " .. " + Shortest(hi));
    }
}

void Whole(const char* name, int32_t v, int32_t lo, int32_t hi) {
    if (v < lo || v > hi) {
        Reject(name, std::to_string(v), "lies outside " + std::to_string(lo) + " .. " + std::to_string(hi));
    }
}

// Tangent factors: the dialog takes any number that is not negative.
void Factor(const char* name, double v) {
    if (!std::isfinite(v)) Reject(name, Shortest(v), "is not a finite number");
    if (v < 0.0) Reject(name, Shortest(v), "is negative");
}

// -1 (or below) asks for the natural size; anything above -1 is a request and must be a positive size.
void Requested(const char* name, double v) {
    if (!std::isfinite(v)) Reject(name, Shortest(v), "is not a finite number");
    if (v > -1.0 && (v <= 0.0 || v > kMaxRequestedSize)) {
        Reject(name, Shortest(v), "is neither -1 (natural size) nor a positive size up to 1e30");
    }
}

}  // namespace

void CheckBuildInputs(const ModelState& m, const BuildInputs& in, const Canvas& canvas) {
    const bool solid = in.Act3D || in.ActCutSec;
    const int32_t maxCount = solid ? kMaxCountSolid : kMaxCount2D;
    Whole("nX", in.nX, kMinCount, maxCount);
    Whole("mYZ", in.mYZ, kMinCount, maxCount);
    // The batch run passes the previous build's row count here, which a 2D build may have left above the
    // solid limit; the count only sizes a small table.
    Whole("offset count", in.OffsetCount, kMinCount, kMaxCount2D);
    Whole("canvas width", in.CanvasWidth, 0, kMaxCanvas);
    Whole("canvas height", in.CanvasHeight, 0, kMaxCanvas);
    Whole("canvas bitmap width", canvas.Width(), 0, kMaxCanvas);
    Whole("canvas bitmap height", canvas.Height(), 0, kMaxCanvas);
    Whole("tX", in.tX, 1, 2);
    Whole("tY", in.tY, 1, 2);
    Whole("tZ", in.tZ, 1, 2);
    Whole("section view", in.SectionView, 0, 2);
    Whole("vs3", in.vs3, 0, 1);
    Whole("vs2", in.vs2, 0, 1);
    // The cut mode counts only with the cut on; a wing is cut in two modes, and the slider keeps to them.
    if (in.ActCut) Whole("c", in.c, 1, solid && in.ActWing ? 2 : 4);
    Whole("span family", in.SpanFamily, 0, 2);
    Whole("flip vertical", in.FlipVertical, 0, 1);
    Whole("flip horizontal", in.FlipHorizontal, 0, 1);

    Real("csX", in.csX, 0.0, 1.0, 0.001);
    Real("csY", in.csY, 0.0, 1.0, 0.001);
    Real("csZ", in.csZ, 0.0, 1.0, 0.001);
    Real("x0", in.x0, 0.0001, 0.45, 0.0001);
    Real("y0", in.y0, -0.5, 0.5, 0.0001);
    Real("Tea", in.Tea, 0.0, 180.0, 0.01);
    Real("Lea", in.Lea, 0.0, 180.0, 0.01);
    Real("tx3", in.tx3, 0.0, 12.0, 0.001);
    Real("tz3", in.tz3, 0.004, 12.0, 0.001);
    Real("kc3", in.kc3, 0.1, 20.0, 0.001);
    Real("kt3", in.kt3, 0.0, 360.0, 0.01);
    Real("nm3", in.nm3, 0.005, 15.0, 0.0001);
    Real("tx2", in.tx2, 0.0, 12.0, 0.001);
    Real("tz2", in.tz2, 0.004, 12.0, 0.001);
    Real("kc2", in.kc2, 0.1, 20.0, 0.001);
    Real("kt2", in.kt2, 0.0, 360.0, 0.01);
    Real("nm2", in.nm2, 0.005, 15.0, 0.0001);
    Real("rb", in.rb, 0.7, 1.0, 0.0001);
    Real("rc1", in.rc1, 0.7, 1.0, 0.0001);
    Real("rc2", in.rc2, 0.7, 1.0, 0.0001);
    Real("fY", in.fY, 0.0, 50.0, 0.0001);
    Real("fZ", in.fZ, 0.0, 10.0, 0.0001);
    Real("dY", in.dY, 0.0, 10.0, 0.0001);
    Real("foldX", in.foldX, -50.0, 50.0, 0.001);
    Real("foldZ", in.foldZ, -20.0, 20.0, 0.001);
    Real("ss", in.ss, 0.0, 5.0, 0.0001);
    Real("wt", in.wt, 0.0, 50.0, 0.0001);
    Real("angle of attack", in.AngleOfAttack, -90.0, 90.0, 0.01);
    Factor("UpperLeadingEdge", in.UpperLeadingEdge);
    Factor("UpperRoundedTrailingEdge", in.UpperRoundedTrailingEdge);
    Factor("LowerLeadingEdge", in.LowerLeadingEdge);
    Factor("LowerRoundedTrailingEdge", in.LowerRoundedTrailingEdge);
    Requested("LengthX", m.LengthX);
    Requested("WidthY", m.WidthY);
    Requested("HeightZ", m.HeightZ);
}

}  // namespace korvel
