// core_test_support.h — slider states, parameter-file edits and the committed seed files the file tests share.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/core/params_file.h"

namespace korvel::test {

// Every slider at its low end (end 0), its high end (1) or one step in from the high end (2: unlike any
// default), each scaled parameter `beyond` steps past its slider's value.
inline PanelState AtEnds(int end, double beyond = 0.0) {
    PanelState s = DefaultPanelState();
    for (const BarSpec& b : kBars) {
        s.Pos(b.bar) = end == 0 ? b.min : b.max - (end == 2 && b.max - b.min > 1 ? 1 : 0);
        if (IsScaled(b))
            s.Params[b.tag] = PositionToValue(s.Pos(b.bar), b.scale) + beyond * PositionToValue(1, b.scale);
    }
    return s;
}

// The text with its line "key=..." made "key=value" (appended when missing), or removed when value is nullptr.
inline std::string SetKey(std::string text, const std::string& key, const char* value) {
    const std::size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos) return text + key + "=" + (value ? value : "") + "\n";
    const std::size_t end = text.find('\n', at + 1);
    return text.replace(at + 1, end - at, value ? key + "=" + value + "\n" : "");
}

// A committed fuzz seed (tests/fuzz/seeds/name): files this program writes, so they double as exact goldens.
inline std::string Seed(const std::string& name) {
    std::stringstream text;
    text << std::ifstream(std::filesystem::path(__FILE__).parent_path().parent_path() / "fuzz/seeds" / name, std::ios::binary).rdbuf();
    return text.str();
}

}  // namespace korvel::test
