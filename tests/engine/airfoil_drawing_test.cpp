// airfoil_drawing_test.cpp — the 2D section picture and pressure plot through a recording canvas: layout, colours, texts, info.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "engine/airfoil_drawing.h"
#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/checked_int.h"
#include "engine/model.h"
#include "engine/text_helpers.h"
#include "recording_canvas.h"

namespace korvel {
namespace {

using testing::CallKind;
using testing::CanvasCall;
using testing::RecordingCanvas;

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kGrey{128, 128, 128};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kNavy{0, 0, 128};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A diamond of chord 1 and thickness 0.1: area 0.05, height 10 %; panels 1, 2 below, 3, 4 above.
ModelState Diamond(std::vector<double> cp = {}) {
    ModelState m;
    m.SetSectionCount(4);
    m.SectionX = {0, 1.0, 0.5, 0.0, 0.5, 1.0, 0};
    m.SectionY = {0, 0.0, -0.05, 0.0, 0.05, 0.0, 0};
    m.SectionLE = 3;
    m.CpValues = std::move(cp);
    return m;
}

// The layout in closed form: 45 pixels before the leading edge and 15 after the trailing edge at any
// width, one scale for both axes, the chord line on the middle row.
struct Layout {
    double W, H;
    double Scale() const { return W / (1.0 + 60.0 / W); }
    int X(double x) const { return RoundToInt((x + 45.0 / W) * Scale()); }
    int Y(double y) const { return RoundToInt(H / 2 - y * Scale()); }
};

void ExpectAt(const PixelPoint& p, int x, int y) {
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
}

// The first call of a kind drawn with a pen colour; its index in the drawing order.
std::size_t IndexOf(const RecordingCanvas& c, CallKind kind, Rgb pen) {
    for (std::size_t i = 0; i < c.Calls().size(); ++i)
        if (c.Calls()[i].kind == kind && c.Calls()[i].state.pen == pen) return i;
    return c.Calls().size();
}

// A text at its place, in Arial 9 bold of its colour.
void ExpectText(const RecordingCanvas& c, const std::string& text, int x, int y, Rgb colour) {
    const CanvasCall* call = c.FindText(text);
    ASSERT_NE(call, nullptr) << text;
    EXPECT_EQ(call->x1, x) << text;
    EXPECT_EQ(call->y1, y) << text;
    EXPECT_EQ(call->state.fontFamily, "Arial");
    EXPECT_EQ(call->state.fontSize, 9);
    EXPECT_TRUE(call->state.fontBold);
    EXPECT_EQ(call->state.fontColour, colour) << text;
}

TEST(AirfoilDrawing, PlainSectionFullSizeOrTurned) {
    ModelState m = Diamond();
    RecordingCanvas canvas(800, 501);  // odd height: the drawing uses 500
    std::string info;
    DrawAirfoil(m, canvas, 800, 501, false, 0.0, 0.0, 0.0, info);
    EXPECT_EQ(m.CanvasHeight, 500);
    // Cleared to black first, the outline outside the bitmap; no plot.
    const CanvasCall clear = canvas.OfKind(CallKind::Rectangle).at(0);
    EXPECT_EQ(clear.state.brush, kBlack);
    EXPECT_TRUE(clear.x1 == -1 && clear.y1 == -1 && clear.x2 == 801 && clear.y2 == 502);
    EXPECT_EQ(canvas.Count(CallKind::Line), 0u);
    EXPECT_EQ(canvas.FindText("CP"), nullptr);
    // Navy fill and white outline through the nodes, trailing edge first, chord on row 250.
    const Layout L{800, 500};
    const CanvasCall polygon = canvas.OfKind(CallKind::Polygon).at(0);
    EXPECT_EQ(polygon.state.brush, kNavy);
    EXPECT_EQ(polygon.state.pen, kWhite);
    ASSERT_EQ(polygon.points.size(), 5u);
    ExpectAt(polygon.points[0], L.X(1.0), 250);
    ExpectAt(polygon.points[1], L.X(0.5), L.Y(-0.05));
    ExpectAt(polygon.points[2], L.X(0.0), 250);
    EXPECT_EQ(canvas.OfKind(CallKind::Polyline).at(0).points.size(), 5u);
    EXPECT_EQ(canvas.State().brush, kBlack);
    // Figures nine text heights from the right edge (the canvas reports 14), no coefficients.
    ExpectText(canvas, " Height = 10%", 800 - 9 * 14 - 5, 63, kWhite);
    ExpectText(canvas, " Area = 0.05", 800 - 9 * 14 - 5, 77, kWhite);
    EXPECT_EQ(canvas.FindTextStarting(" Cl"), nullptr);
    EXPECT_EQ(info, "Height= 10%\nArea= 0.05");
    EXPECT_TRUE(m.PolyPoints.empty());

    // At 10 degrees the section shrinks to 0.9 about the leading edge and the trailing edge goes down.
    RecordingCanvas turned(600, 400);
    info = "Model";
    DrawAirfoil(m, turned, 600, 400, false, 0.0, 0.0, 10.0, info);
    const Layout T{600, 400};
    const double t = 10.0 * std::numbers::pi / 180;
    const CanvasCall shrunk = turned.OfKind(CallKind::Polygon).at(0);
    ExpectAt(shrunk.points[0], T.X(0.9 * std::cos(t)), T.Y(-0.9 * std::sin(t)));
    ExpectAt(shrunk.points[2], T.X(0.0), 200);
    EXPECT_EQ(info, "Model\nHeight= 10%\nArea= 0.05");
}

TEST(AirfoilDrawing, PressurePlotLayoutColoursAndLegends) {
    ModelState m = Diamond({0.0, 1.0, -2.5, -0.4, 0.2});  // lowest -2.5: axis from -3 to 1 in steps of 4/15
    RecordingCanvas canvas(800, 500);
    std::string info;
    DrawAirfoil(m, canvas, 800, 500, true, 0.5, 0.25, 3.0, info);
    const Layout L{800, 500};
    const int X0 = L.X(0.0), X1 = L.X(1.0);
    ExpectText(canvas, "CP", X0 + 4, 10, kWhite);

    // Grey axis; sixteen labels and white ticks at i H / 17 with grey rules to the trailing edge; ten verticals.
    const auto lines = canvas.OfKind(CallKind::Line);
    ASSERT_EQ(lines.size(), 1u + 2 * 16 + 10);
    EXPECT_EQ(lines[0].state.pen, kGrey);
    EXPECT_TRUE(lines[0].x1 == X0 && lines[0].y1 == 500 && lines[0].x2 == X0 && lines[0].y2 == 0);
    for (int i = 1; i <= 16; ++i) {
        const int yi = RoundToInt(i * 500.0 / 17);
        const CanvasCall& tick = lines[static_cast<std::size_t>(2 * i - 1)];
        const CanvasCall& rule = lines[static_cast<std::size_t>(2 * i)];
        EXPECT_TRUE(tick.state.pen == kWhite && tick.x1 == X0 - 2 && tick.x2 == X0 + 2 && tick.y1 == yi) << i;
        EXPECT_TRUE(rule.state.pen == kGrey && rule.x1 == X0 + 2 && rule.x2 == X1 && rule.y2 == yi) << i;
    }
    ExpectText(canvas, "-3.00", X0 - 35, RoundToInt(500.0 / 17) - 7, kWhite);
    ExpectText(canvas, "-2.20", X0 - 35, RoundToInt(4 * 500.0 / 17) - 7, kWhite);
    ExpectText(canvas, "1.00", X0 - 35, RoundToInt(16 * 500.0 / 17) - 7, kWhite);
    for (int i = 1; i <= 10; ++i) {
        const CanvasCall& v = lines[static_cast<std::size_t>(32 + i)];
        EXPECT_TRUE(v.x1 == L.X(0.1 * i) && v.x2 == v.x1 && v.y1 == 0 && v.y2 == 500) << i;
    }

    // Grid, section (unturned), small turned copy, lower and upper curves, in this order.
    ExpectAt(canvas.OfKind(CallKind::Polygon).at(0).points[0], X1, 250);
    const std::size_t small = IndexOf(canvas, CallKind::Polyline, kYellow);
    const std::size_t lower = IndexOf(canvas, CallKind::Polyline, kRed);
    const std::size_t upper = IndexOf(canvas, CallKind::Polyline, kGreen);
    EXPECT_LT(IndexOf(canvas, CallKind::Line, kGrey), IndexOf(canvas, CallKind::Polygon, kWhite));
    EXPECT_LT(IndexOf(canvas, CallKind::Polygon, kWhite), small);
    EXPECT_LT(small, lower);
    ASSERT_LT(lower, upper);
    ASSERT_LT(upper, canvas.Calls().size());
    const double t = 3.0 * std::numbers::pi / 180;
    const CanvasCall& yellow = canvas.Calls()[small];
    ExpectAt(yellow.points.at(2), L.X(0.1), 250);
    ExpectAt(yellow.points.at(0), L.X(0.1 + 0.35 * std::cos(t)), L.Y(-0.35 * std::sin(t)));
    // Cp at mid-chord of each panel, on row (Cp - top) H / (17 step): 1 on row 16 H / 17.
    const double step = 4.0 / 15, top = -3.0 - step;
    const auto row = [&](double cp) { return RoundToInt((cp - top) * 500 / (17 * step)); };
    const CanvasCall& red = canvas.Calls()[lower];
    ASSERT_EQ(red.points.size(), 3u);  // panels 1..LE
    ExpectAt(red.points[0], L.X(0.75), 471);
    ExpectAt(red.points[1], L.X(0.25), row(-2.5));
    ExpectAt(red.points[2], L.X(0.25), row(-0.4));
    const CanvasCall& green = canvas.Calls()[upper];
    ASSERT_EQ(green.points.size(), 2u);  // panels LE..NS
    ExpectAt(green.points[0], L.X(0.25), row(-0.4));
    ExpectAt(green.points[1], L.X(0.75), row(0.2));

    // Legends and figures, one text height apart.
    const int x = 800 - 9 * 14 - 5;
    ExpectText(canvas, " UPPER SURFACE", x, 7, kGreen);
    ExpectText(canvas, " LOWER SURFACE", x, 21, kRed);
    ExpectText(canvas, " Cl = 0.5", x, 35, kWhite);
    ExpectText(canvas, " Cd = 0.25", x, 49, kWhite);
    ExpectText(canvas, " Height = 10%", x, 63, kWhite);
    EXPECT_TRUE(m.CpValues.empty());
    EXPECT_EQ(info, "Height= 10%\nArea= 0.05\nCl= 0.5\nCd= 0.25\nAOA= 3");
}

TEST(AirfoilDrawing, AxisLabelsFromTheLowestPressure) {
    ModelState shallow = Diamond({0.0, 0.3, -0.4, 0.1, 0.9});  // trunc(-0.4) = 0: from -1 in steps of 2/15
    RecordingCanvas a(800, 500);
    std::string info;
    DrawAirfoil(shallow, a, 800, 500, true, 0.1, 0.0, 0.0, info);
    EXPECT_NE(a.FindText("-1.00"), nullptr);
    EXPECT_NE(a.FindText("-0.87"), nullptr);
    EXPECT_EQ(a.FindText("-2.00"), nullptr);
    // From -4 in steps of 1/3 one label lands a hair below zero in single precision: it reads 0.00.
    ModelState deep = Diamond({0.0, 0.3, -3.5, 0.1, 0.9});
    RecordingCanvas b(800, 500);
    DrawAirfoil(deep, b, 800, 500, true, 0.1, 0.0, 0.0, info);
    EXPECT_NE(b.FindText("-4.00"), nullptr);
    EXPECT_NE(b.FindText("0.00"), nullptr);
    EXPECT_EQ(b.FindText("-0.00"), nullptr);
}

TEST(AirfoilDrawing, NonFinitePressuresNeverReachThePixels) {
    // Some values unusable: the axis comes from the finite ones and the curves skip the others.
    ModelState m = Diamond({0.0, kNaN, -1.5, std::numeric_limits<double>::infinity(), 0.5});
    RecordingCanvas canvas(800, 500);
    std::string info;
    DrawAirfoil(m, canvas, 800, 500, true, 1.0, 0.1, 2.0, info);
    EXPECT_NE(canvas.FindText("-2.00"), nullptr);
    EXPECT_EQ(canvas.Calls()[IndexOf(canvas, CallKind::Polyline, kRed)].points.size(), 1u);
    EXPECT_EQ(canvas.Calls()[IndexOf(canvas, CallKind::Polyline, kGreen)].points.size(), 1u);

    // Nothing finite: the section alone, turned as in the plain view; the numbers as the formatter writes them.
    ModelState n = Diamond({0.0, kNaN, kNaN, kNaN, kNaN});
    RecordingCanvas plain(800, 500);
    std::string text;
    DrawAirfoil(n, plain, 800, 500, true, kNaN, kNaN, 5.0, text);
    EXPECT_EQ(plain.Count(CallKind::Line), 0u);
    EXPECT_EQ(plain.FindText(" UPPER SURFACE"), nullptr);
    EXPECT_EQ(plain.OfKind(CallKind::Polygon).size(), 1u);
    EXPECT_NE(plain.FindText(" Cl = " + FloatToText(kNaN)), nullptr);
    EXPECT_EQ(text, "Height= 10%\nArea= 0.05\nCl= " + FloatToText(kNaN) + "\nCd= " + FloatToText(kNaN) + "\nAOA= 5");
}

TEST(AirfoilDrawing, ThroughTheBuild) {
    BuildInputs in;
    in.Act3D = false;
    in.ActTunnel = true;
    in.CanvasWidth = 640;
    in.CanvasHeight = 480;
    in.AngleOfAttack = 4.0;
    in.nX = 64;
    ModelState m;
    RecordingCanvas withPlot(640, 480);
    std::string info;
    BuildModel(m, in, withPlot, info);
    EXPECT_NE(withPlot.FindText("CP"), nullptr);
    EXPECT_NE(info.find("\nCl= "), std::string::npos);
    EXPECT_TRUE(m.CpValues.empty() && m.PanelMatrix.empty());

    // 640 panels: no solver, the plain view and no coefficients.
    in.nX = 640;
    RecordingCanvas withoutPlot(640, 480);
    info.clear();
    BuildModel(m, in, withoutPlot, info);
    EXPECT_EQ(withoutPlot.Count(CallKind::Line), 0u);
    EXPECT_EQ(info.find("Cl="), std::string::npos);
    EXPECT_EQ(withoutPlot.OfKind(CallKind::Polygon).at(0).points.size(), 641u);

    // A contour folded onto its chord: non-finite pressures, still a drawing and no stray pixels.
    in.nX = 64;
    in.fZ = 0.0;
    RecordingCanvas flat(640, 480);
    ASSERT_NO_THROW(BuildModel(m, in, flat, info));
    EXPECT_EQ(flat.OfKind(CallKind::Polygon).size(), 1u);
    for (const CanvasCall& c : flat.Calls()) {
        for (const int v : {c.x1, c.y1, c.x2, c.y2}) EXPECT_LT(std::abs(v), 10000);
        for (const PixelPoint& p : c.points) EXPECT_TRUE(std::abs(p.x) < 10000 && std::abs(p.y) < 10000);
    }
}

}  // namespace
}  // namespace korvel
