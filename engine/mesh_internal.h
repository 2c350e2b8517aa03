// mesh_internal.h — the steps of the mesh build, shared by its source files and reachable by the tests.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "checked_int.h"
#include "mesh.h"
#include "model.h"

namespace korvel {

// A point in the frame of one cut: a along the plane's normal, u and v in the plane.
struct FramePoint {
    float a = 0.0f;
    float u = 0.0f;
    float v = 0.0f;
};

// What one triangle leaves after a cut: up to two pieces, each three indices into the five working
// points (0..2 the triangle, 3 and 4 the crossings). When segment is set, the first piece's second and
// third points are a stretch of the cut outline, running in the winding of the kept surface.
struct ClipResult {
    int pieces = 0;
    std::array<std::array<int, 3>, 2> piece{};
    bool segment = false;
};

// Axes of a cut: the plane's normal and the two in-plane coordinates, as 0 = X, 1 = Y, 2 = Z.
struct CutFrame {
    int a;
    int u;
    int v;
};
inline constexpr CutFrame kCutFrames[3] = {{0, 1, 2}, {1, 0, 2}, {2, 1, 0}};

// Sums over the triangle list, in list order, that give its surface area, the area-weighted centroid of
// the surface and the enclosed volume.
struct MassSums {
    double cx = 0.0, cy = 0.0, cz = 0.0, area = 0.0, volume = 0.0;
};

// The bounds and the mass sums of a triangle list, gathered while the list is written, so that fitting
// and measuring need not read it again. Take() reads the triangles written since its last call.
class ListSummary {
public:
    // The count triangles at list are the list so far; all when it is complete.
    void Take(const T3p* list, std::size_t count, bool all);
    // Whether the bounds are those of the fit's own scan: a NaN or a negative zero makes them depend on
    // the order of the scan.
    bool Exact() const { return exact_; }
    void Bounds(double* lo, double* hi) const;
    const MassSums& Sums() const { return sums_; }

private:
    float lo_[3] = {INFINITY, INFINITY, INFINITY};
    float hi_[3] = {-INFINITY, -INFINITY, -INFINITY};
    bool exact_ = true;
    MassSums sums_;
    std::size_t taken_ = 0;
};

// Applies the winding sign to Y, measures the grid and moves it to its minimum corner (a high-side cut
// moves the plane itself to 0). Returns the cut positions and shifts in grid units.
CutPlacement NormalizeGrid(ModelState& m, int32_t sign, const std::array<int32_t, 3>& types, bool cutSection,
                           const std::array<double, 3>& fractions);

// Two triangles per grid quad, diagonals in a chequerboard, collapsed triangles skipped. The summary,
// when given, takes the list as it is written.
void TriangulateGrid(ModelState& m, ListSummary* summary = nullptr);

// Cuts the triangle list by a plane, keeping the low side (keep) or the high side, and caps the cut.
// The result goes to TempTriangles with count its last index; an empty list returns at once.
void CutMeshByPlane(ModelState& m, bool keep, int32_t& count, int cutAxis, int uAxis, int vAxis, float value);

// Splits one triangle (points 0..2 of p) by the plane a = c; fills the crossings 3 and 4 when needed.
ClipResult ClipTriangleByPlane(std::array<FramePoint, 5>& p, bool keep, float c);

// The straddling case: p and q lie strictly on opposite sides of the plane.
ClipResult ClipTriangleSide(std::array<FramePoint, 5>& pts, bool keep, float c, int p, int q, int r);

// The point where the segment A -> B meets a = c, in single precision.
FramePoint LerpAtCoordinate(const FramePoint& A, const FramePoint& B, float c);

// Chains the cut segments 1..n into outlines and closes each closed outline with a flat cap at the plane,
// appended to TempTriangles. flag is the keep flag of the cut.
void CapSection(ModelState& m, bool flag, int32_t& count, int cutAxis, int32_t n, double value);

// The working list becomes the triangle list (TriangleLast + 1 triangles in use).
void ReplaceTriangles(ModelState& m);

// Doubles the model about a plane parallel to Y = 0, dropping what lies in Y = 0.
void MirrorMesh(ModelState& m);

// Moves the list to the origin and scales each axis to its requested size; refreshes the sizes and the
// cut positions. With sums, the mass sums of the fitted list are taken in the same pass. A summary of
// the list as it stands saves reading it when the fit leaves every coordinate as it is.
void FitMeshToDimensions(ModelState& m, const std::array<int32_t, 3>& types, CutPlacement& cuts, bool cutSection,
                         MassSums* sums, const ListSummary* summary);

// Surface area, area-weighted centroid of the surface and enclosed volume from the sums of the list.
void StoreMassProperties(ModelState& m, const MassSums& sums);

}  // namespace korvel
