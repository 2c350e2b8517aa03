// export_options.h — the export option values the writers read (IGES header texts and units, section-curve scale and plane).
#pragma once

#include <array>
#include <string>

namespace korvel {

// The IGES global-section texts. Kept as text: the resolution is written as the user typed it.
struct IgesOptions {
    std::string IgesAuthor;
    std::string IgesOrganization;
    std::string IgesResolution = "0.001";
    std::string IgesUnitFlag = "2";
    std::string IgesUnitName = "MM";
};

// Scale and plane of the exported section curves (IGES, STEP, OBJ in 2D mode).
struct AirfoilOptions {
    double AirfoilChordLength = 1.0;  // multiplies every section coordinate; not range-checked
    bool AirfoilXZPlane = false;      // true: the section lies in the XZ plane, false: in the XY plane
};

// Everything the options dialogs edit, handed to the writers by the caller.
struct ExportOptions {
    IgesOptions Iges;
    AirfoilOptions Airfoil;
};

// Author and organization empty, millimetres (flag "2", "MM"), resolution "0.001".
void InitIgesOptions(IgesOptions& o);
// Chord length 1, XY plane.
void InitAirfoilOptions(AirfoilOptions& o);

// One entry of the units list: the text shown, the IGES units flag and the IGES units name.
struct IgesUnit {
    const char* ItemText;
    const char* Flag;
    const char* Name;
};

// The units list in display order: inches, millimeters, centimeters, feet, meters, mils.
extern const std::array<IgesUnit, 6> IgesUnitsTable;

}  // namespace korvel
