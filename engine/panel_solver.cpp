// panel_solver.cpp — the wind tunnel's doublet panel method: influence fill, elimination, pressures, lift.
#include "panel_solver.h"

#include "worker_pool.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <numbers>
#include <stdexcept>

// The solve runs on every slider move while the tunnel is on, so its two hot loops (the influence fill
// and the elimination) are written with explicit vectors, in three widths picked by the processor at run
// time: 8 lanes with AVX-512, 4 with AVX2, 2 (SSE2) otherwise. There is no FMA anywhere:
// -ffp-contract=off keeps every multiply and add separately rounded in every width, so all three give
// the same bits. The vectors never cross a call (every helper is forced inline into the width's entry
// point), so the ABI remark about passing them does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"

#define KORVEL_INLINE inline __attribute__((always_inline))

namespace korvel {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;
// 2π/180 = π/90 as a double: the drag figure is the lift coefficient times the angle of attack in radians,
// and the circulation is half the lift coefficient.
constexpr double kTwoRadiansPerDegree = 0.03490658503988659;

// --- arctangent -----------------------------------------------------------------------------------------
// atan2 by reduction to a ratio in [0, 1], then to |u| <= tan(pi/8) (atan t = pi/4 + atan((t-1)/(t+1))),
// then to within 1/16 of a bin centre k/8 (atan u = atan c + atan((u-c)/(1+uc))), where seven Taylor
// terms reach full double precision; one division in all. The bin arctangents come from the library.
struct AtanBins {
    double atanOf[4];  // atan(k/8), k = 0..3
    AtanBins() {
        for (int k = 0; k < 4; ++k) atanOf[k] = std::atan(k / 8.0);
    }
};

// --- logarithm ------------------------------------------------------------------------------------------
// ln x = e ln 2 + ln m with m in [sqrt(1/2), sqrt(2)); ln m = 2 atanh s, s = (m-1)/(m+1), |s| <= 0.1716,
// eleven terms. ln 2 is split so that e x ln2hi is exact. Subnormals are scaled up first; zero, negative
// numbers, infinity and NaN get the library's answers.
constexpr double kLn2Hi = 6.93147180369123816490e-01;
constexpr double kLn2Lo = 1.90821492927058770002e-10;

// --- geometry and scratch -------------------------------------------------------------------------------

// A zero-filled double array on a 64-byte boundary (the matrix rows and the vector loops like it).
class AlignedArray {
public:
    // zeroed = false leaves the contents to the caller, who writes every element before reading it.
    explicit AlignedArray(std::size_t count, bool zeroed = true) : count_(count) {
        const std::size_t bytes = std::max<std::size_t>(64, (count * sizeof(double) + 63) / 64 * 64);
        data_ = static_cast<double*>(std::aligned_alloc(64, bytes));
        if (data_ == nullptr) throw std::bad_alloc();
        if (zeroed) std::memset(data_, 0, bytes);
    }
    ~AlignedArray() { std::free(data_); }
    AlignedArray(const AlignedArray&) = delete;
    AlignedArray& operator=(const AlignedArray&) = delete;
    double* data() { return data_; }
    const double* data() const { return data_; }
    double& operator[](std::size_t i) { return data_[i]; }
    double operator[](std::size_t i) const { return data_[i]; }
    std::size_t size() const { return count_; }

private:
    double* data_ = nullptr;
    std::size_t count_ = 0;
};

std::size_t RoundUp(std::size_t v, std::size_t step) { return (v + step - 1) / step * step; }

constexpr std::size_t kPad = 8;  // every array is padded to whole vectors of the widest width

// Nodes and panels of the section, 0-based (node i is point i+1), padded to whole vectors of any width.
// Padding nodes sit far away and padding panels have unit length: the spare lanes compute harmless numbers.
struct Contour {
    std::size_t ns = 0;        // panels
    std::size_t panelPad = 0;  // panels rounded up to whole vectors
    AlignedArray X, Y;         // nodes 0..ns, padded to panelPad + kPad
    AlignedArray dX, dY, invL2;  // panel j joins node j to node j+1; 1 / its squared length

    Contour(const ModelState& m, std::size_t panels)
        : ns(panels), panelPad(RoundUp(panels, kPad)), X(panelPad + kPad), Y(panelPad + kPad),
          dX(panelPad), dY(panelPad), invL2(panelPad) {
        for (std::size_t i = 0; i < X.size(); ++i) {
            X[i] = i <= ns ? m.SectionX[i + 1] : 1.0e6;
            Y[i] = i <= ns ? m.SectionY[i + 1] : 1.0e6;
        }
        for (std::size_t j = 0; j < panelPad; ++j) {
            dX[j] = j < ns ? X[j + 1] - X[j] : 1.0;
            dY[j] = j < ns ? Y[j + 1] - Y[j] : 0.0;
            invL2[j] = 1.0 / (dX[j] * dX[j] + dY[j] * dY[j]);
        }
    }
};

struct RowScratch {
    AlignedArray logR2, T, E;  // per node: ln |F - P|^2; per panel: T and E
    explicit RowScratch(const Contour& c) : logR2(c.X.size()), T(c.panelPad), E(c.panelPad) {}
};

// The vector widths. Comparisons of Vd give Vi lanes of -1 (true) or 0.
struct Lanes8 {
    typedef double Vd __attribute__((vector_size(64)));
    typedef long long Vi __attribute__((vector_size(64)));
};
struct Lanes4 {
    typedef double Vd __attribute__((vector_size(32)));
    typedef long long Vi __attribute__((vector_size(32)));
};
struct Lanes2 {
    typedef double Vd __attribute__((vector_size(16)));
    typedef long long Vi __attribute__((vector_size(16)));
};

// The elimination's blocking (see Eliminate).
constexpr std::size_t kBlock = 32;  // pivots per block

// One block's update of the rows below it, shared out among threads by rows (see Kernels::UpdateBelow).
struct BelowJob {
    double* A;
    std::size_t n, stride;
    std::size_t k0, kEnd;      // the block's pivots
    std::size_t below;         // the stride of P's columns
    std::size_t participants;  // threads sharing the rows below
    double* P;                 // the block's columns of the rows below, column by column
    std::size_t sweepers;      // threads sharing the block rows' columns from kEnd on
    double f[kBlock][kBlock];  // the factors of the block's own rows
};
// Fewer rows or columns than this per task cost more to hand over than they save.
constexpr std::size_t kRowsPerTask = 32;
constexpr std::size_t kColumnsPerTask = 64;

// Every kernel, written once for a width W. Each member is forced inline so that it is compiled for
// the instruction set of the entry point that uses it.
template <class W>
struct Kernels {
    using Vd = typename W::Vd;
    using Vi = typename W::Vi;
    static constexpr std::size_t kLanes = sizeof(Vd) / sizeof(double);

