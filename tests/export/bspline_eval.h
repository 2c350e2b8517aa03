// bspline_eval.h — an independent B-spline evaluator for the tests: the textbook recursion, no shared code with the fit.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace korvel::test {

// N_{i,p}(u) by the Cox-de Boor recursion with 0/0 taken as 0; at the last knot the last non-empty span
// counts as closed so that a clamped curve ends on its last control point.
inline double BasisN(const std::vector<double>& U, int i, int p, double u) {
    if (p == 0) {
        const double last = U.back();
        if (u == last) {
            // The closed last span: the highest i with U[i] < U[i+1] == last.
            int k = static_cast<int>(U.size()) - 2;
            while (k > 0 && !(U[k] < U[k + 1])) --k;
            return i == k ? 1.0 : 0.0;
        }
        return (U[i] <= u && u < U[i + 1]) ? 1.0 : 0.0;
    }
    double a = 0.0;
    double b = 0.0;
    const double da = U[i + p] - U[i];
    const double db = U[i + p + 1] - U[i + 1];
    if (da > 0.0) a = (u - U[i]) / da * BasisN(U, i, p - 1, u);
    if (db > 0.0) b = (U[i + p + 1] - u) / db * BasisN(U, i + 1, p - 1, u);
    return a + b;
}

// First derivative of N_{i,p}.
inline double BasisD(const std::vector<double>& U, int i, int p, double u) {
    double a = 0.0;
    double b = 0.0;
    const double da = U[i + p] - U[i];
    const double db = U[i + p + 1] - U[i + 1];
    if (da > 0.0) a = p / da * BasisN(U, i, p - 1, u);
    if (db > 0.0) b = p / db * BasisN(U, i + 1, p - 1, u);
    return a - b;
}

using P3 = std::array<double, 3>;

// Point (derivative when deriv) of a cubic curve with control points (X[i], Y[i], Z[i]).
inline P3 EvalCurve(const std::vector<double>& U, const std::vector<double>& X, const std::vector<double>& Y,
                    const std::vector<double>& Z, double u, bool deriv = false) {
    P3 r{0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < X.size(); ++i) {
        const int ii = static_cast<int>(i);
        const double n = deriv ? BasisD(U, ii, 3, u) : BasisN(U, ii, 3, u);
        r[0] += n * X[i];
        r[1] += n * Y[i];
        r[2] += n * Z[i];
    }
    return r;
}

// Point of a bicubic surface with control net [u][v]; du/dv select a first derivative in that direction.
inline P3 EvalSurface(const std::vector<double>& U, const std::vector<double>& V,
                      const std::vector<std::vector<double>>& X, const std::vector<std::vector<double>>& Y,
                      const std::vector<std::vector<double>>& Z, double u, double v, bool du = false,
                      bool dv = false) {
    P3 r{0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < X.size(); ++i) {
        const int ii = static_cast<int>(i);
        const double nu = du ? BasisD(U, ii, 3, u) : BasisN(U, ii, 3, u);
        if (nu == 0.0) continue;
        for (std::size_t j = 0; j < X[i].size(); ++j) {
            const int jj = static_cast<int>(j);
            const double nv = dv ? BasisD(V, jj, 3, v) : BasisN(V, jj, 3, v);
            r[0] += nu * nv * X[i][j];
            r[1] += nu * nv * Y[i][j];
            r[2] += nu * nv * Z[i][j];
        }
    }
    return r;
}

}  // namespace korvel::test
