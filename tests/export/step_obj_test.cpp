// step_obj_test.cpp — exchange-file and OBJ text: numbers, strings, names, collapsed sides, the same nets in both formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "export/obj_writer.h"
#include "export/step_writer.h"
#include "writer_test_util.h"

namespace korvel {
namespace {

using test::FixedClock;
using test::TempDir;

// The data records by id, each with its lines joined.
struct StepFile {
    std::map<int, std::string> Records;
    const std::string& operator[](int id) const { return Records.at(id); }
    std::vector<std::string> OfType(const std::string& type) const {
        std::vector<std::string> out;
        for (const auto& [id, text] : Records)
            if (text.rfind(type, 0) == 0) out.push_back(text);  // a type, or the start of a record
        return out;
    }
};

StepFile ParseStep(const std::string& path) {
    StepFile f;
    const std::vector<std::string> lines = test::ReadLines(path);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty() || lines[i][0] != '#') continue;
        std::string& text = f.Records[std::atoi(lines[i].c_str() + 1)] = lines[i].substr(lines[i].find('=') + 1);
        while (text.back() != ';' && ++i < lines.size()) text += lines[i];
    }
    return f;
}

std::vector<int> Refs(const std::string& text) {
    std::vector<int> out;
    for (std::size_t p = text.find('#'); p != std::string::npos; p = text.find('#', p + 1)) out.push_back(std::atoi(text.c_str() + p + 1));
    return out;
}

// The comma-separated items of every innermost parenthesised list, in order.
std::vector<std::vector<std::string>> FlatLists(const std::string& text) {
    std::vector<std::vector<std::string>> out;
    for (std::size_t close = text.find(')'); close != std::string::npos; close = text.find(')', close + 1)) {
        const std::size_t open = text.rfind('(', close);
        if (text.find(')', open) != close) continue;  // it closes an outer list
        std::stringstream ss(text.substr(open + 1, close - open - 1));
        out.emplace_back();
        for (std::string item; std::getline(ss, item, ',');) out.back().push_back(item);
    }
    return out;
}

// The lines of each OBJ group ("g" starts one) as words, continuation lines joined.
using ObjGroup = std::vector<std::vector<std::string>>;
std::vector<ObjGroup> ParseObj(const std::string& path) {
    std::vector<ObjGroup> groups;
    std::string acc;
    for (const std::string& l : test::ReadLines(path)) {
        if (l.ends_with(" \\")) {
            acc += l.substr(0, l.size() - 2);
            continue;
        }
        std::stringstream ss(acc + l);
        acc.clear();
        std::vector<std::string> words;
        for (std::string w; ss >> w;) words.push_back(w);
        if (!words.empty() && words[0] == "g") groups.emplace_back();
        if (!words.empty() && !groups.empty()) groups.back().push_back(words);
    }
    return groups;
}

// The lines of a group that begin with key, without it.
std::vector<std::vector<std::string>> Find(const ObjGroup& g, const std::string& key) {
    std::vector<std::vector<std::string>> out;
    for (const auto& words : g)
        if (words[0] == key) out.emplace_back(words.begin() + 1, words.end());
    return out;
}

