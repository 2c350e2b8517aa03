// export_common.cpp — number text, time stamps and text lines shared by the writers.
#include "export_common.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace korvel {

const std::array<const char*, 2> CurveNames = {"UpperSrf", "LowerSrf"};

void CheckSomethingLeft(const ModelState& m) {
    if (m.TriangleLast >= 0 && !m.Triangles.empty()) return;
    throw ExportError("The cut leaves nothing of the model to export: no surface and no triangle is left. "
                      "No file was written.");
}

namespace {

constexpr std::array<uint64_t, 20> kPowersOf10 = [] {
    std::array<uint64_t, 20> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
    return p;
}();

}  // namespace

const std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> t{};
    for (std::size_t i = 0; i < 100; ++i) {
        t[2 * i] = static_cast<char>('0' + i / 10);
        t[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return t;
}();

namespace {

// count (at most 8) digits of v < 10^count, two at a time, with divisions by constants.
void WriteShortDigits(char* out, uint32_t v, int count) {
    while (count >= 2) {
        const uint32_t q = v / 100;
        const std::size_t r = v - q * 100;
        count -= 2;
        out[count] = kDigitPairs[2 * r];
        out[count + 1] = kDigitPairs[2 * r + 1];
        v = q;
    }
    if (count == 1) out[0] = static_cast<char>('0' + v);
}

}  // namespace

void WriteDigits(char* out, uint64_t v, int count) {
    // Eight digits at a time from the right, each eight as two independent halves of four.
    while (count > 8) {
        const uint64_t q = v / 100000000;
        const uint32_t low = static_cast<uint32_t>(v - q * 100000000);
        count -= 8;
        WriteShortDigits(out + count, low / 10000, 4);
        WriteShortDigits(out + count + 4, low % 10000, 4);
        v = q;
    }
    WriteShortDigits(out, static_cast<uint32_t>(v), count);
}

bool RoundScaled(double ax, int k, unsigned __int128& n) {
    if (!(ax >= 0.0) || k < 0 || k > 22) return false;
    const uint64_t bits = std::bit_cast<uint64_t>(ax);
    const int biased = static_cast<int>(bits >> 52);
    const uint64_t mantissa = (bits & ((uint64_t{1} << 52) - 1)) | (biased != 0 ? uint64_t{1} << 52 : 0);
    const int shift = (biased != 0 ? 1075 - biased : 1074);  // ax = mantissa / 2^shift
    if (shift < 0) return false;
    unsigned __int128 p = mantissa;
    const std::size_t k1 = static_cast<std::size_t>(std::min(k, 19));
    p *= kPowersOf10[k1];
    p *= kPowersOf10[static_cast<std::size_t>(k) - k1];  // below 2^53 x 10^22 < 2^127
    if (shift == 0) {
        n = p;
        return true;
    }
    if (shift >= 127) {  // p is below half a unit
        n = 0;
        return true;
    }
    const unsigned __int128 one = 1;
    unsigned __int128 q = p >> shift;
    const unsigned __int128 rest = p & ((one << shift) - 1);
    const unsigned __int128 half = one << (shift - 1);
    if (rest > half || (rest == half && (q & 1) != 0)) ++q;
    n = q;
    return true;
}

void AppendReal(std::string& out, double x) {
    if (x == 0.0) {  // negative zero too
        out += "0.0";
        return;
    }
    // Exact integer arithmetic gives the library's correctly rounded digits for every magnitude a model
    // has; the library takes the rest.
    constexpr uint64_t kScale = 10000000000000ULL;  // 13 decimals
    unsigned __int128 scaled = 0;
    if (RoundScaled(std::fabs(x), 13, scaled) && scaled < (static_cast<unsigned __int128>(1) << 64)) {
        const uint64_t v = static_cast<uint64_t>(scaled);
        const uint64_t whole = v / kScale;
        int wholeDigits = 1;
        while (wholeDigits < 19 && whole >= kPowersOf10[static_cast<std::size_t>(wholeDigits)]) ++wholeDigits;
        char text[40];
        std::size_t n = 0;
        if (x < 0.0) text[n++] = '-';
        if (whole < 10) text[n] = static_cast<char>('0' + whole);
        else WriteDigits(text + n, whole, wholeDigits);
        n += static_cast<std::size_t>(wholeDigits);
        text[n++] = '.';
        WriteFixedDigits<13>(text + n, v % kScale);
        n += 13;
        while (text[n - 1] == '0' && text[n - 2] != '.') --n;  // one decimal always stays
        out.append(text, n);
        return;
    }
    char buf[400];  // the largest double in fixed notation with 13 decimals fits comfortably
    const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, 13);
    if (res.ec != std::errc()) {
        out += std::isnan(x) ? "nan" : "inf";
        return;
    }
    // Finite numbers always carry their 13 decimals: drop trailing zeros down to one decimal.
    const char* end = res.ptr;
    const char* keep = res.ptr - 12;  // the first decimal stays
    while (end > keep && end[-1] == '0') --end;
    out.append(buf, static_cast<std::size_t>(end - buf));
}

std::string FormatReal(double x) {
    std::string s;
    AppendReal(s, x);
    return s;
}

ClockReading ReadSystemClock() {
    ClockReading r;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) return r;
    r.Local.Year = local.tm_year + 1900;
    r.Local.Month = local.tm_mon + 1;
    r.Local.Day = local.tm_mday;
    r.Local.Hour = local.tm_hour;
    r.Local.Minute = local.tm_min;
    r.Local.Second = local.tm_sec;
    r.OffsetMinutes = static_cast<int32_t>(local.tm_gmtoff / 60);
    return r;
}

std::string IsoDateTimeText(const LocalDateTime& dt) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", dt.Year, dt.Month, dt.Day, dt.Hour, dt.Minute,
                  dt.Second);
    return buf;
}

std::string TimeZoneOffsetText(int32_t minutes) {
    if (minutes == 0) return "Z";
    const long long a = std::llabs(static_cast<long long>(minutes));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s%2.2lld:%2.2lld", minutes > 0 ? "+" : "-", a / 60, a % 60);
    return buf;
}

std::string IsoTimestamp(int32_t minutes, const LocalDateTime& dt) {
    return IsoDateTimeText(dt) + TimeZoneOffsetText(minutes);
}

void WriteTextLine(OutputFile& f, const std::string& text) {
    f.Write(text);
    f.Write("\n", 1);
}

}  // namespace korvel
