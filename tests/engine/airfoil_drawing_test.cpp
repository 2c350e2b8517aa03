// airfoil_drawing_test.cpp — the 2D section picture and pressure plot through a recording canvas: layout, colours, texts, info.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "engine/airfoil_drawing.h"
#include "engine/build_inputs.h"
#include "engine/build_model.h"
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
ModelState Diamond() {
    ModelState m;
    m.SetSectionCount(4);
    m.SectionX = {0, 1.0, 0.5, 0.0, 0.5, 1.0, 0};
    m.SectionY = {0, 0.0, -0.05, 0.0, 0.05, 0.0, 0};
    m.SectionLE = 3;
    return m;
}

// The layout in closed form: 45 pixels left of the leading edge and 15 right of the trailing edge at
// any width, one scale for both axes, the chord line on the middle row.
struct Layout {
    double W, H;
    double Scale() const { return W / (1.0 + 60.0 / W); }
    int X(double x) const { return static_cast<int>(std::lround((x + 45.0 / W) * Scale())); }
    int Y(double y) const { return static_cast<int>(std::lround(H / 2 - y * Scale())); }
};

bool SamePoint(const PixelPoint& p, int x, int y) { return p.x == x && p.y == y; }

std::size_t IndexOf(const RecordingCanvas& c, CallKind kind, Rgb pen) {
    for (std::size_t i = 0; i < c.Calls().size(); ++i)
        if (c.Calls()[i].kind == kind && c.Calls()[i].state.pen == pen) return i;
    return c.Calls().size();
}

void ExpectArialBold(const CanvasCall& text, Rgb colour) {
    EXPECT_EQ(text.state.fontFamily, "Arial");
    EXPECT_EQ(text.state.fontSize, 9);
    EXPECT_TRUE(text.state.fontBold);
    EXPECT_EQ(text.state.fontColour, colour) << text.text;
}

TEST(AirfoilDrawing, PlainSectionAtZeroAngle) {
    ModelState m = Diamond();
    RecordingCanvas canvas(800, 501);  // odd height: the drawing uses 500
    std::string info;
    DrawAirfoil(m, canvas, 800, 501, false, 0.0, 0.0, 0.0, info);
    EXPECT_EQ(m.CanvasWidth, 800);
    EXPECT_EQ(m.CanvasHeight, 500);

    // Cleared to black first, the outline outside the bitmap.
    ASSERT_EQ(canvas.Count(CallKind::Rectangle), 1u);
    const CanvasCall clear = canvas.OfKind(CallKind::Rectangle)[0];
    EXPECT_LT(IndexOf(canvas, CallKind::Rectangle, kBlack), IndexOf(canvas, CallKind::Polygon, kWhite));
    EXPECT_EQ(clear.state.brush, kBlack);
    EXPECT_EQ(clear.x1, -1);
    EXPECT_EQ(clear.y1, -1);
    EXPECT_EQ(clear.x2, 801);
    EXPECT_EQ(clear.y2, 502);

    // No plot at all.
    EXPECT_EQ(canvas.Count(CallKind::Line), 0u);
    EXPECT_EQ(canvas.FindText("CP"), nullptr);

    // The section: navy fill, white outline, full size, trailing edge first, chord on row 250.
    const Layout L{800, 500};
    const auto polygons = canvas.OfKind(CallKind::Polygon);
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_EQ(polygons[0].state.brush, kNavy);
    EXPECT_EQ(polygons[0].state.pen, kWhite);
    ASSERT_EQ(polygons[0].points.size(), 5u);
    EXPECT_TRUE(SamePoint(polygons[0].points[0], L.X(1.0), 250));
    EXPECT_TRUE(SamePoint(polygons[0].points[1], L.X(0.5), L.Y(-0.05)));
    EXPECT_TRUE(SamePoint(polygons[0].points[2], L.X(0.0), 250));
    EXPECT_TRUE(SamePoint(polygons[0].points[3], L.X(0.5), L.Y(0.05)));
    const auto outlines = canvas.OfKind(CallKind::Polyline);
    ASSERT_EQ(outlines.size(), 1u);
    EXPECT_EQ(outlines[0].points.size(), 5u);
    EXPECT_EQ(outlines[0].state.pen, kWhite);
    EXPECT_EQ(canvas.State().brush, kBlack);

    // Figures at the right edge, 9 text heights in (the canvas reports 14).
    const CanvasCall* height = canvas.FindText(" Height = 10%");
    const CanvasCall* area = canvas.FindText(" Area = 0.05");
    ASSERT_NE(height, nullptr);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(height->x1, 800 - 9 * 14 - 5);
    EXPECT_EQ(height->y1, 63);
    EXPECT_EQ(area->y1, 77);
    ExpectArialBold(*height, kWhite);
    EXPECT_EQ(canvas.FindTextStarting(" Cl"), nullptr);

    EXPECT_EQ(info, "Height= 10%\nArea= 0.05");
    EXPECT_TRUE(m.PolyPoints.empty());
}

