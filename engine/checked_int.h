// checked_int.h — the integer conversions: the one road from a double to an integer, and int32 indexes as subscripts.
#pragma once

#include <cmath>
#include <cstddef>
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

// An int32 index or count of the engine (never negative where it is used) as a container subscript.
inline std::size_t At(int32_t k) { return static_cast<std::size_t>(k); }

}  // namespace korvel
