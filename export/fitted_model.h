// fitted_model.h — the model fitted for the CAD writers: one B-spline surface per patch and cut plane, or the two section curves, checked before any file is made.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/model.h"
#include "export_options.h"

namespace korvel {

// Surface slots in file order: 0..5 the grid patches, then the planes of the X, Y and Z cuts.
inline constexpr int32_t kSurfaceSlots = 9;
inline constexpr int32_t kFirstCutSlot = 6;

// One fitted bicubic surface: control net [u][v] with u = 0..NU+2, v = 0..NV+2, clamped knots.
struct FittedSurface {
    int32_t Slot = 0;
    std::string Name;  // "Surface1", "Surface2", ... counting the written patches; "CutYZ", "CutXZ", "CutXY"
    int32_t Degree = 3;
    int32_t NU = 0;
    int32_t NV = 0;
    array2Df PX, PY, PZ;
    array1Df UKnots;  // NU+Degree+4 values
    array1Df VKnots;  // NV+Degree+4 values
};

// One fitted cubic curve: control points 0..N+2 (in the fit's own X, Y, Z; the writers apply the
// plane option), clamped knots.
struct FittedCurve {
    std::string Name;  // "UpperSrf" or "LowerSrf"
    int32_t Degree = 3;
    int32_t N = 0;
    array1Df PX, PY, PZ;
    array1Df Knots;  // N+Degree+4 values
};

// True when a patch slot is written: it has a last column that differs from its first.
bool PatchWritten(const ModelState& m, int32_t patch);

// Fits every written slot of a 3D model: the patches on the scaled grid with the model's tangent
// tables and one u parameterisation of the whole grid, the cut planes with all tangents free (the model's
// tables are left as they are). Throws ExportError when the model has no surface, when its arrays do not
// match its counts, or when a surface comes out with undefined control points or knots that do not
// increase; nothing is returned then, so no file needs to be made.
std::vector<FittedSurface> FitModelSurfaces(const ModelState& m);

// Fits the upper and lower section curves of a 2D model, scaled by the chord length option. Throws
// ExportError when there is no section or a curve comes out undefined.
std::array<FittedCurve, 2> FitSectionCurves(const ModelState& m, const AirfoilOptions& options);

}  // namespace korvel
