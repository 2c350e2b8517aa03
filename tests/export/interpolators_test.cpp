// interpolators_test.cpp — the curve and surface fits against closed forms, evaluated with the test's own B-spline evaluator.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "export/cubic_spline.h"
#include "export/fitted_model.h"
#include "export/nurbs.h"
#include "writer_test_util.h"

namespace korvel {
namespace {

// The textbook Cox-de Boor recursion (0/0 taken as 0, the last non-empty span closed at the last knot),
// sharing no code with the fit; deriv gives the first derivative.
inline double BasisN(const std::vector<double>& U, int i, int p, double u, bool deriv = false) {
    if (p == 0) {
        if (u == U.back()) {
            int k = static_cast<int>(U.size()) - 2;
            while (k > 0 && !(U[k] < U[k + 1])) --k;
            return i == k ? 1.0 : 0.0;
        }
        return (U[i] <= u && u < U[i + 1]) ? 1.0 : 0.0;
    }
    const double da = U[i + p] - U[i], db = U[i + p + 1] - U[i + 1];
    const double a = da > 0.0 ? (deriv ? p : u - U[i]) / da * BasisN(U, i, p - 1, u) : 0.0;
    const double b = db > 0.0 ? (deriv ? p : U[i + p + 1] - u) / db * BasisN(U, i + 1, p - 1, u) : 0.0;
    return deriv ? a - b : a + b;
}

using P3 = std::array<double, 3>;
inline double Dist(const P3& a, const P3& b) { return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]); }

// Point (or first derivative) of a bicubic surface with control net [u][v]; a curve is a net of one column.
inline P3 EvalSurface(const std::vector<double>& U, const std::vector<double>& V, const array2Df& X,
                      const array2Df& Y, const array2Df& Z, double u, double v, bool du = false) {
    P3 r{0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < X.size(); ++i) {
        const double nu = BasisN(U, static_cast<int>(i), 3, u, du);
        for (std::size_t j = 0; j < X[i].size() && nu != 0.0; ++j) {
            const double n = nu * (V.empty() ? 1.0 : BasisN(V, static_cast<int>(j), 3, v));
            r[0] += n * X[i][j];
            r[1] += n * Y[i][j];
            r[2] += n * Z[i][j];
        }
    }
    return r;
}

inline P3 EvalCurve(const std::vector<double>& U, const array1Df& X, const array1Df& Y, const array1Df& Z, double u,
                    bool deriv = false) {
    const auto column = [](const array1Df& a) {
        array2Df c;
        for (double x : a) c.push_back({x});
        return c;
    };
    return EvalSurface(U, {}, column(X), column(Y), column(Z), u, 0.0, deriv);
}

// C(s) = a0 + a1 s + a2 s^2 + a3 s^3 per coordinate, and its slope.
const double kCubic[3][4] = {{0.2, 1.0, 0.15, -0.1}, {-0.1, 0.3, 0.4, -0.25}, {0.5, 0.1, -0.05, 0.08}};
P3 CubicAt(double s, bool slope = false) {
    P3 r;
    for (int c = 0; c < 3; ++c) {
        const double* a = kCubic[c];
        r[c] = slope ? a[1] + s * (2.0 * a[2] + s * 3.0 * a[3]) : a[0] + s * (a[1] + s * (a[2] + s * a[3]));
    }
    return r;
}

// Sample parameters for which the fit's own chord-length averaging gives back the same parameters, so
// the data lie on C exactly where the interpolation puts them and the cubic must come back unchanged.
double ConsistentSamples(int n, std::vector<double>& s) {
    s.assign(n + 1, 0.0);
    for (int k = 0; k <= n; ++k) s[k] = static_cast<double>(k) / n;
    double change = 1.0;
    for (int it = 0; it < 2000 && change > 1e-17; ++it) {
        std::vector<double> t(n + 1, 0.0);
        for (int k = 1; k <= n; ++k) t[k] = t[k - 1] + Dist(CubicAt(s[k]), CubicAt(s[k - 1]));
        for (double& x : t) x /= t[n];
        change = 0.0;
        for (int k = 1; k < n; ++k) {
            const double next = (t[k - 1] + t[k] + t[k + 1]) / 3.0;
            change = std::max(change, std::fabs(next - s[k]));
            s[k] = next;
        }
    }
    return change;
}

