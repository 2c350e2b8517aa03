// model.cpp — the small services on the model state: dimensions, allocation, cleanup.
#include "model.h"

#include <cstddef>

namespace korvel {

void ResetDimensions(ModelState& m) {
    m.LengthX = -1.0;
    m.WidthY = -1.0;
    m.HeightZ = -1.0;
    m.KeepProportions = true;
}

void GetDimensions(const ModelState& m, double& length, double& width, double& height) {
    length = m.LengthX > -1.0 ? m.LengthX : m.NaturalSize.x;
    width = m.WidthY > -1.0 ? m.WidthY : m.NaturalSize.y;
    height = m.HeightZ > -1.0 ? m.HeightZ : m.NaturalSize.z;
}

void RotateTriangleAxes(T3p& t, int rotation) {
    for (Point3f& p : t.p) {
        if (rotation == 1) {
            p = Point3f{p.y, p.z, p.x};
        } else if (rotation == 2) {
            p = Point3f{p.z, p.x, p.y};
        }
    }
}

namespace {
std::size_t HeldBytes(const array2Df& a) {
    std::size_t bytes = a.capacity() * sizeof(array1Df);
    for (const array1Df& row : a) bytes += row.capacity() * sizeof(double);
    return bytes;
}

void Resize2D(array2Df& a, int32_t rows, int32_t columns) {
    const std::size_t r = static_cast<std::size_t>(rows);
    const std::size_t c = static_cast<std::size_t>(columns);
    // assign() keeps the capacity of every row it reuses: a grid far bigger than this build needs is let go
    // whole, so that a small model after a big one holds only what it uses.
    if (HeldBytes(a) > 2 * (r * c * sizeof(double) + r * sizeof(array1Df))) array2Df().swap(a);
    a.assign(r, array1Df(c, 0.0));
}
}  // namespace

void AllocateGrid(ModelState& m, bool grid, bool section) {
    if (grid) {
        const int32_t rows = m.GridM + 2;
        const int32_t columns = m.GridN + 3;
        for (array2Df* a : {&m.GridX, &m.GridY, &m.GridZ}) Resize2D(*a, rows, columns);
        for (array2Df* a : {&m.EdgeTangentX, &m.EdgeTangentY, &m.EdgeTangentZ}) Resize2D(*a, 2, columns);
        for (array2Df* a : {&m.CurveTangentX, &m.CurveTangentY, &m.CurveTangentZ}) Resize2D(*a, 12, rows);
    }
    if (section) {
        m.SectionX.assign(static_cast<std::size_t>(m.SectionCount) + 2, 0.0);
        m.SectionY.assign(static_cast<std::size_t>(m.SectionCount) + 2, 0.0);
    }
}

void ClearTriangles(ModelState& m) {
    arrayOfT3p().swap(m.Triangles);
    m.TriangleLast = -1;
}

void FreeWorkArrays(ModelState& m, int mode) {
    // Work arrays keep no capacity between builds: a 2000 x 2000 build must not pin its memory.
    arrayOfT3p().swap(m.TempTriangles);
    std::vector<CutSegment>().swap(m.CutSegments);
    array1Df().swap(m.CpValues);
    std::vector<PixelPoint>().swap(m.PolyPoints);
    for (array1Df* a : {&m.RingSin, &m.RingCos, &m.StationSin, &m.StationCos}) array1Df().swap(*a);
    if (mode == 0 || mode == 2) ClearTriangles(m);
    if (mode == 1 || mode == 2) {
        array1Df().swap(m.SectionX);
        array1Df().swap(m.SectionY);
    }
}

std::size_t HeldBytes(const ModelState& m) {
    std::size_t bytes = (m.SectionX.capacity() + m.SectionY.capacity()) * sizeof(double);
    bytes += m.Triangles.capacity() * sizeof(T3p);
    for (const array2Df* a : {&m.GridX, &m.GridY, &m.GridZ, &m.EdgeTangentX, &m.EdgeTangentY, &m.EdgeTangentZ,
                              &m.CurveTangentX, &m.CurveTangentY, &m.CurveTangentZ})
        bytes += HeldBytes(*a);
    return bytes;
}

void ClearPatchRanges(ModelState& m) {
    m.PatchFirst.fill(0);
    m.PatchLast.fill(0);
}

}  // namespace korvel