TEST(AirfoilDrawing, TurnedAndShrunkWithoutPlot) {
    ModelState m = Diamond();
    RecordingCanvas canvas(600, 400);
    std::string info = "Model";
    DrawAirfoil(m, canvas, 600, 400, false, 0.0, 0.0, 10.0, info);
    const Layout L{600, 400};
    const double t = 10.0 * std::numbers::pi / 180;
    const auto polygon = canvas.OfKind(CallKind::Polygon).at(0);
    // The trailing edge goes down on the picture when the nose rises; the leading edge stays put.
    EXPECT_TRUE(SamePoint(polygon.points[0], L.X(0.9 * std::cos(t)), L.Y(-0.9 * std::sin(t))));
    EXPECT_TRUE(SamePoint(polygon.points[2], L.X(0.0), 200));
    EXPECT_EQ(info, "Model\nHeight= 10%\nArea= 0.05");
}

TEST(AirfoilDrawing, PressurePlotLayoutColoursAndLegends) {
    ModelState m = Diamond();
    m.CpValues = {0.0, 1.0, -2.5, -0.4, 0.2};  // lowest -2.5: axis from -3 to 1 in steps of 4/15
    RecordingCanvas canvas(800, 500);
    std::string info;
    DrawAirfoil(m, canvas, 800, 500, true, 0.5, 0.25, 3.0, info);
    const Layout L{800, 500};
    const int X0 = L.X(0.0), X1 = L.X(1.0);

    const CanvasCall* cp = canvas.FindText("CP");
    ASSERT_NE(cp, nullptr);
    EXPECT_EQ(cp->x1, X0 + 4);
    EXPECT_EQ(cp->y1, 10);
    ExpectArialBold(*cp, kWhite);

    // Axis, then sixteen labelled ticks at i H / 17 with grey lines to the trailing edge, then ten verticals.
    const auto lines = canvas.OfKind(CallKind::Line);
    ASSERT_EQ(lines.size(), 1u + 2 * 16 + 10);
    EXPECT_EQ(lines[0].state.pen, kGrey);
    EXPECT_TRUE(lines[0].x1 == X0 && lines[0].y1 == 500 && lines[0].x2 == X0 && lines[0].y2 == 0);
    std::vector<std::string> labels;
    for (const std::string& text : canvas.Texts())
        if (text.size() > 1 && (text[0] == '-' || (text[0] >= '0' && text[0] <= '9'))) labels.push_back(text);
    ASSERT_EQ(labels.size(), 16u);
    EXPECT_EQ(labels.front(), "-3.00");
    EXPECT_EQ(labels[3], "-2.20");
    EXPECT_EQ(labels.back(), "1.00");
    for (int i = 1; i <= 16; ++i) {
        const int yi = static_cast<int>(std::lround(i * 500.0 / 17));
        const CanvasCall& tick = lines[static_cast<std::size_t>(2 * i - 1)];
        const CanvasCall& rule = lines[static_cast<std::size_t>(2 * i)];
        EXPECT_EQ(tick.state.pen, kWhite);
        EXPECT_TRUE(tick.x1 == X0 - 2 && tick.x2 == X0 + 2 && tick.y1 == yi && tick.y2 == yi) << i;
        EXPECT_EQ(rule.state.pen, kGrey);
        EXPECT_TRUE(rule.x1 == X0 + 2 && rule.x2 == X1 && rule.y1 == yi) << i;
        const CanvasCall* label = canvas.FindText(labels[static_cast<std::size_t>(i - 1)]);
        EXPECT_EQ(label->x1, X0 - 35);
        EXPECT_EQ(label->y1, yi - 7);
    }
    for (int i = 1; i <= 10; ++i) {
        const CanvasCall& v = lines[static_cast<std::size_t>(32 + i)];
        EXPECT_TRUE(v.x1 == L.X(0.1 * i) && v.x2 == v.x1 && v.y1 == 0 && v.y2 == 500) << i;
    }

    // The section unturned under the plot, then the small turned copy, then the curves, in this order.
    const auto polygon = canvas.OfKind(CallKind::Polygon).at(0);
    EXPECT_TRUE(SamePoint(polygon.points[0], X1, 250));
    const std::size_t grid = IndexOf(canvas, CallKind::Line, kGrey);
    const std::size_t section = IndexOf(canvas, CallKind::Polygon, kWhite);
    const std::size_t small = IndexOf(canvas, CallKind::Polyline, kYellow);
    const std::size_t lower = IndexOf(canvas, CallKind::Polyline, kRed);
    const std::size_t upper = IndexOf(canvas, CallKind::Polyline, kGreen);
    EXPECT_LT(grid, section);
    EXPECT_LT(section, small);
    EXPECT_LT(small, lower);
    EXPECT_LT(lower, upper);
    ASSERT_LT(upper, canvas.Calls().size());

    const double t = 3.0 * std::numbers::pi / 180;
    const CanvasCall& yellow = canvas.Calls()[small];
    ASSERT_EQ(yellow.points.size(), 5u);
    EXPECT_TRUE(SamePoint(yellow.points[2], L.X(0.1), 250));
    EXPECT_TRUE(SamePoint(yellow.points[0], L.X(0.1 + 0.35 * std::cos(t)), L.Y(-0.35 * std::sin(t))));

    // Cp lies at (Cp - top) H / (17 step): 1 on row 16 H / 17.
    const double step = 4.0 / 15, top = -3.0 - step;
    const auto cpRow = [&](double v) { return static_cast<int>(std::lround((v - top) * 500 / (17 * step))); };
    const CanvasCall& red = canvas.Calls()[lower];
    ASSERT_EQ(red.points.size(), 3u);  // panels 1..LE
    EXPECT_TRUE(SamePoint(red.points[0], L.X(0.75), cpRow(1.0)));
    EXPECT_EQ(red.points[0].y, 471);
    EXPECT_TRUE(SamePoint(red.points[1], L.X(0.25), cpRow(-2.5)));
    EXPECT_TRUE(SamePoint(red.points[2], L.X(0.25), cpRow(-0.4)));
    const CanvasCall& green = canvas.Calls()[upper];
    ASSERT_EQ(green.points.size(), 2u);  // panels LE..NS
    EXPECT_TRUE(SamePoint(green.points[0], L.X(0.25), cpRow(-0.4)));
    EXPECT_TRUE(SamePoint(green.points[1], L.X(0.75), cpRow(0.2)));

    // Legends, one text height apart.
    const int x = 800 - 9 * 14 - 5;
    const struct {
        const char* text;
        int y;
        Rgb colour;
    } legends[] = {{" UPPER SURFACE", 7, kGreen}, {" LOWER SURFACE", 21, kRed}, {" Cl = 0.5", 35, kWhite},
                   {" Cd = 0.25", 49, kWhite},    {" Height = 10%", 63, kWhite}, {" Area = 0.05", 77, kWhite}};
    for (const auto& legend : legends) {
        const CanvasCall* c = canvas.FindText(legend.text);
        ASSERT_NE(c, nullptr) << legend.text;
        EXPECT_EQ(c->x1, x);
        EXPECT_EQ(c->y1, legend.y) << legend.text;
        ExpectArialBold(*c, legend.colour);
    }

    EXPECT_TRUE(m.CpValues.empty());
    EXPECT_EQ(info, "Height= 10%\nArea= 0.05\nCl= 0.5\nCd= 0.25\nAOA= 3");
}

