// iges_test.cpp — the IGES writer: reals, parameter packing, the 80-column sections read back by a strict reader, the global section.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "export/iges_writer.h"
#include "writer_test_util.h"

namespace korvel {
namespace {

using test::FixedClock;
using test::TempDir;

struct IgesEntity {
    int type = 0, pointer = 0, lineCount = 0;
    std::string label;
    std::vector<std::string> params;
};

struct IgesFile {
    std::string error;  // empty when every structural check passed
    std::vector<std::string> global;  // Hollerith strings decoded, the rest as written
    std::vector<IgesEntity> entities;
};

// Splits free-format parameters at ',' and ';', decoding Hollerith strings; false on a broken count,
// a missing ';' or text after it.
bool SplitParams(const std::string& text, std::vector<std::string>& out) {
    std::size_t i = 0;
    do {
        while (i < text.size() && text[i] == ' ') ++i;
        std::size_t d = i;
        while (d < text.size() && std::isdigit(static_cast<unsigned char>(text[d]))) ++d;
        std::string value;
        if (d > i && d < text.size() && text[d] == 'H') {
            const std::size_t n = std::stoul(text.substr(i, d - i));
            if (d + 1 + n > text.size()) return false;
            value = text.substr(d + 1, n);
            i = d + 1 + n;
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != ';') value += text[i++];
            value.erase(value.find_last_not_of(' ') + 1);
        }
        if (i >= text.size()) return false;
        out.push_back(value);
    } while (text[i++] != ';');
    return text.find_first_not_of(' ', i) == std::string::npos;
}

// Every record 80 printable columns and LF, sections S G D P T in order and numbered from 1, the T record's
// counts, directory pairs pointing at their parameter records without gaps, parameters back to the entity.
IgesFile ReadIges(const std::string& path) {
    IgesFile f;
    const std::string s = test::ReadAll(path);
    const auto fail = [&](const std::string& why) {
        f.error = why;
        return f;
    };
    if (s.empty() || s.size() % 81 != 0) return fail("file size " + std::to_string(s.size()) + " is not a multiple of 81");
    std::map<char, std::vector<std::string>> sec;
    const std::string order = "SGDPT";
    std::size_t last = 0;
    for (std::size_t at = 0; at < s.size(); at += 81) {
        const std::string r = s.substr(at, 80), where = "record " + std::to_string(at / 81 + 1);
        if (s[at + 80] != '\n') return fail(where + " does not end in LF");
        if (std::any_of(r.begin(), r.end(), [](char c) { return c < 0x20 || c > 0x7E; })) return fail(where + ": non-printable byte");
        const std::size_t pos = order.find(r[72]);
        if (pos == std::string::npos || pos < last) return fail(where + ": section out of order");
        last = pos;
        sec[r[72]].push_back(r);
        char number[16];
        std::snprintf(number, sizeof number, "%7zu", sec[r[72]].size());
        if (r.substr(73) != number) return fail(where + ": sequence number '" + r.substr(73) + "'");
    }
    const auto& d = sec['D'];
    const auto& p = sec['P'];
    if (sec['S'] != std::vector<std::string>{std::string(72, ' ') + "S      1"}) return fail("not one blank S record");
    char t[96];
    std::snprintf(t, sizeof t, "S      1G%7zuD%7zuP%7zu%40sT      1", sec['G'].size(), d.size(), p.size(), "");
    if (sec['T'] != std::vector<std::string>{t}) return fail("T record, expected '" + std::string(t) + "'");
    std::string global;
    for (const std::string& r : sec['G']) global += r.substr(0, 72);
    if (!SplitParams(global, f.global)) return fail("global section");
    if (d.size() % 2 != 0) return fail("odd number of D records");
    std::size_t nextP = 1;
    for (std::size_t k = 0; k < d.size(); k += 2) {
        IgesEntity e;
        if (d[k].substr(0, 8) != d[k + 1].substr(0, 8)) return fail("D pair with two types");
        e.type = std::stoi(d[k].substr(0, 8));
        e.pointer = std::stoi(d[k].substr(8, 8));
        e.lineCount = std::stoi(d[k + 1].substr(24, 8));
        e.label = d[k + 1].substr(56, 8);
        e.label.erase(e.label.find_last_not_of(' ') + 1);
        if (d[k].substr(64, 8) != "00000001") return fail("status field '" + d[k].substr(64, 8) + "'");
        if (static_cast<std::size_t>(e.pointer) != nextP || e.lineCount < 1 || nextP + e.lineCount - 1 > p.size())
            return fail("entity " + std::to_string(k / 2 + 1) + ": pointer/count");
        std::string text;
        for (; nextP < static_cast<std::size_t>(e.pointer + e.lineCount); ++nextP) {
            const std::string& pr = p[nextP - 1];
            if (std::stoi(pr.substr(64, 8)) != static_cast<int>(k) + 1 || pr[71] == ' ') return fail("P record " + std::to_string(nextP) + " points elsewhere");
            text += pr.substr(0, pr.find_last_not_of(' ', 63) + 1);
        }
        if (!SplitParams(text, e.params) || e.params.empty() || e.params[0] != std::to_string(e.type)) return fail("entity params");
        f.entities.push_back(e);
    }
    if (nextP != p.size() + 1) return fail("P records that belong to no entity");
    return f;
}

TEST(IgesText, RealsParameterPackingHollerithAndGlobalRecords) {
    const std::pair<double, const char*> reals[] = {{0.0, "0."}, {-0.0, "0."}, {1.5, "1.5D0"}, {-0.25, "-2.5D-1"}, {1234.5, "1.2345D3"},
                                                    {2.0, "2.0D0"}, {0.1, "1.0D-1"}, {1.0 / 3.0, "3.33333333333D-1"},
                                                    {-6.02214076e23, "-6.02214076D23"}, {9.9999999999999e-5, "1.0D-4"},
                                                    {123456789012.5, "1.23456789012D11"}, {123456789013.5, "1.23456789014D11"}};
    for (const auto& [x, text] : reals) EXPECT_EQ(IgesReal(x), text);
    // The fast path against the library's rounding over magnitudes on both sides of its range.
    for (const double x : test::SampleReals(20000, -50, 50)) {
        char library[40];
        std::snprintf(library, sizeof library, "%.11e", x);
        std::string expected = library;
        const std::size_t e = expected.find('e');
        std::size_t last = e - 1;
        while (expected[last] == '0' && expected[last - 1] != '.') --last;
        const int exponent = std::stoi(expected.substr(e + 1));
        expected = x == 0.0 ? "0." : expected.substr(0, last + 1) + "D" + std::to_string(exponent);
        ASSERT_EQ(IgesReal(x), expected) << x;
    }
    EXPECT_THROW(IgesReal(NAN), ExportError);
    EXPECT_THROW(IgesReal(INFINITY), ExportError);

    // Whole items only: the header and 15 items of 4 characters fill 64 columns, the 16th starts the next record.
    std::string out, line = "126,", first = "126,";
    int32_t pCount = 0;
    for (int k = 0; k < 16; ++k) IgesWriteParam(out, pCount, line, "      11P", "1.5,");
    for (int k = 0; k < 15; ++k) first += "1.5,";
    EXPECT_EQ(pCount, 1);
    IgesWriteParam(out, pCount, line, "      11P", "0.;");
    IgesWriteParam(out, pCount, line, "      11P", "");
    EXPECT_EQ(pCount, 2);
    EXPECT_EQ(out, first + "      11P      1\n" + "1.5,0.;" + std::string(57, ' ') + "      11P      2\n");

    EXPECT_EQ(IgesHollerith(""), "0H");
    EXPECT_EQ(IgesHollerith("a,b;c"), "5Ha,b;c");
    // One replacement per character, whatever its UTF-8 length; stray bytes and control characters too.
    EXPECT_EQ(IgesHollerith("Fl\xC3\xBCgel \xE2\x82\xAC\t\xFF"), "10HFl_gel ___");

    const std::string a(30, 'a'), b(41, 'b');
    EXPECT_EQ(IgesPackGlobal({a + ",", b + ",", "c;"}), (std::vector<std::string>{a + ",", b + ",c;"}));  // b's ',' would land in column 73
    const std::string author = "73H" + std::string(70, 'x') + ",";  // longer than a record: continued on the next
    EXPECT_EQ(IgesPackGlobal({"1H,,", author, "11,"}), (std::vector<std::string>{"1H,,", author.substr(0, 72), author.substr(72) + "11,"}));
}

TEST(IgesSurfaces, CancelTouchesNothingAndOkWritesConsistentRecordsWithTheDialogsValues) {
    TempDir dir;
    ModelState m = test::TinyModel(6, 8);
    test::AddCutPlaneX(m);
    m.GridSize = Vec3d{2.0, 1.4, 0.7};
    const ExportOptions options;
    test::WriteWholeFile(dir.File("keep.igs"), "old");
    const IgesConfirm cancel = [](IgesOptions& o) { return o.IgesAuthor = "changed", false; };
    EXPECT_FALSE(ExportIgesSurfaces(m, options, dir.File("keep.igs"), cancel, FixedClock));
    EXPECT_EQ(test::ReadAll(dir.File("keep.igs")), "old");
    EXPECT_FALSE(ExportIgesSurfaces(m, options, dir.File("new.igs"), cancel, FixedClock));
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.igs")));

    // OK with a 70-character author (the dialog's limit), a non-ASCII organisation, a 90-character file name.
    const std::string author(70, 'W'), stem(90, 'n');
    const IgesConfirm ok = [&](IgesOptions& o) { return o = IgesOptions{author, "B\xC3\xBCro", "0.001", "1", "INCH"}, true; };
    ASSERT_TRUE(ExportIgesSurfaces(m, options, dir.File(stem + ".igs"), ok, FixedClock));
    EXPECT_EQ(options.Iges.IgesAuthor, "");  // the caller's options stay the caller's
    const IgesFile f = ReadIges(dir.File(stem + ".igs"));
    ASSERT_TRUE(f.error.empty()) << f.error;
    ASSERT_EQ(f.entities.size(), 3u);
    const char* labels[] = {"Surface1", "Surface2", "CutYZ"};
    for (std::size_t e = 0; e < 3; ++e) EXPECT_TRUE(f.entities[e].type == 128 && f.entities[e].label == labels[e]) << e;
    ASSERT_EQ(f.global.size(), 26u);
    const std::pair<int, std::string> global[] = {{0, ","}, {1, ";"}, {2, stem}, {3, stem + ".igs"}, {4, "korvel"}, {11, stem},
                                                  {13, "1"}, {14, "INCH"}, {17, "261205.175853"}, {18, "0.001"}, {19, "2.0D0"},
                                                  {20, author}, {21, "B_ro"}, {22, "11"}, {24, "261205.175853"}};
    for (const auto& [k, text] : global) EXPECT_EQ(f.global[k], text) << "global parameter " << k + 1;
}

TEST(IgesCurves, TwoCurvesInEitherPlaneWithTheRoundedChordAsSize) {
    TempDir dir;
    const ModelState m = test::Build(test::Section2D(16));
    for (const bool xz : {false, true}) {
        ExportOptions options;
        options.Airfoil = AirfoilOptions{2.5, xz};
        ASSERT_TRUE(ExportIgesCurves(m, options, dir.File("c.igs"), {}, FixedClock));
        const IgesFile f = ReadIges(dir.File("c.igs"));
        ASSERT_TRUE(f.error.empty()) << f.error;
        EXPECT_EQ(f.global.at(19), "2.0D0");  // 2.5 rounds to the even 2
        ASSERT_EQ(f.entities.size(), 2u);
        for (std::size_t e = 0; e < 2; ++e) {  // the trailing edge scaled, the plane's normal last
            const std::vector<std::string>& p = f.entities[e].params;
            EXPECT_TRUE(f.entities[e].type == 126 && f.entities[e].label == (e == 0 ? "UpperSrf" : "LowerSrf"));
            ASSERT_EQ(p.size(), 7 + 15 + 11 + 3 * 11 + 5);
            EXPECT_EQ(p[33], "2.5D0");
            EXPECT_EQ(std::vector<std::string>(p.end() - 3, p.end()), (std::vector<std::string>{"0.", xz ? "1." : "0.", xz ? "0." : "1."}));
        }
    }
}

}  // namespace
}  // namespace korvel
