// interpolators_test.cpp — the curve and surface fits against closed forms, evaluated with the test's own B-spline evaluator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "export/cubic_spline.h"
#include "export/export_common.h"
#include "export/fitted_model.h"
#include "export/nurbs.h"
#include "export/bspline_eval.h"
#include "export/tiny_model.h"

namespace korvel {
namespace {

using test::EvalCurve;
using test::EvalSurface;
using test::P3;

// A cubic polynomial curve C(s) = a0 + a1 s + a2 s^2 + a3 s^3 per coordinate.
struct Cubic {
    double a[3][4];
    P3 At(double s) const {
        P3 r;
        for (int c = 0; c < 3; ++c) r[c] = a[c][0] + s * (a[c][1] + s * (a[c][2] + s * a[c][3]));
        return r;
    }
    P3 Slope(double s) const {
        P3 r;
        for (int c = 0; c < 3; ++c) r[c] = a[c][1] + s * (2.0 * a[c][2] + s * 3.0 * a[c][3]);
        return r;
    }
};

double Dist(const P3& a, const P3& b) { return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]); }

// Sample parameters s_k for which the fit's own chord-length averaging lands every data point back on
// s_k: then the data lie on C at exactly the parameters the interpolation uses, and a cubic must come
// back unchanged. Found by fixed-point iteration; returns the largest last change.
double ConsistentSamples(const Cubic& c, int n, std::vector<double>& s) {
    s.assign(n + 1, 0.0);
    for (int k = 0; k <= n; ++k) s[k] = static_cast<double>(k) / n;
    double change = 1.0;
    for (int it = 0; it < 2000 && change > 0.0; ++it) {
        std::vector<double> t(n + 1, 0.0);
        double total = 0.0;
        for (int k = 1; k <= n; ++k) total += Dist(c.At(s[k]), c.At(s[k - 1]));
        for (int k = 1; k <= n; ++k) t[k] = t[k - 1] + Dist(c.At(s[k]), c.At(s[k - 1])) / total;
        t[n] = 1.0;
        change = 0.0;
        for (int k = 1; k <= n - 1; ++k) {
            const double next = (t[k - 1] + t[k] + t[k + 1]) / 3.0;
            change = std::max(change, std::fabs(next - s[k]));
            s[k] = next;
        }
        if (change < 1e-17) break;
    }
    return change;
}

TEST(CubicSplineFit, ReproducesACubicEverywhereForEveryLineLength) {
    const Cubic bent{{{0.2, 1.0, 0.15, -0.1}, {-0.1, 0.3, 0.4, -0.25}, {0.5, 0.1, -0.05, 0.08}}};
    const Cubic line{{{1.0, 2.0, 0.0, 0.0}, {-1.0, 0.5, 0.0, 0.0}, {0.25, -1.5, 0.0, 0.0}}};
    for (const Cubic* c : {&bent, &line}) {
        for (int n : {1, 2, 3, 4, 7, 12}) {
            SCOPED_TRACE(n);
            std::vector<double> s;
            ASSERT_LT(ConsistentSamples(*c, n, s), 1e-14);
            TCubicSpline f;
            f.N = n;
            f.SetSize();
            double length = 0.0;
            for (int k = 0; k <= n; ++k) {
                const P3 q = c->At(s[k]);
                f.QX[k] = q[0];
                f.QY[k] = q[1];
                f.QZ[k] = q[2];
                if (k > 0) length += Dist(q, c->At(s[k - 1]));
            }
            // The fit scales the given directions by the polygon length.
            const P3 d0 = c->Slope(0.0);
            const P3 d1 = c->Slope(1.0);
            f.Interpolate(d0[0] / length, d0[1] / length, d0[2] / length, d1[0] / length, d1[1] / length,
                          d1[2] / length);

            ASSERT_EQ(f.Knots.size(), static_cast<size_t>(n + 7));
            ASSERT_EQ(f.PX.size(), static_cast<size_t>(n + 3));
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(f.Knots[i], 0.0);
                EXPECT_EQ(f.Knots[n + 3 + i], 1.0);
            }
            for (int k = 1; k <= n - 1; ++k) EXPECT_NEAR(f.Knots[k + 3], s[k], 1e-14);
            EXPECT_EQ(f.PX[0], f.QX[0]);
            EXPECT_EQ(f.PY[n + 2], f.QY[n]);
            for (int i = 0; i <= 100; ++i) {
                const double u = i / 100.0;
                const P3 got = EvalCurve(f.Knots, f.PX, f.PY, f.PZ, u);
                EXPECT_LT(Dist(got, c->At(u)), 1e-12) << "u = " << u;
            }
            const P3 e0 = EvalCurve(f.Knots, f.PX, f.PY, f.PZ, 0.0, true);
            EXPECT_LT(Dist(e0, d0), 1e-11);
            if (c == &line) {
                // On a straight line every control point stays on the line.
                const P3 a = c->At(0.0);
                const P3 b = c->At(1.0);
                for (int i = 0; i < n + 3; ++i) {
                    const double t = ((f.PX[i] - a[0]) * (b[0] - a[0]) + (f.PY[i] - a[1]) * (b[1] - a[1]) +
                                      (f.PZ[i] - a[2]) * (b[2] - a[2])) /
                                     (Dist(a, b) * Dist(a, b));
                    const P3 foot{a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]), a[2] + t * (b[2] - a[2])};
                    EXPECT_LT(Dist({f.PX[i], f.PY[i], f.PZ[i]}, foot), 1e-14);
                }
            }
        }
    }
}