TEST(AirfoilDrawing, AxisFromAShallowMinimum) {
    ModelState m = Diamond();
    m.CpValues = {0.0, 0.3, -0.4, 0.1, 0.9};  // trunc(-0.4) = 0: axis from -1 in steps of 2/15
    RecordingCanvas canvas(800, 500);
    std::string info;
    DrawAirfoil(m, canvas, 800, 500, true, 0.1, 0.0, 0.0, info);
    EXPECT_NE(canvas.FindText("-1.00"), nullptr);
    EXPECT_NE(canvas.FindText("-0.87"), nullptr);
    EXPECT_NE(canvas.FindText("1.00"), nullptr);
    EXPECT_EQ(canvas.FindText("-2.00"), nullptr);

    // From -4 in steps of 1/3 one label lands on zero, a hair below it in single precision.
    m.CpValues = {0.0, 0.3, -3.5, 0.1, 0.9};
    RecordingCanvas zero(800, 500);
    DrawAirfoil(m, zero, 800, 500, true, 0.1, 0.0, 0.0, info);
    EXPECT_NE(zero.FindText("-4.00"), nullptr);
    EXPECT_NE(zero.FindText("0.00"), nullptr);  // a label that rounds to zero carries no sign
    EXPECT_EQ(zero.FindText("-0.00"), nullptr);
}

