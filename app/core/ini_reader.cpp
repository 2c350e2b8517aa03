// ini_reader.cpp — parsing of the INI text, one line at a time.
#include "ini_reader.h"

#include <filesystem>

#include "file_io.h"

namespace korvel {

namespace {

std::string_view Trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

IniFile IniFile::FromText(std::string_view text) {
    IniFile ini;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::string section;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close != std::string_view::npos) {
                section = Lower(Trim(line.substr(1, close - 1)));
                continue;
            }
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = Trim(line.substr(0, eq));
        if (!key.empty()) ini.values_.emplace(section + '\n' + Lower(key), Trim(line.substr(eq + 1)));
    }
    return ini;
}

IniFile IniFile::Read(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::symlink_status(path, ec).type() == std::filesystem::file_type::not_found) return {};
    return FromText(ReadWholeFile(path));
}

bool IniFile::Has(std::string_view section, std::string_view key) const {
    return values_.contains(Lower(section) + '\n' + Lower(key));
}

std::string IniFile::Value(std::string_view section, std::string_view key, std::string_view fallback) const {
    const auto it = values_.find(Lower(section) + '\n' + Lower(key));
    return it != values_.end() ? it->second : std::string(fallback);
}

}  // namespace korvel
