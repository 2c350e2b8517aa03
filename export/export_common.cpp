// export_common.cpp — number text, time stamps and text lines shared by the writers.
#include "export_common.h"

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

void AppendReal(std::string& out, double x) {
    if (x == 0.0) {  // negative zero too
        out += "0.0";
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