    static KORVEL_INLINE Vd Load(const double* p) {
        Vd v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    static KORVEL_INLINE void Store(double* p, const Vd& v) { std::memcpy(p, &v, sizeof v); }
    static KORVEL_INLINE Vd Splat(double s) {
        Vd v;
        for (std::size_t l = 0; l < kLanes; ++l) v[l] = s;
        return v;
    }
    // Lane l is x[mask[l]] for mask[l] < kLanes, else y[mask[l] - kLanes]. Clang has no general shuffle
    // builtin; it only builds the two-lane kernels, where the lane loop costs nothing that matters.
    static KORVEL_INLINE Vd Shuffle(const Vd& x, const Vd& y, const Vi& mask) {
#if defined(__clang__)
        Vd r;
        for (std::size_t l = 0; l < kLanes; ++l) {
            const auto m = static_cast<std::size_t>(mask[l]);
            r[l] = m < kLanes ? x[m] : y[m - kLanes];
        }
        return r;
#else
        return __builtin_shuffle(x, y, mask);
#endif
    }
    static KORVEL_INLINE Vd Abs(const Vd& v) { return (Vd)((Vi)v & std::numeric_limits<long long>::max()); }
    // Comparison masks are only ever used to select, one at a time: GCC turns masks combined with | or &,
    // and 64-bit integer comparisons, into scalar code on some targets.
    static KORVEL_INLINE Vi IsNaN(const Vd& v) { return v != v; }
    static KORVEL_INLINE Vi IsInfinite(const Vd& v) { return Abs(v) > DBL_MAX; }

    // 1 - z/3 + z^2/5 - ... + z^6/13, as even and odd halves in w = z^2: two short chains, not one long one.
    static KORVEL_INLINE Vd AtanPoly(const Vd& z) {
        const Vd w = z * z;
        const Vd even = ((Splat(1.0 / 13.0) * w + 1.0 / 9.0) * w + 1.0 / 5.0) * w + 1.0;
        const Vd odd = (Splat(-1.0 / 11.0) * w - 1.0 / 7.0) * w - 1.0 / 3.0;
        return even + z * odd;
    }

    // Every lane is answered here, the library's special cases included: zeros and infinities give the
    // library's signed multiples of pi/4, NaN gives NaN.
    static KORVEL_INLINE Vd Atan2V(const Vd& y, const Vd& x, const AtanBins& bins) {
        // With an infinity only the directions count: infinite parts become 1, finite ones 0.
        const Vi xInfinite = IsInfinite(x);
        const Vi yInfinite = IsInfinite(y);
        const Vd ax = xInfinite ? Splat(1.0) : (yInfinite ? Splat(0.0) : Abs(x));
        const Vd ay = yInfinite ? Splat(1.0) : (xInfinite ? Splat(0.0) : Abs(y));
        return Atan2Of(ax, ay, y, x, bins);
    }

    // Atan2V for finite y and x, where the infinity mapping is the identity: the same bits for less work.
    static KORVEL_INLINE Vd FiniteAtan2V(const Vd& y, const Vd& x, const AtanBins& bins) {
        return Atan2Of(Abs(x), Abs(y), y, x, bins);
    }

    // The arctangent of the magnitudes ax and ay, turned into the quadrant of the signs of y and x.
    static KORVEL_INLINE Vd Atan2Of(const Vd& ax, const Vd& ay, const Vd& y, const Vd& x, const AtanBins& bins) {
        const Vi swap = ay > ax;
        const Vd mx = swap ? ay : ax;
        const Vd mn = swap ? ax : ay;
        const Vi big = mn > mx * 0.41421356237309503;
        // u = num / den with |u| <= tan(pi/8), u <= 0 exactly when big; the division is deferred to v.
        const Vd num = Abs(big ? mn - mx : mn);
        const Vd sum = big ? mn + mx : mx;
        const Vd den = sum + (sum > 0.0 ? Splat(0.0) : Splat(1.0));  // both zero: u = 0; NaN stays NaN
        const Vi b1 = num > den * 0.0625;
        const Vi b2 = num > den * 0.1875;
        const Vi b3 = num > den * 0.3125;
        const Vd c = b3 ? Splat(0.375) : (b2 ? Splat(0.25) : (b1 ? Splat(0.125) : Splat(0.0)));
        const Vd atanC = b3 ? Splat(bins.atanOf[3])
                            : (b2 ? Splat(bins.atanOf[2]) : (b1 ? Splat(bins.atanOf[1]) : Splat(bins.atanOf[0])));
        const Vd v = (num - c * den) / (den + c * num);  // (|u| - c) / (1 + |u| c)
        const Vd at = atanC + v * AtanPoly(v * v);  // atan |u|
        Vd r = big ? Splat(kPi / 4) - at : at;
        r = swap ? Splat(kPi / 2) - r : r;
        // The quadrant from the sign bits, -0 counting as negative as in the library: pi - r where x is
        // negative, then the sign of y. Bit operations, no comparison. NaN has come through as NaN.
        const Vi xNegative = (Vi)x >> 63;
        r = (Vd)(((Vi)(Splat(kPi) - r) & xNegative) | ((Vi)r & ~xNegative));
        return (Vd)((Vi)r ^ ((Vi)y & std::numeric_limits<long long>::min()));
    }

    static KORVEL_INLINE Vd LogV(const Vd& x) {
        constexpr double inf = std::numeric_limits<double>::infinity();
        const Vd nan = Splat(std::numeric_limits<double>::quiet_NaN());
        Vd r = LogOf(x);
        r = x > DBL_MAX ? Splat(inf) : r;
        r = Abs(x) > 0.0 ? r : Splat(-inf);  // zeros, and NaN until the last step
        r = x < 0.0 ? nan : r;
        return IsNaN(x) ? nan : r;
    }

    // LogV for finite x >= +0 (squared distances), where only zero needs the library's answer.
    static KORVEL_INLINE Vd FiniteLogV(const Vd& x) {
        return x > 0.0 ? LogOf(x) : Splat(-std::numeric_limits<double>::infinity());
    }

    // The logarithm of positive finite lanes, subnormals included.
    static KORVEL_INLINE Vd LogOf(const Vd& x) {
        const Vi subnormal = x < DBL_MIN;
        const Vi bits = (Vi)(subnormal ? x * 18014398509481984.0 : x);  // 2^54
        // The biased exponent read as a double through the 2^52 trick, exact and without a scalar conversion.
        const Vd biased = (Vd)((bits >> 52) | 0x4330000000000000LL) - 4503599627370496.0;
        Vd m = (Vd)((bits & 0x000fffffffffffffLL) | 0x3ff0000000000000LL);
        const Vi high = m > 1.4142135623730951;
        m = high ? m * 0.5 : m;
        const Vd e = (high ? biased + 1.0 : biased) - (subnormal ? Splat(1077.0) : Splat(1023.0));
        const Vd s = (m - 1.0) / (m + 1.0);
        const Vd z = s * s;
        const Vd w = z * z;
        // 1 + z/3 + z^2/5 + ... + z^10/21 as even and odd halves in w.
        const Vd even =
            ((((Splat(1.0 / 21.0) * w + 1.0 / 17.0) * w + 1.0 / 13.0) * w + 1.0 / 9.0) * w + 1.0 / 5.0) * w + 1.0;
        const Vd odd = (((Splat(1.0 / 19.0) * w + 1.0 / 15.0) * w + 1.0 / 11.0) * w + 1.0 / 7.0) * w + 1.0 / 3.0;
        const Vd p = even + z * odd;
        return e * kLn2Hi + (e * kLn2Lo + (s + s) * p);
    }

    static KORVEL_INLINE void Atan2Lanes(const double* y, const double* x, double* out, std::size_t count,
                                         const AtanBins& bins) {
        std::size_t i = 0;
        for (; i + kLanes <= count; i += kLanes) Store(out + i, Atan2V(Load(y + i), Load(x + i), bins));
        for (; i < count; ++i) out[i] = Atan2V(Splat(y[i]), Splat(x[i]), bins)[0];
    }

    static KORVEL_INLINE void LogLanes(const double* x, double* out, std::size_t count) {
        std::size_t i = 0;
        for (; i + kLanes <= count; i += kLanes) Store(out + i, LogV(Load(x + i)));
        for (; i < count; ++i) out[i] = LogV(Splat(x[i]))[0];
    }

    // One row of the influence matrix seen from the field point F, in two passes. First every node's
    // ln |F - P|^2. Then every panel's angle term T (the angle the panel subtends at F, signed) and end-node
    // term E, kept in the scratch, and the row's entries row[j] = E[j-1] + (T[j] - E[j]) for j = 1..NS-1
    // (written up to whole vectors: row[0] and the entries from NS on are left for the caller to overwrite,
    // as are those that read a panel the caller leaves out). The subtended angle is taken in one arctangent
    // of the cross and dot products of F - Pj and F - Pk, which equals the difference of the two
    // arctangents of the panel frame and stays accurate when the panel is far away and the angle small.
    // Finite: the coordinates are small enough that no square or product overflows, so the
    // arctangent and logarithm can skip their infinity and NaN cases.
    template <bool Finite>
    static KORVEL_INLINE void RowTerms(const Contour& c, double fx, double fy, const AtanBins& bins,
                                       RowScratch& s, double* row) {
        const Vd vfx = Splat(fx);
        const Vd vfy = Splat(fy);
        for (std::size_t i = 0; i <= c.panelPad; i += kLanes) {
            const Vd ex = vfx - Load(c.X.data() + i);
            const Vd ey = vfy - Load(c.Y.data() + i);
            const Vd r2 = ex * ex + ey * ey;
            Store(s.logR2.data() + i, Finite ? FiniteLogV(r2) : LogV(r2));
        }
        // Lane l of the shifted E is E[j + l - 1]: the previous vector's last lane, then this one's.
        Vi shift;
        for (std::size_t l = 0; l < kLanes; ++l) shift[l] = static_cast<long long>(l == 0 ? 2 * kLanes - 1 : l - 1);
        Vd prevE = Splat(0.0);
        for (std::size_t j = 0; j < c.panelPad; j += kLanes) {
            const Vd exj = vfx - Load(c.X.data() + j);
            const Vd eyj = vfy - Load(c.Y.data() + j);
            const Vd exk = vfx - Load(c.X.data() + j + 1);
            const Vd eyk = vfy - Load(c.Y.data() + j + 1);
            const Vd dx = Load(c.dX.data() + j);
            const Vd dy = Load(c.dY.data() + j);
            const Vd p = exj * dx + eyj * dy;
            const Vd q = eyj * dx - exj * dy;
            const Vd dot = exj * exk + eyj * eyk;
            const Vd T = Finite ? FiniteAtan2V(q, dot, bins) : Atan2V(q, dot, bins);
            const Vd logRatio = Load(s.logR2.data() + j + 1) - Load(s.logR2.data() + j);
            const Vd E = (0.5 * q * logRatio + p * T) * Load(c.invL2.data() + j);
            Store(s.T.data() + j, T);
            Store(s.E.data() + j, E);
            Store(row + j, Shuffle(E, prevE, shift) + (T - E));
            prevE = E;
        }
    }

    // Forward elimination without pivoting on the augmented rows (n equations, columns up to stride).
    // Pivot columns go in blocks. The rows of a block are finished one after the other. For all rows below
    // it, the block's columns are copied out column by column (transposed in registers) and eliminated
    // there with the rows in the vector lanes, which turns each row's chain of divisions into independent
    // lanes; the factors go back into the dead entries left of the diagonal. The rest of those rows then
    // takes the block's updates as a matrix product: the block's pivot rows stay in the second-level cache,
    // and a few rows times a few vectors are held in registers while all the block's pivots pass over
    // them, so every loaded pivot vector serves several rows and every factor several vectors. Every entry
    // still receives exactly the textbook sequence a -= f_k x u_k in increasing k: the result is bit for
    // bit that of the plain triple loop.

    // Rows x Vecs vectors of Rows rows at column j: a -= f_k x (pivot row k) for k < count, in increasing
    // k. The factors come already spread over whole vectors (fs, k-major): a broadcast from memory takes
    // a slot of the floating-point pipes on some processors, a plain load does not.
    template <std::size_t Rows, std::size_t Vecs>
    static KORVEL_INLINE void UpdateTile(double* const* rows, const double* fs, const double* u0,
                                         std::size_t stride, std::size_t count, std::size_t j) {
        Vd a[Rows][Vecs];
        #pragma GCC unroll 8
        for (std::size_t r = 0; r < Rows; ++r)
            #pragma GCC unroll 8
            for (std::size_t v = 0; v < Vecs; ++v) a[r][v] = Load(rows[r] + j + v * kLanes);
        for (std::size_t k = 0; k < count; ++k) {
            Vd u[Vecs];
            #pragma GCC unroll 8
            for (std::size_t v = 0; v < Vecs; ++v) u[v] = Load(u0 + k * stride + j + v * kLanes);
            #pragma GCC unroll 8
            for (std::size_t r = 0; r < Rows; ++r) {
                const Vd fv = Load(fs + (k * Rows + r) * kLanes);
                #pragma GCC unroll 8
                for (std::size_t v = 0; v < Vecs; ++v) a[r][v] -= fv * u[v];
            }
        }
        #pragma GCC unroll 8
        for (std::size_t r = 0; r < Rows; ++r)
            #pragma GCC unroll 8
            for (std::size_t v = 0; v < Vecs; ++v) Store(rows[r] + j + v * kLanes, a[r][v]);
    }

    // Rows rows from column c0 over width columns (the factors of row r at f[r]; fs holds kBlock x Rows
    // vectors).
    template <std::size_t Rows>
    static KORVEL_INLINE void UpdateRows(double* const* rows, const double* const* f, double* fs, const double* u0,
                                         std::size_t stride, std::size_t count, std::size_t c0, std::size_t width) {
        constexpr std::size_t kVecs = kLanes >= 8 ? 4 : (kLanes == 2 ? 3 : 2);  // what the register file holds beside the rows
        for (std::size_t k = 0; k < count; ++k)
            for (std::size_t r = 0; r < Rows; ++r) Store(fs + (k * Rows + r) * kLanes, Splat(f[r][k]));
        std::size_t j = 0;
        for (; j + kVecs * kLanes <= width; j += kVecs * kLanes) UpdateTile<Rows, kVecs>(rows, fs, u0, stride, count, c0 + j);
        for (; j + kLanes <= width; j += kLanes) UpdateTile<Rows, 1>(rows, fs, u0, stride, count, c0 + j);
        for (; j < width; ++j) {
            for (std::size_t r = 0; r < Rows; ++r) {
                double a = rows[r][c0 + j];
                for (std::size_t k = 0; k < count; ++k) a -= f[r][k] * u0[k * stride + c0 + j];
                rows[r][c0 + j] = a;
            }
        }
    }

    // row[from, to) -= sum of f[k] x (pivot row k)[from, to) (k < count), the updates in increasing k.
    static KORVEL_INLINE void SweepSome(double* row, const double* u0, std::size_t stride, const double* f,
                                        std::size_t count, std::size_t from, std::size_t to) {
        // Several vectors at once: each one's updates form a chain, and one chain alone waits on every
        // subtraction.
        constexpr std::size_t kVecs = 4;
        std::size_t j = from;
        for (; j + kVecs * kLanes <= to; j += kVecs * kLanes) {
            Vd a[kVecs];
            #pragma GCC unroll 8
            for (std::size_t v = 0; v < kVecs; ++v) a[v] = Load(row + j + v * kLanes);
            for (std::size_t k = 0; k < count; ++k) {
                const Vd fk = Splat(f[k]);
                #pragma GCC unroll 8
                for (std::size_t v = 0; v < kVecs; ++v) a[v] -= fk * Load(u0 + k * stride + j + v * kLanes);
            }
            #pragma GCC unroll 8
            for (std::size_t v = 0; v < kVecs; ++v) Store(row + j + v * kLanes, a[v]);
        }
        for (; j + kLanes <= to; j += kLanes) {
            Vd a = Load(row + j);
            for (std::size_t k = 0; k < count; ++k) a -= Splat(f[k]) * Load(u0 + k * stride + j);
            Store(row + j, a);
        }
        for (; j < to; ++j) {
            double a = row[j];
            for (std::size_t k = 0; k < count; ++k) a -= f[k] * u0[k * stride + j];
            row[j] = a;
        }
    }

    // Participant p's share of the block's own rows from column kEnd on: every column is swept down the
    // block's rows in order, so columns can be shared out; in runs of kPad columns. The rows go in fours:
    // the pivots above a four are final, so they reach it as one matrix product; then the four sweep
    // each other in order.
    static KORVEL_INLINE void SweepBlock(const BelowJob& job, std::size_t p) {
        const std::size_t width = job.stride - job.kEnd;
        const std::size_t chunk = RoundUp((width + job.sweepers - 1) / job.sweepers, kPad);
        const std::size_t from = job.kEnd + std::min(p * chunk, width);
        const std::size_t to = job.kEnd + std::min((p + 1) * chunk, width);
        if (from >= to) return;
        const std::size_t stride = job.stride;
        double* const b0 = job.A + job.k0 * stride;  // the block's first row
        const std::size_t rowsInBlock = job.kEnd - job.k0;
        constexpr std::size_t kRows = 4;
        alignas(64) double fs[kBlock * kRows * kLanes];
        for (std::size_t q = 0; q < rowsInBlock; q += kRows) {
            const std::size_t qEnd = std::min(q + kRows, rowsInBlock);
            if (q > 0 && qEnd - q == kRows) {
                double* rows[kRows];
                const double* f[kRows];
                for (std::size_t r = 0; r < kRows; ++r) {
                    rows[r] = b0 + (q + r) * stride;
                    f[r] = job.f[q + r];
                }
                UpdateRows<kRows>(rows, f, fs, b0, stride, q, from, to - from);
            } else if (q > 0) {
                for (std::size_t i = q; i < qEnd; ++i) {
                    double* rows[1] = {b0 + i * stride};
                    const double* f[1] = {job.f[i]};
                    UpdateRows<1>(rows, f, fs, b0, stride, q, from, to - from);
                }
            }
            for (std::size_t i = q + 1; i < qEnd; ++i)
                SweepSome(b0 + i * stride, b0 + q * stride, stride, job.f[i] + q, i - q, from, to);
        }
    }

    // kLanes rows of kLanes doubles turned into kLanes columns, in registers: log2(kLanes) stages of
    // butterflies, each pairing the vectors D apart.
    template <std::size_t D>
    static KORVEL_INLINE void Butterfly(Vd* r) {
        Vi lo, hi;
        #pragma GCC unroll 8
        for (std::size_t l = 0; l < kLanes; ++l) {
            const bool left = (l / D) % 2 == 0;
            lo[l] = static_cast<long long>(left ? l : kLanes + l - D);
            hi[l] = static_cast<long long>(left ? l + D : kLanes + l);
        }
        #pragma GCC unroll 8
        for (std::size_t i = 0; i < kLanes; ++i) {
            if ((i / D) % 2 != 0) continue;
            const Vd x = r[i];
            const Vd y = r[i + D];
            r[i] = Shuffle(x, y, lo);
            r[i + D] = Shuffle(x, y, hi);
        }
        if constexpr (D > 1) Butterfly<D / 2>(r);
    }

    // Copies count columns from column k0 of the kPad rows from row `first` of A into P (ToP) or back.
    template <bool ToP>
    static KORVEL_INLINE void CopyGroup(double* A, std::size_t stride, std::size_t first, std::size_t k0,
                                        double* P, std::size_t below, std::size_t r0, std::size_t count) {
        const std::size_t whole = count / kLanes * kLanes;
        for (std::size_t rb = 0; rb < kPad; rb += kLanes) {
            double* a = A + (first + rb) * stride + k0;
            double* p = P + r0 + rb;
            for (std::size_t cb = 0; cb < whole; cb += kLanes) {
                Vd t[kLanes];
                #pragma GCC unroll 8
                for (std::size_t i = 0; i < kLanes; ++i) t[i] = ToP ? Load(a + i * stride + cb) : Load(p + (cb + i) * below);
                Butterfly<kLanes / 2>(t);
                #pragma GCC unroll 8
                for (std::size_t i = 0; i < kLanes; ++i) {
                    if (ToP) Store(p + (cb + i) * below, t[i]);
                    else Store(a + i * stride + cb, t[i]);
                }
            }
            for (std::size_t i = 0; i < kLanes; ++i) {
                for (std::size_t c = whole; c < count; ++c) {
                    if (ToP) p[c * below + i] = a[i * stride + c];
                    else a[i * stride + c] = p[c * below + i];
                }
            }
        }
    }

    // Eliminates the block's columns (count of them, copied out to P column by column) in Vecs vectors of
    // rows at offsets off, leaving the factors in their place: the textbook updates of each entry in order.
    // Four pivots at a time: their factors are found one after the other within the four columns, then
    // every later column takes all four updates in order while it is in registers.
    template <std::size_t Vecs>
    static KORVEL_INLINE void FactorVectors(double* P, std::size_t below, const double* u0, std::size_t stride,
                                            std::size_t k0, std::size_t count, const std::size_t* off) {
        constexpr std::size_t kStep = 4;
        for (std::size_t c0 = 0; c0 < count; c0 += kStep) {
            const std::size_t cEnd = std::min(c0 + kStep, count);
            Vd f[kStep][Vecs];
            for (std::size_t c = c0; c < cEnd; ++c) {
                const double* pivotRow = u0 + c * stride + k0;
                const Vd pivot = Splat(pivotRow[c]);
                double* fcol = P + c * below;
                #pragma GCC unroll 8
                for (std::size_t v = 0; v < Vecs; ++v) {
                    f[c - c0][v] = Load(fcol + off[v]) / pivot;
                    Store(fcol + off[v], f[c - c0][v]);
                }
                for (std::size_t j = c + 1; j < cEnd; ++j) {
                    double* col = P + j * below;
                    #pragma GCC unroll 8
                    for (std::size_t v = 0; v < Vecs; ++v)
                        Store(col + off[v], Load(col + off[v]) - f[c - c0][v] * pivotRow[j]);
                }
            }
            if (cEnd - c0 < kStep) break;  // the last columns are done
            const double* p0 = u0 + c0 * stride + k0;
            for (std::size_t j = cEnd; j < count; ++j) {
                double* col = P + j * below;
                const Vd u[kStep] = {Splat(p0[j]), Splat(p0[stride + j]), Splat(p0[2 * stride + j]),
                                     Splat(p0[3 * stride + j])};
                #pragma GCC unroll 8
                for (std::size_t v = 0; v < Vecs; ++v) {
                    Vd a = Load(col + off[v]);
                    #pragma GCC unroll 4
                    for (std::size_t k = 0; k < kStep; ++k) a -= f[k][v] * u[k];
                    Store(col + off[v], a);
                }
            }
        }
    }

    // The rows below block k0..kEnd-1 that participant p owns: their factors, then the product with the
    // block's pivot rows. The rows go out in groups of kPad, dealt round the participants in the same way
    // from every block on, so that each thread keeps its rows in its own cache. Every element gets the
    // same operations in the same order whichever participant computes it.
    static KORVEL_INLINE void UpdateBelow(const BelowJob& job, std::size_t p) {
        double* A = job.A;
        const std::size_t n = job.n, stride = job.stride, k0 = job.k0, kEnd = job.kEnd, below = job.below;
        const std::size_t count = kEnd - k0;
        const double* u0 = A + k0 * stride;
        double* P = job.P;
        const std::size_t m = n - kEnd;
        const std::size_t mPad = RoundUp(m, kLanes);
        const std::size_t first = (p + job.participants - kEnd / kPad % job.participants) % job.participants;
        const std::size_t step = job.participants * kPad;
        // Factors of all the participant's rows, a batch of row groups at a time: the vectors of a batch
        // are independent chains, so the subtractions overlap instead of waiting on each other.
        constexpr std::size_t kBatchVecs = 8;
        constexpr std::size_t kGroupsPerBatch = kBatchVecs * kLanes / kPad;
        for (std::size_t batch = first * kPad; batch < mPad; batch += kGroupsPerBatch * step) {
            std::size_t off[kBatchVecs];
            std::size_t vecs = 0;
            for (std::size_t from = batch; from < std::min(batch + kGroupsPerBatch * step, mPad); from += step) {
                const std::size_t to = std::min(from + kPad, mPad);
                if (from + kPad <= m) {
                    CopyGroup<true>(A, stride, kEnd + from, k0, P, below, from, count);
                } else {
                    for (std::size_t r = from; r < std::min(to, m); ++r) {
                        const double* a = A + (kEnd + r) * stride + k0;
                        for (std::size_t c = 0; c < count; ++c) P[c * below + r] = a[c];
                    }
                    for (std::size_t r = std::max(from, m); r < to; ++r)
                        for (std::size_t c = 0; c < count; ++c) P[c * below + r] = 0.0;
                }
                for (std::size_t r = from; r < to; r += kLanes) off[vecs++] = r;
            }
            if (vecs == kBatchVecs) {
                FactorVectors<kBatchVecs>(P, below, u0, stride, k0, count, off);
            } else {
                for (std::size_t v = 0; v < vecs; ++v) FactorVectors<1>(P, below, u0, stride, k0, count, off + v);
            }
            for (std::size_t from = batch; from < std::min(batch + kGroupsPerBatch * step, mPad); from += step) {
                if (from + kPad <= m) {
                    CopyGroup<false>(A, stride, kEnd + from, k0, P, below, from, count);
                    continue;
                }
                for (std::size_t r = from; r < m; ++r) {
                    double* a = A + (kEnd + r) * stride + k0;
                    for (std::size_t c = 0; c < count; ++c) a[c] = P[c * below + r];
                }
            }
        }
        // Then the product, kRows rows at a time across their whole width: the block's pivot rows stay in
        // the second-level cache while the rows below stream through once.
        constexpr std::size_t kRows = 4;
        static_assert(kPad % kRows == 0);
        alignas(64) double fs[kBlock * kRows * kLanes];
        for (std::size_t from = first * kPad; from < m; from += step) {
            const std::size_t end = kEnd + std::min(from + kPad, m);
            std::size_t i = kEnd + from;
            for (; i + kRows <= end; i += kRows) {
                double* rows[kRows];
                const double* f[kRows];
                for (std::size_t r = 0; r < kRows; ++r) {
                    rows[r] = A + (i + r) * stride;
                    f[r] = rows[r] + k0;
                }
                UpdateRows<kRows>(rows, f, fs, u0, stride, count, kEnd, stride - kEnd);
            }
            for (; i < end; ++i) {
                double* rows[1] = {A + i * stride};
                const double* f[1] = {rows[0] + k0};
                UpdateRows<1>(rows, f, fs, u0, stride, count, kEnd, stride - kEnd);
            }
        }
    }

    // sweep(job, p, p) and update(job, p, p) are SweepBlock and UpdateBelow compiled for this width: the
    // pool's threads run them.
    static KORVEL_INLINE void Eliminate(double* A, std::size_t n, std::size_t stride, std::size_t threads,
                                        Task sweep, Task update) {
        const std::size_t below = RoundUp(n, kPad);
        AlignedArray panelStore(kBlock * below);            // block columns of the rows below, column by column
        BelowJob job{A, n, stride, 0, 0, below, 1, panelStore.data(), 1, {}};
        for (std::size_t k0 = 0; k0 + 1 < n; k0 += kBlock) {
            const std::size_t kEnd = std::min(k0 + kBlock, n - 1);  // pivots k0..kEnd-1
            job.k0 = k0;
            job.kEnd = kEnd;
            // The block's own rows within the block's columns, each complete before the next one serves
            // as a pivot row; then their columns from kEnd on, which threads can share.
            for (std::size_t i = k0 + 1; i < kEnd; ++i) {
                double* row = A + i * stride;
                for (std::size_t k = k0; k < i; ++k) {
                    const double* pivotRow = A + k * stride;
                    const double fk = row[k] / pivotRow[k];
                    job.f[i - k0][k - k0] = fk;
                    for (std::size_t j = k + 1; j < kEnd; ++j) row[j] -= fk * pivotRow[j];
                }
            }
            job.sweepers = std::clamp<std::size_t>((stride - kEnd) / kColumnsPerTask, 1, threads);
            if (job.sweepers == 1) SweepBlock(job, 0);
            else RunTasks(job.sweepers, job.sweepers, sweep, &job);
            // The rows below, shared among as many threads as have kRowsPerTask rows each.
            const std::size_t m = n - kEnd;
            job.participants = std::clamp<std::size_t>(m / kRowsPerTask, 1, threads);
            if (job.participants == 1) UpdateBelow(job, 0);
            else RunTasks(job.participants, job.participants, update, &job);
        }
    }
};

// --- one entry point per kernel and width ------------------------------------------------------------

// The kernels one solve uses, all of one width.
struct KernelSet {
    // RowTerms for any coordinates, and for coordinates whose squares and products stay finite.
    void (*rowTerms)(const Contour&, double, double, const AtanBins&, RowScratch&, double*);
    void (*finiteRowTerms)(const Contour&, double, double, const AtanBins&, RowScratch&, double*);
    void (*eliminate)(double*, std::size_t, std::size_t, std::size_t);
    void (*atan2Lanes)(const double*, const double*, double*, std::size_t, const AtanBins&);
    void (*logLanes)(const double*, double*, std::size_t);
};

#define KORVEL_KERNEL_SET(Name, Width, Target)                                                               \
    Target void Name##RowTerms(const Contour& c, double fx, double fy, const AtanBins& bins, RowScratch& s,   \
                               double* row) {                                                                \
        Kernels<Width>::RowTerms<false>(c, fx, fy, bins, s, row);                                            \
    }                                                                                                        \
    Target void Name##FiniteRowTerms(const Contour& c, double fx, double fy, const AtanBins& bins,            \
                                     RowScratch& s, double* row) {                                           \
        Kernels<Width>::RowTerms<true>(c, fx, fy, bins, s, row);                                             \
    }                                                                                                        \
    Target void Name##UpdateBelow(void* job, std::size_t p, std::size_t) {                                   \
        Kernels<Width>::UpdateBelow(*static_cast<const BelowJob*>(job), p);                                  \
    }                                                                                                        \
    Target void Name##SweepBlock(void* job, std::size_t p, std::size_t) {                                    \
        Kernels<Width>::SweepBlock(*static_cast<const BelowJob*>(job), p);                                   \
    }                                                                                                        \
    Target void Name##Eliminate(double* A, std::size_t n, std::size_t stride, std::size_t threads) {         \
        Kernels<Width>::Eliminate(A, n, stride, threads, Name##SweepBlock, Name##UpdateBelow);               \
    }                                                                                                        \
    Target void Name##Atan2Lanes(const double* y, const double* x, double* out, std::size_t count,          \
                                 const AtanBins& bins) {                                                     \
        Kernels<Width>::Atan2Lanes(y, x, out, count, bins);                                                  \
    }                                                                                                        \
    Target void Name##LogLanes(const double* x, double* out, std::size_t count) {                            \
        Kernels<Width>::LogLanes(x, out, count);                                                             \
    }                                                                                                        \
    constexpr KernelSet k##Name##Kernels{Name##RowTerms, Name##FiniteRowTerms, Name##Eliminate,              \
                                         Name##Atan2Lanes, Name##LogLanes};

