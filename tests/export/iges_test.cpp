// iges_test.cpp — the IGES writer: reals, parameter packing, the 80-column sections, pointers and counts, the global section.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "built_models.h"
#include "export/iges_writer.h"
#include "iges_file_reader.h"
#include "tiny_model.h"
#include "writer_test_util.h"

namespace korvel {
namespace {

using test::FixedClock;
using test::IgesFile;
using test::ReadIgesFile;
using test::TempDir;

TEST(IgesText, RealsParameterPackingAndHollerith) {
    EXPECT_EQ(IgesReal(0.0), "0.");
    EXPECT_EQ(IgesReal(-0.0), "0.");
    EXPECT_EQ(IgesReal(1.5), "1.5D0");
    EXPECT_EQ(IgesReal(-0.25), "-2.5D-1");
    EXPECT_EQ(IgesReal(1234.5), "1.2345D3");
    EXPECT_EQ(IgesReal(2.0), "2.0D0");
    EXPECT_EQ(IgesReal(0.1), "1.0D-1");
    EXPECT_EQ(IgesReal(1.0 / 3.0), "3.33333333333D-1");  // 12 significant digits
    EXPECT_EQ(IgesReal(-6.02214076e23), "-6.02214076D23");
    EXPECT_EQ(IgesReal(9.9999999999999e-5), "1.0D-4");  // rounding carries into the exponent
    EXPECT_THROW(IgesReal(NAN), ExportError);
    EXPECT_THROW(IgesReal(INFINITY), ExportError);

    // Whole items only: the header and 15 items of 4 characters fill 64 columns, the 16th starts the next record.
    std::string out;
    int32_t pCount = 0;
    std::string line = "126,";
    for (int k = 0; k < 15; ++k) IgesWriteParam(out, pCount, line, "      11P", "1.5,");
    EXPECT_EQ(pCount, 0);
    EXPECT_EQ(line.size(), 64u);
    IgesWriteParam(out, pCount, line, "      11P", "1.5,");
    EXPECT_EQ(pCount, 1);
    EXPECT_EQ(line, "1.5,");
    IgesWriteParam(out, pCount, line, "      11P", "0.;");
    IgesWriteParam(out, pCount, line, "      11P", "");
    EXPECT_EQ(pCount, 2);
    std::string first = "126,";
    for (int k = 0; k < 15; ++k) first += "1.5,";
    EXPECT_EQ(out, first + "      11P      1\n" + "1.5,0.;" + std::string(57, ' ') + "      11P      2\n");

    EXPECT_EQ(IgesHollerith(""), "0H");
    EXPECT_EQ(IgesHollerith("MM"), "2HMM");
    EXPECT_EQ(IgesHollerith("a,b;c"), "5Ha,b;c");
    // One replacement per character, whatever its UTF-8 length; stray bytes and control characters too.
    EXPECT_EQ(IgesHollerith("Fl\xC3\xBCgel \xE2\x82\xAC\t\xFF"), "10HFl_gel ___");
}

TEST(IgesText, GlobalPackingKeepsDelimitersAndContinuesLongValues) {
    const std::string a(30, 'a');
    const std::string b(41, 'b');
    const std::vector<std::string> packed = IgesPackGlobal({a + ",", b + ",", "c;"});
    ASSERT_EQ(packed.size(), 2u);
    EXPECT_EQ(packed[0], a + ",");  // 31 + 42 columns: b's delimiter would land in column 73
    EXPECT_EQ(packed[1], b + ",c;");

    const std::string author = "73H" + std::string(70, 'x') + ",";
    const std::vector<std::string> longOne = IgesPackGlobal({"1H,,", author, "11,"});
    ASSERT_EQ(longOne.size(), 3u);
    EXPECT_EQ(longOne[0], "1H,,");
    EXPECT_EQ(longOne[1] + longOne[2].substr(0, author.size() - 72), author);
    EXPECT_EQ(longOne[2], author.substr(72) + "11,");
    for (const std::string& r : longOne) EXPECT_LE(r.size(), 72u);
}

// Count of an entity's parameters after its header: knots, weights, control points, the ranges (and normal).
std::size_t SurfaceParams(int nu, int nv) { return 10 + (nu + 7) + (nv + 7) + 4 * (nu + 3) * (nv + 3) + 4; }

TEST(IgesSurfaces, SectionsPointersCountsAndGlobalValues) {
    TempDir dir;
    ModelState m = test::TinyModel(6, 8);
    test::AddCutPlaneX(m);
    m.GridSize = Vec3d{2.0, 1.4, 0.7};
    ExportOptions options;
    options.Iges.IgesAuthor = "A. Uthor";
    const std::string file = dir.File("tube.igs");
    ASSERT_TRUE(ExportIgesSurfaces(m, options, file, {}, FixedClock));

    const IgesFile f = ReadIgesFile(file);  // records, letters, numbering, pointers, counts, T record
    ASSERT_TRUE(f.error.empty()) << f.error;
    ASSERT_EQ(f.entities.size(), 3u);
    const char* labels[] = {"Surface1", "Surface2", "CutYZ"};
    const int nv[] = {4, 4, 3};
    for (std::size_t e = 0; e < 3; ++e) {
        const test::IgesEntity& x = f.entities[e];
        EXPECT_EQ(x.type, 128);
        EXPECT_EQ(x.label, labels[e]);
        const int nu = e < 2 ? 6 : 3;
        EXPECT_EQ(x.params.size(), SurfaceParams(nu, nv[e]));
        EXPECT_EQ(x.params.at(1), std::to_string(nu + 2));
        EXPECT_EQ(x.params.at(2), std::to_string(nv[e] + 2));
        EXPECT_EQ(x.params.at(23 + nu + nv[e]), "1.0D0");  // the last V knot
        EXPECT_EQ(x.params.at(24 + nu + nv[e]), "1.");     // the first weight
        EXPECT_EQ(x.params.back(), "1.");
    }
    EXPECT_EQ(f.entities[0].pointer, 1);
    EXPECT_EQ(f.entities[1].pointer, f.entities[0].pointer + f.entities[0].lineCount);

    ASSERT_EQ(f.global.size(), 26u);
    const std::pair<int, const char*> global[] = {
        {0, ","},    {1, ";"},        {2, "tube"}, {3, "tube.igs"}, {4, "korvel"}, {5, "1.0.0"},
        {11, "tube"}, {13, "2"},       {14, "MM"},  {17, "261205.175853"},         {18, "0.001"},
        {19, "2.0D0"}, {20, "A. Uthor"}, {21, ""},  {22, "11"},       {24, "261205.175853"}, {25, ""}};
    for (const auto& [k, text] : global) EXPECT_EQ(f.global[k], text) << "global parameter " << k + 1;
}

TEST(IgesSurfaces, CancelTouchesNothingAndTheDialogsOptionsAreUsed) {
    TempDir dir;
    const ModelState m = test::TinyModel(4, 8);
    ExportOptions options;
    const std::string file = dir.File("keep.igs");
    test::WriteWholeFile(file, "old");
    const IgesConfirm cancel = [](IgesOptions& o) {
        o.IgesAuthor = "changed";
        return false;
    };
    EXPECT_FALSE(ExportIgesSurfaces(m, options, file, cancel, FixedClock));
    EXPECT_EQ(test::ReadAll(file), "old");
    EXPECT_FALSE(ExportIgesSurfaces(m, options, dir.File("new.igs"), cancel, FixedClock));
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.igs")));

    // OK with a 70-character author (the dialog's limit), a non-ASCII organisation, a 90-character file name.
    const std::string author(70, 'W');
    const IgesConfirm ok = [&](IgesOptions& o) {
        o.IgesAuthor = author;
        o.IgesOrganization = "B\xC3\xBCro";
        o.IgesUnitFlag = "1";
        o.IgesUnitName = "INCH";
        return true;
    };
    const std::string stem(90, 'n');
    EXPECT_TRUE(ExportIgesSurfaces(m, options, dir.File(stem + ".igs"), ok, FixedClock));
    const IgesFile f = ReadIgesFile(dir.File(stem + ".igs"));
    ASSERT_TRUE(f.error.empty()) << f.error;
    ASSERT_EQ(f.global.size(), 26u);
    EXPECT_EQ(f.global[2], stem);
    EXPECT_EQ(f.global[3], stem + ".igs");
    EXPECT_EQ(f.global[13], "1");
    EXPECT_EQ(f.global[14], "INCH");
    EXPECT_EQ(f.global[20], author);
    EXPECT_EQ(f.global[21], "B_ro");
    EXPECT_EQ(options.Iges.IgesAuthor, "");  // the caller's options stay the caller's
}

TEST(IgesSurfaces, RefusalsLeaveNoFile) {
    TempDir dir;
    ExportOptions options;
    const ModelState empty;
    EXPECT_THROW(ExportIgesSurfaces(empty, options, dir.File("a.igs"), {}, FixedClock), ExportError);
    EXPECT_THROW(ExportIgesCurves(empty, options, dir.File("b.igs"), {}, FixedClock), ExportError);
    ModelState m = test::TinyModel(4, 8);
    options.Iges.IgesResolution = "0,001";  // would split the global section in two
    EXPECT_THROW(ExportIgesSurfaces(m, options, dir.File("c.igs"), {}, FixedClock), ExportError);
    options.Iges.IgesResolution = "0.001";
    m.GridX[3][3] = NAN;
    EXPECT_THROW(ExportIgesSurfaces(m, options, dir.File("d.igs"), {}, FixedClock), ExportError);
    EXPECT_TRUE(std::filesystem::is_empty(test::FolderOf(dir)));
    EXPECT_THROW(ExportIgesSurfaces(test::TinyModel(4, 8), options, dir.File("x/y.igs"), {}, FixedClock),
                 ExportError);
}

TEST(IgesCurves, TwoCurvesInEitherPlaneWithTheRoundedChordAsSize) {
    TempDir dir;
    const ModelState m = test::Built(test::Section2D(16));
    for (const bool xz : {false, true}) {
        ExportOptions options;
        options.Airfoil.AirfoilChordLength = 2.5;
        options.Airfoil.AirfoilXZPlane = xz;
        const std::string file = dir.File(xz ? "xz.igs" : "xy.igs");
        ASSERT_TRUE(ExportIgesCurves(m, options, file, {}, FixedClock));
        const IgesFile f = ReadIgesFile(file);
        ASSERT_TRUE(f.error.empty()) << f.error;
        EXPECT_EQ(f.global[19], "2.0D0");  // 2.5 rounds to the even 2
        ASSERT_EQ(f.entities.size(), 2u);
        for (std::size_t e = 0; e < 2; ++e) {
            const std::vector<std::string>& p = f.entities[e].params;
            EXPECT_EQ(f.entities[e].type, 126);
            EXPECT_EQ(f.entities[e].label, e == 0 ? "UpperSrf" : "LowerSrf");
            const std::size_t n = 8 + 3;  // control points of 9 data points
            ASSERT_EQ(p.size(), 7 + (n + 4) + n + 3 * n + 5);
            EXPECT_EQ(p.at(1), "10");
            const std::size_t points = 7 + (n + 4) + n;
            EXPECT_EQ(test::IgesNumber(p[points]), 2.5);  // from the trailing edge, scaled by the chord
            for (std::size_t i = 0; i < n; ++i) EXPECT_EQ(p[points + 3 * i + (xz ? 1 : 2)], "0.");
            const std::vector<std::string> normal(p.end() - 3, p.end());
            EXPECT_EQ(normal, (xz ? std::vector<std::string>{"0.", "1.", "0."} : std::vector<std::string>{"0.", "0.", "1."}));
        }
    }
}

}  // namespace
}  // namespace korvel