TEST(CubicSplineFit, RefusesSinglePointsAndSurvivesCoincidentOnes) {
    TCubicSpline f;
    f.N = 0;
    f.SetSize();
    EXPECT_THROW(f.Interpolate(1, 0, 0, 1, 0, 0), ExportError);

    // All points equal: uniform parameters, zero derivatives, every control point on the point.
    f.N = 4;
    f.SetSize();
    for (int k = 0; k <= 4; ++k) {
        f.QX[k] = 1.5;
        f.QY[k] = -2.0;
        f.QZ[k] = 0.25;
    }
    f.Interpolate(1, 0, 0, 0, 1, 0);
    for (int k = 1; k <= 3; ++k) EXPECT_DOUBLE_EQ(f.Knots[k + 3], k / 4.0);
    for (int i = 0; i < 7; ++i) {
        EXPECT_DOUBLE_EQ(f.PX[i], 1.5);
        EXPECT_DOUBLE_EQ(f.PY[i], -2.0);
        EXPECT_DOUBLE_EQ(f.PZ[i], 0.25);
    }
}

// A smooth non-polynomial sheet sampled on an uneven grid.
P3 Sheet(double a, double b) {
    return {3.0 * a + 0.2 * b * b, 2.0 * b + 0.3 * std::sin(3.0 * a), 0.5 * std::cos(2.0 * a) * std::sin(b) + 0.2 * a * b};
}

double LineLengthU(const TNurbs& f, int j) {
    double s = 0.0;
    for (int i = 1; i <= f.NU; ++i)
        s += Dist({f.QX[i][j], f.QY[i][j], f.QZ[i][j]}, {f.QX[i - 1][j], f.QY[i - 1][j], f.QZ[i - 1][j]});
    return s;
}

TEST(NurbsFit, PassesThroughEveryPointAndHonoursPrescribedTangents) {
    const int NU = 6;
    const int offset = 2;
    const int patch = 1;
    for (int NV : {1, 2, 3, 5}) {
        SCOPED_TRACE(NV);
        TNurbs f;
        f.Degree = 3;
        f.NU = NU;
        f.NV = NV;
        f.SetSize();
        for (int i = 0; i <= NU; ++i) {
            for (int j = 0; j <= NV; ++j) {
                const P3 p = Sheet(std::pow(i / double(NU), 1.3), 0.1 + std::pow(j / double(NV), 0.8));
                f.QX[i][j] = p[0];
                f.QY[i][j] = p[1];
                f.QZ[i][j] = p[2];
            }
        }
        f.ParamsU();
        // Edge row 0 prescribed in full for the patch's columns, cross tangents at its first column.
        array2Df edge(2, array1Df(NV + offset + 3, 2.0));
        array2Df ex = edge, ey = edge, ez = edge;
        for (int j = 0; j <= NV; ++j) {
            ex[0][j + offset] = 0.3;
            ey[0][j + offset] = -0.2;
            ez[0][j + offset] = 0.9;
        }
        array2Df curve(12, array1Df(NU + 2, 2.0));
        array2Df cx = curve, cy = curve, cz = curve;
        for (int r = 1; r <= NU + 1; ++r) {
            cx[2 * patch][r] = 0.1;
            cy[2 * patch][r] = 0.8;
            cz[2 * patch][r] = 0.2;
        }
        f.Interpolate(ex, ey, ez, cx, cy, cz, offset, patch);

        double size = 0.0;
        for (int i = 0; i <= NU; ++i)
            for (int j = 0; j <= NV; ++j) size = std::max(size, std::hypot(f.QX[i][j], f.QY[i][j], f.QZ[i][j]));
        for (int i = 0; i <= NU; ++i) {
            for (int j = 0; j <= NV; ++j) {
                const P3 s = EvalSurface(f.UKnots, f.VKnots, f.PX, f.PY, f.PZ, f.UKnots[i + 3], f.VKnots[j + 3]);
                EXPECT_LT(Dist(s, {f.QX[i][j], f.QY[i][j], f.QZ[i][j]}), 1e-12 * size) << i << "," << j;
            }
        }
        for (int j = 0; j <= NV; ++j) {
            const double L = LineLengthU(f, j);
            const double v = f.VKnots[j + 3];
            // Prescribed start: L times the given triple as it stands.
            const P3 d0 = EvalSurface(f.UKnots, f.VKnots, f.PX, f.PY, f.PZ, 0.0, v, true);
            EXPECT_LT(Dist(d0, {0.3 * L, -0.2 * L, 0.9 * L}), 1e-10 * L);
            // Free end: L times the unit direction of the last segment.
            const P3 a{f.QX[NU][j], f.QY[NU][j], f.QZ[NU][j]};
            const P3 b{f.QX[NU - 1][j], f.QY[NU - 1][j], f.QZ[NU - 1][j]};
            const double seg = Dist(a, b);
            const P3 d1 = EvalSurface(f.UKnots, f.VKnots, f.PX, f.PY, f.PZ, 1.0, v, true);
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(d1[c], L * (a[c] - b[c]) / seg, 1e-10 * L);
        }
        // Column k (2..NU) of the net starts along the prescribed cross tangent times the length of v-line k-1.
        for (int k = 2; k <= NU; ++k) {
            double L = 0.0;
            for (int j = 1; j <= NV; ++j)
                L += Dist({f.QX[k - 1][j], f.QY[k - 1][j], f.QZ[k - 1][j]},
                          {f.QX[k - 1][j - 1], f.QY[k - 1][j - 1], f.QZ[k - 1][j - 1]});
            const double scale = 3.0 / f.VKnots[4];
            EXPECT_NEAR(scale * (f.PX[k][1] - f.PX[k][0]), 0.1 * L, 1e-11);
            EXPECT_NEAR(scale * (f.PY[k][1] - f.PY[k][0]), 0.8 * L, 1e-11);
            EXPECT_NEAR(scale * (f.PZ[k][1] - f.PZ[k][0]), 0.2 * L, 1e-11);
        }
    }
}

