// airfoil_drawing.cpp — the 2D picture of the airfoil section with its pressure plot, and its lines of figures.
#include "airfoil_drawing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <stdexcept>
#include <system_error>

#include "checked_int.h"
#include "drawing_colours.h"
#include "panel_solver.h"
#include "text_helpers.h"

namespace korvel {

namespace {

constexpr const char* kFontFamily = "Arial";
constexpr int32_t kFontSize = 9;

// The picture's layout in pixels, the same at any size: room left of the leading edge for the Cp labels
// and a strip right of the trailing edge; the legends and figures stand in a column nine text heights
// and a few pixels in from the right edge; the Cp labels start 35 pixels left of the axis.
constexpr double kRoomBeforeLeadingEdge = 45.0;
constexpr double kRoomAfterTrailingEdge = 15.0;
constexpr int32_t kLegendHeights = 9;
constexpr int32_t kLegendInset = 5;
constexpr int32_t kCpLabelOffset = 35;

void Font(Canvas& canvas, Rgb colour) { canvas.SetFont(kFontFamily, kFontSize, true, colour); }

// PolyPoints belongs to the drawing only while a polygon or polyline is being handed over; it is emptied
// on the way out whatever happens, so an error from the canvas leaves nothing behind.
class PolyPointsCleanup {
public:
    explicit PolyPointsCleanup(ModelState& m) : m_(m) {}
    ~PolyPointsCleanup() { std::vector<PixelPoint>().swap(m_.PolyPoints); }
    PolyPointsCleanup(const PolyPointsCleanup&) = delete;
    PolyPointsCleanup& operator=(const PolyPointsCleanup&) = delete;

private:
    ModelState& m_;
};

// Chord units to pixels: one scale for both axes, the chord line on the middle row. The frame values are
// single precision so that pixel positions round the same way on every build.
struct Frame {
    float left = 0.0f;
    float right = 0.0f;
    float scale = 0.0f;
    float yc = 0.0f;

    Frame(int32_t W, int32_t H) {
        right = static_cast<float>(1.0 + kRoomAfterTrailingEdge / W);
        left = static_cast<float>(-kRoomBeforeLeadingEdge / W);
        const double span = static_cast<double>(right) - static_cast<double>(left);
        scale = static_cast<float>(W / span);
        yc = static_cast<float>(H * span / (2.0 * W));
    }
    double X(double x) const { return (x - left) * static_cast<double>(scale); }
    double Y(double y) const { return (static_cast<double>(yc) - y) * static_cast<double>(scale); }
};

// The Cp axis: c0 one below the integer part of the lowest Cp, sixteen steps of (1 - c0)/15 down to 1,
// Cp growing downwards, c0 at H/17 and 1 at 16 H/17.
struct CpAxis {
    float c0 = 0.0f;
    float step = 0.0f;
    float top = 0.0f;
    double denominator = 0.0;  // (c0 - 1) - 2 step
    int32_t H = 0;

