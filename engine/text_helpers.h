// text_helpers.h — numbers to and from text with '.' as the decimal separator whatever the locale.
#pragma once

#include <string>

namespace korvel {

// At most 7 fraction digits, trailing zeros dropped, no grouping; a value that rounds to zero shows as "0".
std::string FloatToText(double value);

// True when the text is a number ('.' or ',' as the separator; empty means 0); value holds it then.
bool TryTextToFloat(const std::string& text, double& value);

// As TryTextToFloat, but a text that is not a number throws std::invalid_argument.
double TextToFloat(const std::string& text);

// Keeps the digits and the first separator (as '.'); drops signs, later separators and everything else.
std::string FilterNumericText(const std::string& text);

}  // namespace korvel