KORVEL_KERNEL_SET(Sse2, Lanes2, )
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
KORVEL_KERNEL_SET(Avx2, Lanes4, __attribute__((target("avx2"))))
KORVEL_KERNEL_SET(Avx512, Lanes8, __attribute__((target("avx512f,avx512dq,avx512vl"))))
#endif

const KernelSet& KernelsOf(panel_detail::KernelWidth width) {
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
    if (width == panel_detail::KernelWidth::Avx512) return kAvx512Kernels;
    if (width == panel_detail::KernelWidth::Avx2) return kAvx2Kernels;
#endif
    (void)width;
    return kSse2Kernels;
}

// The textbook triple loop: the reference the blocked elimination reproduces bit for bit.
void EliminateTextbook(double* A, std::size_t n, std::size_t stride) {
    for (std::size_t k = 0; k + 1 < n; ++k) {
        const double* pivotRow = A + k * stride;
        for (std::size_t i = k + 1; i < n; ++i) {
            double* row = A + i * stride;
            const double f = row[k] / pivotRow[k];
            row[k] = f;
            for (std::size_t j = k + 1; j < stride; ++j) row[j] -= f * pivotRow[j];
        }
    }
}

// Sections of fewer panels than this are solved on the calling thread alone: below it, handing rows to
// other threads costs about what it saves.
constexpr std::size_t kThreadedPanels = 200;
std::size_t ThreadsFor(std::size_t rows) { return rows > kThreadedPanels ? WorkerThreads() : 1; }