TEST(CubicSplineFit, ReproducesACubicEverywhereForEveryLineLength) {
    for (int n : {1, 2, 3, 4, 12}) {  // 2 and 3 points are solved apart from the elimination
        SCOPED_TRACE(n);
        std::vector<double> s;
        ASSERT_LT(ConsistentSamples(n, s), 1e-14);
        TCubicSpline f;
        f.N = n;
        f.SetSize();
        double length = 0.0;
        for (int k = 0; k <= n; ++k) {
            const P3 q = CubicAt(s[k]);
            std::tie(f.QX[k], f.QY[k], f.QZ[k]) = std::tuple(q[0], q[1], q[2]);
            if (k > 0) length += Dist(q, CubicAt(s[k - 1]));
        }
        const P3 d0 = CubicAt(0.0, true), d1 = CubicAt(1.0, true);  // the fit scales them by the polygon length
        f.Interpolate(d0[0] / length, d0[1] / length, d0[2] / length, d1[0] / length, d1[1] / length, d1[2] / length);
        ASSERT_EQ(f.Knots.size(), static_cast<size_t>(n + 7));
        ASSERT_EQ(f.PX.size(), static_cast<size_t>(n + 3));
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(f.Knots[i] == 0.0 && f.Knots[n + 3 + i] == 1.0);
        for (int k = 1; k < n; ++k) EXPECT_NEAR(f.Knots[k + 3], s[k], 1e-14);
        for (int i = 0; i <= 100; ++i) EXPECT_LT(Dist(EvalCurve(f.Knots, f.PX, f.PY, f.PZ, i / 100.0), CubicAt(i / 100.0)), 1e-12) << i;
        EXPECT_LT(Dist(EvalCurve(f.Knots, f.PX, f.PY, f.PZ, 0.0, true), d0), 1e-11);
    }
}

// A smooth non-polynomial sheet.
P3 Sheet(double a, double b) {
    return {3.0 * a + 0.2 * b * b, 2.0 * b + 0.3 * std::sin(3.0 * a), 0.5 * std::cos(2.0 * a) * std::sin(b) + 0.2 * a * b};
}

P3 Q(const TNurbs& f, int i, int j) { return {f.QX[i][j], f.QY[i][j], f.QZ[i][j]}; }

TEST(NurbsFit, PassesThroughEveryPointAndHonoursPrescribedTangents) {
    const int NU = 6, offset = 2, patch = 1;
    for (int NV : {1, 2, 5}) {
        SCOPED_TRACE(NV);
        TNurbs f;
        std::tie(f.Degree, f.NU, f.NV) = std::tuple(3, NU, NV);
        f.SetSize();
        double size = 0.0;
        for (int i = 0; i <= NU; ++i) {
            for (int j = 0; j <= NV; ++j) {  // an uneven grid
                const P3 p = Sheet(std::pow(i / double(NU), 1.3), 0.1 + std::pow(j / double(NV), 0.8));
                std::tie(f.QX[i][j], f.QY[i][j], f.QZ[i][j]) = std::tuple(p[0], p[1], p[2]);
                size = std::max(size, Dist(p, {0.0, 0.0, 0.0}));
            }
        }
        f.ParamsU();
        // Edge row 0 prescribed for the patch's columns, cross tangents along its first column; 2.0 is free.
        array2Df ex(2, array1Df(NV + offset + 3, 2.0)), ey = ex, ez = ex;
        for (int j = 0; j <= NV; ++j) ex[0][j + offset] = 0.3, ey[0][j + offset] = -0.2, ez[0][j + offset] = 0.9;
        array2Df cx(12, array1Df(NU + 2, 2.0)), cy = cx, cz = cx;
        for (int r = 1; r <= NU + 1; ++r) cx[2 * patch][r] = 0.1, cy[2 * patch][r] = 0.8, cz[2 * patch][r] = 0.2;
        f.Interpolate(ex, ey, ez, cx, cy, cz, offset, patch);
        for (int i = 0; i <= NU; ++i)
            for (int j = 0; j <= NV; ++j)
                EXPECT_LT(Dist(EvalSurface(f.UKnots, f.VKnots, f.PX, f.PY, f.PZ, f.UKnots[i + 3], f.VKnots[j + 3]), Q(f, i, j)), 1e-12 * size);
        for (int j = 0; j <= NV; ++j) {
            double L = 0.0;
            for (int i = 1; i <= NU; ++i) L += Dist(Q(f, i, j), Q(f, i - 1, j));
            const double v = f.VKnots[j + 3];
            // Prescribed start: L times the given triple; free end: L times the last segment's direction.
            EXPECT_LT(Dist(EvalSurface(f.UKnots, f.VKnots, f.PX, f.PY, f.PZ, 0.0, v, true), {0.3 * L, -0.2 * L, 0.9 * L}), 1e-10 * L);
            const P3 a = Q(f, NU, j), b = Q(f, NU - 1, j);
            const P3 d1 = EvalSurface(f.UKnots, f.VKnots, f.PX, f.PY, f.PZ, 1.0, v, true);
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(d1[c], L * (a[c] - b[c]) / Dist(a, b), 1e-10 * L);
        }
    }
}

