// model.h — the engine's model state: everything one build leaves for the exporters, the renderer and the window.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "panel_cache.h"

namespace korvel {

// Growable arrays of doubles; an array2Df is rows of array1Df, indexed [row][column].
using array1Df = std::vector<double>;
using array2Df = std::vector<array1Df>;

struct Point3f {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// One triangle, three vertices in winding order, single precision (the renderer uploads the list as it stands).
struct T3p {
    Point3f p[3];
};
static_assert(sizeof(T3p) == 9 * sizeof(float), "the renderer uploads triangles tightly packed");

using arrayOfT3p = std::vector<T3p>;

struct Vec3d {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

struct PixelPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// A cut segment: start and end, each as (u, v) in its cut plane.
struct CutSegment {
    double start[2] = {0.0, 0.0};
    double end[2] = {0.0, 0.0};
};

// The four end tangents of the two section curves: [0] upper at the leading edge, [1] upper at the
// trailing edge, [2] lower at the leading edge, [3] lower at the trailing edge.
struct SectionTangentTable {
    std::array<double, 4> X{};
    std::array<double, 4> Y{};
    std::array<double, 4> Z{};
};

// The whole model. Rows, columns and section points count from 1; index 0 is allocated but unused.
// GridM, GridN and SectionCount change only through their setters so the derived counts stay in step.
struct ModelState {
    // --- counts -------------------------------------------------------------------------------------
    int32_t GridM = 0;          // row intervals M (rows 1..M+1)
    int32_t GridMPlus1 = 1;
    int32_t GridN = 0;          // column intervals N (columns 1..N+1)
    int32_t GridNPlus1 = 1;
    int32_t SectionCount = 0;   // section intervals NS (points 1..NS+1)

    void SetGridM(int32_t m) { GridM = m; GridMPlus1 = m + 1; }
    void SetGridN(int32_t n) { GridN = n; GridNPlus1 = n + 1; }
    void SetSectionCount(int32_t ns) { SectionCount = ns; }

    // --- point grid and patches -----------------------------------------------------------------------
    array2Df GridX, GridY, GridZ;             // [M+2][N+3], [row][column]
    std::array<int32_t, 6> PatchFirst{};      // first grid column of each patch; 0 = unused
    std::array<int32_t, 6> PatchLast{};

    // --- tangent tables (2.0 = free) -----------------------------------------------------------------
    array2Df EdgeTangentX, EdgeTangentY, EdgeTangentZ;     // [2][N+3]: row 0 first grid row, row 1 last
    array2Df CurveTangentX, CurveTangentY, CurveTangentZ;  // [12][M+2]: rows 2p, 2p+1 first/last column of patch p
    SectionTangentTable SectionTangents;

    // --- 2D section ----------------------------------------------------------------------------------
    array1Df SectionX, SectionY;  // [NS+2]
    int32_t SectionLE = 0;        // leading-edge index, NS/2 + 1
    double SectionMinY = 0.0;     // lowest Y left by the last section step, never above 0

    // --- cut-section planes: 0 = X cut, 1 = Y cut, 2 = Z cut; each a 4 x 4 point grid --------------------
    double CutPlaneX[3][4][4] = {};
    double CutPlaneY[3][4][4] = {};
    double CutPlaneZ[3][4][4] = {};
    std::array<bool, 3> CutPlaneOn{};
    // Where the X, Y and Z cut planes lie in the finished model (after the fit): the places the section
    // drawing names, so that every caption of a cut can name the same ones.
    std::array<double, 3> CutPosition{};

    // --- triangle mesh ---------------------------------------------------------------------------------
    arrayOfT3p Triangles;
    int32_t TriangleLast = -1;  // index of the last triangle; -1 = empty
    arrayOfT3p TempTriangles;

    // --- sizes and mass properties -----------------------------------------------------------------------
    Vec3d NaturalSize;
    // Requested dimensions; -1 = natural size (any value above -1 is a request).
    double LengthX = -1.0;
    double WidthY = -1.0;
    double HeightZ = -1.0;
    bool KeepProportions = true;  // kept for the resize dialog; the engine never reads it
    Vec3d FittedSize;
    Vec3d GridSize;
    Vec3d ScaleFactor;
    Vec3d Centroid;
    double SurfaceArea = 0.0;
    double Volume = 0.0;
    std::array<double, 2> BodyEndX{};  // X of the first and last body station

    // --- 2D drawing area -----------------------------------------------------------------------------
    int32_t CanvasWidth = 0;
    int32_t CanvasHeight = 0;

    // --- work arrays, emptied by FreeWorkArrays --------------------------------------------------------
    array1Df CpValues;                 // pressure coefficient per panel
    std::vector<CutSegment> CutSegments;
    std::vector<PixelPoint> PolyPoints;
    array1Df RingSin, RingCos;
    array1Df StationSin, StationCos;

    // --- kept between builds: the panel solutions of the last section (not a work array) --------------
    PanelCache SolverCache;
    // --- kept between builds: the most HeldBytes reached since freed memory was last handed back ------
    std::size_t HeldMark = 0;
};

// --- services on the state ---------------------------------------------------------------------------

// Requested dimensions back to natural size; keep proportions on.
void ResetDimensions(ModelState& m);

// Each requested dimension when it is above -1, otherwise the natural size of that axis.
void GetDimensions(const ModelState& m, double& length, double& width, double& height);

// Permutes the coordinates of every vertex: 1 gives (y, z, x), 2 gives (z, x, y), anything else nothing.
void RotateTriangleAxes(T3p& t, int rotation);

// grid: sizes the grid to [M+2][N+3] and the tangent tables to [2][N+3] and [12][M+2], all zero.
// section: sizes SectionX/SectionY to NS+2 values.
void AllocateGrid(ModelState& m, bool grid, bool section);

// Empties the work arrays, then mode 0 the triangle list, 1 the section, 2 both.
void FreeWorkArrays(ModelState& m, int mode);

void ClearPatchRanges(ModelState& m);

// The bytes the grid, its tangent tables, the section and the triangle list hold: their capacity, not
// what the model uses of it.
std::size_t HeldBytes(const ModelState& m);

// Writes the point of grid row i, column j.
inline void SetGridPoint(ModelState& m, int32_t i, int32_t j, double x, double y, double z) {
    m.GridX[i][j] = x;
    m.GridY[i][j] = y;
    m.GridZ[i][j] = z;
}

// Empties the triangle list; the index goes to -1 so no reader can run past an empty list.
void ClearTriangles(ModelState& m);

}  // namespace korvel
