// export_common.h — what every exchange-file writer shares: the error type, number text, curve names, clock, text lines.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "engine/model.h"
#include "output_file.h"

namespace korvel {

// Every writer reports failure by throwing this: a model that cannot be fitted (checked before any file
// is created) or a file operation that failed. what() is a complete sentence for a message box.
class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Refuses, with ExportError, a 3D model whose cuts (or mirror) left no triangle: there is nothing to write.
void CheckSomethingLeft(const ModelState& m);

// The names of the two section curves: 0 the upper side, 1 the lower side.
extern const std::array<const char*, 2> CurveNames;

// A real number with at least one and at most 13 decimals, rounded, no exponent, '.' as the separator
// whatever the locale. Zero of either sign is "0.0"; a tiny negative value keeps its sign ("-0.0").
std::string FormatReal(double x);
// FormatReal appended to out.
void AppendReal(std::string& out, double x);

// ax x 10^k (ax >= 0, 0 <= k <= 22) rounded to the nearest integer, ties to even, in exact integer
// arithmetic; false when ax is too large or not a number. The writers' fast path to correctly rounded digits.
bool RoundScaled(double ax, int k, unsigned __int128& n);

// The count lowest decimal digits of v at out, leading zeros included (count <= 19).
void WriteDigits(char* out, uint64_t v, int count);

// "00" to "99" one after the other.
extern const std::array<char, 200> kDigitPairs;

// WriteDigits for a count known when compiling: every division is by a constant and nothing branches.
template <int Count>
inline void WriteFixedDigits(char* out, uint64_t v) {
    if constexpr (Count > 8) {
        WriteFixedDigits<Count - 8>(out, v / 100000000);
        const uint32_t low = static_cast<uint32_t>(v % 100000000);
        WriteFixedDigits<4>(out + (Count - 8), low / 10000);
        WriteFixedDigits<4>(out + (Count - 4), low % 10000);
    } else if constexpr (Count >= 2) {
        const std::size_t r = static_cast<std::size_t>(v % 100);
        out[Count - 2] = kDigitPairs[2 * r];
        out[Count - 1] = kDigitPairs[2 * r + 1];
        WriteFixedDigits<Count - 2>(out, v / 100);
    } else if constexpr (Count == 1) {
        out[0] = static_cast<char>('0' + v);
    }
}

// A local date and time, as the platform clock gives it.
struct LocalDateTime {
    int32_t Year = 2000;
    int32_t Month = 1;
    int32_t Day = 1;
    int32_t Hour = 0;
    int32_t Minute = 0;
    int32_t Second = 0;
};

// One reading of the clock: the local time and the local zone's offset east of UTC in minutes.
struct ClockReading {
    LocalDateTime Local;
    int32_t OffsetMinutes = 0;
};

// Writers that stamp their files take the clock as an argument so that tests can pin it.
using ExportClock = std::function<ClockReading()>;

// The platform's local time and zone offset now.
ClockReading ReadSystemClock();

// 2026-12-05T17:58:53
std::string IsoDateTimeText(const LocalDateTime& dt);
// "Z" for 0, otherwise +hh:mm or -hh:mm.
std::string TimeZoneOffsetText(int32_t minutes);
// IsoDateTimeText followed by TimeZoneOffsetText.
std::string IsoTimestamp(int32_t minutes, const LocalDateTime& dt);

// Writes text and a line feed to a checked output file (text files end their lines with LF alone).
void WriteTextLine(OutputFile& f, const std::string& text);

}  // namespace korvel
