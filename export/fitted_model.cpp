// fitted_model.cpp — fits the model's patches, cut planes and section curves and checks the result before writing.
#include "fitted_model.h"

#include <cmath>
#include <utility>

#include "cubic_spline.h"
#include "engine/tangents.h"
#include "export_common.h"
#include "nurbs.h"

namespace korvel {

namespace {

const char* const kCutNames[3] = {"CutYZ", "CutXZ", "CutXY"};

bool AllFinite(const array1Df& a) {
    for (double v : a) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

bool AllFinite(const array2Df& a) {
    for (const array1Df& r : a) {
        if (!AllFinite(r)) return false;
    }
    return true;
}

template <class Array>
bool AllFinite(const Array& x, const Array& y, const Array& z) {
    return AllFinite(x) && AllFinite(y) && AllFinite(z);
}

// A clamped knot vector whose inner values (the last of the leading run to the first of the trailing
// run) strictly increase; anything else means coincident data made a basis function undefined.
bool KnotsUsable(const array1Df& k, int32_t degree) {
    if (!AllFinite(k)) return false;
    const int32_t n = static_cast<int32_t>(k.size());
    if (n < 2 * degree + 2) return false;
    for (int32_t i = degree; i < n - degree - 1; ++i) {
        if (!(k[i] < k[i + 1])) return false;
    }
    return true;
}

// Throws unless the fitted control points are finite and every knot vector is usable.
void CheckFitted(const char* kind, const std::string& name, bool pointsFinite, const array1Df& a,
                 const array1Df* b, int32_t degree) {
    if (pointsFinite && KnotsUsable(a, degree) && (b == nullptr || KnotsUsable(*b, degree))) return;
    throw ExportError(std::string("The ") + kind + " \"" + name +
                      "\" cannot be fitted: coincident points leave its control points or knots undefined. "
                      "No file was written.");
}

bool GridFits(const array2Df& g, int32_t rows, int32_t cols) {
    if (g.size() < static_cast<std::size_t>(rows)) return false;
    for (int32_t r = 1; r < rows; ++r) {
        if (g[r].size() < static_cast<std::size_t>(cols)) return false;
    }
    return true;
}

void CheckGrid(const ModelState& m) {
    const int32_t rows = m.GridM + 2;
    const int32_t cols = m.GridN + 2;
    if (m.GridM < 1 || m.GridN < 1 || !GridFits(m.GridX, rows, cols) || !GridFits(m.GridY, rows, cols) ||
        !GridFits(m.GridZ, rows, cols)) {
        throw ExportError("There is no surface model to export: build a body or a wing in 3D mode first.");
    }
    for (int32_t k = 0; k < 6; ++k) {
        if (!PatchWritten(m, k)) continue;
        if (m.PatchFirst[k] < 1 || m.PatchFirst[k] >= m.PatchLast[k] || m.PatchLast[k] > m.GridN + 1) {
            throw ExportError("The model's surface patches do not match its point grid; rebuild the model and "
                              "export again.");
        }
    }
}

// Sizes a bicubic fit for (nu+1) x (nv+1) data points and loads Q[i][j] from point(i, j).
template <class PointAt>
void LoadNet(TNurbs& f, int32_t nu, int32_t nv, PointAt point) {
    f.Degree = 3;
    f.NU = nu;
    f.NV = nv;
    f.SetSize();
    for (int32_t i = 0; i <= nu; ++i) {
        for (int32_t j = 0; j <= nv; ++j) {
            const Vec3d q = point(i, j);
            f.QX[i][j] = q.x;
            f.QY[i][j] = q.y;
            f.QZ[i][j] = q.z;
        }
    }
}

// Moves the control net out of the fit (the fit sizes a new one for its next patch).
FittedSurface TakeSurface(TNurbs& f, int32_t slot, const std::string& name) {
    FittedSurface s{slot, name, f.Degree, f.NU, f.NV, std::move(f.PX), std::move(f.PY), std::move(f.PZ),
                    f.UKnots, f.VKnots};
    CheckFitted("surface", name, AllFinite(s.PX, s.PY, s.PZ), s.UKnots, &s.VKnots, s.Degree);
    return s;
}

}  // namespace

bool PatchWritten(const ModelState& m, int32_t patch) {
    return m.PatchLast[patch] > 0 && m.PatchLast[patch] != m.PatchFirst[patch];
}

std::vector<FittedSurface> FitModelSurfaces(const ModelState& m) {
    bool anyPatch = false;
    for (int32_t k = 0; k < 6; ++k) anyPatch = anyPatch || PatchWritten(m, k);
    const bool anyCut = m.CutPlaneOn[0] || m.CutPlaneOn[1] || m.CutPlaneOn[2];
    if (!anyPatch && !anyCut) {
        throw ExportError("There is no surface model to export: build a body or a wing in 3D mode first.");
    }
    CheckSomethingLeft(m);
    std::vector<FittedSurface> out;
    TNurbs f;
    if (anyPatch) {
        CheckGrid(m);
        const Vec3d scale = m.ScaleFactor;
        // Grid point (row, column) scaled, for data entry [row - 1][column - first].
        const auto scaledFrom = [&m, scale](int32_t first) {
            return [&m, scale, first](int32_t i, int32_t j) {
                return Vec3d{scale.x * m.GridX[i + 1][j + first], scale.y * m.GridY[i + 1][j + first],
                             scale.z * m.GridZ[i + 1][j + first]};
            };
        };
        // One u parameterisation from the whole grid, shared by every patch so that they join; the grid is
        // read row by row, not loaded.
        f.Degree = 3;
        f.NU = m.GridM;
        f.NV = m.GridN;
        const auto whole = scaledFrom(1);
        f.ParamsUOfRows([&](int32_t i, array1Df& x, array1Df& y, array1Df& z) {
            for (int32_t j = 0; j <= m.GridN; ++j) {
                const Vec3d q = whole(i, j);
                x[j] = q.x;
                y[j] = q.y;
                z[j] = q.z;
            }
        });
        int32_t patchNumber = 0;
        for (int32_t k = 0; k < 6; ++k) {
            if (!PatchWritten(m, k)) continue;
            const int32_t first = m.PatchFirst[k];
            // The arrays of the previous patch are resized, not freed: every entry the fit reads it writes first.
            LoadNet(f, m.GridM, m.PatchLast[k] - first, scaledFrom(first));
            f.Interpolate(m.EdgeTangentX, m.EdgeTangentY, m.EdgeTangentZ, m.CurveTangentX, m.CurveTangentY,
                          m.CurveTangentZ, first, k);
            out.push_back(TakeSurface(f, k, "Surface" + std::to_string(++patchNumber)));
        }
    }
    if (anyCut) {
        // The planes are fitted with every tangent free, from tables of their own: the model keeps the
        // tangents its build computed, so a second export of it gives the same file.
        const array2Df freeEdge(2, array1Df(4, kFreeTangent));
        const array2Df freeCurve(2, array1Df(5, kFreeTangent));
        for (int32_t c = 0; c < 3; ++c) {
            if (!m.CutPlaneOn[c]) continue;
            f.FreeArrays();
            f.FreeKnots();
            LoadNet(f, 3, 3, [&m, c](int32_t i, int32_t j) {
                return Vec3d{m.CutPlaneX[c][i][j], m.CutPlaneY[c][i][j], m.CutPlaneZ[c][i][j]};
            });
            f.ParamsU();
            f.Interpolate(freeEdge, freeEdge, freeEdge, freeCurve, freeCurve, freeCurve, 0, 0);
            out.push_back(TakeSurface(f, kFirstCutSlot + c, kCutNames[c]));
        }
    }
    return out;
}

std::array<FittedCurve, 2> FitSectionCurves(const ModelState& m, const AirfoilOptions& options) {
    const int32_t ns = m.SectionCount;
    const std::size_t need = static_cast<std::size_t>(ns) + 2;
    if (ns < 2 || m.SectionX.size() < need || m.SectionY.size() < need || m.SectionLE < 2 || m.SectionLE > ns) {
        throw ExportError("There is no airfoil section to export: build the section in 2D mode first.");
    }
    const double chord = options.AirfoilChordLength;
    std::array<FittedCurve, 2> out;
    TCubicSpline s;
    for (int32_t k = 0; k < 2; ++k) {
        s.N = m.SectionLE - 1;
        s.SetSize();
        for (int32_t j = 1; j <= m.SectionLE; ++j) {
            const int32_t i = k == 0 ? ns + 2 - j : j;
            s.QX[j - 1] = m.SectionX[i] * chord;
            s.QY[j - 1] = m.SectionY[i] * chord;
            s.QZ[j - 1] = 0.0;
        }
        const SectionTangentTable& t = m.SectionTangents;
        s.Interpolate(t.X[2 * k + 1], t.Y[2 * k + 1], 0.0, t.X[2 * k], t.Y[2 * k], 0.0);
        FittedCurve& c = out[k];
        c = FittedCurve{CurveNames[k], s.Degree, s.N, s.PX, s.PY, s.PZ, s.Knots};
        CheckFitted("curve", c.Name, AllFinite(c.PX, c.PY, c.PZ), c.Knots, nullptr, c.Degree);
        s.FreeArrays();
    }
    return out;
}

}  // namespace korvel
