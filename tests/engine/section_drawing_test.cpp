// section_drawing_test.cpp — the section-mode picture through a recording canvas: layout, fit, texts, lines.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "engine/section_drawing.h"
#include "mesh_checks.h"
#include "recording_canvas.h"

namespace korvel {
namespace {

using testing::CallKind;
using testing::RecordingCanvas;
using Outline = std::vector<std::pair<int32_t, int32_t>>;

// A model of the given fitted extents, unscaled, holding the given triangles.
ModelState Holding(Vec3d size, const std::vector<T3p>& t) {
    ModelState m;
    std::tie(m.FittedSize, m.NaturalSize, m.ScaleFactor, m.Triangles) = std::tuple(size, size, Vec3d{1, 1, 1}, t);
    m.TriangleLast = static_cast<int32_t>(t.size()) - 1;
    return m;
}

std::vector<Outline> Outlines(const RecordingCanvas& c) {
    std::vector<Outline> out;
    for (const auto& call : c.OfKind(CallKind::Polyline)) {
        out.emplace_back();
        for (const PixelPoint& p : call.points) out.back().emplace_back(p.x, p.y);
    }
    return out;
}

// A position that no float holds (after a fit or a mirror) still finds the caps rounded from it; only
// the triangles wholly in the plane count; and the extremes are the cap's own even when it lies wholly
// beyond the widened vertical range (10 by 1 on 400 x 200 pixels: the range becomes 5, 40 pixels per
// unit, origin at pixel (7, 207)). No cap: the bare cross and no figures.
TEST(SectionDrawing, PositionInSinglePrecisionAndTheCapsOwnExtremes) {
    std::string info = "kept";
    RecordingCanvas bare(200, 200);
    ModelState none = Holding({1, 1, 1}, {});
    DrawSection(none, bare, 200, 200, 0, 0.5, 0.5, 0.5, info);
    EXPECT_EQ(bare.Texts(), (std::vector<std::string>{"Y", "Z"}));
    EXPECT_EQ(info, "kept");
    const double pos = 0.1 * 3.7;
    const float x = static_cast<float>(pos);
    ASSERT_NE(static_cast<double>(x), pos);
    ModelState m = Holding({1, 10, 1}, {T3p{{{x, 6, 0.25f}, {x, 8, 0.25f}, {x, 7, 0.75f}}},
                                        T3p{{{x, 0, 0}, {0.5f, 2, 0}, {x, 1, 1}}}});
    RecordingCanvas c(415, 265);
    info = "Height= 12%";
    DrawSection(m, c, 415, 265, 0, pos, 0, 0, info);
    EXPECT_EQ(Outlines(c), (std::vector<Outline>{{{247, 197}, {327, 197}, {287, 177}, {247, 197}}}));
    EXPECT_EQ(info, "Height= 12%\nX= 0.37\nYmin= 6\nYmax= 8\nYmax-Ymin= 2\nZmin= 0.25\nZmax= 0.75\nZmax-Zmin= 0.5");
}

// The sphere of diameter 1 built in section mode and cut half-way: on the axis of the view the cap is a
// disc of diameter 1; with all three cuts a quarter disc of radius 0.5; a requested size scales it per
// axis; half the sphere mirrored back gives full discs although the grid behind is half as wide.
TEST(SectionDrawingBuilt, SphereCutOneAndThreeTimesFittedAndMirrored) {
    const std::array<double, 3> fit{0.7, 3, 2};
    const struct { int view; bool all, mirror, fitted; } cases[] = {
        {0, false, false, false}, {1, false, false, false}, {2, false, false, false},
        {0, true, false, false},  {1, true, false, false},  {2, true, false, false},
        {0, false, false, true},  {0, false, true, false},  {2, false, true, false}};
    BuildInputs in = testing::RoundInputs(false);
    std::tie(in.x0, in.Act3D, in.ActCutSec, in.CanvasWidth, in.CanvasHeight) = std::tuple(0.25, false, true, 415, 315);
    for (const auto& k : cases) {
        for (int a = 0; a < 3; ++a) (a == 0 ? in.csX : a == 1 ? in.csY : in.csZ) = k.all || k.view == a ? 0.5 : 1.0;
        std::tie(in.ActCut, in.ActMirror, in.SectionView) = std::tuple(k.mirror, k.mirror, k.view);
        RecordingCanvas canvas(415, 315);
        std::string info;
        const ModelState m = testing::Build(in, k.fitted ? Vec3d{fit[0], fit[1], fit[2]} : Vec3d{-1, -1, -1}, &canvas, &info);
        SCOPED_TRACE(info);
        const std::string axes = "XYZ", text = "\n" + info;
        const auto value = [&text](const std::string& label) {
            const size_t at = text.find("\n" + label);
            return at == std::string::npos ? std::nan("") : std::stod(text.substr(at + 1 + label.size()));
        };
        // Type 1 keeps the low side: the plane lies at the far end of what is left.
        const double pos = k.fitted ? fit[0] : 0.5;
        EXPECT_NEAR(value(axes.substr(size_t(k.view), 1) + "= "), pos, 0.01 * pos);
        for (size_t a = 0; a < 3; ++a) {
            const double span = (k.all ? 0.5 : 1.0) * (k.fitted ? fit[a] : 1.0);
            const std::string n = axes.substr(a, 1);
            if (int(a) == k.view) continue;
            EXPECT_NEAR(value(n + "max-" + n + "min= "), span, 0.01 * span) << n;
        }
        ASSERT_GT(canvas.Count(CallKind::Polyline), 10u);
        for (const Outline& o : Outlines(canvas))
            for (auto [x, y] : o) ASSERT_TRUE(x >= 7 && x <= 7 + m.CanvasWidth && y >= 7 && y <= 7 + m.CanvasHeight);
    }
}

}  // namespace
}  // namespace korvel
