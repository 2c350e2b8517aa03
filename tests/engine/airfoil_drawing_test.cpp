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
#include "engine/text_helpers.h"
#include "mesh_checks.h"
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

// The diamond (area 0.05, height 10 %) drawn on a recording canvas of W x H.
RecordingCanvas Draw(ModelState& m, std::vector<double> cp, bool tunnel, double Cl, double Cd, double aoa,
                     std::string& info, int W = 800, int H = 500) {
    m = testing::Diamond(std::move(cp));
    RecordingCanvas canvas(W, H);
    DrawAirfoil(m, canvas, W, H, tunnel, Cl, Cd, aoa, info);
    return canvas;
}

// The points of the first call of a kind drawn with a pen colour, and where that call stands in the drawing order.
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

// Cleared to black first, then a navy section with a white outline through the five nodes, one scale for
// both axes, no plot and no coefficients; at 10 degrees it shrinks to 0.9 about the leading edge and the
// trailing edge goes down.
TEST(AirfoilDrawing, PlainSectionFullSizeOrTurned) {
    ModelState m;
    std::string info;
    const RecordingCanvas canvas = Draw(m, {}, false, 0.0, 0.0, 0.0, info, 800, 501);  // the drawing uses 500 rows
    EXPECT_EQ(m.CanvasHeight, 500);
    EXPECT_EQ(canvas.OfKind(CallKind::Rectangle).at(0).state.brush, kBlack);
    const Points d = PointsOf(canvas, CallKind::Polygon, kWhite);
    ASSERT_EQ(d.size(), 5u);
    EXPECT_TRUE(PointsOf(canvas, CallKind::Polyline, kWhite) == d && canvas.OfKind(CallKind::Polygon).at(0).state.brush == kNavy);
    EXPECT_NEAR(d[3].second - d[1].second, -0.1 * (d[0].first - d[2].first), 1.0);
    EXPECT_EQ(canvas.Count(CallKind::Line), 0u);
    EXPECT_EQ(canvas.Texts(), (std::vector<std::string>{" Height = 10%", " Area = 0.05"}));
    EXPECT_EQ(info, "Height= 10%\nArea= 0.05");
    info = "Model";
    const Points t = PointsOf(Draw(m, {}, false, 0.0, 0.0, 10.0, info), CallKind::Polygon, kWhite);
    const double a = 10.0 * std::numbers::pi / 180, chord = d[0].first - d[2].first;
    EXPECT_EQ(t.at(2), d[2]);
    EXPECT_NEAR(t.at(0).first - t[2].first, 0.9 * std::cos(a) * chord, 1.0);
    EXPECT_NEAR(t.at(0).second - t[2].second, 0.9 * std::sin(a) * chord, 1.0);
    EXPECT_EQ(info, "Model\nHeight= 10%\nArea= 0.05");
}

// The axis runs from the lowest finite Cp truncated and less one: trunc(-2.5) - 1 = -3 in steps of 4/15;
// trunc(-0.4) = 0: from -1 in steps of 2/15. From -4 in steps of 1/3 one label lands a hair below zero in
// single precision: it reads 0.00. Unusable values leave the axis to the finite ones and drop out of the
// curves. Grid, section (unturned), small turned copy, lower and upper curves come in this order; Cp at
// mid-chord of panels 1..LE (lower, red) and LE..NS (upper, green); texts in their colours.
TEST(AirfoilDrawing, PressurePlotAxisCurvesColoursAndFigures) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct { std::vector<double> cp; const char *first, *second, *absent; std::size_t lower, upper; } cases[] = {
        {{0.0, 1.0, -2.5, -0.4, 0.2}, "-3.00", "1.00", "-4.00", 3, 2},
        {{0.0, 0.3, -0.4, 0.1, 0.9}, "-1.00", "-0.87", "-2.00", 3, 2},
        {{0.0, 0.3, -3.5, 0.1, 0.9}, "-4.00", "0.00", "-0.00", 3, 2},
        {{0.0, kNaN, -1.5, inf, 0.5}, "-2.00", "1.00", "-3.00", 1, 1}};
    for (const auto& c : cases) {
        ModelState m;
        std::string info;
        const RecordingCanvas canvas = Draw(m, c.cp, true, 0.5, 0.25, 3.0, info);
        EXPECT_TRUE(canvas.FindText(c.first) && canvas.FindText(c.second) && !canvas.FindText(c.absent)) << c.first;
        const Points lower = PointsOf(canvas, CallKind::Polyline, kRed), upper = PointsOf(canvas, CallKind::Polyline, kGreen);
        ASSERT_TRUE(lower.size() == c.lower && upper.size() == c.upper) << c.first;
        for (const CanvasCall& call : canvas.Calls())  // no stray pixels
            for (const PixelPoint& p : call.points) EXPECT_TRUE(p.x >= 0 && p.x <= 800 && p.y >= 0 && p.y <= 500);
        EXPECT_TRUE(m.CpValues.empty());
        EXPECT_EQ(info, "Height= 10%\nArea= 0.05\nCl= 0.5\nCd= 0.25\nAOA= 3");
        if (c.lower != 3) continue;
        EXPECT_TRUE(lower[1].first == lower[2].first && lower[2] == upper[0] && upper[1].first == lower[0].first);
        const std::vector<std::size_t> order{
            IndexOf(canvas, CallKind::Line, kGrey), IndexOf(canvas, CallKind::Polygon, kWhite),
            IndexOf(canvas, CallKind::Polyline, kYellow), IndexOf(canvas, CallKind::Polyline, kRed),
            IndexOf(canvas, CallKind::Polyline, kGreen), canvas.Calls().size()};
        EXPECT_EQ(std::adjacent_find(order.begin(), order.end(), std::greater_equal<>()), order.end());
        const struct { const char* text; Rgb colour; } texts[] = {
            {"CP", kWhite}, {" UPPER SURFACE", kGreen}, {" LOWER SURFACE", kRed}, {" Cl = 0.5", kWhite},
            {" Cd = 0.25", kWhite}, {" Height = 10%", kWhite}, {c.first, kWhite}};
        for (const auto& e : texts) {
            const CanvasCall* call = canvas.FindText(e.text);
            ASSERT_NE(call, nullptr) << e.text;
            EXPECT_TRUE(call->state.fontColour == e.colour && call->state.fontFamily == "Arial" && call->state.fontBold);
        }
    }
}

// 64 panels: solved and plotted. 640: no solver, the plain view and no coefficients. A contour folded onto
// its chord (fZ = 0): no solution, the section alone, and a word that it has no thickness instead of NaN.
TEST(AirfoilDrawing, ThroughTheBuild) {
    const std::string nan = FloatToText(kNaN);
    for (const auto& [ns, fZ] : {std::pair{64, 1.0}, std::pair{640, 1.0}, std::pair{64, 0.0}}) {
        RecordingCanvas canvas(640, 480);
        std::string info;
        testing::Build({.nX = ns, .CanvasWidth = 640, .CanvasHeight = 480, .ActTunnel = true, .Act3D = false, .fZ = fZ, .AngleOfAttack = 4.0},
                       {-1, -1, -1}, &canvas, &info);
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