TEST(AirfoilDrawing, NonFinitePressuresNeverReachThePixels) {
    // Some values unusable: the axis comes from the finite ones and the curves skip the others.
    ModelState m = Diamond();
    m.CpValues = {0.0, kNaN, -1.5, std::numeric_limits<double>::infinity(), 0.5};
    RecordingCanvas canvas(800, 500);
    std::string info;
    DrawAirfoil(m, canvas, 800, 500, true, 1.0, 0.1, 2.0, info);
    EXPECT_NE(canvas.FindText("-2.00"), nullptr);
    EXPECT_EQ(canvas.OfKind(CallKind::Polyline).size(), 4u);
    EXPECT_EQ(canvas.Calls()[IndexOf(canvas, CallKind::Polyline, kRed)].points.size(), 1u);
    EXPECT_EQ(canvas.Calls()[IndexOf(canvas, CallKind::Polyline, kGreen)].points.size(), 1u);

    // Nothing finite: the section alone, turned as in the plain view; the numbers as the formatter writes them.
    ModelState n = Diamond();
    n.CpValues = {0.0, kNaN, kNaN, kNaN, kNaN};
    RecordingCanvas plain(800, 500);
    std::string text;
    DrawAirfoil(n, plain, 800, 500, true, kNaN, kNaN, 5.0, text);
    EXPECT_EQ(plain.Count(CallKind::Line), 0u);
    EXPECT_EQ(plain.FindText("CP"), nullptr);
    EXPECT_EQ(plain.FindText(" UPPER SURFACE"), nullptr);
    EXPECT_EQ(plain.OfKind(CallKind::Polygon).size(), 1u);
    EXPECT_NE(plain.FindText(" Cl = " + FloatToText(kNaN)), nullptr);
    EXPECT_EQ(text, "Height= 10%\nArea= 0.05\nCl= " + FloatToText(kNaN) + "\nCd= " + FloatToText(kNaN) + "\nAOA= 5");
}

BuildInputs Tunnel2D(int32_t panels) {
    BuildInputs in;
    in.Act3D = false;
    in.ActCutSec = false;
    in.ActTunnel = true;
    in.nX = panels;
    in.CanvasWidth = 640;
    in.CanvasHeight = 480;
    in.AngleOfAttack = 4.0;
    return in;
}

// Every coordinate a canvas received lies near the bitmap.
void ExpectSanePixels(const RecordingCanvas& canvas) {
    for (const CanvasCall& c : canvas.Calls()) {
        for (const int v : {c.x1, c.y1, c.x2, c.y2}) EXPECT_LT(std::abs(v), 100000);
        for (const PixelPoint& p : c.points) {
            EXPECT_LT(std::abs(p.x), 100000);
            EXPECT_LT(std::abs(p.y), 100000);
        }
    }
}

TEST(AirfoilDrawingBuild, TheTunnelOnlyBelow640Panels) {
    ModelState m;
    RecordingCanvas withPlot(640, 480);
    std::string info;
    BuildModel(m, Tunnel2D(64), withPlot, info);
    EXPECT_NE(withPlot.FindText("CP"), nullptr);
    EXPECT_NE(info.find("\nCl= "), std::string::npos);
    EXPECT_NE(info.find("\nAOA= 4"), std::string::npos);
    EXPECT_TRUE(m.CpValues.empty());
    EXPECT_TRUE(m.PanelMatrix.empty());

    RecordingCanvas withoutPlot(640, 480);
    std::string info640;
    BuildModel(m, Tunnel2D(640), withoutPlot, info640);
    EXPECT_EQ(withoutPlot.FindText("CP"), nullptr);
    EXPECT_EQ(withoutPlot.Count(CallKind::Line), 0u);
    EXPECT_EQ(info640.find("Cl="), std::string::npos);
    EXPECT_EQ(withoutPlot.OfKind(CallKind::Polygon).at(0).points.size(), 641u);
}

TEST(AirfoilDrawingBuild, AFlatSectionInTheTunnelDrawsWithoutGarbage) {
    BuildInputs in = Tunnel2D(64);
    in.fZ = 0.0;  // a contour folded onto its chord
    ModelState m;
    RecordingCanvas canvas(640, 480);
    std::string info;
    ASSERT_NO_THROW(BuildModel(m, in, canvas, info));
    EXPECT_EQ(canvas.OfKind(CallKind::Polygon).size(), 1u);
    ExpectSanePixels(canvas);
    EXPECT_NE(info.find("Height= 0%"), std::string::npos);
}

}  // namespace
}  // namespace korvel
