// section_drawing_test.cpp — the section-mode picture through a recording canvas: layout, fit, texts, lines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/model.h"
#include "engine/section_drawing.h"
#include "recording_canvas.h"

namespace korvel {
namespace {

using testing::CallKind;
using testing::CanvasCall;
using testing::RecordingCanvas;

constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};
using Outline = std::vector<std::pair<int32_t, int32_t>>;

// A model of the given fitted extents, unscaled, holding the given triangles.
ModelState Holding(Vec3d size, const std::vector<T3p>& t) {
    ModelState m;
    m.FittedSize = m.NaturalSize = size;
    m.ScaleFactor = {1, 1, 1};
    m.Triangles = t;
    m.TriangleLast = static_cast<int32_t>(t.size()) - 1;
    return m;
}

std::vector<Outline> Outlines(const RecordingCanvas& c) {
    std::vector<Outline> out;
    for (const CanvasCall& call : c.OfKind(CallKind::Polyline)) {
        out.emplace_back();
        for (const PixelPoint& p : call.points) out.back().emplace_back(p.x, p.y);
    }
    return out;
}

bool InsideDrawingArea(const RecordingCanvas& c, const ModelState& m) {
    for (const Outline& o : Outlines(c))
        for (auto [x, y] : o)
            if (x < 7 || x > 7 + m.CanvasWidth || y < 7 || y > 7 + m.CanvasHeight) return false;
    return true;
}

// The value on the information line that starts with label, or NaN.
double InfoValue(const std::string& info, const std::string& label) {
    const std::string text = "\n" + info;
    const std::size_t at = text.find("\n" + label);
    if (at == std::string::npos) return std::nan("");
    const std::size_t from = at + 1 + label.size();
    return std::stod(text.substr(from, text.find('\n', from) - from));
}

TEST(SectionDrawing, CanvasLimitClearAndCross) {
    ModelState m = Holding({1, 1, 1}, {});
    m.CanvasWidth = 5;
    std::string info = "kept";
    for (auto [w, h] : {std::pair{70, 400}, std::pair{400, 70}}) {
        RecordingCanvas c(w, h);
        DrawSection(m, c, w, h, 0, 0.5, 0.5, 0.5, info);
        EXPECT_TRUE(c.Calls().empty());
    }
    EXPECT_EQ(m.CanvasWidth, 5);

    RecordingCanvas c(71, 71);
    DrawSection(m, c, 71, 71, 0, 0.5, 0.5, 0.5, info);
    const CanvasCall clear = c.OfKind(CallKind::Rectangle).at(0);
    EXPECT_TRUE(clear.x1 == -1 && clear.y1 == -1 && clear.x2 == 72 && clear.y2 == 72);
    EXPECT_TRUE(clear.state.brush == kBlack && clear.state.pen == kWhite && clear.state.penWidth == 1);
    EXPECT_TRUE(m.CanvasWidth == 56 && m.CanvasHeight == 6);
    EXPECT_EQ(c.Texts(), (std::vector<std::string>{"Y", "Z"}));  // no cap: the cross alone
    EXPECT_EQ(info, "kept");

    RecordingCanvas other(200, 200);
    DrawSection(m, other, 200, 200, 3, 0.5, 0.5, 0.5, info);  // no such view: the cleared canvas only
    EXPECT_EQ(other.Calls().size(), 3u);
}

// Extents 2 (across) by 1 (up) on a square area of 200 pixels: the vertical range widens to 2, so 100
// pixels per unit, v = 0 on row 207 and v = 1 on row 107. Only the triangles wholly in the plane count.
TEST(SectionDrawing, CapFittedIntoTheDrawingArea) {
    const float x = 0.25f;
    ModelState m = Holding({3, 2, 1}, {T3p{{{x, 0, 0}, {x, 2, 0}, {x, 1, 1}}},
                                       T3p{{{0.5f, 0, 0}, {0.5f, 2, 0}, {0.5f, 1, 1}}},
                                       T3p{{{x, 0, 0}, {0.5f, 2, 0}, {x, 1, 1}}}});
    RecordingCanvas c(215, 265);
    std::string info;
    DrawSection(m, c, 215, 265, 0, 0.25, 0.5, 0.5, info);
    EXPECT_EQ(Outlines(c), (std::vector<Outline>{{{7, 207}, {207, 207}, {107, 107}, {7, 207}}}));
    const CanvasCall* p = c.FindText("X= 0.25");
    const CanvasCall* h = c.FindText("Ymin= 0  ;  Ymax= 2  ;  Ymax-Ymin= 2");
    const CanvasCall* v = c.FindText("Zmin= 0  ;  Zmax= 1  ;  Zmax-Zmin= 1");
    ASSERT_TRUE(p && h && v);
    EXPECT_TRUE(p->x1 == 70 && p->y1 == 220 && h->x1 == 70 && h->y1 == 233 && v->x1 == 70 && v->y1 == 246);
    EXPECT_TRUE(v->state.fontFamily == "Tahoma" && v->state.fontSize == 8 && !v->state.fontBold &&
                v->state.fontColour == kWhite);
    EXPECT_EQ(info, "X= 0.25\nYmin= 0\nYmax= 2\nYmax-Ymin= 2\nZmin= 0\nZmax= 1\nZmax-Zmin= 1");
    std::string more = "Height= 12%";
    DrawSection(m, c, 215, 265, 0, 0.25, 0.5, 0.5, more);
    EXPECT_EQ(more.rfind("Height= 12%\nX= 0.25\nYmin= 0\n", 0), 0u);
}

// A position that no float holds (after a fit or a mirror) still finds the caps rounded from it; and
// the extremes are the cap's own even when it lies wholly beyond the widened vertical range (10 by 1
// on 400 x 200 pixels: the range becomes 5, 40 pixels per unit).
TEST(SectionDrawing, PositionInSinglePrecisionAndTheCapsOwnExtremes) {
    const double pos = 0.1 * 3.7;
    const float x = static_cast<float>(pos);
    ASSERT_NE(static_cast<double>(x), pos);
    ModelState m = Holding({1, 10, 1}, {T3p{{{x, 6, 0.25f}, {x, 8, 0.25f}, {x, 7, 0.75f}}}});
    RecordingCanvas c(415, 265);
    std::string info;
    DrawSection(m, c, 415, 265, 0, pos, 0, 0, info);
    EXPECT_EQ(Outlines(c), (std::vector<Outline>{{{247, 197}, {327, 197}, {287, 177}, {247, 197}}}));
    EXPECT_EQ(info, "X= 0.37\nYmin= 6\nYmax= 8\nYmax-Ymin= 2\nZmin= 0.25\nZmax= 0.75\nZmax-Zmin= 0.5");
}

// Each view picks the caps of its own plane and labels its own axes in their colours.
TEST(SectionDrawing, EachViewDrawsItsOwnPlane) {
    const ModelState base = Holding({4, 2, 1}, {T3p{{{1, 0, 0}, {1, 2, 0}, {1, 1, 1}}},
                                                T3p{{{0, 0.5f, 0}, {4, 0.5f, 0}, {2, 0.5f, 1}}},
                                                T3p{{{1, 0, 0.75f}, {3, 0, 0.75f}, {2, 2, 0.75f}}}});
    struct Case { Rgb hc, vc; std::string h, v, info; } cases[3] = {
        {kGreen, kBlue, "Y", "Z", "X= 1\nYmin= 0\nYmax= 2\nYmax-Ymin= 2\nZmin= 0\nZmax= 1\nZmax-Zmin= 1"},
        {kRed, kBlue, "X", "Z", "Y= 0.5\nXmin= 0\nXmax= 4\nXmax-Xmin= 4\nZmin= 0\nZmax= 1\nZmax-Zmin= 1"},
        {kRed, kGreen, "X", "Y", "Z= 0.75\nXmin= 1\nXmax= 3\nXmax-Xmin= 2\nYmin= 0\nYmax= 2\nYmax-Ymin= 2"}};
    for (int view = 0; view < 3; ++view) {
        const Case& k = cases[view];
        ModelState m = base;
        RecordingCanvas c(300, 200);
        std::string info;
        DrawSection(m, c, 300, 200, view, 1.0, 0.5, 0.75, info);
        EXPECT_EQ(info, k.info);
        EXPECT_EQ(Outlines(c).size(), 1u);
        const auto lines = c.OfKind(CallKind::Line);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_TRUE(lines[0].x1 == 17 && lines[0].y1 == 187 && lines[0].x2 == 35 && lines[0].y2 == 187);
        EXPECT_TRUE(lines[1].x1 == 17 && lines[1].y1 == 187 && lines[1].x2 == 17 && lines[1].y2 == 169);
        EXPECT_TRUE(lines[0].state.pen == k.hc && lines[1].state.pen == k.vc && lines[0].state.penWidth == 2);
        const CanvasCall* hl = c.FindText(k.h);
        const CanvasCall* vl = c.FindText(k.v);
        ASSERT_TRUE(hl && vl);
        EXPECT_TRUE(hl->x1 == 40 && hl->y1 == 185 && vl->x1 == 5 && vl->y1 == 157);
        EXPECT_TRUE(hl->state.fontBold && hl->state.fontColour == k.hc && vl->state.fontColour == k.vc);
    }
}

// The sphere of diameter 1 in section mode, cut half-way on the axis of the view: the cap is a disc of
// diameter 1. With all three cuts an eighth is left and each cap is a quarter disc of radius 0.5.
BuildInputs SphereSection(int view, bool allCuts = false) {
    BuildInputs in;
    in.Tea = in.Lea = 180.0;
    in.rb = in.rc1 = in.rc2 = 1.0;
    in.x0 = 0.25;
    in.nX = in.mYZ = 40;
    in.Act3D = false;
    in.ActCutSec = true;
    in.csX = allCuts || view == 0 ? 0.5 : 1.0;
    in.csY = allCuts || view == 1 ? 0.5 : 1.0;
    in.csZ = allCuts || view == 2 ? 0.5 : 1.0;
    in.SectionView = view;
    in.CanvasWidth = 415;
    in.CanvasHeight = 315;
    return in;
}

struct Built {
    ModelState m;
    RecordingCanvas canvas{415, 315};
    std::string info;
    explicit Built(const BuildInputs& in, double length = -1, double width = -1, double height = -1) {
        ResetDimensions(m);
        m.LengthX = length;
        m.WidthY = width;
        m.HeightZ = height;
        BuildModel(m, in, canvas, info);
    }
    double Span(const std::string& a) const { return InfoValue(info, a + "max-" + a + "min= "); }
};

TEST(SectionDrawingBuilt, SphereCutOnEachAxis) {
    const char* names[3][2] = {{"Y", "Z"}, {"X", "Z"}, {"X", "Y"}};
    for (int view = 0; view < 3; ++view) {
        Built one(SphereSection(view)), all(SphereSection(view, true));
        EXPECT_GT(one.canvas.Count(CallKind::Polyline), 10u);
        EXPECT_TRUE(InsideDrawingArea(one.canvas, one.m)) << view;
        for (const char* a : names[view]) {
            EXPECT_NEAR(one.Span(a), 1.0, 0.01) << view << a;
            EXPECT_NEAR(all.Span(a), 0.5, 0.005) << view << a;
        }
    }
}

// A requested size puts the plane where no float lies; the cap is still found, scaled per axis.
TEST(SectionDrawingBuilt, FittedModel) {
    Built b(SphereSection(0), 0.7, 3.0, 2.0);
    EXPECT_EQ(b.info.rfind("X= 0.7\n", 0), 0u) << b.info;
    EXPECT_NEAR(b.Span("Y"), 3.0, 0.03);
    EXPECT_NEAR(b.Span("Z"), 2.0, 0.02);
    EXPECT_TRUE(InsideDrawingArea(b.canvas, b.m));
}

// Half the sphere mirrored back into the whole: full discs, drawn inside the area although the grid
// behind them is only half as wide.
TEST(SectionDrawingBuilt, MirroredModel) {
    for (int view : {0, 2}) {
        BuildInputs in = SphereSection(view);
        in.ActCut = true;
        in.c = 1;
        in.ActMirror = true;
        Built b(in);
        EXPECT_NEAR(b.Span("Y"), 1.0, 0.01) << b.info;
        EXPECT_NEAR(b.Span(view == 0 ? "Z" : "X"), 1.0, 0.01);
        EXPECT_TRUE(InsideDrawingArea(b.canvas, b.m)) << view;
    }
}

// Too small to draw (10 pixels is not asked for, 60 is refused): the model is built all the same.
TEST(SectionDrawingBuilt, SmallCanvasStillBuildsTheModel) {
    for (int32_t width : {10, 60}) {
        BuildInputs in = SphereSection(0);
        in.CanvasWidth = width;
        Built b(in);
        EXPECT_GE(b.m.TriangleLast, 0);
        EXPECT_TRUE(b.canvas.Calls().empty() && b.info.empty());
    }
}

}  // namespace
}  // namespace korvel
