// export_options_test.cpp — the option defaults and the IGES units list.
#include <gtest/gtest.h>

#include <string>

#include "export/export_options.h"

namespace korvel {
namespace {

TEST(ExportOptions, InitRestoresTheDefaultsAfterAnyChange) {
    ExportOptions o;
    o.Iges = IgesOptions{"Ann", "Works", "0.5", "8", "MIL"};
    o.Airfoil = AirfoilOptions{0.0, true};
    InitIgesOptions(o.Iges);
    InitAirfoilOptions(o.Airfoil);
    const ExportOptions fresh;
    EXPECT_EQ(o.Iges.IgesAuthor, "");
    EXPECT_EQ(o.Iges.IgesOrganization, "");
    EXPECT_EQ(o.Iges.IgesResolution, "0.001");
    EXPECT_EQ(o.Iges.IgesUnitFlag, "2");
    EXPECT_EQ(o.Iges.IgesUnitName, "MM");
    EXPECT_EQ(o.Airfoil.AirfoilChordLength, 1.0);
    EXPECT_FALSE(o.Airfoil.AirfoilXZPlane);
    EXPECT_EQ(fresh.Iges.IgesUnitFlag, o.Iges.IgesUnitFlag);
    EXPECT_EQ(fresh.Airfoil.AirfoilChordLength, o.Airfoil.AirfoilChordLength);
}

TEST(ExportOptions, UnitsListPairsEachItemWithItsIgesFlagAndName) {
    const std::string expected[6][3] = {{"inches", "1", "INCH"}, {"millimeters", "2", "MM"}, {"centimeters", "10", "CM"},
                                        {"feet", "4", "FT"},     {"meters", "6", "M"},       {"mils", "8", "MIL"}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(IgesUnitsTable[i].ItemText, expected[i][0]);
        EXPECT_EQ(IgesUnitsTable[i].Flag, expected[i][1]);
        EXPECT_EQ(IgesUnitsTable[i].Name, expected[i][2]);
    }
    // The default units are the millimetres of the list.
    EXPECT_EQ(IgesOptions{}.IgesUnitName, IgesUnitsTable[1].Name);
}

}  // namespace
}  // namespace korvel