TEST(NurbsFit, CollapsedLineTakesNoPartInTheAveragedParameters) {
    // Data row 0 is a pole: its v-line has length 0.
    TNurbs f;
    f.Degree = 3;
    f.NU = 4;
    f.NV = 5;
    f.SetSize();
    std::vector<double> expected(6, 0.0);
    for (int i = 0; i <= 4; ++i) {
        for (int j = 0; j <= 5; ++j) {
            const double r = i == 0 ? 0.0 : 0.3 + 0.1 * i;
            const double a = 0.5 * j + 0.02 * j * j * i;
            f.QX[i][j] = i * 0.7;
            f.QY[i][j] = r * std::cos(a);
            f.QZ[i][j] = r * std::sin(a);
        }
    }
    for (int i = 1; i <= 4; ++i) {
        double total = 0.0;
        std::vector<double> run(6, 0.0);
        for (int j = 1; j <= 5; ++j) {
            total += Dist({f.QX[i][j], f.QY[i][j], f.QZ[i][j]}, {f.QX[i][j - 1], f.QY[i][j - 1], f.QZ[i][j - 1]});
            run[j] = total;
        }
        for (int j = 1; j <= 4; ++j) expected[j] += run[j] / total / 4.0;
    }
    f.ParamsU();
    array2Df edge(2, array1Df(6, 2.0)), curve(2, array1Df(6, 2.0));
    f.Interpolate(edge, edge, edge, curve, curve, curve, 0, 0);
    EXPECT_EQ(f.LengthAlongV[0], 0.0);
    for (int j = 1; j <= 4; ++j) EXPECT_NEAR(f.VParams[j], expected[j], 1e-15);
    // Column 0 of the net sits on the pole and gets zero end derivatives: all its points coincide.
    for (int v = 0; v <= 7; ++v) {
        EXPECT_EQ(f.PX[0][v], 0.0);
        EXPECT_EQ(f.PY[0][v], 0.0);
    }
}

TEST(NurbsFit, RefusesLinesOfOnePoint) {
    TNurbs f;
    f.Degree = 3;
    f.NU = 3;
    f.NV = 0;
    f.SetSize();
    f.ParamsU();
    array2Df t(2, array1Df(6, 2.0));
    EXPECT_THROW(f.Interpolate(t, t, t, t, t, t, 0, 0), ExportError);
}

