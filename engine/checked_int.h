// checked_int.h — the one road from a double to an integer: NaN and out-of-range values never reach a cast.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace korvel {

// Clamps into the int32 range; NaN becomes 0. The value must already be integral or about to be truncated.
inline int32_t ClampToInt32(double v) {
    if (std::isnan(v)) return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<int32_t>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<int32_t>::max());
    if (v <= lo) return std::numeric_limits<int32_t>::min();
    if (v >= hi) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(v);
}

// Rounding to the nearest, halves to even (the default rounding mode), checked.
inline int32_t RoundToInt(double v) { return ClampToInt32(std::nearbyint(v)); }

// Truncation towards zero, checked.
inline int32_t TruncToInt(double v) { return ClampToInt32(std::trunc(v)); }

inline int64_t RoundToInt64(double v) {
    if (std::isnan(v)) return 0;
    const double r = std::nearbyint(v);
    constexpr double lo = -9.2233720368547758e18;
    if (r <= lo) return std::numeric_limits<int64_t>::min();
    if (r >= -lo) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(r);
}

}  // namespace korvel