TEST(StepText, NumbersTimeStampsAndStrings) {
    const std::pair<double, const char*> reals[] = {{1.0, "1.0"}, {-0.0, "0.0"}, {-1e-14, "-0.0"}, {1.0 / 3.0, "0.3333333333333"},
                                                    {-2.0 / 3.0, "-0.6666666666667"}, {1e20, "100000000000000000000.0"},
                                                    {123.456, "123.456"}, {6e-14, "0.0000000000001"},
                                                    {0x1p-14, "0.0000610351562"}, {-0x3p-14, "-0.0001831054688"}};
    for (const auto& [x, text] : reals) EXPECT_EQ(FormatReal(x), text);
    // The fast path against the library's rounding, on both sides of its range.
    for (const double x : test::SampleReals(20000, -50, 30)) {
        char library[400];
        std::snprintf(library, sizeof library, "%.13f", x);
        std::string expected = library;
        while (expected.back() == '0' && expected[expected.size() - 2] != '.') expected.pop_back();
        ASSERT_EQ(FormatReal(x), x == 0.0 ? "0.0" : expected) << x;
    }
    EXPECT_EQ(TimeZoneOffsetText(0), "Z");
    EXPECT_EQ(TimeZoneOffsetText(-330), "-05:30");
    EXPECT_EQ(IsoTimestamp(765, LocalDateTime{987, 1, 2, 3, 4, 5}), "0987-01-02T03:04:05+12:45");
    const std::pair<const char*, const char*> strings[] = {
        {"it's", "it''s"}, {"a\\b", "a\\\\b"}, {"Fl\xC3\xBCgel", "Fl\\X2\\00FC\\X0\\gel"}, {"\xE2\x82\xAC\xC3\xA9!", "\\X2\\20AC00E9\\X0\\!"},
        {"\xF0\x9F\x98\x80", "\\X4\\0001F600\\X0\\"}, {"a\xFFz\tq", "a\\X2\\00FF\\X0\\z\\X2\\0009\\X0\\q"}};
    for (const auto& [in, out] : strings) EXPECT_EQ(StepString(in), out);
}

// The header's name and time stamp are the system's own texts; OpenCASCADE proves the rest of the file
// (Occt test), so here only the names it does not show and repeatability.
TEST(StepSurfaceFile, TinyModelHeaderAndNamesAndTheSameFileTwice) {
    TempDir dir;
    const std::string path = dir.File("it's a Fl\xC3\xBCgel.model.stp");
    ExportStepSurfaces(test::TinyModel(), path, FixedClock);
    const std::string first = test::ReadAll(path);
    for (const char* text : {"\n/* name */ 'it''s a Fl\\X2\\00FC\\X0\\gel.model',\n", "\n/* time_stamp */ '2026-12-05T17:58:53+01:00',\n",
                             "\nFILE_SCHEMA (('AUTOMOTIVE_DESIGN'));\n", "SHELL_BASED_SURFACE_MODEL('Surface1',", "SHELL_BASED_SURFACE_MODEL('Surface2',",
                             "\nENDSEC;\nEND-ISO-10303-21;\n"})
        EXPECT_NE(first.find(text), std::string::npos) << text;
    ExportStepSurfaces(test::TinyModel(), path, FixedClock);
    EXPECT_EQ(test::ReadAll(path), first);
}