TEST(FitModelSurfaces, PatchesShareTheWholeGridsUKnotsAndPassThroughTheScaledGrid) {
    ModelState m = test::TinyModel(6, 8);
    // Make the u spacing depend on the column, so that a patch alone would get other u parameters.
    for (int i = 1; i <= 7; ++i)
        for (int j = 1; j <= 9; ++j) m.GridX[i][j] = 2.0 * std::pow((i - 1) / 6.0, 1.0 + 0.1 * j);
    m.ScaleFactor = Vec3d{1.5, 1.0, 0.5};
    const std::vector<FittedSurface> s = FitModelSurfaces(m);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].Name, "Surface1");
    EXPECT_EQ(s[1].Name, "Surface2");
    EXPECT_EQ(s[0].UKnots, s[1].UKnots);

    TNurbs alone;
    alone.Degree = 3;
    alone.NU = 6;
    alone.NV = 4;
    alone.SetSize();
    for (int i = 0; i <= 6; ++i)
        for (int j = 0; j <= 4; ++j) {
            alone.QX[i][j] = 1.5 * m.GridX[i + 1][j + 1];
            alone.QY[i][j] = m.GridY[i + 1][j + 1];
            alone.QZ[i][j] = 0.5 * m.GridZ[i + 1][j + 1];
        }
    alone.ParamsU();
    EXPECT_GT(std::fabs(alone.UKnots[5] - s[0].UKnots[5]), 1e-4);

    for (const FittedSurface& f : s) {
        const int first = m.PatchFirst[f.Slot];
        for (int i = 0; i <= 6; ++i) {
            for (int j = 0; j <= f.NV; ++j) {
                const P3 p = EvalSurface(f.UKnots, f.VKnots, f.PX, f.PY, f.PZ, f.UKnots[i + 3], f.VKnots[j + 3]);
                const P3 q{1.5 * m.GridX[i + 1][first + j], m.GridY[i + 1][first + j], 0.5 * m.GridZ[i + 1][first + j]};
                EXPECT_LT(Dist(p, q), 1e-12 * 3.0);
            }
        }
    }
}

TEST(FitModelSurfaces, CutPlaneIsFittedFreeAndLeavesTheModelAsBuilt) {
    ModelState m = test::TinyModel();
    test::AddCutPlaneX(m);
    // Prescribed tangents in the model must not reach the plane.
    for (auto* t : {&m.EdgeTangentX, &m.CurveTangentY}) {
        for (auto& row : *t) std::fill(row.begin(), row.end(), 0.125);
    }
    const ModelState before = m;
    const std::vector<FittedSurface> s = FitModelSurfaces(m);
    ASSERT_EQ(s.size(), 3u);
    const FittedSurface& plane = s[2];
    EXPECT_EQ(plane.Slot, kFirstCutSlot);
    EXPECT_EQ(plane.Name, "CutYZ");
    ASSERT_EQ(plane.UKnots.size(), 10u);
    EXPECT_NEAR(plane.UKnots[4], 1.0 / 3.0, 1e-15);
    EXPECT_NEAR(plane.UKnots[5], 2.0 / 3.0, 1e-15);
    for (int u = 0; u < 6; ++u)
        for (int v = 0; v < 6; ++v) EXPECT_NEAR(plane.PX[u][v], 0.0, 1e-15);  // a flat plane stays flat
    // The whole square is reproduced: bilinear data with free tangents are reproduced exactly.
    for (double u : {0.0, 0.2, 0.5, 0.9, 1.0})
        for (double v : {0.0, 0.3, 0.7, 1.0}) {
            const P3 p = EvalSurface(plane.UKnots, plane.VKnots, plane.PX, plane.PY, plane.PZ, u, v);
            EXPECT_NEAR(p[1], -0.5 + u, 1e-14);
            EXPECT_NEAR(p[2], 0.5 * v, 1e-14);
        }
    EXPECT_EQ(m.EdgeTangentX, before.EdgeTangentX);
    EXPECT_EQ(m.CurveTangentY, before.CurveTangentY);
    EXPECT_EQ(FitModelSurfaces(m)[2].PY, plane.PY);  // a second export fits the same plane
}

TEST(FitModelSurfaces, DegenerateOrMissingModelsFailClearly) {
    ModelState collapsed = test::TinyModel();
    for (auto& row : collapsed.GridX) std::fill(row.begin(), row.end(), 0.0);
    for (auto& row : collapsed.GridY) std::fill(row.begin(), row.end(), 0.0);
    for (auto& row : collapsed.GridZ) std::fill(row.begin(), row.end(), 0.0);
    try {
        FitModelSurfaces(collapsed);
        FAIL() << "a collapsed patch was fitted";
    } catch (const ExportError& e) {
        EXPECT_NE(std::string(e.what()).find("Surface1"), std::string::npos) << e.what();
    }
    ModelState empty;
    EXPECT_THROW(FitModelSurfaces(empty), ExportError);
    EXPECT_THROW(FitSectionCurves(empty, AirfoilOptions{}), ExportError);
    ModelState shortGrid = test::TinyModel();
    shortGrid.GridX.resize(3);
    EXPECT_THROW(FitModelSurfaces(shortGrid), ExportError);
}

}  // namespace
}  // namespace korvel
