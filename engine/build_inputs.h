// build_inputs.h — the record of build inputs that one rebuild hands to the engine, with the modeller's defaults.
#pragma once

#include <cstdint>

namespace korvel {

// The inputs of one BuildModel call. The drawing surface and the information text
// travel beside the record (BuildModel's other arguments). Defaults are the sliders' default positions.
struct BuildInputs {
    int32_t nX = 40;               // requested column count (2D: section intervals)
    int32_t mYZ = 40;              // requested row count
    int32_t CanvasWidth = 0;       // pixels available for the 2D drawings
    int32_t CanvasHeight = 0;
    int32_t tX = 1;                // cut-section type of the X plane: 1 keeps the part before, 2 after
    double csX = 1.0;              // cut-section positions as fractions of the extent
    double csY = 1.0;
    double csZ = 1.0;
    double x0 = 0.0575;            // centre X of the generating circle (thickness)
    double y0 = 0.0;               // centre Y of the generating circle (camber)
    double Tea = 44.0;             // trailing-edge angle, degrees (180 = rounded)
    double Lea = 0.0;              // leading-edge angle, degrees
    double tx3 = 0.0;              // modeller set 1 shift X
    int32_t tY = 1;
    int32_t tZ = 1;
    int32_t SectionView = 0;       // section mode: 0 the X cut, 1 the Y cut, 2 the Z cut
    int32_t vs3 = 0;               // direction of set 1
    int32_t vs2 = 0;               // direction of set 2
    int32_t c = 1;                 // cut mode 1..4; 0 unless ActCut
    int32_t OffsetCount = 64;      // point count of the grid modifier's half-circle table
    int32_t SpanFamily = 0;        // 0 linear, 1 elliptical, 2 Jouk
    int32_t FlipVertical = 0;
    int32_t FlipHorizontal = 0;
    bool ActCutSec = false;
    bool ActCut = false;
    bool ActMirror = false;
    bool ActTunnel = false;
    bool Act3D = true;
    bool ActWing = false;
    bool ActAxes = true;
    double tz3 = 0.004;            // set 1 shift Z
    double kc3 = 0.1;              // set 1 circle parameter
    double kt3 = 0.0;              // set 1 edge angle, degrees
    double nm3 = 0.5;              // set 1 size
    double tx2 = 0.0;              // set 2, same meanings
    double tz2 = 0.004;
    double kc2 = 0.1;
    double kt2 = 0.0;
    double nm2 = 0.5;
    double rb = 0.9815;            // body width radius factor
    double rc1 = 0.9815;           // radius factor of the first half of the circle
    double rc2 = 0.9815;           // radius factor of the second half
    double fY = 1.0;               // stretch Y
    double fZ = 1.0;               // stretch Z
    double dY = 1.0;               // modifier Y
    double foldX = 0.0;            // wing fold
    double foldZ = 0.0;
    double ss = 1.0;               // span section
    double wt = 0.0;               // wing tip
    double AngleOfAttack = 0.0;    // degrees
    double UpperLeadingEdge = 0.65;            // surface tangent factors
    double UpperRoundedTrailingEdge = 0.65;
    double LowerLeadingEdge = 0.65;
    double LowerRoundedTrailingEdge = 0.65;
    friend bool operator==(const BuildInputs&, const BuildInputs&) = default;
};

// A modeller set is active when its tx is above 0 and its tz is at least 0.004 compared in 80-bit
// precision, which lies below the double 0.004: the slider's lowest tz counts, every smaller double not.
inline bool ModellerSetActive(double tx, double tz) {
    return tx > 0.0 && static_cast<long double>(tz) >= 0.004L;
}

}  // namespace korvel