// Angle of (x, y) in [0, 2 pi): the library's atan2 plus a full turn when y is negative.
double TurnAngle(double y, double x) {
    double a = std::atan2(y, x);
    if (y < 0.0) a += kTwoPi;
    return a;
}

// Whether every node's coordinates are small enough (|v| <= 1e100) that the differences, their squares
// and their products in the row terms stay finite (below 1e201): then the row terms' arctangent and
// logarithm never see an infinity or a NaN. NaN coordinates fail the test.
bool FiniteProducts(const Contour& c) {
    for (std::size_t i = 0; i <= c.ns; ++i)
        if (!(std::fabs(c.X[i]) <= 1e100 && std::fabs(c.Y[i]) <= 1e100)) return false;
    return true;
}

// Leaves the panels a and b out of a row that RowTerms wrote: their T and E become zero and the entries
// that read them, row[j] = E[j-1] + (T[j] - E[j]) for j in 1..NS-1, are worked out again with the same
// expression (so that even the signs of zeros are those of the full expression).
void LeaveOut(double* row, RowScratch& s, std::size_t ns, std::size_t a, std::size_t b) {
    s.T[a] = s.E[a] = s.T[b] = s.E[b] = 0.0;
    for (const std::size_t j : {a, a + 1, b, b + 1})
        if (j >= 1 && j < ns) row[j] = s.E[j - 1] + (s.T[j] - s.E[j]);
}