TEST(ObjSurfaceFile, GroupsIndexAcrossTheFileAndCarryTheStepFilesNetsAndKnots) {
    TempDir dir;
    ModelState m = test::TinyModel(5, 8);
    test::AddCutPlaneX(m);
    ExportObjSurfaces(m, dir.File("m.obj"));
    ExportStepSurfaces(m, dir.File("m.step"));
    EXPECT_EQ(test::ReadAll(dir.File("m.obj")).substr(0, 10), "# korvel\n\n");
    for (const std::string& l : test::ReadLines(dir.File("m.obj")))  // long lists wrap only after 70 characters
        EXPECT_TRUE(!l.ends_with(" \\") || l.size() >= 73) << l;
    const std::vector<ObjGroup> g = ParseObj(dir.File("m.obj"));
    const StepFile f = ParseStep(dir.File("m.step"));
    const auto surfaces = f.OfType("B_SPLINE_SURFACE_WITH_KNOTS");
    ASSERT_EQ(g.size(), 3u);
    ASSERT_EQ(surfaces.size(), 3u);
    EXPECT_EQ(Find(g[0], "parm"), Find(g[1], "parm"));  // the patches share the whole grid's u knots (v alike here)
    int next = 1;
    for (std::size_t k = 0; k < g.size(); ++k) {
        const char* names[] = {"Surface1", "Surface2", "CutYZ"};
        EXPECT_EQ(Find(g[k], "g"), (std::vector<std::vector<std::string>>{{names[k]}}));
        EXPECT_EQ(Find(g[k], "deg"), (std::vector<std::vector<std::string>>{{"3", "3"}}));
        const auto surf = Find(g[k], "surf").at(0);
        const auto vertices = Find(g[k], "v"), parm = Find(g[k], "parm");
        ASSERT_TRUE(parm.size() == 2 && parm[0][0] == "u" && parm[1][0] == "v");
        const std::size_t rows = parm[0].size() - 5, cols = parm[1].size() - 5;  // knots = control points + 4
        ASSERT_EQ(surf.size(), 4 + rows * cols);
        ASSERT_EQ(vertices.size(), rows * cols);
        for (std::size_t i = 4; i < surf.size(); ++i) EXPECT_EQ(surf[i], std::to_string(next++));
        // STEP lists rows of u with v inside; OBJ runs u fastest.
        const auto lists = FlatLists(surfaces[k]);
        ASSERT_EQ(lists.size(), rows + 4);
        for (std::size_t u = 0; u < rows; ++u)
            for (std::size_t v = 0; v < cols; ++v) EXPECT_EQ(vertices[v * rows + u], FlatLists(f[std::atoi(lists[u][v].c_str() + 1)]).at(0));
        for (int d = 0; d < 2; ++d) {  // run lengths and distinct values expand to the OBJ knots
            std::vector<std::string> knots{d == 0 ? "u" : "v"};
            for (std::size_t i = 0; i < lists[rows + d].size(); ++i) knots.insert(knots.end(), std::stoul(lists[rows + d][i]), lists[rows + 2 + d].at(i));
            EXPECT_EQ(knots, parm[d]);
        }
    }
    EXPECT_EQ(Find(g[2], "v").size(), 36u);
}

// The two section curves, named, from the trailing edge, in the default layer; the OBJ curves carry the
// STEP file's points in either plane, with running indexes.
TEST(SectionCurveFiles, TwoNamedCurvesFromTheTrailingEdgeInStepAndObj) {
    TempDir dir;
    ExportStepCurves(test::TinySection(12), AirfoilOptions{}, dir.File("s.step"), FixedClock);
    const StepFile f = ParseStep(dir.File("s.step"));
    const auto curves = f.OfType("B_SPLINE_CURVE_WITH_KNOTS");
    ASSERT_EQ(curves.size(), 2u);
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(curves[k].rfind(std::string("B_SPLINE_CURVE_WITH_KNOTS('") + (k == 0 ? "UpperSrf" : "LowerSrf") + "',3,", 0), 0u);
        EXPECT_EQ(f[Refs(curves[k]).at(0)], "CARTESIAN_POINT('',(1.0,0.0,0.0));");
    }
    EXPECT_EQ(f.OfType("PRESENTATION_LAYER_ASSIGNMENT('Default'").size(), 2u);
    for (bool xz : {false, true}) {
        ExportObjCurves(test::TinySection(12), AirfoilOptions{1.0, xz}, dir.File("c.obj"));
        const std::vector<ObjGroup> g = ParseObj(dir.File("c.obj"));
        ASSERT_EQ(g.size(), 2u);
        for (int k = 0; k < 2; ++k) {  // SectionLE = 7: N = 6, nine control points, thirteen knots
            EXPECT_EQ(Find(g[k], "g").at(0).at(0), k == 0 ? "UpperSrf" : "LowerSrf");
            const auto curv = Find(g[k], "curv").at(0);
            ASSERT_EQ(curv.size(), 11u);
            EXPECT_TRUE(curv[0] == "0" && curv[1] == "1" && curv[2] == std::to_string(1 + 9 * k) && curv[10] == std::to_string(9 + 9 * k));
            EXPECT_EQ(Find(g[k], "parm").at(0).size(), 14u);
            for (int i = 0; i < 9; ++i) {
                auto p = FlatLists(f[i + 1 + 10 * k]).at(0);
                if (xz) std::swap(p[1], p[2]);
                EXPECT_EQ(Find(g[k], "v").at(i), p);
            }
        }
    }
}

}  // namespace
}  // namespace korvel
