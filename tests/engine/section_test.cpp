// section_test.cpp — the airfoil section against closed-form conformal maps, and the circle tables.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "engine/model.h"
#include "engine/section.h"
#include "mesh_checks.h"

namespace korvel {
namespace {

using cd = std::complex<double>;
constexpr double kPi = std::numbers::pi;

ModelState Base(int32_t ns, int direction, double x0, double y0, double rc1, double rc2, double fZ, double size,
                double Tea, double Lea) {
    ModelState m;
    m.SetSectionCount(ns);
    BuildBaseSection(m, direction, x0, y0, rc1, rc2, fZ, size, Tea, Lea);
    return m;
}

// The conventions, and the lowest point kept for the modifier.
void ExpectConventions(const ModelState& m) {
    testing::ExpectSectionConventions(m, false);
    double lowest = 0.0;
    for (double y : m.SectionY) lowest = std::min(lowest, y);
    EXPECT_EQ(m.SectionMinY, lowest);
}

TEST(BaseSection, RoundedEdgesGiveTheCircleThroughBothEnds) {
    for (double size : {1.0, 2.5})
        for (double x0 : {0.0575, 0.3}) {
            const ModelState m = Base(64, 1, x0, 0.0, 1.0, 1.0, 1.0, size, 180.0, 180.0);
            ExpectConventions(m);
            EXPECT_TRUE(m.SectionX[1] == size && m.SectionX[m.SectionLE] == 0.0);
            for (int32_t i = 1; i <= 65; ++i)
                EXPECT_NEAR(std::hypot(m.SectionX[i] - size / 2, m.SectionY[i]), size / 2, 1e-13 * size) << i;
        }
}

// With equal edge angles and an unsqueezed circle the contour is a classical Karman-Trefftz airfoil:
// the circle point z goes to (1 + W)/(1 - W), W = ((1 - z)/(1 + z))^e, then chord-normalised (mirrored for
// direction 0).
TEST(BaseSection, EqualEdgeAnglesGiveTheExactKarmanTrefftzAirfoil) {
    const int32_t ns = 96, h = ns / 2;
    const double x0 = 0.09, size = 1.7;
    for (double tau : {0.0, 15.0, 44.0, 120.0})
        for (double y0 : {0.0, 0.08, -0.06})
            for (int direction : {0, 1}) {
                const ModelState m = Base(ns, direction, x0, y0, 1.0, 1.0, 1.0, size, tau, tau);
                ExpectConventions(m);
                const double e = 2.0 - tau / 180.0;
                auto map = [e](cd z) {
                    const cd w = std::pow((1.0 - z) / (1.0 + z), e);
                    return (1.0 + w) / (1.0 - w);
                };
                const cd centre(x0, y0), lead = map(cd(2.0 * x0 - 1.0, 0.0));
                const double radius = std::abs(1.0 - centre), beta = std::atan2(y0, 1.0 - x0);
                auto point = [&](double t) {
                    const cd z = size * (map(centre + std::polar(radius, t)) - lead) / (1.0 - lead);
                    return direction ? z : cd(size - z.real(), z.imag());
                };
                // The contour runs the circle from angle -beta through pi + beta back round; the section may
                // then be reversed so the lower surface comes first.
                std::vector<cd> expected(ns + 2);
                for (int32_t i = 2; i <= h; ++i) expected[i] = point((i - 1) * (kPi + 2 * beta) / h - beta);
                for (int32_t i = h + 2; i <= ns; ++i)
                    expected[i] = point((i - h - 1) * (kPi - 2 * beta) / h + kPi + beta);
                const bool reversed = std::abs(cd(m.SectionX[2], m.SectionY[2]) - expected[2]) > 1e-6;
                for (int32_t i = 2; i <= ns; ++i) {
                    if (i == h + 1) continue;
                    const cd want = expected[reversed ? ns + 2 - i : i];
                    EXPECT_NEAR(m.SectionX[i], want.real(), 1e-11) << tau << " " << y0 << " " << direction << " " << i;
                    EXPECT_NEAR(m.SectionY[i], want.imag(), 1e-11) << tau << " " << y0 << " " << direction << " " << i;
                }
            }
}

TEST(BaseSection, TrailingEdgeAngleIsTea) {
    const int32_t ns = 8000;
    for (double tau : {20.0, 44.0, 90.0}) {
        const ModelState m = Base(ns, 1, 0.0575, 0.03, 1.0, 1.0, 1.0, 1.0, tau, 0.0);
        const double ux = m.SectionX[2] - 1.0, uy = m.SectionY[2], lx = m.SectionX[ns] - 1.0, ly = m.SectionY[ns];
        EXPECT_NEAR(std::acos((ux * lx + uy * ly) / std::hypot(ux, uy) / std::hypot(lx, ly)) * 180 / kPi, tau, 0.1);
    }
}

TEST(BaseSection, RejectsCountsItCannotIndex) {
    for (int32_t ns : {0, 2, 6, -8})
        EXPECT_THROW(Base(ns, 1, 0.0575, 0.0, 0.98, 0.98, 1.0, 1.0, 44.0, 0.0), std::invalid_argument) << ns;
}

// The modifier maps the shifted point s by w = (kc - s)/(kc + s), W = w^(2 - kt/180), (1 + W)/(1 - W); kt = 0
// is the Joukowski map, and at kt = 360 (exponent 0) the limit -2 / Log w, which the slider's neighbour 359.99
// and typed values a hair below 360 approach. Normalised to the unit chord.
TEST(ModifierSection, IsTheNormalisedConformalMapAndEndsExactlyOnTheUnitChord) {
    for (double kt : {0.0, 37.5, 180.0, 300.0, 359.99, 359.9999999, 359.9999999999, 360.0 - 1e-11, 360.0})
        for (int direction : {0, 1}) {
            const ModelState before = Base(40, direction, 0.1, -0.04, 0.8, 1.0, 2.0, 3.0, 20.0, 10.0);
            const double tx = 0.25, tz = 0.004 - before.SectionMinY, kc = 0.1;
            const bool limit = kt > 359.9, exact = kt == 360.0 || !limit;
            ModelState m = before;
            KarmanTrefftzSection(m, tx, tz, kc, kt);
            auto map = [&](double x, double y) {
                const cd s(x + tx, y + tz), w = (kc - s) / (kc + s), W = std::pow(w, 2.0 - kt / 180.0);
                return limit ? -2.0 / std::log(w) : (1.0 + W) / (1.0 - W);
            };
            const cd lead = map(before.SectionX[21], 0.0), trail = map(before.SectionX[1], 0.0);
            EXPECT_TRUE(m.SectionX[1] == 1.0 && m.SectionY[1] == 0.0 && m.SectionX[41] == 1.0 && m.SectionY[41] == 0.0);
            EXPECT_TRUE(m.SectionX[21] == 0.0 && m.SectionY[21] == 0.0);
            double lowest = 0.0;
            for (int32_t i = 2; i <= 40; ++i) {
                lowest = std::min(lowest, m.SectionY[i]);
                const cd want = (map(before.SectionX[i], before.SectionY[i]) - lead) / (trail - lead);
                EXPECT_LT(std::abs(cd(m.SectionX[i], m.SectionY[i]) - want), exact ? 1e-12 : 1e-6) << kt << " " << i;
            }
            EXPECT_EQ(m.SectionMinY, lowest);
        }
}

// Every count, not only multiples of 4 (half) or 8 (full); mirrored entries exactly equal or opposite.
TEST(CircleTables, EveryCountHoldsEvenlySpacedAngles) {
    array1Df s, c;
    for (bool full : {false, true}) {
        for (int32_t n = 0; n <= 70; ++n) {
            (full ? FullCircleTable : HalfCircleTable)(s, c, n);
            ASSERT_TRUE(s.size() == static_cast<size_t>(n + 1) && c.size() == s.size());
            for (int32_t k = 0; k <= n; ++k) {
                const long double a = (full ? 2 : 1) * k * std::numbers::pi_v<long double> / (n == 0 ? 1 : n);
                EXPECT_NEAR(s[k], static_cast<double>(sinl(a)), 1e-15) << full << " " << n << " " << k;
                EXPECT_NEAR(c[k], static_cast<double>(cosl(a)), 1e-15) << full << " " << n << " " << k;
                const bool mirrored =
                    full ? s[k] == -s[n - k] && c[k] == c[n - k] : s[k] == s[n - k] && c[k] == -c[n - k];
                EXPECT_TRUE(n == 0 || mirrored) << full << " " << n << " " << k;
            }
        }
        (full ? FullCircleTable : HalfCircleTable)(s, c, -3);
        EXPECT_TRUE(s.empty() && c.empty());
    }
}

}  // namespace
}  // namespace korvel
