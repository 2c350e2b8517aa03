// modifier_map.h — the polar ratio that the section, body and grid conformal maps all start from.
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

}  // namespace korvel