// Back substitution of the two right-hand sides, each row's sum over the known unknowns taken from the
// last one down. One row's sum is a chain of dependent additions, so kBackRows rows go together: their
// sums run side by side down to the block's bottom row, then each row in turn, from the bottom up, adds
// its remaining terms with the unknowns just found. Every row still adds its terms in the same order.
// The bottom block takes the odd rows: it has no shared part.
constexpr std::size_t kBackRows = 8;
void BackSubstitute(const double* A, std::size_t n, std::size_t stride, double* muCos, double* muSin) {
    const std::size_t rhsCos = n;
    const std::size_t rhsSin = n + 1;
    std::size_t top = n - ((n - 1) % kBackRows + 1);
    for (std::size_t end = n; end > 0; end = top, top = end - kBackRows) {
        // Rows in pairs of lanes, named one by one so that they stay in registers.
        using V = Lanes2::Vd;
        V cos01{}, cos23{}, cos45{}, cos67{}, sin01{}, sin23{}, sin45{}, sin67{};
        const double* r0 = A + top * stride;
        for (std::size_t j = n - 1; j >= end; --j) {
            const V c{muCos[j], muCos[j]};
            const V s{muSin[j], muSin[j]};
            const V a01{r0[j], r0[stride + j]};
            const V a23{r0[2 * stride + j], r0[3 * stride + j]};
            const V a45{r0[4 * stride + j], r0[5 * stride + j]};
            const V a67{r0[6 * stride + j], r0[7 * stride + j]};
            cos01 += a01 * c;
            cos23 += a23 * c;
            cos45 += a45 * c;
            cos67 += a67 * c;
            sin01 += a01 * s;
            sin23 += a23 * s;
            sin45 += a45 * s;
            sin67 += a67 * s;
        }
        const double sumCos[] = {cos01[0], cos01[1], cos23[0], cos23[1], cos45[0], cos45[1], cos67[0], cos67[1]};
        const double sumSin[] = {sin01[0], sin01[1], sin23[0], sin23[1], sin45[0], sin45[1], sin67[0], sin67[1]};
        static_assert(sizeof sumCos == kBackRows * sizeof(double));
        for (std::size_t k = end; k-- > top;) {
            const double* row = A + k * stride;
            double sc = sumCos[k - top];
            double ss = sumSin[k - top];
            for (std::size_t j = end - 1; j > k; --j) {
                sc += row[j] * muCos[j];
                ss += row[j] * muSin[j];
            }
            muCos[k] = (row[rhsCos] - sc) / row[k];
            muSin[k] = (row[rhsSin] - ss) / row[k];
        }
    }
}