    CpAxis(float cmin, int32_t height) : H(height) {
        c0 = static_cast<float>(std::trunc(static_cast<double>(cmin)) - 1.0);
        step = static_cast<float>((1.0 - static_cast<double>(c0)) * static_cast<double>(1.0f / 15.0f));
        top = static_cast<float>(static_cast<double>(c0) - static_cast<double>(step));
        denominator = (static_cast<double>(c0) - 1.0) - 2.0 * static_cast<double>(step);
    }
    double Y(double cp) const { return (static_cast<double>(top) - cp) * H / denominator; }
};

// A label of the Cp axis: two decimals, '.' whatever the locale; a value that rounds to zero is "0.00".
std::string TwoDecimals(double value) {
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    if (ec != std::errc()) return FloatToText(value);
    std::string text(buffer, end);
    if (text == "-0.00") text = "0.00";
    return text;
}

// Adds a point when both pixel coordinates are finite: a point of NaN or infinity has no place on the
// bitmap and is left out rather than rounded to an arbitrary pixel.
void AddPoint(std::vector<PixelPoint>& points, double px, double py) {
    if (std::isfinite(px) && std::isfinite(py)) points.push_back(PixelPoint{RoundToInt(px), RoundToInt(py)});
}

// The lowest finite Cp of panels 1..NS in single precision; false when there is none.
bool LowestFiniteCp(const ModelState& m, float& cmin) {
    const std::size_t ns = static_cast<std::size_t>(m.SectionCount);
    if (m.CpValues.size() < ns + 1) return false;
    bool found = false;
    for (std::size_t k = 1; k <= ns; ++k) {
        const float cp = static_cast<float>(m.CpValues[k]);
        if (!std::isfinite(cp)) continue;
        if (!found || cp < cmin) cmin = cp;
        found = true;
    }
    return found;
}

void DrawGrid(Canvas& canvas, const Frame& f, const CpAxis& axis, int32_t W, int32_t H) {
    const double span = static_cast<double>(f.right) - static_cast<double>(f.left);
    const int32_t X0 = RoundToInt(W * -static_cast<double>(f.left) / span);
    const int32_t X1 = RoundToInt(f.X(1.0));
    Font(canvas, kWhite);
    canvas.SetPen(kGrey, 1);
    canvas.Text(X0 + 4, 10, "CP");
    canvas.Line(X0, H, X0, 0);
    const double step = static_cast<double>(axis.step);
    for (int i = 1; i <= 16; ++i) {
        const int32_t yi = RoundToInt(-(i * static_cast<double>(H) * step) / axis.denominator);
        canvas.Text(X0 - kCpLabelOffset, yi - 7, TwoDecimals(static_cast<double>(axis.top) + i * step));
        canvas.SetPen(kWhite, 1);
        canvas.Line(X0 - 2, yi, X0 + 2, yi);
        canvas.SetPen(kGrey, 1);
        canvas.Line(X0 + 2, yi, X1, yi);
    }
    for (int i = 1; i <= 10; ++i) {
        const int32_t x = RoundToInt(f.X(0.1 * i));
        canvas.Line(x, 0, x, H);
    }
}

// Nodes first..last of the section, turned by t about the leading edge, scaled by k and moved by dx.
void SectionPoints(ModelState& m, const Frame& f, double t, double k, double dx) {
    const double c = std::cos(t);
    const double s = std::sin(t);
    const std::size_t count = static_cast<std::size_t>(m.SectionCount) + 1;
    m.PolyPoints.clear();
    m.PolyPoints.reserve(count);
    for (std::size_t i = 1; i <= count; ++i) {
        const double x = m.SectionX[i];
        const double y = m.SectionY[i];
        AddPoint(m.PolyPoints, f.X(dx + k * (x * c + y * s)), f.Y(k * (y * c - x * s)));
    }
}

// The Cp of panels first..last at their mid-chord.
void CurvePoints(ModelState& m, const Frame& f, const CpAxis& axis, int32_t first, int32_t last) {
    m.PolyPoints.clear();
    m.PolyPoints.reserve(static_cast<std::size_t>(std::max(0, last - first + 1)));
    for (int32_t i = first; i <= last; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        AddPoint(m.PolyPoints, f.X((m.SectionX[k] + m.SectionX[k + 1]) / 2), axis.Y(m.CpValues[k]));
    }
}

void Polyline(ModelState& m, Canvas& canvas, Rgb colour) {
    canvas.SetPen(colour, 1);
    canvas.Polyline(m.PolyPoints);
    m.PolyPoints.clear();
}

}  // namespace

void DrawAirfoil(ModelState& m, Canvas& canvas, int32_t W, int32_t H, bool tunnel, double Cl, double Cd, double AOA,
                 std::string& info) {
    PolyPointsCleanup cleanup(m);
    const int32_t ns = m.SectionCount;
    const std::size_t need = static_cast<std::size_t>(std::max(ns, 0)) + 2;
    if (ns < 1 || m.SectionX.size() < need || m.SectionY.size() < need)
        throw std::logic_error("the section holds fewer points than its panel count");

    // The bitmap takes the size asked for; what it really has is read back.
    canvas.Resize(W, H);
    const int32_t width = canvas.Width();
    const int32_t height = canvas.Height();
    canvas.SetBrush(kBlack);
    canvas.SetPen(kBlack, 1);
    canvas.Rectangle(-1, -1, width + 1, height + 1);
    m.CanvasHeight = height - (height % 2 != 0 ? 1 : 0);
    m.CanvasWidth = width;
    const int32_t cw = m.CanvasWidth;
    const int32_t ch = m.CanvasHeight;

    const bool pressurePlot = tunnel && ns < kSolverPanelLimit;
    // A section without thickness (flattened to its chord) has no flow solution: nothing to plot or show.
    const bool solved = pressurePlot && std::isfinite(Cl) && std::isfinite(Cd);
    float cmin = 0.0f;
    const bool drawable = cw > 0 && ch > 0;
    const bool plot = drawable && solved && LowestFiniteCp(m, cmin);
    const double t = AOA * std::numbers::pi / 180.0;

    Font(canvas, kWhite);
    const int32_t h = canvas.TextHeight("H");
    const int32_t textX = cw - kLegendHeights * h - kLegendInset;

    if (drawable) {
        const Frame f(cw, ch);
        if (plot) DrawGrid(canvas, f, CpAxis(cmin, ch), cw, ch);

        // The section, full size under the plot or at zero angle, otherwise turned and shrunk to 0.9.
        if (plot || AOA == 0.0) {
            SectionPoints(m, f, 0.0, 1.0, 0.0);
        } else {
            SectionPoints(m, f, t, 0.9, 0.0);
        }
        canvas.SetBrush(kNavy);
        canvas.SetPen(kWhite, 1);
        canvas.Polygon(m.PolyPoints);
        canvas.Polyline(m.PolyPoints);
        m.PolyPoints.clear();
        canvas.SetBrush(kBlack);

        if (plot) {
            const CpAxis axis(cmin, ch);
            SectionPoints(m, f, t, 0.35, 0.1);
            Polyline(m, canvas, kYellow);
            const int32_t le = std::clamp(m.SectionLE, 1, ns);
            CurvePoints(m, f, axis, 1, le);
            Polyline(m, canvas, kRed);
            CurvePoints(m, f, axis, le, ns);
            Polyline(m, canvas, kGreen);
            Font(canvas, kGreen);
            canvas.Text(textX, RoundToInt(0.5 * h), " UPPER SURFACE");
            Font(canvas, kRed);
            canvas.Text(textX, RoundToInt(1.5 * h), " LOWER SURFACE");
        }
        if (pressurePlot) {
            Font(canvas, kWhite);
            if (solved) {
                canvas.Text(textX, RoundToInt(2.5 * h), " Cl = " + FloatToText(Cl));
                canvas.Text(textX, RoundToInt(3.5 * h), " Cd = " + FloatToText(Cd));
            } else {
                canvas.Text(textX, RoundToInt(2.5 * h), " No thickness to solve");
            }
        }
    }
    array1Df().swap(m.CpValues);

    double area = 0.0;
    double sectionHeight = 0.0;
    SectionAreaHeight(m, area, sectionHeight);
    if (drawable) {
        Font(canvas, kWhite);
        canvas.Text(textX, RoundToInt(4.5 * h), " Height = " + FloatToText(sectionHeight * 100) + "%");
        canvas.Text(textX, RoundToInt(5.5 * h), " Area = " + FloatToText(area));
    }

    if (!info.empty()) info += '\n';
    info += "Height= " + FloatToText(sectionHeight * 100) + "%\nArea= " + FloatToText(area);
    if (solved) {
        info += "\nCl= " + FloatToText(Cl) + "\nCd= " + FloatToText(Cd) + "\nAOA= " + FloatToText(AOA);
    } else if (pressurePlot) {
        info += "\nThe section has no thickness to solve: no Cl and Cd.\nAOA= " + FloatToText(AOA);
    }
}

}  // namespace korvel
