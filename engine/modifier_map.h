// modifier_map.h — the pieces the section, body and grid conformal maps share: polar ratio, power, modifier map.
#pragma once

#include <cmath>

namespace korvel {

// A point of the complex plane: the image of a map.
struct Complex2 {
    double re;
    double im;
};

// w = (k - s)/(k + s) for s = x + iy, as its squared modulus and principal argument; formed from
// (k² - |s|²) - 2iky over |k + s|² so that no complex division is needed.
struct PolarRatio {
    double modulus2;
    double phi;
};

inline PolarRatio RatioOf(double k, double x, double y) {
    const double q = k * k - x * x - y * y;
    const double den = (x + k) * (x + k) + y * y;
    return {(q * q + 4.0 * k * k * y * y) / (den * den), std::atan2(-2.0 * k * y, q)};
}

// (1 + w^n)/(1 - w^n) grows like -2/(n Log w) as the exponent n goes to 0; the similarity that follows
// every modifier map removes that factor (and the shift), so -2/Log w is the exact limit at n = 0 and joins
// small exponents continuously.
inline Complex2 ModifierLimitAtZero(const PolarRatio& w) {
    const double lre = 0.5 * std::log(w.modulus2);
    const double l2 = lre * lre + w.phi * w.phi;
    return {-2.0 * lre / l2, 2.0 * w.phi / l2};
}

// w^e for w given by its squared modulus and its principal argument. The modulus exp(e/2 · ln|w|²) and the
// angle e·phi are formed in 80 bits and rounded once, so the maps do not lose digits near the edges.
struct PolarPower {
    double rho;
    double psi;
};

inline PolarPower Power(double modulus2, double phi, double e, double eHalf) {
    const long double rho = expl(static_cast<long double>(eHalf) * logl(static_cast<long double>(modulus2)));
    const long double psi = static_cast<long double>(e) * static_cast<long double>(phi);
    return {static_cast<double>(rho), static_cast<double>(psi)};
}

// z' = (1 + W)/(1 - W) for W = rho·e^(i psi).
inline Complex2 CayleyBack(const PolarPower& w) {
    const double d = (w.rho - 2.0 * std::cos(w.psi)) * w.rho + 1.0;
    return {(1.0 - w.rho * w.rho) / d, 2.0 * w.rho * std::sin(w.psi) / d};
}

// The same map for exponents near 0, where W -> 1. In the direct form 1 - rho² and |1 - W|² =
// (rho - 2 cos psi)·rho + 1 then cancel (measured over points 0.004 and more from the pole): at the
// exponent 1e-3 (kt 0.18 degree below 360) up to 5e-8 of the result is lost, at 1e-6 a few per cent, and
// from about 3e-7 (some hundred-thousandths of a degree) rho and cos psi round to 1 for some points and
// the map is infinite or NaN. Formed from expm1 and the half-angle sine, in 80 bits, nothing cancels.
inline Complex2 CayleyBackNearOne(double modulus2, double phi, double e, double eHalf) {
    const long double alpha = static_cast<long double>(eHalf) * logl(static_cast<long double>(modulus2));
    const long double psi = static_cast<long double>(e) * static_cast<long double>(phi);
    const long double rho = expl(alpha);
    const long double em = expm1l(alpha);  // rho - 1
    const long double h = sinl(0.5L * psi);
    const long double re1 = 2.0L * h * h - em * cosl(psi);  // Re(1 - W)
    const long double im1 = rho * sinl(psi);                // -Im(1 - W)
    const long double d = re1 * re1 + im1 * im1;
    return {static_cast<double>(-em * (em + 2.0L) / d), static_cast<double>(2.0L * im1 / d)};
}

// The modifier map of sets 1 and 2: zeta -> (1 + W)/(1 - W), W = ((kc - zeta)/(kc + zeta))^n, for the
// exponent n and half exponent n/2 as the caller's law forms them from the edge angle. The section and the
// grid need the same precision of it (both keep their points at least tz >= 0.004 from the pole zeta = 0),
// so they share this one.
class ModifierMap {
public:
    ModifierMap(double kc, double n, double nHalf) : kc_(kc), n_(n), nHalf_(nHalf) {}

    Complex2 operator()(double x, double y) const {
        const PolarRatio w = RatioOf(kc_, x, y);
        if (std::fabs(n_) < 1e-12) return ModifierLimitAtZero(w);
        if (std::fabs(n_) < 1e-3) return CayleyBackNearOne(w.modulus2, w.phi, n_, nHalf_);
        return CayleyBack(Power(w.modulus2, w.phi, n_, nHalf_));
    }

private:
    double kc_, n_, nHalf_;
};

}  // namespace korvel
