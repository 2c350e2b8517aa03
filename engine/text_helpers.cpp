// text_helpers.cpp — locale-independent number text: the application runs under locales with ',' decimals.
#include "text_helpers.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <system_error>

namespace korvel {

std::string FloatToText(double value) {
    if (std::isnan(value)) return "nan";
    // Fixed notation of a double needs at most 309 integer digits, a sign, a point and 7 fraction digits.
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 7);
    if (ec != std::errc()) return "0";
    std::string text(buffer, end);
    const std::size_t point = text.find('.');
    if (point != std::string::npos) {
        std::size_t last = text.find_last_not_of('0');
        if (last == point) --last;
        text.erase(last + 1);
    }
    if (text == "-0") text = "0";
    return text;
}

bool TryTextToFloat(const std::string& text, double& value) {
    std::string t = text.empty() ? std::string("0") : text;
    for (char& ch : t) {
        if (ch == ',') ch = '.';
    }
    // Surrounding blanks and a leading '+' are accepted; the number itself must fill the rest.
    const std::size_t first = t.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const std::size_t last = t.find_last_not_of(" \t");
    const char* begin = t.data() + first;
    const char* end = t.data() + last + 1;
    const char* digits = begin;
    if (*digits == '+' || *digits == '-') ++digits;
    if (*begin == '+') ++begin;
    // Only a digit or the separator may start the number: no "inf", "nan" or hexadecimal spellings.
    if (digits == end || !((*digits >= '0' && *digits <= '9') || *digits == '.')) return false;
    double parsed = 0.0;
    const auto [stop, ec] = std::from_chars(begin, end, parsed, std::chars_format::general);
    if (ec != std::errc() || stop != end) return false;
    value = parsed;
    return true;
}

double TextToFloat(const std::string& text) {
    double value = 0.0;
    if (!TryTextToFloat(text, value)) {
        throw std::invalid_argument("\"" + text + "\" is not a valid number");
    }
    return value;
}

std::string FilterNumericText(const std::string& text) {
    std::string out;
    bool separatorSeen = false;
    for (const char ch : text) {
        if (ch >= '0' && ch <= '9') {
            out += ch;
        } else if ((ch == ',' || ch == '.') && !separatorSeen) {
            out += '.';
            separatorSeen = true;
        }
    }
    return out;
}

}  // namespace korvel