// Builds and solves the system of the section for the two free streams along (cos) and across (sin)
// the chord: the matrix does not depend on the angle, only the right-hand side does, linearly.
void BuildAndSolve(const ModelState& m, std::size_t ns, const KernelSet& kernels, std::vector<double>& muCos,
                   std::vector<double>& muSin, panel_detail::Elimination elimination) {
    const std::size_t n = ns + 1;                 // unknowns mu_1..mu_(NS+1), 0-based here
    const std::size_t rhsCos = n;                 // the two right-hand side columns follow the unknowns
    const std::size_t rhsSin = n + 1;
    const std::size_t stride = RoundUp(n + 2, kPad);
    const Contour c(m, ns);
    const AtanBins bins;
    // Not zeroed here: each row is written whole by the thread that fills it, which then has it in its
    // own cache for the elimination (clearing it all on one thread first costs more than the fill).
    AlignedArray matrix(n * stride, false);
    double* A = matrix.data();

    const auto rowTerms = FiniteProducts(c) ? kernels.finiteRowTerms : kernels.rowTerms;

    // Row of the trailing edge, F = (1, 0): the two panels that end there are left out.
    {
        RowScratch s(c);
        double* row = A;
        rowTerms(c, 1.0, 0.0, bins, s, row);
        LeaveOut(row, s, ns, 0, ns - 1);
        std::fill(row + rhsSin + 1, row + stride, 0.0);
        row[0] = -TurnAngle(-c.Y[1], c.X[1] - 1.0);
        row[ns] = -TurnAngle(c.Y[ns - 1], c.X[ns - 1] - 1.0);
        row[rhsCos] = -kTwoPi;
        row[rhsSin] = 0.0;
    }
    // Rows of the nodes 2..NS: F = the node; the two panels meeting there are left out. Each row is
    // computed alone, so threads take groups of kPad rows, each thread with its own scratch: group g
    // goes to thread g mod threads, the thread that later eliminates it.
    const std::size_t threads = ThreadsFor(n);
    const std::size_t groups = (ns + kPad - 1) / kPad;
    std::vector<std::unique_ptr<RowScratch>> scratch;
    for (std::size_t t = 0; t < std::min(threads, groups); ++t) scratch.push_back(std::make_unique<RowScratch>(c));
    auto fillRows = [&](std::size_t g, std::size_t participant) {
        RowScratch& s = *scratch[participant];
        for (std::size_t r = std::max<std::size_t>(g * kPad, 1); r < std::min(ns, (g + 1) * kPad); ++r) {
            const double xr = c.X[r];
            const double yr = c.Y[r];
            double* row = A + r * stride;
            rowTerms(c, xr, yr, bins, s, row);
            LeaveOut(row, s, ns, r - 1, r);
            const double w = TurnAngle(yr, xr - 1.0) - kPi;  // the node's angle around the trailing edge
            row[0] = w + (s.T[0] - s.E[0]);
            row[ns] = -w + s.E[ns - 1];
            const double ux = xr - c.X[r + 1], uy = yr - c.Y[r + 1];
            const double vx = xr - c.X[r - 1], vy = yr - c.Y[r - 1];
            const double beta = TurnAngle(uy * vx - ux * vy, ux * vx + uy * vy);  // interior angle at the node
            row[r] = beta - kTwoPi;
            row[rhsCos] = -kTwoPi * xr;
            row[rhsSin] = -kTwoPi * yr;
            std::fill(row + rhsSin + 1, row + stride, 0.0);
        }
    };
    RunTasks(groups, threads, fillRows);
    // Kutta condition: equal speeds on the first lower and the last upper panel at the trailing edge.
    {
        double* row = A + ns * stride;
        std::fill(row, row + stride, 0.0);
        const double d1 = std::sqrt((c.X[1] - 1.0) * (c.X[1] - 1.0) + c.Y[1] * c.Y[1]);
        const double d2 = std::sqrt((c.X[ns - 1] - 1.0) * (c.X[ns - 1] - 1.0) + c.Y[ns - 1] * c.Y[ns - 1]);
        row[0] = 1.0 / d1;
        row[1] = -1.0 / d1;
        row[ns - 1] = 1.0 / d2;
        row[ns] = -1.0 / d2;
    }

    if (elimination == panel_detail::Elimination::Textbook) EliminateTextbook(A, n, stride);
    else kernels.eliminate(A, n, stride, ThreadsFor(n));

    muCos.assign(n, 0.0);
    muSin.assign(n, 0.0);
    BackSubstitute(A, n, stride, muCos.data(), muSin.data());
}

