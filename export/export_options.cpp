// export_options.cpp — defaults of the export options and the IGES units list.
#include "export_options.h"

namespace korvel {

void InitIgesOptions(IgesOptions& o) {
    o.IgesAuthor.clear();
    o.IgesOrganization.clear();
    o.IgesUnitName = "MM";
    o.IgesUnitFlag = "2";
    o.IgesResolution = "0.001";
}

void InitAirfoilOptions(AirfoilOptions& o) {
    o.AirfoilChordLength = 1.0;
    o.AirfoilXZPlane = false;
}

const std::array<IgesUnit, 6> IgesUnitsTable = {{
    {"inches", "1", "INCH"},
    {"millimeters", "2", "MM"},
    {"centimeters", "10", "CM"},
    {"feet", "4", "FT"},
    {"meters", "6", "M"},
    {"mils", "8", "MIL"},
}};

}  // namespace korvel