TEST(Fits, ShortOrDegenerateLinesAreRefusedOrStayFinite) {
    TCubicSpline c;
    c.N = 0;
    c.SetSize();
    EXPECT_THROW(c.Interpolate(1, 0, 0, 1, 0, 0), ExportError);
    c.N = 4;  // all points equal: uniform parameters, every control point on the point
    c.SetSize();
    std::tie(c.QX, c.QY, c.QZ) = std::tuple(array1Df(5, 1.5), array1Df(5, -2.0), array1Df(5, 0.25));
    c.Interpolate(1, 0, 0, 0, 1, 0);
    for (int k = 1; k <= 3; ++k) EXPECT_DOUBLE_EQ(c.Knots[k + 3], k / 4.0);
    for (const auto& [P, value] : {std::pair{&c.PX, 1.5}, std::pair{&c.PY, -2.0}, std::pair{&c.PZ, 0.25}})
        for (double x : *P) EXPECT_DOUBLE_EQ(x, value);

    TNurbs n;
    std::tie(n.Degree, n.NU, n.NV) = std::tuple(3, 3, 0);
    n.SetSize();
    n.ParamsU();
    array2Df t(2, array1Df(6, 2.0));
    EXPECT_THROW(n.Interpolate(t, t, t, t, t, t, 0, 0), ExportError);

    ModelState collapsed = test::TinyModel(), shortGrid = test::TinyModel();
    for (auto* g : {&collapsed.GridX, &collapsed.GridY, &collapsed.GridZ})
        for (auto& row : *g) std::fill(row.begin(), row.end(), 0.0);
    shortGrid.GridX.resize(3);  // arrays that do not match the counts
    test::ExpectRefused<ExportError>([&] { FitModelSurfaces(collapsed); }, "Surface1", "a collapsed grid");
    test::ExpectRefused<ExportError>([&] { FitModelSurfaces(shortGrid); }, "", "a short grid");
}

TEST(FitModelSurfaces, PatchesShareTheWholeGridsUKnotsAndPassThroughTheScaledGrid) {
    ModelState tiny = test::TinyModel(6, 8);
    // u spacing that depends on the column: a patch fitted alone would get u knots of its own.
    for (int i = 1; i <= 7; ++i)
        for (int j = 1; j <= 9; ++j) tiny.GridX[i][j] = 2.0 * std::pow((i - 1) / 6.0, 1.0 + 0.1 * j);
    tiny.ScaleFactor = Vec3d{1.5, 1.0, 0.5};
    tiny.FittedSize = Vec3d{3.0, 1.2, 0.6};
    std::vector<ModelState> models{tiny};
    for (const BuildInputs& in : {test::Solid(false), test::Solid(true), test::Solid(true, 0.3, 0.5, 0.5, true)})
        models.push_back(test::Build(in));
    for (const ModelState& m : models) {
        const std::vector<FittedSurface> s = FitModelSurfaces(m);
        ASSERT_GE(s.size(), 2u);
        EXPECT_EQ(s[0].Name + "," + s[1].Name, "Surface1,Surface2");
        const double size = std::max({m.FittedSize.x, m.FittedSize.y, m.FittedSize.z});
        const Vec3d& k = m.ScaleFactor;
        for (const FittedSurface& f : s) {
            if (f.Slot >= kFirstCutSlot) continue;
            SCOPED_TRACE(f.Name);
            EXPECT_EQ(f.UKnots, s[0].UKnots);
            const int first = m.PatchFirst[f.Slot];
            for (int i = 0; i <= f.NU; ++i) {
                for (int j = 0; j <= f.NV; ++j) {
                    const P3 p = EvalSurface(f.UKnots, f.VKnots, f.PX, f.PY, f.PZ, f.UKnots[i + 3], f.VKnots[j + 3]);
                    const P3 q{k.x * m.GridX[i + 1][first + j], k.y * m.GridY[i + 1][first + j], k.z * m.GridZ[i + 1][first + j]};
                    EXPECT_LT(Dist(p, q), 1e-12 * size) << i << "," << j;
                }
            }
        }
    }
}

TEST(FitModelSurfaces, CutPlaneIsFittedFreeAndLeavesTheModelAsBuilt) {
    ModelState m = test::TinyModel();
    test::AddCutPlaneX(m);
    for (auto* t : {&m.EdgeTangentX, &m.CurveTangentY})  // prescribed tangents must not reach the plane
        for (auto& row : *t) std::fill(row.begin(), row.end(), 0.125);
    const ModelState before = m;
    const std::vector<FittedSurface> s = FitModelSurfaces(m);
    ASSERT_EQ(s.size(), 3u);
    const FittedSurface& plane = s[2];
    EXPECT_TRUE(plane.Slot == kFirstCutSlot && plane.Name == "CutYZ" && plane.UKnots.size() == 10u);
    // Bilinear data with free tangents come back exactly over the whole square.
    for (double u : {0.0, 0.2, 0.5, 0.9, 1.0})
        for (double v : {0.0, 0.3, 0.7, 1.0})
            EXPECT_LT(Dist(EvalSurface(plane.UKnots, plane.VKnots, plane.PX, plane.PY, plane.PZ, u, v), {0.0, -0.5 + u, 0.5 * v}), 1e-14);
    EXPECT_TRUE(m.EdgeTangentX == before.EdgeTangentX && m.CurveTangentY == before.CurveTangentY);
    EXPECT_EQ(FitModelSurfaces(m)[2].PY, plane.PY);  // a second export fits the same plane
}

}  // namespace
}  // namespace korvel
