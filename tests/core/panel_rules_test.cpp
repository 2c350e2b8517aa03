// panel_rules_test.cpp — the panel's rules for a state: modeller-set enabling, forced changes, captions, section slider widths.
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

TEST(PanelRules, ModesForceTheirMaximaAndCaptions) {
    PanelState s = DefaultPanelState();
    s.Pos(Bar::NPX) = 3000;
    s.Act3D = false;
    PanelLayout l = ComputeLayout(s, false, 5000, 64);
    EXPECT_EQ(s.Pos(Bar::NPX), 3000);
    EXPECT_EQ(l.Caption.Points, "Panels: 3000");
    EXPECT_EQ(l.Caption.Stretch, "Stretch Y: 1");
    EXPECT_EQ(l.Caption.Flip, "Flip Vertical, Horizontal: 0 ; 0");
    s.Act3D = true;
    s.ActWing = true;
    s.ActMirror = true;  // not usable outside section mode
    s.Pos(Bar::Cut) = 4;
    l = ComputeLayout(s, false, 5000, 64);
    EXPECT_EQ(s.Pos(Bar::NPX), 64);
    EXPECT_EQ(s.Pos(Bar::Cut), 2);
    EXPECT_FALSE(s.ActMirror);
    EXPECT_EQ(l.Caption.Points, "Subdivisions: 64x40");
    EXPECT_EQ(l.Caption.Thick, "Thickness: 0.0575 ; 0.9815 ; 0.9815");  // no body radius on a wing
}

TEST(PanelRules, FiguresAndLabelsOfAModel) {
    ModelState m;
    m.NaturalSize = {1.0, 0.25, 0.5};
    m.WidthY = 2.5;
    m.SurfaceArea = 2.0;
    m.Volume = 0.0;
    std::string info;
    AppendModelFigures(m, info);
    EXPECT_EQ(info, "Length-X= 1\nWidth-Y= 2.5\nHeight-Z= 0.5\nSurface area= 2\nVolume= 0\nCenter Gravity= 0 ; 0 ; 0");
    EXPECT_EQ(GeoLabelsOf(m).SurfVol, " Surface area: 2 - Volume: 0");  // no ratio for a zero volume
    m.Volume = 0.5;
    EXPECT_EQ(GeoLabelsOf(m).SurfVol, " Surface area: 2 - Volume: 0.5 - S/V: 4 - Center Gravity: 0 ; 0 ; 0");
}

TEST(PanelRules, SectionSlidersFillTheirRows) {
    const SectionSliderWidths w = SectionSliderWidthsOf(52);
    EXPECT_EQ(w.type, 12);
    EXPECT_EQ(w.type2D, 8);
    EXPECT_EQ(w.cut, 16);
    EXPECT_EQ(w.cutZ, 12);
}

}  // namespace
}  // namespace korvel
