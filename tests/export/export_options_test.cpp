// export_options_test.cpp — the option defaults and the IGES units list.
#include <gtest/gtest.h>

#include <string>

#include "export/export_options.h"

namespace korvel {
namespace {

TEST(ExportOptions, InitRestoresTheDefaultsAndTheUnitsListPairsFlagsAndNames) {
    ExportOptions o{IgesOptions{"Ann", "Works", "0.5", "8", "MIL"}, AirfoilOptions{0.0, true}};
    InitIgesOptions(o.Iges);
    InitAirfoilOptions(o.Airfoil);
    EXPECT_EQ(o.Iges.IgesAuthor + o.Iges.IgesOrganization, "");
    EXPECT_EQ(o.Iges.IgesResolution, "0.001");
    EXPECT_EQ(o.Iges.IgesUnitFlag, "2");
    EXPECT_EQ(o.Iges.IgesUnitName, "MM");
    EXPECT_EQ(o.Airfoil.AirfoilChordLength, 1.0);
    EXPECT_FALSE(o.Airfoil.AirfoilXZPlane);
    const std::string expected[6][3] = {{"inches", "1", "INCH"}, {"millimeters", "2", "MM"}, {"centimeters", "10", "CM"},
                                        {"feet", "4", "FT"},     {"meters", "6", "M"},       {"mils", "8", "MIL"}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(IgesUnitsTable[i].ItemText, expected[i][0]);
        EXPECT_EQ(IgesUnitsTable[i].Flag, expected[i][1]);
        EXPECT_EQ(IgesUnitsTable[i].Name, expected[i][2]);
    }
}

}  // namespace
}  // namespace korvel
