// airfoil_drawing_test.cpp — the 2D section picture and pressure plot through a recording canvas: layout, colours, texts, info.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "engine/airfoil_drawing.h"
#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/checked_int.h"
#include "engine/text_helpers.h"
#include "recording_canvas.h"

namespace korvel {
namespace {

using testing::CallKind;
using testing::CanvasCall;
using testing::RecordingCanvas;
using Points = std::vector<std::pair<int, int>>;

constexpr Rgb kBlack{0, 0, 0}, kGrey{128, 128, 128}, kWhite{255, 255, 255}, kNavy{0, 0, 128};
constexpr Rgb kYellow{255, 255, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0};
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kTextX = 800 - 9 * 14 - 5;  // figures nine text heights from the right edge (the canvas reports 14)

// A diamond of chord 1 and thickness 0.1 (area 0.05, height 10 %), panels 1, 2 below and 3, 4 above,
// drawn on a recording canvas of W x H.
RecordingCanvas Draw(ModelState& m, std::vector<double> cp, bool tunnel, double Cl, double Cd, double aoa,
                     std::string& info, int W = 800, int H = 500) {
    m.SetSectionCount(4);
    m.SectionX = {0, 1.0, 0.5, 0.0, 0.5, 1.0, 0};
    m.SectionY = {0, 0.0, -0.05, 0.0, 0.05, 0.0, 0};
    m.SectionLE = 3;
    m.CpValues = std::move(cp);
    RecordingCanvas canvas(W, H);
    DrawAirfoil(m, canvas, W, H, tunnel, Cl, Cd, aoa, info);
    return canvas;
}

// The layout in closed form: 45 pixels before the leading edge and 15 after the trailing edge at any
// width, one scale for both axes, the chord line on the middle row; (x, y) in chord units to pixels.
struct Layout {
    double W = 800, H = 500;
    std::pair<int, int> operator()(double x, double y) const {
        const double scale = W / (1.0 + 60.0 / W);
        return {RoundToInt((x + 45.0 / W) * scale), RoundToInt(H / 2 - y * scale)};
    }
};

// The first call of a kind drawn with a pen colour: its index in the drawing order, and its points.
std::size_t IndexOf(const RecordingCanvas& c, CallKind kind, Rgb pen) {
    for (std::size_t i = 0; i < c.Calls().size(); ++i)
        if (c.Calls()[i].kind == kind && c.Calls()[i].state.pen == pen) return i;
    return c.Calls().size();
}
Points PointsOf(const RecordingCanvas& c, CallKind kind, Rgb pen) {
    Points out;
    if (IndexOf(c, kind, pen) < c.Calls().size())
        for (const PixelPoint& p : c.Calls()[IndexOf(c, kind, pen)].points) out.emplace_back(p.x, p.y);
    return out;
}

// A text at its place, in Arial 9 bold of its colour.
void ExpectText(const RecordingCanvas& c, const std::string& text, int x, int y, Rgb colour) {
    const CanvasCall* call = c.FindText(text);
    ASSERT_NE(call, nullptr) << text;
    EXPECT_TRUE(call->x1 == x && call->y1 == y && call->state.fontColour == colour) << text;
    EXPECT_TRUE(call->state.fontFamily == "Arial" && call->state.fontSize == 9 && call->state.fontBold) << text;
}

TEST(AirfoilDrawing, PlainSectionFullSizeOrTurned) {
    ModelState m;
    std::string info;
    const RecordingCanvas canvas = Draw(m, {}, false, 0.0, 0.0, 0.0, info, 800, 501);  // the drawing uses 500 rows
    EXPECT_EQ(m.CanvasHeight, 500);
    // Cleared to black first with the outline outside the bitmap; navy fill and white outline through the
    // nodes, trailing edge first, chord on row 250; no plot and no coefficients.
    const CanvasCall clear = canvas.OfKind(CallKind::Rectangle).at(0);
    EXPECT_TRUE(clear.state.brush == kBlack && clear.x1 == -1 && clear.y1 == -1 && clear.x2 == 801 && clear.y2 == 502);
    const Layout L;
    const Points diamond{L(1, 0), L(0.5, -0.05), L(0, 0), L(0.5, 0.05), L(1, 0)};
    EXPECT_EQ(PointsOf(canvas, CallKind::Polygon, kWhite), diamond);
    EXPECT_EQ(PointsOf(canvas, CallKind::Polyline, kWhite), diamond);
    EXPECT_EQ(canvas.OfKind(CallKind::Polygon).at(0).state.brush, kNavy);
    EXPECT_EQ(canvas.Count(CallKind::Line), 0u);
    EXPECT_EQ(canvas.Texts(), (std::vector<std::string>{" Height = 10%", " Area = 0.05"}));
    EXPECT_EQ(info, "Height= 10%\nArea= 0.05");

    // At 10 degrees the section shrinks to 0.9 about the leading edge and the trailing edge goes down.
    info = "Model";
    const RecordingCanvas turned = Draw(m, {}, false, 0.0, 0.0, 10.0, info, 600, 400);
    const double t = 10.0 * std::numbers::pi / 180;
    const Points shrunk = PointsOf(turned, CallKind::Polygon, kWhite);
    const Layout T{600, 400};
    EXPECT_TRUE(shrunk.at(0) == T(0.9 * std::cos(t), -0.9 * std::sin(t)) && shrunk.at(2) == T(0, 0));
    EXPECT_EQ(info, "Model\nHeight= 10%\nArea= 0.05");
}

TEST(AirfoilDrawing, PressurePlotLayoutColoursAndLegends) {
    ModelState m;
    std::string info;
    // Lowest Cp -2.5: the axis runs from -3 to 1 in steps of 4/15, label i on row i H / 17.
    const RecordingCanvas canvas = Draw(m, {0.0, 1.0, -2.5, -0.4, 0.2}, true, 0.5, 0.25, 3.0, info);
    const Layout L;
    const int X0 = L(0, 0).first;
    const auto lines = canvas.OfKind(CallKind::Line);
    ASSERT_EQ(lines.size(), 1u + 2 * 16 + 10);  // axis, a tick and a rule per label, ten verticals
    EXPECT_TRUE(lines[0].state.pen == kGrey && lines[0].x1 == X0 && lines[0].y1 == 500 && lines[0].y2 == 0);

    // Grid, section (unturned), small turned copy, lower and upper curves, in this order.
    EXPECT_EQ(PointsOf(canvas, CallKind::Polygon, kWhite).at(0), L(1, 0));
    const std::vector<std::size_t> order{
        IndexOf(canvas, CallKind::Line, kGrey), IndexOf(canvas, CallKind::Polygon, kWhite),
        IndexOf(canvas, CallKind::Polyline, kYellow), IndexOf(canvas, CallKind::Polyline, kRed),
        IndexOf(canvas, CallKind::Polyline, kGreen), canvas.Calls().size()};
    EXPECT_EQ(std::adjacent_find(order.begin(), order.end(), std::greater_equal<>()), order.end());
    const double t = 3.0 * std::numbers::pi / 180;
    EXPECT_EQ(PointsOf(canvas, CallKind::Polyline, kYellow).at(0), L(0.1 + 0.35 * std::cos(t), -0.35 * std::sin(t)));
    // Cp at mid-chord of panels 1..LE and LE..NS, on row (Cp - top) H / (17 step): 1 on row 16 H / 17.
    const double step = 4.0 / 15, top = -3.0 - step;
    const auto at = [&](double x, double cp) {
        return std::pair(L(x, 0).first, RoundToInt((cp - top) * 500 / (17 * step)));
    };
    EXPECT_EQ(at(0.75, 1.0).second, 471);
    EXPECT_EQ(PointsOf(canvas, CallKind::Polyline, kRed), (Points{at(0.75, 1.0), at(0.25, -2.5), at(0.25, -0.4)}));
    EXPECT_EQ(PointsOf(canvas, CallKind::Polyline, kGreen), (Points{at(0.25, -0.4), at(0.75, 0.2)}));

    // The axis caption and labels, the legends and figures one text height apart.
    const struct { const char* text; int x, y; Rgb colour; } texts[] = {
        {"CP", X0 + 4, 10, kWhite}, {"-3.00", X0 - 35, RoundToInt(500.0 / 17) - 7, kWhite},
        {"1.00", X0 - 35, RoundToInt(16 * 500.0 / 17) - 7, kWhite}, {" UPPER SURFACE", kTextX, 7, kGreen},
        {" LOWER SURFACE", kTextX, 21, kRed}, {" Cl = 0.5", kTextX, 35, kWhite}, {" Cd = 0.25", kTextX, 49, kWhite},
        {" Height = 10%", kTextX, 63, kWhite}, {" Area = 0.05", kTextX, 77, kWhite}};
    for (const auto& e : texts) ExpectText(canvas, e.text, e.x, e.y, e.colour);
    EXPECT_TRUE(m.CpValues.empty());
    EXPECT_EQ(info, "Height= 10%\nArea= 0.05\nCl= 0.5\nCd= 0.25\nAOA= 3");
}

TEST(AirfoilDrawing, AxisFromTheLowestFinitePressure) {
    // trunc(-0.4) = 0: from -1 in steps of 2/15. From -4 in steps of 1/3 one label lands a hair below zero
    // in single precision: it reads 0.00. Unusable values leave the axis to the finite ones and drop out
    // of the curves.
    const double inf = std::numeric_limits<double>::infinity();
    const struct { std::vector<double> cp; const char *first, *second, *absent; std::size_t lower, upper; } cases[] = {
        {{0.0, 0.3, -0.4, 0.1, 0.9}, "-1.00", "-0.87", "-2.00", 3, 2},
        {{0.0, 0.3, -3.5, 0.1, 0.9}, "-4.00", "0.00", "-0.00", 3, 2},
        {{0.0, kNaN, -1.5, inf, 0.5}, "-2.00", "1.00", "-3.00", 1, 1}};
    for (const auto& c : cases) {
        ModelState m;
        std::string info;
        const RecordingCanvas canvas = Draw(m, c.cp, true, 0.1, 0.0, 2.0, info);
        EXPECT_TRUE(canvas.FindText(c.first) && canvas.FindText(c.second) && !canvas.FindText(c.absent)) << c.first;
        EXPECT_EQ(PointsOf(canvas, CallKind::Polyline, kRed).size(), c.lower);
        EXPECT_EQ(PointsOf(canvas, CallKind::Polyline, kGreen).size(), c.upper);
        for (const CanvasCall& call : canvas.Calls())  // no stray pixels
            for (const PixelPoint& p : call.points) EXPECT_TRUE(p.x >= 0 && p.x <= 800 && p.y >= 0 && p.y <= 500);
    }
}

// 64 panels: solved and plotted. 640: no solver, the plain view and no coefficients. A contour folded onto
// its chord (fZ = 0): no solution, the section alone, and a word that it has no thickness instead of NaN.
TEST(AirfoilDrawing, ThroughTheBuild) {
    BuildInputs in;
    in.Act3D = false;
    in.ActTunnel = true;
    in.CanvasWidth = 640;
    in.CanvasHeight = 480;
    in.AngleOfAttack = 4.0;
    const std::string nan = FloatToText(kNaN);
    for (const auto& [ns, fZ] : {std::pair{64, 1.0}, std::pair{640, 1.0}, std::pair{64, 0.0}}) {
        in.nX = ns;
        in.fZ = fZ;
        ModelState m;
        RecordingCanvas canvas(640, 480);
        std::string info;
        ASSERT_NO_THROW(BuildModel(m, in, canvas, info));
        const bool plot = ns == 64 && fZ == 1.0;
        EXPECT_TRUE((canvas.FindText("CP") != nullptr) == plot && (canvas.Count(CallKind::Line) > 0) == plot);
        EXPECT_EQ(info.find("\nCl= ") != std::string::npos, plot) << ns;
        EXPECT_EQ(canvas.OfKind(CallKind::Polygon).at(0).points.size(), static_cast<std::size_t>(ns) + 1);
        EXPECT_EQ(info.find(nan), std::string::npos) << info;
        EXPECT_EQ(canvas.FindText(" Cl = " + nan), nullptr);
        if (fZ == 0.0) {
            EXPECT_NE(canvas.FindText(" No thickness to solve"), nullptr);
            EXPECT_NE(info.find("\nThe section has no thickness to solve: no Cl and Cd.\nAOA= 4"), std::string::npos) << info;
        }
    }
}

}  // namespace
}  // namespace korvel