bool SameSection(const PanelCache& cache, const ModelState& m, std::size_t ns) {
    const std::size_t bytes = (ns + 1) * sizeof(double);
    return cache.NodeX.size() == ns + 1 && cache.NodeY.size() == ns + 1 && cache.MuCos.size() == ns + 1 &&
           cache.MuSin.size() == ns + 1 && std::memcmp(cache.NodeX.data(), m.SectionX.data() + 1, bytes) == 0 &&
           std::memcmp(cache.NodeY.data(), m.SectionY.data() + 1, bytes) == 0;
}

void RequireSection(const ModelState& m) {
    const std::size_t need = static_cast<std::size_t>(std::max(m.SectionCount, 0)) + 2;
    if (m.SectionX.size() < need || m.SectionY.size() < need)
        throw std::logic_error("the section holds fewer points than its panel count");
}

}  // namespace

namespace panel_detail {

KernelWidth WidestKernels() {
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
    // AVX-512 with its DQ and VL parts: without them a vector comparison cannot become a vector of
    // lanes again and GCC falls back to scalar code.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl"))
        return KernelWidth::Avx512;
    if (__builtin_cpu_supports("avx2")) return KernelWidth::Avx2;
#endif
    return KernelWidth::Sse2;
}

void Atan2Array(KernelWidth width, const double* y, const double* x, double* out, std::size_t count) {
    KernelsOf(width).atan2Lanes(y, x, out, count, AtanBins());
}

void LogArray(KernelWidth width, const double* x, double* out, std::size_t count) {
    KernelsOf(width).logLanes(x, out, count);
}

void SolveBothStreams(const ModelState& m, KernelWidth width, std::vector<double>& muCos,
                      std::vector<double>& muSin, Elimination elimination) {
    RequireSection(m);
    if (m.SectionCount < 3) throw std::invalid_argument("a flow solution needs at least three panels");
    BuildAndSolve(m, static_cast<std::size_t>(m.SectionCount), KernelsOf(width), muCos, muSin, elimination);
}

void EliminateRows(KernelWidth width, Elimination elimination, double* A, std::size_t n, std::size_t stride) {
    if (elimination == Elimination::Textbook) EliminateTextbook(A, n, stride);
    else KernelsOf(width).eliminate(A, n, stride, ThreadsFor(n));
}

}  // namespace panel_detail

