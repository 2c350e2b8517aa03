// panel_rules_test.cpp — the panel's rules for a state: modeller-set enabling, captions, a model's figures.
#include <gtest/gtest.h>

#include "app/core/panel_rules.h"

namespace korvel {
namespace {

TEST(PanelRules, ModellerSetEnablingFollowsItsValuesAndTheFoldBox) {
    PanelState s = DefaultPanelState();
    s.Params[10] = 1.0;  // tx 1 with tz at its lowest position: active
    PanelLayout l = ComputeLayout(s, false, 5000, 64);
    EXPECT_TRUE(l.SetKTc && l.SetVersus && l.BarStretchYD);
    s.Params[11] = 0.0039;  // typed below the lowest position: not active
    l = ComputeLayout(s, false, 5000, 64);
    EXPECT_FALSE(l.SetKTc || l.SetVersus || l.BarStretchYD);
    s.ActWing = true;  // the fold box shows: the direction slider stays usable
    l = ComputeLayout(s, false, 5000, 64);
    EXPECT_TRUE(l.BoxFold && l.SetVersus && !l.SetKTc);
    // With set 2 shown, set 1's enabling is left as it was and still decides the Y modifier.
    s.Set2Shown = true;
    l = ComputeLayout(s, true, 5000, 64);
    EXPECT_TRUE(l.BarKTc && l.BarStretchYD);
}

// The clamps themselves (2D panels, cut modes on a wing, Mirror) are checked through the window.
TEST(PanelRules, ModesShowTheirCaptions) {
    PanelState s = DefaultPanelState();
    std::tie(s.Pos(Bar::NPX), s.Act3D) = std::tuple(3000, false);
    PanelLayout l = ComputeLayout(s, false, 5000, 64);
    EXPECT_EQ(l.Caption.Points + "|" + l.Caption.Stretch + "|" + l.Caption.Flip,
              "Panels: 3000|Stretch Y: 1|Flip Vertical, Horizontal: 0 ; 0");
    std::tie(s.Act3D, s.ActWing) = std::tuple(true, true);
    l = ComputeLayout(s, false, 5000, 64);
    EXPECT_EQ(l.Caption.Points, "Subdivisions: 64x40");
    EXPECT_EQ(l.Caption.Thick, "Thickness: 0.0575 ; 0.9815 ; 0.9815");  // no body radius on a wing
}

TEST(PanelRules, FiguresAndLabelsOfAModel) {
    ModelState m;
    std::tie(m.NaturalSize, m.WidthY, m.SurfaceArea, m.Volume) = std::tuple(Vec3d{1.0, 0.25, 0.5}, 2.5, 2.0, 0.0);
    std::string info;
    AppendModelFigures(m, info);
    EXPECT_EQ(info, "Length-X= 1\nWidth-Y= 2.5\nHeight-Z= 0.5\nSurface area= 2\nVolume= 0\nCenter Gravity= 0 ; 0 ; 0");
    EXPECT_EQ(GeoLabelsOf(m).SurfVol, " Surface area: 2 - Volume: 0");  // no ratio for a zero volume
    m.Volume = 0.5;
    EXPECT_EQ(GeoLabelsOf(m).SurfVol, " Surface area: 2 - Volume: 0.5 - S/V: 4 - Center Gravity: 0 ; 0 ; 0");
}

}  // namespace
}  // namespace korvel
