// mesh.cpp — the mesh build in order: grid normalised and triangulated, cut, mirrored, fitted, measured.
#include "mesh.h"

#include <cstddef>
#include <cstdint>

#include "big_buffer.h"
#include "mesh_internal.h"

namespace korvel {

namespace {

// Rows 1..M+1 and columns 1..N+1 must be there; a grid that is not (no grid builder ran) meshes to nothing.
bool GridHasPoints(const ModelState& m) {
    if (m.GridM < 1 || m.GridN < 1) return false;
    const std::size_t rows = At(m.GridMPlus1) + 1;
    const std::size_t columns = At(m.GridNPlus1) + 1;
    for (const array2Df* g : {&m.GridX, &m.GridY, &m.GridZ}) {
        if (g->size() < rows) return false;
        for (std::size_t i = 1; i < rows; ++i) {
            if ((*g)[i].size() < columns) return false;
        }
    }
    return true;
}

inline bool CutActive(double fraction) { return fraction > 0.0 && fraction < 1.0; }

double& Axis(Vec3d& v, int axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }
double AxisValue(const Vec3d& v, int axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }

}  // namespace

CutPlacement NormalizeGrid(ModelState& m, int32_t sign, const std::array<int32_t, 3>& types, bool cutSection,
                           const std::array<double, 3>& fractions) {
    CutPlacement cuts;
    Vec3d lo, hi;
    const bool usable = GridHasPoints(m);
    if (usable) {
        const double s = static_cast<double>(sign);
        lo = hi = Vec3d{m.GridX[1][1], s * m.GridY[1][1], m.GridZ[1][1]};
        for (int32_t i = m.GridMPlus1; i >= 1; --i) {
            array1Df& rx = m.GridX[At(i)];
            array1Df& ry = m.GridY[At(i)];
            array1Df& rz = m.GridZ[At(i)];
            for (int32_t j = m.GridNPlus1; j >= 1; --j) {
                ry[At(j)] = s * ry[At(j)];
                const double x = rx[At(j)], y = ry[At(j)], z = rz[At(j)];
                if (x < lo.x) lo.x = x;
                if (x > hi.x) hi.x = x;
                if (y < lo.y) lo.y = y;
                if (y > hi.y) hi.y = y;
                if (z < lo.z) lo.z = z;
                if (z > hi.z) hi.z = z;
            }
        }
    }
    const Vec3d extent{hi.x - lo.x, hi.y - lo.y, hi.z - lo.z};
    m.NaturalSize = extent;
    m.FittedSize = extent;
    m.GridSize = extent;
    m.ScaleFactor = Vec3d{1.0, 1.0, 1.0};  // the grid's own size until a fit scales it
    for (int axis = 0; axis < 3; ++axis) {
        const double e = AxisValue(extent, axis);
        double& position = cuts.Position[At(axis)];
        position = fractions[At(axis)] * e;
        if (!cutSection || !CutActive(fractions[At(axis)])) continue;
        if (types[At(axis)] == 1) {
            Axis(m.NaturalSize, axis) = position;  // the kept length
        } else {
            cuts.Shift[At(axis)] = position;
            Axis(lo, axis) += position;  // the plane lands on 0
            Axis(m.NaturalSize, axis) = e - position;
            position = 0.0;
        }
    }
    if (usable) {
        for (int32_t i = m.GridMPlus1; i >= 1; --i) {
            array1Df& rx = m.GridX[At(i)];
            array1Df& ry = m.GridY[At(i)];
            array1Df& rz = m.GridZ[At(i)];
            for (int32_t j = m.GridNPlus1; j >= 1; --j) {
                rx[At(j)] -= lo.x;
                ry[At(j)] -= lo.y;
                rz[At(j)] -= lo.z;
            }
        }
    }
    return cuts;
}

// Writes (q1, q2, q3) and (q1, q3, q4) in single precision at out, skipping either when two corners
// coincide; returns the end of what it wrote. Inlined: it runs for every quad of the grid.
inline __attribute__((always_inline)) T3p* AddQuadTriangles(T3p* out, double x1, double y1, double z1, double x2,
                                                            double y2, double z2, double x3, double y3, double z3,
                                                            double x4, double y4, double z4) {
    const auto same = [](double ax, double ay, double az, double bx, double by, double bz) {
        return ax == bx && ay == by && az == bz;
    };
    const auto single = [](double x, double y, double z) {
        return Point3f{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
    };
    const bool d12 = same(x1, y1, z1, x2, y2, z2);
    const bool d13 = same(x1, y1, z1, x3, y3, z3);
    const bool d23 = same(x2, y2, z2, x3, y3, z3);
    const bool d14 = same(x1, y1, z1, x4, y4, z4);
    const bool d34 = same(x3, y3, z3, x4, y4, z4);
    if (!(d12 || d13 || d23)) *out++ = T3p{{single(x1, y1, z1), single(x2, y2, z2), single(x3, y3, z3)}};
    if (!(d13 || d14 || d34)) *out++ = T3p{{single(x1, y1, z1), single(x3, y3, z3), single(x4, y4, z4)}};
    return out;
}

void TriangulateGrid(ModelState& m, ListSummary* summary) {
    m.TriangleLast = -1;
    if (!GridHasPoints(m)) {
        m.Triangles.clear();
        return;
    }
    // The list keeps its memory and its contents from one build to the next (a slider move rebuilds at
    // the same size, so nothing needs clearing first), unless this build needs far less of it. A list
    // that must grow grows row by row, so the new entries are cleared in the cache just before they are written.
    // (At 1800 x 1800 a step up copying the old list cost 58,000 page faults and twice a same-size rebuild.)
    const std::size_t most = 2 * At(m.GridM) * At(m.GridN);
    const std::size_t perRow = 2 * At(m.GridN);
    ReserveWithRoom(m.Triangles, most);
    T3p* const first = m.Triangles.data();  // the capacity suffices: no step below moves the list
    T3p* out = first;
    for (int32_t i = 1; i <= m.GridM; ++i) {
        const std::size_t written = static_cast<std::size_t>(out - first);
        if (m.Triangles.size() < written + perRow) m.Triangles.resize(written + perRow);
        const array1Df& x0 = m.GridX[At(i)];
        const array1Df& y0 = m.GridY[At(i)];
        const array1Df& z0 = m.GridZ[At(i)];
        const array1Df& x1 = m.GridX[At(i) + 1];
        const array1Df& y1 = m.GridY[At(i) + 1];
        const array1Df& z1 = m.GridZ[At(i) + 1];
        for (int32_t j = 1; j <= m.GridN; ++j) {
            const std::size_t a = At(j), b = At(j) + 1;
            // Alternate diagonals so that neither direction of the grid is favoured.
            if ((i % 2) == (j % 2)) {
                out = AddQuadTriangles(out, x0[a], y0[a], z0[a], x1[a], y1[a], z1[a], x1[b], y1[b], z1[b], x0[b],
                                       y0[b], z0[b]);
            } else {
                out = AddQuadTriangles(out, x0[b], y0[b], z0[b], x0[a], y0[a], z0[a], x1[a], y1[a], z1[a], x1[b],
                                       y1[b], z1[b]);
            }
        }
        // The row is still in the cache.
        if (summary != nullptr) summary->Take(first, static_cast<std::size_t>(out - first), i == m.GridM);
    }
    m.Triangles.resize(static_cast<std::size_t>(out - first));
    m.TriangleLast = static_cast<int32_t>(m.Triangles.size()) - 1;
}

namespace {

// Six times the signed volume of the tetrahedron (r, a, b, c), in double.
double Volume6(const Vec3d& r, const Vec3d& a, const Vec3d& b, const Vec3d& c) {
    const double ax = a.x - r.x, ay = a.y - r.y, az = a.z - r.z;
    const double bx = b.x - r.x, by = b.y - r.y, bz = b.z - r.z;
    const double cx = c.x - r.x, cy = c.y - r.y, cz = c.z - r.z;
    return ax * (by * cz - bz * cy) + ay * (bz * cx - bx * cz) + az * (bx * cy - by * cx);
}

// The volume the grid encloses as TriangulateGrid meshes it (same diagonals), before any sign is applied.
// Collapsed triangles add nothing, so they need no skipping.
double GridVolume6(const ModelState& m) {
    if (!GridHasPoints(m)) return 0.0;
    const auto P = [&m](int32_t i, int32_t j) {
        return Vec3d{m.GridX[At(i)][At(j)], m.GridY[At(i)][At(j)], m.GridZ[At(i)][At(j)]};
    };
    const Vec3d r = P(1, 1);  // measured from a grid point, so that the sum keeps its digits
    double v = 0.0;
    for (int32_t i = 1; i <= m.GridM; ++i) {
        for (int32_t j = 1; j <= m.GridN; ++j) {
            const Vec3d p00 = P(i, j), p10 = P(i + 1, j), p11 = P(i + 1, j + 1), p01 = P(i, j + 1);
            if ((i % 2) == (j % 2)) {
                v += Volume6(r, p00, p10, p11) + Volume6(r, p00, p11, p01);
            } else {
                v += Volume6(r, p01, p00, p10) + Volume6(r, p01, p10, p11);
            }
        }
    }
    return v;
}

}  // namespace

int32_t OutwardSign(const ModelState& m, int32_t s) {
    // Which way the builders and the grid modifier leave the surface facing is not knowable from any one
    // point (a bend can turn part of a ring over); the volume of the whole closed grid is.
    const double v = GridVolume6(m);
    return (v < 0.0 && s > 0) || (v > 0.0 && s < 0) ? -s : s;
}

void ReplaceTriangles(ModelState& m) {
    m.Triangles.swap(m.TempTriangles);
    const std::size_t used = m.TriangleLast >= 0 ? At(m.TriangleLast) + 1 : 0;
    if (m.Triangles.size() > used) m.Triangles.resize(used);
    if (m.Triangles.size() < used) m.TriangleLast = static_cast<int32_t>(m.Triangles.size()) - 1;
    // The old list's memory serves the next step; the build frees its work arrays when it ends.
    m.TempTriangles.clear();
}

CutPlacement BuildMesh(ModelState& m, int32_t sign, int32_t tX, int32_t tY, int32_t tZ, bool cutSection,
                       bool mirror, bool axes, double csX, double csY, double csZ) {
    const std::array<int32_t, 3> types{tX, tY, tZ};
    const std::array<double, 3> fractions{csX, csY, csZ};
    CutPlacement cuts = NormalizeGrid(m, sign, types, cutSection, fractions);
    // A list that no cut or mirror changes is summarised while it is written.
    ListSummary summary;
    const bool plain = !cutSection && !mirror;
    TriangulateGrid(m, plain && axes ? &summary : nullptr);
    if (m.TriangleLast == -1) return cuts;

    if (cutSection) {
        for (int axis = 0; axis < 3; ++axis) {
            if (!CutActive(fractions[At(axis)])) continue;
            const CutFrame f = kCutFrames[axis];
            int32_t count = m.TriangleLast;
            CutMeshByPlane(m, types[At(axis)] == 1, count, f.a, f.u, f.v,
                           static_cast<float>(cuts.Position[At(axis)]));
            m.TriangleLast = count;
            ReplaceTriangles(m);
            m.CutPlaneOn[At(axis)] = true;
        }
    }
    if (mirror) MirrorMesh(m);
    MassSums sums;
    FitMeshToDimensions(m, types, cuts, cutSection, axes ? &sums : nullptr, plain && axes ? &summary : nullptr);

    double length = 0.0, width = 0.0, height = 0.0;
    GetDimensions(m, length, width, height);
    m.Centroid = Vec3d{0.5 * length, 0.5 * width, 0.5 * height};
    if (axes) StoreMassProperties(m, sums);
    return cuts;
}

void ClearCutPlanes(ModelState& m) { m.CutPlaneOn.fill(false); }

void BuildCutPlanes(ModelState& m, bool mirror, const CutPlacement& cuts) {
    if (!m.CutPlaneOn[0] && !m.CutPlaneOn[1] && !m.CutPlaneOn[2]) return;
    std::array<double, 3> position = cuts.Position;
    if (mirror) position[1] *= 0.5;
    const std::array<double, 3> scale{m.ScaleFactor.x, m.ScaleFactor.y, m.ScaleFactor.z};
    const std::array<double, 3> grid{m.GridSize.x, m.GridSize.y, m.GridSize.z};
    std::array<double, 3> low{}, step{};
    for (std::size_t k = 0; k < 3; ++k) {
        double lo = -scale[k] * cuts.Shift[k];
        double hi = scale[k] * grid[k];
        const double range = hi - lo;
        lo -= 0.1 * range;  // a margin of a tenth of the span on both sides
        hi += 0.1 * range;
        low[k] = lo;
        step[k] = (hi - lo) / 3.0;
    }
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            if (m.CutPlaneOn[0]) {
                m.CutPlaneX[0][i][j] = position[0];
                m.CutPlaneY[0][i][j] = low[1] + j * step[1];
                m.CutPlaneZ[0][i][j] = low[2] + i * step[2];
            }
            if (m.CutPlaneOn[1]) {
                m.CutPlaneX[1][i][j] = low[0] + j * step[0];
                m.CutPlaneY[1][i][j] = position[1];
                m.CutPlaneZ[1][i][j] = low[2] + i * step[2];
            }
            if (m.CutPlaneOn[2]) {
                m.CutPlaneX[2][i][j] = low[0] + j * step[0];
                m.CutPlaneY[2][i][j] = low[1] + i * step[1];
                m.CutPlaneZ[2][i][j] = position[2];
            }
        }
    }
}

}  // namespace korvel