void SolvePanelMethod(ModelState& m, double AOA, double& Cl, double& Cd) {
    RequireSection(m);
    const std::size_t ns = static_cast<std::size_t>(std::max(m.SectionCount, 0));
    m.CpValues.assign(ns + 1, 0.0);
    if (ns < 3) {
        // Fewer than three panels cannot carry the trailing-edge and Kutta rows: no flow solution.
        const double nan = std::numeric_limits<double>::quiet_NaN();
        std::fill(m.CpValues.begin() + 1, m.CpValues.end(), nan);
        Cl = nan;
        Cd = nan;
        return;
    }

    PanelCache& cache = m.SolverCache;
    if (!SameSection(cache, m, ns)) {
        cache.Clear();  // never left half-written: an error in the solve leaves no cache at all
        std::vector<double> muCos, muSin;
        BuildAndSolve(m, ns, KernelsOf(panel_detail::WidestKernels()), muCos, muSin,
                      panel_detail::Elimination::Blocked);
        cache.NodeX.assign(m.SectionX.begin() + 1, m.SectionX.begin() + 1 + static_cast<std::ptrdiff_t>(ns + 1));
        cache.NodeY.assign(m.SectionY.begin() + 1, m.SectionY.begin() + 1 + static_cast<std::ptrdiff_t>(ns + 1));
        cache.MuCos = std::move(muCos);
        cache.MuSin = std::move(muSin);
    }

    const long double a = static_cast<long double>(AOA) * (1.0L / 180.0L) * std::numbers::pi_v<long double>;
    const double sa = static_cast<double>(std::sin(a));
    const double ca = static_cast<double>(std::cos(a));
    const auto mu = [&](std::size_t i) { return ca * cache.MuCos[i] + sa * cache.MuSin[i]; };

    double muPrev = mu(0);
    for (std::size_t k = 1; k <= ns; ++k) {
        const double muNext = mu(k);
        const double dx = m.SectionX[k + 1] - m.SectionX[k];
        const double dy = m.SectionY[k + 1] - m.SectionY[k];
        const double dmu = muNext - muPrev;
        m.CpValues[k] = 1.0 - dmu * dmu / (dx * dx + dy * dy);
        muPrev = muNext;
    }
    const double circulation = muPrev - mu(0);
    Cl = 2.0 * circulation;
    Cd = circulation * AOA * kTwoRadiansPerDegree;
    constexpr double kTiny = static_cast<double>(1e-7f);
    if (std::fabs(Cl) < kTiny) Cl = 0.0;
    if (std::fabs(Cd) < kTiny) Cd = 0.0;
}

void SectionAreaHeight(const ModelState& m, double& Area, double& Height) {
    RequireSection(m);
    const int32_t ns = m.SectionCount;
    if (ns < 1) {
        Area = 0.0;
        Height = 0.0;
        return;
    }
    const array1Df& X = m.SectionX;
    const array1Df& Y = m.SectionY;
    double sum = 0.0;
    double lo = Y[1];
    double hi = Y[1];
    for (int32_t i = 1; i <= ns; ++i) {
        sum += (X[i + 1] - X[i]) * (Y[i] + Y[i + 1]);
        lo = std::min(lo, Y[i]);
        hi = std::max(hi, Y[i]);
    }
    Area = std::fabs(0.5 * sum);
    Height = hi - lo;
}

}  // namespace korvel
