// ini_reader.h — a small INI reader for the parameter file: sections and keys matched in any letter case.
#pragma once

#include <string>
#include <string_view>
#include <map>

namespace korvel {

// Lines of the form key=value under [Section] headers. Names match in any ASCII letter case; blanks
// (spaces, tabs) around names and values are dropped; a UTF-8 byte order mark at the start and a carriage
// return before each line feed are accepted. Lines whose first non-blank character is ';' or '#' are
// comments, lines without '=' are ignored, and a ';' inside a value belongs to the value. When a key
// occurs twice in a section (also in a repeated section) the first occurrence counts.
class IniFile {
public:
    IniFile() = default;

    // Parses text as it would be read from a file.
    static IniFile FromText(std::string_view text);

    // Reads a file: a file that does not exist reads as empty. Throws FileError when the file cannot be
    // read or is larger than kMaxReadFileSize.
    static IniFile Read(const std::string& path);

    // True when the section holds the key.
    bool Has(std::string_view section, std::string_view key) const;

    // The key's value, or fallback when the section or the key is missing.
    std::string Value(std::string_view section, std::string_view key, std::string_view fallback) const;

private:
    // Lower-cased section, a line feed (which no name can hold), lower-cased key.
    std::map<std::string, std::string> values_;
};

}  // namespace korvel
