// body_grid_test.cpp — body grids against sphere, ellipsoid and conformal-map truths; the grid modifier.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "engine/body_grid.h"
#include "engine/grid_modifier.h"

namespace korvel {
namespace {

using cd = std::complex<double>;

ModelState Counts(int32_t M, int32_t N) {
    ModelState m;
    m.SetGridM(M);
    m.SetGridN(N);
    return m;
}

// 0 on the ellipsoid centred at (a, 0, 0) with semi-axes a, b, c; negative inside.
double Ellipsoid(const ModelState& m, int i, int j, double a, double b, double c) {
    const double x = (m.GridX[i][j] - a) / a, y = m.GridY[i][j] / b, z = m.GridZ[i][j] / c;
    return x * x + y * y + z * z - 1.0;
}

void BuildCut(ModelState& m, int c, bool vs, double x0, double Tea, double Lea, double nm, double rc1, double rc2,
              double fY, double fZ) {
    if (c == 0) BuildBody(m, vs, x0, Tea, Lea, nm, 1.0, rc1, rc2, fY, fZ);
    if (c == 1 || c == 2) BuildHalfBodyY(m, vs, c == 1, x0, Tea, Lea, nm, 1.0, rc1, rc2, fY, fZ);
    if (c == 3 || c == 4) BuildHalfBodyZ(m, vs, c == 3, x0, Tea, Lea, nm, 1.0, c == 3 ? rc1 : rc2, fY, fZ);
}

TEST(BodyGrid, RoundEndsMakeSpheresEllipsoidsAndHemispheres) {
    for (int c = 0; c <= 4; ++c)
        for (bool vs : {false, true})
            for (double x0 : {0.0001, 0.0575, 0.45})
                for (auto [nm, fY, fZ] : {std::tuple{1.0, 1.0, 1.0}, {2.5, 1.0, 1.0}, {1.0, 0.6, 2.3}}) {
                    SCOPED_TRACE(testing::Message() << "c " << c << " vs " << vs << " x0 " << x0 << " fY " << fY);
                    ModelState m = Counts(12, 16);
                    BuildCut(m, c, vs, x0, 180, 180, nm, 1.0, 1.0, fY, fZ);
                    const int n = 16, last = m.GridN + 1, curved = c == 0 ? last : n + 1;
                    const double a = nm / 2, b = fY * nm / 2, cz = fZ * nm / 2;
                    EXPECT_EQ(m.GridN, c == 0 ? n : 2 * n);
                    EXPECT_EQ(m.BodyEndX, (vs ? std::array{nm, 0.0} : std::array{0.0, nm}));
                    for (int i = 1; i <= 13; ++i) {
                        for (int j = 1; j <= curved; ++j) {
                            ASSERT_NEAR(Ellipsoid(m, i, j, a, b, cz), 0.0, 1e-12);
                            const double side = c <= 2 ? m.GridY[i][j] : m.GridZ[i][j];
                            EXPECT_TRUE(c == 0 || (c == 1 || c == 4 ? side <= 0.0 : side >= 0.0));
                        }
                        EXPECT_TRUE(m.GridX[i][last] == m.GridX[i][1] && m.GridY[i][last] == m.GridY[i][1] &&
                                    m.GridZ[i][last] == m.GridZ[i][1]);
                        // The flat face of a half: in its cut plane, inside the solid, in n equal steps.
                        const array1Df& flat = c <= 2 ? m.GridZ[i] : m.GridY[i];
                        const array1Df& off = c <= 2 ? m.GridY[i] : m.GridZ[i];
                        for (int j = n + 1; c > 0 && j < last; ++j) {
                            EXPECT_TRUE(off[j] == 0.0 && Ellipsoid(m, i, j, a, b, cz) <= 1e-12);
                            EXPECT_NEAR(flat[j + 1] - flat[j], (flat[last] - flat[n + 1]) / n, 1e-12);
                        }
                    }
                    EXPECT_TRUE(c == 0 || (m.PatchFirst == std::array<int32_t, 6>{1, n + 1} &&
                                           m.PatchLast == std::array<int32_t, 6>{n + 1, 2 * n + 1}));
                }
}

TEST(BodyGrid, MeridianIsTheKarmanTrefftzImageOfTheCircle) {
    const double x0 = 0.0575, Tea = 44, Lea = 10, nm = 1.7;
    const int M = 16;
    ModelState m = Counts(M, 16);
    BuildBody(m, false, x0, Tea, Lea, nm, 1.0, 1.0, 1.0, 1.0, 1.0);
    const double g = std::pow(1 / x0 - 1, 2 - Lea / 180);
    for (int i = 2; i <= M; ++i) {
        const double e = 2 - Tea / 180 + (i - 1) * (Tea - Lea) / (180.0 * M);
        const cd z = x0 + (1 - x0) * std::polar(1.0, (i - 1) * std::numbers::pi / M);
        const cd W = std::pow((1.0 - z) / (1.0 + z), e), image = (1.0 + W) / (1.0 - W);
        for (int j = 1; j <= 17; ++j) {
            EXPECT_NEAR(m.GridX[i][j], (image.real() - 1) * (0.5 / g - 0.5) * nm, 1e-12);
            EXPECT_NEAR(std::hypot(m.GridY[i][j], m.GridZ[i][j]), (1 - 1 / g) * nm * std::abs(image.imag()) / 2, 1e-12);
        }
    }
}

// The rc1 half of the generating circle lies below Z = 0, the rc2 half above; a Z cut keeps the side of its own
// half (mode 3 the rc1 side).
TEST(BodyGrid, HalvesOfTheGeneratingCircleFaceTheirSides) {
    for (int c : {0, 3, 4}) {
        ModelState m = Counts(8, 16);
        BuildCut(m, c, false, 0.0575, 44, 0, 1, 0.8, 1.0, 1, 1);
        for (int i = 2; i <= 8; ++i)
            for (int j = 2; j <= 16; ++j) EXPECT_TRUE(c != 0 || (m.GridZ[i][j] < 0) == (j <= 8)) << j;
        EXPECT_TRUE(c == 0 || (m.GridY[4][1] > 0) == (c == 3)) << c;
    }
}

TEST(GridModifier, OffsetIsTheDeepestPointOfTheFirstHalf) {
    ModelState m = Counts(40, 40);
    EXPECT_NEAR(GridModifierOffset(m, 4000, 0.2, 180, 180, 1.5, 0.8, 1.0), -0.8 * 1.5 / 2, 1e-6);  // sphere
    BuildBody(m, false, 0.0575, 44, 7, 1.3, 0.9, 0.8, 1.0, 1, 1.4);
    double lowest = 0;
    for (int i = 2; i <= 40; ++i) lowest = std::min(lowest, m.GridZ[i][40 / 4 + 1]);
    EXPECT_NEAR(GridModifierOffset(m, 40, 0.0575, 44, 7, 1.3, 1.4, 0.8), lowest, 1e-14);
}

// A grid of 4 x 8 cells spanning X 0.1 .. 0.9 with its seam closed; the point (2, 2) lies at Y = 0, Z = pointZ.
ModelState Probe(double pointZ) {
    ModelState m = Counts(4, 8);
    AllocateGrid(m, true, false);
    m.BodyEndX = {0.1, 0.9};
    for (int i = 1; i <= 5; ++i)
        for (int j = 1; j <= 9; ++j) {
            m.GridX[i][j] = 0.1 * i + 0.03 * j;
            m.GridY[i][j] = j == 9 ? m.GridY[i][1] : 0.3 * std::sin(i + 2.0 * j);
            m.GridZ[i][j] = j == 9 ? m.GridZ[i][1] : 0.3 * std::cos(3.0 * i + j);
        }
    m.GridY[2][2] = 0.0;
    m.GridZ[2][2] = pointZ;
    return m;
}

// The meridian plane is bent by the map of the section modifier, the angle about the axis is kept.
TEST(GridModifier, BendsTheMeridianPlaneConformallyAndKeepsTheAngleAboutTheAxis) {
    const double kc = 1.3, tx = 0.7, tz = 0.5, dY = 1.7;
    const ModelState old = Probe(0.1);
    for (double kt : {0.0, 30.0, 180.0, 290.0, 360.0}) {
        ModelState m = old;
        KarmanTrefftzGrid(m, kc, kt, tx, tz, dY);
        auto map = [&](cd s) {
            const cd w = (kc - s) / (kc + s), W = std::pow(w, 2 - kt / 180);
            return kt == 360 ? -2.0 / std::log(w) : (1.0 + W) / (1.0 - W);
        };
        const cd P1 = map(cd(0.1 + tx, tz)), P2 = map(cd(0.9 + tx, tz));
        for (int i = 1; i <= 5; ++i)
            for (int j = 1; j <= 8; ++j) {
                const double Y = old.GridY[i][j], zs = old.GridZ[i][j] + tz, rho = std::hypot(Y, zs);
                const cd w = map(cd(old.GridX[i][j] + tx, rho));
                const cd p = (cd(w.real(), w.imag() * zs / rho) - P1) / (P2 - P1);
                EXPECT_NEAR(m.GridX[i][j], p.real(), 1e-9) << kt;
                EXPECT_NEAR(m.GridZ[i][j], p.imag(), 1e-9) << kt;
                EXPECT_NEAR(m.GridY[i][j], w.imag() * Y / rho * dY / std::abs(P2 - P1), 1e-9) << kt;
            }
        EXPECT_EQ(m.GridZ[3][9], m.GridZ[3][1]);
    }
}

// The edge-angle limit kt = 360 and a point on the axis (rho = 0) stay finite and join their neighbours.
TEST(GridModifier, EdgeAngleLimitAndAxisPointsStayFiniteAndContinuous) {
    const auto at = [](double kt, double z) {
        ModelState m = Probe(z);  // z = -tz puts the probe on the axis line
        KarmanTrefftzGrid(m, 1.0, kt, 0.2, 0.3, 1.0);
        return m;
    };
    const ModelState atLimit = at(360, 0.1), nearLimit = at(360 - 1e-6, 0.1), onAxis = at(90, -0.3),
                     nearAxis = at(90, -0.3 + 1e-9);
    for (const array2Df ModelState::*g : {&ModelState::GridX, &ModelState::GridY, &ModelState::GridZ}) {
        EXPECT_TRUE(std::isfinite((atLimit.*g)[2][2]) && std::isfinite((onAxis.*g)[2][2]));
        EXPECT_NEAR((atLimit.*g)[2][2], (nearLimit.*g)[2][2], 1e-9);
        EXPECT_NEAR((onAxis.*g)[2][2], (nearAxis.*g)[2][2], 1e-7);
    }
}

}  // namespace
}  // namespace korvel
