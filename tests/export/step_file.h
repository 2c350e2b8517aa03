// step_file.h — test helpers: a fixed clock, file reading, and a small parser of exchange-file records and OBJ files.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "export/export_common.h"

namespace korvel::test {

inline ClockReading FixedClock() {
    ClockReading c;
    c.Local = LocalDateTime{2026, 12, 5, 17, 58, 53};
    c.OffsetMinutes = 60;
    return c;
}

inline std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// A fresh folder for one test's files, removed with the object.
class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "korvel-export-XXXXXX").string();
        if (mkdtemp(tmpl.data()) != nullptr) dir_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string File(const std::string& name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};

// One data record: its id, the text after "=" with its lines joined, and the lines as written.
struct StepRecord {
    int Id = 0;
    std::string Text;
    std::vector<std::string> Lines;
    bool Is(const std::string& type) const { return Text.rfind(type + "(", 0) == 0; }
};

struct StepFile {
    std::vector<std::string> Header;  // the lines before the first record, "DATA;" included
    std::vector<StepRecord> Records;  // in file order
    std::vector<std::string> Footer;  // the lines after the last record
    std::map<int, std::size_t> ById;

    const StepRecord& operator[](int id) const { return Records.at(ById.at(id)); }
    std::vector<const StepRecord*> OfType(const std::string& type) const {
        std::vector<const StepRecord*> out;
        for (const StepRecord& r : Records)
            if (r.Is(type)) out.push_back(&r);
        return out;
    }
};

// Splits the data section into records: a record runs from its "#id=" line to the line that ends in ";".
inline StepFile ParseStep(const std::string& path) {
    StepFile f;
    const std::vector<std::string> lines = ReadLines(path);
    std::size_t i = 0;
    while (i < lines.size() && lines[i] != "DATA;") f.Header.push_back(lines[i++]);
    if (i < lines.size()) f.Header.push_back(lines[i++]);
    while (i < lines.size() && !lines[i].empty() && lines[i][0] == '#') {
        StepRecord r;
        const auto eq = lines[i].find('=');
        r.Id = std::atoi(lines[i].c_str() + 1);
        std::string text = lines[i].substr(eq + 1);
        r.Lines.push_back(lines[i]);
        while (text.empty() || text.back() != ';') {
            if (++i >= lines.size()) break;
            r.Lines.push_back(lines[i]);
            text += lines[i];
        }
        r.Text = text;
        f.ById[r.Id] = f.Records.size();
        f.Records.push_back(r);
        ++i;
    }
    while (i < lines.size()) f.Footer.push_back(lines[i++]);
    return f;
}

// The "#n" references of a text, in order.
inline std::vector<int> Refs(const std::string& text) {
    std::vector<int> out;
    for (std::size_t p = text.find('#'); p != std::string::npos; p = text.find('#', p + 1))
        out.push_back(std::atoi(text.c_str() + p + 1));
    return out;
}

// The comma-separated items of every innermost parenthesised list "(a,b,c)", in order.
inline std::vector<std::vector<std::string>> FlatLists(const std::string& text) {
    std::vector<std::vector<std::string>> out;
    std::size_t p = 0;
    while ((p = text.find('(', p)) != std::string::npos) {
        const auto close = text.find(')', p);
        const auto nested = text.find('(', p + 1);
        if (close == std::string::npos) break;
        if (nested != std::string::npos && nested < close) {
            p = nested;
            continue;
        }
        std::vector<std::string> items;
        std::stringstream ss(text.substr(p + 1, close - p - 1));
        std::string item;
        while (std::getline(ss, item, ',')) items.push_back(item);
        out.push_back(items);
        p = close;
    }
    return out;
}

// Expands run lengths and distinct values back into the full knot vector.
inline std::vector<std::string> ExpandKnots(const std::vector<std::string>& mult, const std::vector<std::string>& values) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < mult.size() && i < values.size(); ++i)
        for (int k = 0; k < std::atoi(mult[i].c_str()); ++k) out.push_back(values[i]);
    return out;
}

// One group of an OBJ free-form file, continuation lines joined.
struct ObjGroup {
    std::string Name;
    std::vector<std::string> Vertices;  // the text after "v "
    std::string Cstype, Deg;
    std::vector<std::string> Head;      // "surf 0 1 0 1" or "curv 0 1" words
    std::vector<int> Indexes;
    std::vector<std::string> ParmU, ParmV;
    bool Ended = false;
};

inline std::vector<ObjGroup> ParseObj(const std::string& path, std::vector<std::string>* rawLines = nullptr) {
    std::vector<std::string> lines = ReadLines(path);
    if (rawLines) *rawLines = lines;
    // Join continuation lines.
    std::vector<std::string> joined;
    std::string acc;
    for (const std::string& l : lines) {
        if (l.size() >= 2 && l.compare(l.size() - 2, 2, " \\") == 0) {
            acc += l.substr(0, l.size() - 2);
            continue;
        }
        joined.push_back(acc + l);
        acc.clear();
    }
    std::vector<ObjGroup> groups;
    for (const std::string& l : joined) {
        std::stringstream ss(l);
        std::string key;
        ss >> key;
        if (key == "g") {
            groups.emplace_back();
            ss >> groups.back().Name;
            continue;
        }
        if (groups.empty()) continue;
        ObjGroup& g = groups.back();
        std::string rest;
        std::getline(ss, rest);
        if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
        std::stringstream words(rest);
        std::string w;
        if (key == "v") {
            g.Vertices.push_back(rest);
        } else if (key == "cstype") {
            g.Cstype = rest;
        } else if (key == "deg") {
            g.Deg = rest;
        } else if (key == "surf" || key == "curv") {
            g.Head.push_back(key);
            const int params = key == "surf" ? 4 : 2;
            for (int k = 0; k < params && words >> w; ++k) g.Head.push_back(w);
            while (words >> w) g.Indexes.push_back(std::atoi(w.c_str()));
        } else if (key == "parm") {
            words >> w;
            std::vector<std::string>& dst = w == "u" ? g.ParmU : g.ParmV;
            while (words >> w) dst.push_back(w);
        } else if (key == "end") {
            g.Ended = true;
        }
    }
    return groups;
}

}  // namespace korvel::test
