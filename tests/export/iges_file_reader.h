// iges_file_reader.h — a strict reader of our IGES files for the tests: records, sections, pointers, counts, parameters.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "writer_test_util.h"

namespace korvel::test {

struct IgesEntity {
    int type = 0;
    std::string label;
    int dNumber = 0;   // sequence number of the first D record
    int pointer = 0;   // parameter data pointer of the directory entry
    int lineCount = 0;
    std::vector<std::string> params;
};

struct IgesFile {
    std::string error;  // empty when every structural check passed
    int gRecords = 0;
    int dRecords = 0;
    int pRecords = 0;
    std::vector<std::string> global;  // Hollerith strings decoded, the rest as written
    std::vector<IgesEntity> entities;
};

// The real number of an IGES parameter ("1.5D0", "0.", "-2.5D-1").
inline double IgesNumber(std::string s) {
    for (char& c : s) {
        if (c == 'D') c = 'E';
    }
    return std::strtod(s.c_str(), nullptr);
}

namespace iges_detail {

inline bool IsInt(const std::string& s) {
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return false;
    if (s[b] == '-') ++b;
    if (b >= s.size()) return false;
    for (std::size_t i = b; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
    }
    return true;
}

// Splits free-format parameter text at ',' and ';', decoding Hollerith strings and skipping blanks
// between parameters. Fails (returns false) on text after the record delimiter or a broken Hollerith count.
inline bool SplitParams(const std::string& text, std::vector<std::string>& out, std::string& error) {
    std::size_t i = 0;
    for (;;) {
        while (i < text.size() && text[i] == ' ') ++i;
        std::string value;
        std::size_t digits = i;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
        if (digits > i && digits < text.size() && text[digits] == 'H') {
            const std::size_t n = std::stoul(text.substr(i, digits - i));
            if (digits + 1 + n > text.size()) {
                error = "Hollerith string runs past the end";
                return false;
            }
            value = text.substr(digits + 1, n);
            i = digits + 1 + n;
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != ';') value += text[i++];
            while (!value.empty() && value.back() == ' ') value.pop_back();
        }
        if (i >= text.size()) {
            error = "parameter list without ';'";
            return false;
        }
        out.push_back(value);
        if (text[i++] == ';') break;
    }
    if (text.find_first_not_of(' ', i) != std::string::npos) {
        error = "text after ';'";
        return false;
    }
    return true;
}

}  // namespace iges_detail

inline IgesFile ReadIgesFile(const std::string& fileName) {
    IgesFile f;
    const std::string s = ReadAll(fileName);
    auto fail = [&](const std::string& why) {
        if (f.error.empty()) f.error = why;
        return f;
    };
    if (s.empty() || s.size() % 81 != 0) return fail("file size " + std::to_string(s.size()) + " is not a multiple of 81");
    std::vector<std::string> rec;
    for (std::size_t at = 0; at < s.size(); at += 81) {
        if (s[at + 80] != '\n') return fail("record " + std::to_string(at / 81 + 1) + " does not end in LF");
        std::string r = s.substr(at, 80);
        for (char c : r) {
            if (c < 0x20 || c > 0x7E) return fail("record " + std::to_string(at / 81 + 1) + " has a non-printable byte");
        }
        rec.push_back(r);
    }
    // Sections in order, each numbered from 1.
    const std::string order = "SGDPT";
    std::size_t section = 0;
    int expected = 1;
    std::vector<std::string> g, d, p;
    for (std::size_t k = 0; k < rec.size(); ++k) {
        const char letter = rec[k][72];
        const std::size_t pos = order.find(letter);
        if (pos == std::string::npos || pos < section) return fail("record " + std::to_string(k + 1) + ": section out of order");
        if (pos != section) {
            section = pos;
            expected = 1;
        }
        const std::string number = rec[k].substr(73, 7);
        if (!iges_detail::IsInt(number) || std::stoi(number) != expected || number.back() == ' ')
            return fail("record " + std::to_string(k + 1) + ": sequence number '" + number + "'");
        ++expected;
        if (letter == 'G') g.push_back(rec[k].substr(0, 72));
        if (letter == 'D') d.push_back(rec[k]);
        if (letter == 'P') p.push_back(rec[k]);
    }
    if (rec.front()[72] != 'S' || rec.size() < 3 || rec[1][72] != 'G') return fail("no single S record followed by G");
    if (rec.front() != std::string(72, ' ') + "S      1") return fail("S record '" + rec.front() + "'");
    if (rec.back()[72] != 'T' || rec[rec.size() - 2][72] == 'T') return fail("not exactly one T record at the end");
    f.gRecords = static_cast<int>(g.size());
    f.dRecords = static_cast<int>(d.size());
    f.pRecords = static_cast<int>(p.size());
    const std::string& t = rec.back();
    const std::string tWant = "S      1G" + std::string(7 - std::to_string(f.gRecords).size(), ' ') +
                              std::to_string(f.gRecords) + "D" + std::string(7 - std::to_string(f.dRecords).size(), ' ') +
                              std::to_string(f.dRecords) + "P" + std::string(7 - std::to_string(f.pRecords).size(), ' ') +
                              std::to_string(f.pRecords) + std::string(40, ' ') + "T      1";
    if (t != tWant) return fail("T record '" + t + "' expected '" + tWant + "'");

    std::string globalText;
    for (const std::string& r : g) globalText += r;
    if (!iges_detail::SplitParams(globalText, f.global, f.error)) return fail("global section: " + f.error);

    if (d.size() % 2 != 0) return fail("odd number of D records");
    int nextP = 1;
    for (std::size_t k = 0; k < d.size(); k += 2) {
        IgesEntity e;
        const std::string& a = d[k];
        const std::string& b = d[k + 1];
        if (!iges_detail::IsInt(a.substr(0, 8)) || a.substr(0, 8) != b.substr(0, 8)) return fail("D pair with two types");
        e.type = std::stoi(a.substr(0, 8));
        e.dNumber = static_cast<int>(k) + 1;
        e.pointer = std::stoi(a.substr(8, 8));
        e.lineCount = std::stoi(b.substr(24, 8));
        e.label = b.substr(56, 8);
        while (!e.label.empty() && e.label.back() == ' ') e.label.pop_back();
        if (a.substr(64, 8) != "00000001") return fail("status field '" + a.substr(64, 8) + "'");
        // The parameter data follow in entity order without gaps.
        if (e.pointer != nextP || e.lineCount < 1) return fail("entity " + std::to_string(k / 2 + 1) + ": pointer/count");
        std::string text;
        for (int r = e.pointer; r < e.pointer + e.lineCount; ++r) {
            if (r > f.pRecords) return fail("pointer past the P section");
            const std::string& pr = p[static_cast<std::size_t>(r - 1)];
            if (std::stoi(pr.substr(64, 8)) != e.dNumber || pr[71] == ' ')
                return fail("P record " + std::to_string(r) + " points to the wrong entity");
            std::string body = pr.substr(0, 64);
            while (!body.empty() && body.back() == ' ') body.pop_back();
            text += body;
        }
        nextP += e.lineCount;
        if (!iges_detail::SplitParams(text, e.params, f.error)) return fail("entity params: " + f.error);
        if (e.params.empty() || e.params[0] != std::to_string(e.type)) return fail("entity params do not start with the type");
        f.entities.push_back(e);
    }
    if (nextP != f.pRecords + 1) return fail("P records that belong to no entity");
    return f;
}

}  // namespace korvel::test
