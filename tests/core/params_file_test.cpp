// params_file_test.cpp — the parameter file's exact text, its reading into a batch request, its edge cases and the INI reader.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "app/core/panel_rules.h"
#include "app/core/params_file.h"
#include "core_test_support.h"
#include "export/writer_test_util.h"

namespace korvel {
namespace {

const std::string kHome = "/home/tester";

PanelState TwoD(PanelState s) {
    s.Act3D = false;
    return s;
}

// The committed fuzz seed is the exact text of the default solid state; 2D differs in the mode and the output.
TEST(ParamsFile, WritesTheExactTextForTheDefaultSolidAnd2DStates) {
    const std::string solid = test::Seed("params/solid.krvlp");
    EXPECT_EQ(ParamsFileText(DefaultPanelState(), "/home/user"), solid);
    std::string twoD = test::SetKey(solid, "Mod3D", "0");
    twoD.erase(twoD.find("[Output]"));
    twoD += "[Output]\nformat=dat\nChord Length=1\nXY Plane=1\nfile=/home/user/Desktop/korvel2D00.dat\n";
    EXPECT_EQ(ParamsFileText(TwoD(DefaultPanelState()), "/home/user"), twoD);
    // Every real is written with '.', seven decimals, correctly rounded and without a sign on zero.
    PanelState s = DefaultPanelState();
    std::tie(s.Params[9], s.Params[20], s.LengthX) = std::tuple(-0.00000001, -49.99999996, 1234567.123456789);
    const std::string text = ParamsFileText(s, kHome);
    for (const char* line : {"\ny0=0.0000000\n", "\nfoldX=-50.0000000\n", "\nLengthX=1234567.1234568\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST(ParamsFile, WriteThenReadGivesTheWindowsBuildInputs) {
    PanelState changed = test::AtEnds(2);
    std::tie(changed.Params[2], changed.Params[40]) = std::tuple(44.123, 0.25);
    std::tie(changed.ActWing, changed.ActCutSec, changed.ActMirror, changed.ActCut) = std::tuple(true, true, true, true);
    std::tie(changed.Span, changed.Pos(Bar::Cut), changed.MaxMPX) = std::tuple(SpanElliptical, 2, 128);
    std::tie(changed.LengthX, changed.WidthY, changed.HeightZ) = std::tuple(2.5, 1.25, 0.5);
    std::tie(changed.ActTunnel, changed.ActAxes, changed.Pos(Bar::TypeSec2D)) = std::tuple(true, false, 2);
    for (const PanelState& s : {DefaultPanelState(), TwoD(DefaultPanelState()), changed}) {
        const ParamsCheck check = CheckParams(IniFile::FromText(ParamsFileText(s, kHome)));
        ASSERT_TRUE(check.Valid()) << check.Invalid;
        BuildInputs expected = BuildInputsOf(s, 0, 0);
        // The file leaves the section plane, the tunnel and the angle of attack out; the batch sets the
        // offset count.
        std::tie(expected.SectionView, expected.ActTunnel, expected.ActAxes, expected.AngleOfAttack) =
            std::tuple(0, false, true, 0.0);
        expected.OffsetCount = check.Request.Inputs.OffsetCount;
        EXPECT_TRUE(check.Request.Inputs == expected);
        EXPECT_EQ(std::tuple(check.Request.LengthX, check.Request.WidthY, check.Request.HeightZ),
                  std::tuple(s.LengthX, s.WidthY, s.HeightZ));
    }
    // Every slider at either end reads back as exactly the bound, which the inclusive check accepts.
    for (int end = 0; end < 2; ++end) {
        PanelState s = test::AtEnds(end);
        s.Pos(Bar::Cut) = end == 0 ? 1 : 4;
        const ParamsCheck check = CheckParams(IniFile::FromText(ParamsFileText(s, kHome)));
        EXPECT_TRUE(check.Valid()) << end << " " << check.Invalid;
    }
}

TEST(ParamsFile, EdgeCases) {
    struct Case {
        bool twoD;
        std::vector<std::pair<const char*, const char*>> keys;  // value nullptr: the line removed; "[Mod]": the section
        const char* invalid;                                     // nullptr: valid
        std::function<bool(const BatchRequest&)> probe = {};
    };
    const Case cases[] = {
        {false, {}, nullptr, [](auto& r) { return r.Format == "stl" && r.File == "/home/tester/Desktop/korvel3D00.stl"; }},
        {true, {}, nullptr, [](auto& r) { return r.Format == "dat" && r.File == "/home/tester/Desktop/korvel2D00.dat" && !r.Solid(); }},
        {false, {{"x0", "0.4500000"}}, nullptr, [](auto& r) { return r.Inputs.x0 == 0.45; }},
        {false, {{"x0", "0.4500001"}}, "x0=0.4500001"},
        {false, {{"Tea", "180.0000001"}}, "Tea=180.0000001"},
        {false, {{"LengthX", "2"}, {"WidthY", "3"}, {"HeightZ", nullptr}}, nullptr,
         [](auto& r) { return r.LengthX == -1.0 && r.WidthY == -1.0 && r.HeightZ == -1.0; }},
        {false, {{"LengthX", "2,5"}, {"WidthY", "3"}, {"HeightZ", "0.5"}}, nullptr,
         [](auto& r) { return r.LengthX == 2.5 && r.WidthY == 3.0 && r.HeightZ == 0.5; }},
        {false, {{"LengthX", "1e999"}, {"WidthY", "3"}, {"HeightZ", "0.5"}}, nullptr,
         [](auto& r) { return r.LengthX == -1.0 && r.HeightZ == -1.0; }},
        {false, {{"ModWing", "1"}, {"c", "3"}}, "c=3"},
        {false, {{"c", "3"}}, nullptr, [](auto& r) { return r.Inputs.c == 3; }},
        {false, {{"format", "STEP"}}, nullptr, [](auto& r) { return r.Format == "step"; }},
        {true, {{"Mod3D", "TRUE"}}, nullptr, [](auto& r) { return r.Inputs.Act3D; }},
        {false, {{"Mod3D", "0.0"}}, nullptr, [](auto& r) { return !r.Inputs.Act3D; }},
        {false, {{"Mod3D", "yes"}}, "Mod3D=yes"},
        {false, {{"x0", ""}}, "x0="},
        {false, {{"x0", nullptr}}, "x0 (missing)"},
        {false, {{"[Mod]", nullptr}}, nullptr, [](auto& r) { return r.Inputs.Act3D && r.Inputs.ActCutSec && r.Solid(); }},
        {false, {{"UpperLeadingEdge", "1.0100000"}}, "UpperLeadingEdge=1.0100000"},
        {false, {{"nX", "2000"}}, nullptr, [](auto& r) { return r.Inputs.nX == 2000; }},
        {false, {{"nX", "2001"}}, "nX=2001"},
        {true, {{"nX", "10000"}}, nullptr, [](auto& r) { return r.Inputs.nX == 10000; }},
        {true, {{"nX", "10001"}}, "nX=10001"},
        {false, {{"mYZ", "7"}}, "mYZ=7"},
        {false, {{"nX", "64.0"}}, "nX=64.0"},
        {false, {{"nX", "99999999999"}}, "nX=99999999999"},
        {false, {{"Rotation", "+2"}}, nullptr, [](auto& r) { return r.Rotation == 2; }},
        {false, {{"Rotation", "3"}}, "Rotation=3"},
        {false, {{"kt3", "361"}, {"Tea", "-1"}}, "Tea=-1"},  // the first fault in the file is named
    };
    for (const Case& c : cases) {
        std::string text = ParamsFileText(c.twoD ? TwoD(DefaultPanelState()) : DefaultPanelState(), kHome), trace;
        for (const auto& [key, value] : c.keys) {
            trace += std::string(key) + "=" + (value ? value : "(removed)") + " ";
            const std::size_t at = text.find(key);
            text = key[0] == '[' ? text.erase(at, text.find("\n[", at) + 1 - at) : test::SetKey(text, key, value);
        }
        const ParamsCheck check = CheckParams(IniFile::FromText(text));
        EXPECT_EQ(check.Invalid, c.invalid ? c.invalid : "") << trace;
        EXPECT_TRUE(!c.probe || c.probe(check.Request)) << trace;
    }
    // A file that does not exist: every key takes its default, and several defaults are out of range.
    test::TempDir dir;
    EXPECT_EQ(ReadParamsFile(dir.File("none.krvlp")).Invalid, "x0 (missing)");
}

TEST(IniReader, NamesAnyCaseBlanksLineEndsCommentsDuplicatesAndAByteOrderMark) {
    struct Case { const char *text, *section, *key, *value; };  // value nullptr: missing
    const Case cases[] = {
        {"[MOD]\nmod3d=0\n", "Mod", "Mod3D", "0"},
        {"  [ Mod ]  \n\t Mod3D \t=  0 1 \t\n", "mod", "MOD3D", "0 1"},
        {"[Mod]\r\nMod3D=0\r\n", "Mod", "Mod3D", "0"},
        {"\xEF\xBB\xBF[Mod]\nMod3D=0", "Mod", "Mod3D", "0"},
        {"[Mod]\nMod3D=0\nmod3d=1\n", "Mod", "Mod3D", "0"},
        {"[Mod]\na=1\n[Other]\na=3\n[mod]\na=2\n", "Mod", "a", "1"},
        {"[Mod]\n;Mod3D=0\n  # Mod3D=2\nMod3D=1\n", "Mod", "Mod3D", "1"},
        {"[Output]\nfile=/a;b#c.stl\n", "Output", "file", "/a;b#c.stl"},
        {"[Mod]\ngarbage line\nMod3D=0\n", "Mod", "garbage line", nullptr},
        {"Mod3D=0\n[Mod]\n", "Mod", "Mod3D", nullptr},
        {"[Output]\nChord Length=1\n", "output", "chord length", "1"},
        {"[Output]\na=b=c\n", "Output", "a", "b=c"},
        {"[Mod]\n=5\n", "Mod", "", nullptr},
    };
    for (const Case& c : cases) {
        const IniFile ini = IniFile::FromText(c.text);
        EXPECT_EQ(ini.Has(c.section, c.key), c.value != nullptr) << c.text;
        EXPECT_EQ(ini.Value(c.section, c.key, "<none>"), c.value ? c.value : "<none>") << c.text;
    }
    test::TempDir dir;
    EXPECT_FALSE(IniFile::Read(dir.File("missing.krvlp")).Has("Mod", "Mod3D"));
    test::WriteWholeFile(dir.File("big.krvlp"), std::string(kMaxReadFileSize + 1, ';'));
    EXPECT_THROW(IniFile::Read(dir.File("big.krvlp")), FileError);
    EXPECT_THROW(IniFile::Read(dir.Folder().string()), FileError);
}

}  // namespace
}  // namespace korvel
