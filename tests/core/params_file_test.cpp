// params_file_test.cpp — the parameter file's exact text, its reading into a batch request, its edge cases and the INI reader.
#include <gtest/gtest.h>

#include <functional>

#include "app/core/panel_rules.h"
#include "app/core/params_file.h"
#include "export/writer_test_util.h"

namespace korvel {
namespace {

const std::string kHome = "/home/tester";

// Section by section, one source line each.
const char* const kDefaultSolidText =
    ";korvel parameters\n"
    "[Dimensions]\nLengthX=-1.0000000\nWidthY=-1.0000000\nHeightZ=-1.0000000\n"
    "[Mod]\nMod3D=1\nModCut=0\nModMirror=0\nModCutSection=0\nModWing=0\nModSpan=0\n"
    "[Flip]\nVertical=0\nHorizontal=0\n"
    "[Subdivisions]\nnX=40\nmYZ=40\n"
    "[EdgeAngle]\nTea=44.0000000\nLea=0.0000000\n"
    "[Thickness]\nx0=0.0575000\nrb=0.9815000\nrc1=0.9815000\nrc2=0.9815000\n"
    "[Camber]\ny0=0.0000000\n"
    "[Mdlr]\ntx3=0.0000000\ntz3=0.0040000\nkc3=0.1000000\nkt3=0.0000000\nvs3=0\nnm3=0.5000000\n"
    "tx2=0.0000000\ntz2=0.0040000\nkc2=0.1000000\nkt2=0.0000000\nvs2=0\nnm2=0.5000000\n"
    "[Stretch]\nfY=1.0000000\nfZ=1.0000000\ndY=1.0000000\n"
    "[Fold]\nfoldX=0.0000000\nfoldZ=0.0000000\n"
    "[SpanSection]\nss=1.0000000\n"
    "[WingTip]\nwt=0.0000000\n"
    "[Cut]\nc=1\n"
    "[CutSection]\ntX=1\ntY=1\ntZ=1\ncsX=1.0000000\ncsY=1.0000000\ncsZ=1.0000000\n"
    "[SurfaceTangentFactors]\nUpperLeadingEdge=0.6500000\nUpperRoundedTrailingEdge=0.6500000\n"
    "LowerLeadingEdge=0.6500000\nLowerRoundedTrailingEdge=0.6500000\n"
    "[Output]\n;Rotation -> 0:x,y,z - 1:y,z,x - 2:z,x,y\nRotation=0\nformat=stl\nfile=/home/tester/Desktop/korvel3D00.stl\n";

// The text with the line "key=..." replaced by "key=value", or removed when value is nullptr.
std::string SetKey(std::string text, const std::string& key, const char* value) {
    const std::size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos) return text + key + "=" + (value ? value : "") + "\n";
    const std::size_t end = text.find('\n', at + 1);
    return text.replace(at + 1, end - at, value ? key + "=" + value + "\n" : "");
}

std::string RemoveSection(std::string text, const std::string& name) {
    const std::size_t at = text.find("[" + name + "]\n");
    return text.erase(at, text.find("\n[", at) + 1 - at);
}

PanelState TwoD(PanelState s) {
    s.Act3D = false;
    return s;
}

TEST(ParamsFile, WritesTheExactTextForTheDefaultSolidAnd2DStates) {
    EXPECT_EQ(ParamsFileText(DefaultPanelState(), kHome), kDefaultSolidText);
    std::string twoD = SetKey(kDefaultSolidText, "Mod3D", "0");
    twoD.erase(twoD.find("[Output]"));
    twoD += "[Output]\nformat=dat\nChord Length=1\nXY Plane=1\nfile=/home/tester/Desktop/korvel2D00.dat\n";
    EXPECT_EQ(ParamsFileText(TwoD(DefaultPanelState()), kHome), twoD);
    // Every real is written with '.', seven decimals, correctly rounded and without a sign on zero.
    PanelState s = DefaultPanelState();
    std::tie(s.Params[9], s.Params[20], s.LengthX) = std::tuple(-0.00000001, -49.99999996, 1234567.123456789);
    const std::string text = ParamsFileText(s, kHome);
    for (const char* line : {"\ny0=0.0000000\n", "\nfoldX=-50.0000000\n", "\nLengthX=1234567.1234568\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST(ParamsFile, WriteThenReadGivesTheWindowsBuildInputs) {
    PanelState changed = DefaultPanelState();
    for (const BarSpec& b : kBars) {
        changed.Pos(b.bar) = b.max - (b.max - b.min > 1 ? 1 : 0);
        if (IsScaled(b)) changed.Params[b.tag] = PositionToValue(changed.Pos(b.bar), b.scale);
    }
    changed.Params[2] = 44.123;
    changed.Params[40] = 0.25;
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
        PanelState s = DefaultPanelState();
        for (const BarSpec& b : kBars) {
            s.Pos(b.bar) = end == 0 ? b.min : b.max;
            if (IsScaled(b)) s.Params[b.tag] = PositionToValue(s.Pos(b.bar), b.scale);
        }
        s.Pos(Bar::Cut) = end == 0 ? 1 : 4;
        const ParamsCheck check = CheckParams(IniFile::FromText(ParamsFileText(s, kHome)));
        EXPECT_TRUE(check.Valid()) << end << " " << check.Invalid;
    }
}

TEST(ParamsFile, EdgeCases) {
    using Edit = std::function<std::string(std::string)>;
    const auto set = [](const char* key, const char* value) { return Edit([=](std::string t) { return SetKey(t, key, value); }); };
    const auto both = [](Edit a, Edit b) { return Edit([=](std::string t) { return b(a(t)); }); };
    using Probe = std::function<bool(const BatchRequest&)>;
    struct Case {
        const char* name;
        Edit edit;
        const char* invalid;  // nullptr: valid
        Probe probe;
    };
    const std::string twoD = ParamsFileText(TwoD(DefaultPanelState()), kHome);
    const Case cases[] = {
        {"as written, solid", set("Rotation", "0"), nullptr,
         [](auto& r) { return r.Format == "stl" && r.File == "/home/tester/Desktop/korvel3D00.stl"; }},
        {"as written, 2D", [&](std::string) { return twoD; }, nullptr,
         [](auto& r) { return r.Format == "dat" && r.File == "/home/tester/Desktop/korvel2D00.dat" && !r.Solid(); }},
        {"x0 at its end", set("x0", "0.4500000"), nullptr, [](auto& r) { return r.Inputs.x0 == 0.45; }},
        {"x0 typed past its end", set("x0", "0.4500001"), "x0=0.4500001", nullptr},
        {"two sizes of three", both(set("LengthX", "2"), both(set("WidthY", "3"), set("HeightZ", nullptr))), nullptr,
         [](auto& r) { return r.LengthX == -1.0 && r.WidthY == -1.0 && r.HeightZ == -1.0; }},
        {"three sizes", both(set("LengthX", "2,5"), both(set("WidthY", "3"), set("HeightZ", "0.5"))), nullptr,
         [](auto& r) { return r.LengthX == 2.5 && r.WidthY == 3.0 && r.HeightZ == 0.5; }},
        {"a size not finite", both(set("LengthX", "1e999"), both(set("WidthY", "3"), set("HeightZ", "0.5"))), nullptr,
         [](auto& r) { return r.LengthX == -1.0 && r.HeightZ == -1.0; }},
        {"Tea 180", set("Tea", "180"), nullptr, [](auto& r) { return r.Inputs.Tea == 180.0; }},
        {"Tea 180.0000001", set("Tea", "180.0000001"), "Tea=180.0000001", nullptr},
        {"c 3 on a wing", both(set("ModWing", "1"), set("c", "3")), "c=3", nullptr},
        {"c 3 on a body", set("c", "3"), nullptr, [](auto& r) { return r.Inputs.c == 3; }},
        {"format STEP", set("format", "STEP"), nullptr, [](auto& r) { return r.Format == "step"; }},
        {"format stlx", set("format", "stlx"), nullptr, [](auto& r) { return r.Format == "stlx"; }},
        {"Mod3D true", both(set("ModCutSection", "0"), set("Mod3D", "true")), nullptr, [](auto& r) { return r.Inputs.Act3D; }},
        {"Mod3D TRUE", both(set("ModCutSection", "0"), set("Mod3D", "TRUE")), nullptr, [](auto& r) { return r.Inputs.Act3D; }},
        {"Mod3D 0.0", set("Mod3D", "0.0"), nullptr, [](auto& r) { return !r.Inputs.Act3D; }},
        {"Mod3D False", set("Mod3D", "False"), nullptr, [](auto& r) { return !r.Inputs.Act3D; }},
        {"Mod3D yes", set("Mod3D", "yes"), "Mod3D=yes", nullptr},
        {"x0 empty", set("x0", ""), "x0=", nullptr},
        {"Tea empty", set("Tea", ""), nullptr, [](auto& r) { return r.Inputs.Tea == 0.0; }},
        {"x0 missing", set("x0", nullptr), "x0 (missing)", nullptr},
        {"no [Mod]", [](std::string t) { return RemoveSection(t, "Mod"); }, nullptr,
         [](auto& r) { return r.Inputs.Act3D && r.Inputs.ActCutSec && r.Solid(); }},
        {"tangent factor above 1", set("UpperLeadingEdge", "1.0100000"), "UpperLeadingEdge=1.0100000", nullptr},
        {"nX 2000 solid", set("nX", "2000"), nullptr, [](auto& r) { return r.Inputs.nX == 2000; }},
        {"nX 2001 solid", set("nX", "2001"), "nX=2001", nullptr},
        {"nX 10000 in 2D", [&](std::string) { return SetKey(twoD, "nX", "10000"); }, nullptr,
         [](auto& r) { return r.Inputs.nX == 10000; }},
        {"nX 10001 in 2D", [&](std::string) { return SetKey(twoD, "nX", "10001"); }, "nX=10001", nullptr},
        {"mYZ 7", set("mYZ", "7"), "mYZ=7", nullptr},
        {"nX not an integer", set("nX", "64.0"), "nX=64.0", nullptr},
        {"nX beyond int32", set("nX", "99999999999"), "nX=99999999999", nullptr},
        {"Rotation 2", set("Rotation", "+2"), nullptr, [](auto& r) { return r.Rotation == 2; }},
        {"Rotation 3", set("Rotation", "3"), "Rotation=3", nullptr},
        {"first fault named", both(set("kt3", "361"), set("Tea", "-1")), "Tea=-1", nullptr},
    };
    for (const Case& c : cases) {
        const ParamsCheck check = CheckParams(IniFile::FromText(c.edit(kDefaultSolidText)));
        EXPECT_EQ(check.Invalid, c.invalid ? c.invalid : "") << c.name;
        if (c.probe) {
            EXPECT_TRUE(c.probe(check.Request)) << c.name;
        }
    }
    // A file that does not exist: every key takes its default, and several defaults are out of range.
    test::TempDir dir;
    EXPECT_EQ(ReadParamsFile(dir.File("none.krvlp")).Invalid, "x0 (missing)");
}

TEST(IniReader, NamesAnyCaseBlanksLineEndsCommentsDuplicatesAndAByteOrderMark) {
    struct Case {
        const char* text;
        const char* section;
        const char* key;
        const char* value;  // nullptr: missing
    };
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
        {"[Mod]\nMod3D=\n", "Mod", "Mod3D", ""},
        {"[Output]\nChord Length=1\n", "output", "chord length", "1"},
        {"[Output]\na=b=c\n", "Output", "a", "b=c"},
        {"[Output\na=1\n", "Output", "a", nullptr},
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
