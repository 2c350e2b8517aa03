// point_files_test.cpp — the airfoil point file and the 3D curve text file: layouts, normalisation, locales, refusals.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "built_models.h"
#include "engine/panel_solver.h"
#include "export/airfoil_dat_writer.h"
#include "export/curve_txt_writer.h"
#include "export/export_common.h"
#include "writer_test_util.h"

namespace korvel {
namespace {

using test::ReadAll;
using test::TempDir;

// A section of NS = 4 given as its points 1..5 (point 1 and 5 the trailing edge, 3 the least X).
ModelState SmallSection(const double (&x)[5], const double (&y)[5]) {
    ModelState m;
    m.SetSectionCount(4);
    AllocateGrid(m, false, true);
    for (int i = 1; i <= 5; ++i) {
        m.SectionX[static_cast<std::size_t>(i)] = x[i - 1];
        m.SectionY[static_cast<std::size_t>(i)] = y[i - 1];
    }
    m.SectionLE = 3;
    return m;
}

TEST(PointFiles, LayoutsCharacterForCharacter) {
    TempDir dir;
    // The lower point's Y is a hair below zero: it must not come out as "-0.0000000".
    const ModelState m = SmallSection({1.0, 0.5, 0.0, 0.5, 1.0}, {0.0, -0.1, -1e-12, 0.125, 0.0});
    ExportAirfoilDat(m, dir.File("a.dat"));
    EXPECT_EQ(ReadAll(dir.File("a.dat")),
              "korvel\n"
              "1.0000000   0.0000000\n"
              "0.5000000   0.1250000\n"
              "0.0000000   0.0000000\n"
              "0.5000000   -0.1000000\n"
              "1.0000000   0.0000000");
    ExportCurveTxt(m, dir.File("a.txt"));
    EXPECT_EQ(ReadAll(dir.File("a.txt")),
              "#korvel\n"
              "#Group 1\n"
              "\n"
              "1 1 1.0000000 0.0000000 0\n"
              "1 2 0.5000000 0.1250000 0\n"
              "1 3 0.0000000 0.0000000 0\n"
              "1 4 0.5000000 -0.1000000 0\n"
              "1 0");
}

TEST(PointFiles, ChordIsNormalisedFromTheLeastX) {
    TempDir dir;
    // Least X 0.2 at point 3, so the chord is 0.8: x' = (x - 0.2) / 0.8 and y' = y / 0.8.
    const ModelState m = SmallSection({1.0, 0.6, 0.2, 0.52, 1.0}, {0.0, -0.08, 0.04, 0.1, 0.0});
    ExportAirfoilDat(m, dir.File("b.dat"));
    EXPECT_EQ(ReadAll(dir.File("b.dat")),
              "korvel\n"
              "1.0000000   0.0000000\n"
              "0.4000000   0.1250000\n"
              "0.0000000   0.0500000\n"
              "0.5000000   -0.1000000\n"
              "1.0000000   0.0000000");
    // Seven decimals, rounded to the nearest.
    EXPECT_EQ(FormatPointCoordinate(0.123456789), "0.1234568");
    EXPECT_EQ(FormatPointCoordinate(-2.00000004), "-2.0000000");
    EXPECT_EQ(FormatPointCoordinate(-0.00000004), "0.0000000");
}

TEST(PointFiles, NoSectionOrABrokenOneWritesNothing) {
    TempDir dir;
    const std::string dat = dir.File("keep.dat");
    const std::string txt = dir.File("keep.txt");
    test::WriteWholeFile(dat, "old");
    ModelState none;  // a 3D build leaves the section empty
    none.SetSectionCount(40);
    EXPECT_THROW(ExportAirfoilDat(none, dat), ExportError);
    EXPECT_THROW(ExportCurveTxt(none, dir.File("new.txt")), ExportError);
    EXPECT_EQ(ReadAll(dat), "old");
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.txt")));

    const ModelState nan = SmallSection({1.0, NAN, 0.0, 0.5, 1.0}, {0.0, -0.1, 0.0, 0.1, 0.0});
    EXPECT_THROW(ExportAirfoilDat(nan, dat), ExportError);
    // Every X at or beyond the trailing edge: there is no chord to divide by.
    const ModelState flat = SmallSection({1.0, 1.0, 1.0, 1.0, 1.0}, {0.0, -0.1, 0.0, 0.1, 0.0});
    EXPECT_THROW(ExportCurveTxt(flat, txt), ExportError);
    EXPECT_EQ(ReadAll(dat), "old");
    EXPECT_FALSE(std::filesystem::exists(txt));

    const ModelState ok = SmallSection({1.0, 0.5, 0.0, 0.5, 1.0}, {0.0, -0.1, 0.0, 0.1, 0.0});
    EXPECT_THROW(ExportAirfoilDat(ok, dir.File("no/folder/x.dat")), ExportError);
}

// Makes a German locale (decimal comma) in a private folder; empty when the locale sources are missing.
std::string CommaLocale(const TempDir& dir) {
    const std::string made = dir.File("de_DE.UTF-8");
    const std::string cmd = "localedef -i de_DE -f UTF-8 '" + made + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0 && !std::filesystem::exists(made)) return {};
    setenv("LOCPATH", test::FolderOf(dir).c_str(), 1);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        unsetenv("LOCPATH");
        return {};
    }
    return "de_DE.UTF-8";
}

TEST(PointFiles, CurveFileFollowsTheLocaleAndThePointFileDoesNot) {
    TempDir dir;
    if (CommaLocale(dir).empty()) GTEST_SKIP() << "no de_DE locale could be made (Debian package 'locales')";
    const ModelState m = SmallSection({1.0, 0.5, 0.0, 0.5, 1.0}, {0.0, -0.1, 0.0, 0.25, 0.0});
    ExportAirfoilDat(m, dir.File("c.dat"));
    ExportCurveTxt(m, dir.File("c.txt"));
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
    EXPECT_EQ(ReadAll(dir.File("c.dat")).substr(7, 21), "1.0000000   0.0000000");
    EXPECT_EQ(ReadAll(dir.File("c.txt")),
              "#korvel\n#Group 1\n\n"
              "1 1 1,0000000 0,0000000 0\n"
              "1 2 0,5000000 0,2500000 0\n"
              "1 3 0,0000000 0,0000000 0\n"
              "1 4 0,5000000 -0,1000000 0\n"
              "1 0");
}

// --- xfoil reads our point files -----------------------------------------------------------------------

struct Polar {
    bool ok = false;
    std::map<double, double> cl;  // by angle of attack
    std::string log;
};

// Loads the file in xfoil (under a virtual display: it opens a plot window), computes the inviscid
// solution at 2 and 5 degrees on the file's own points and reads CL from the polar it saved.
Polar XfoilPolar(const TempDir& dir, const std::string& datFile) {
    Polar p;
    const std::string polar = dir.File("polar.txt");
    const std::string script = dir.File("xfoil.in");
    std::filesystem::remove(polar);
    test::WriteWholeFile(script, "LOAD " + datFile + "\nOPER\nPACC\n" + polar + "\n\nALFA 2\nALFA 5\nPACC\n\nQUIT\n");
    const test::CommandResult r = test::RunCommand("cd '" + test::FolderOf(dir).string() + "' && xvfb-run -a xfoil < '" + script + "'");
    p.log = r.output;
    std::istringstream in(test::ReadAll(polar));
    std::string line;
    bool table = false;
    while (std::getline(in, line)) {
        if (line.find("------") != std::string::npos) {
            table = true;
            continue;
        }
        double alpha = 0.0, cl = 0.0;
        std::istringstream row(line);
        if (table && row >> alpha >> cl) p.cl[alpha] = cl;
    }
    p.ok = p.cl.size() == 2;
    return p;
}

TEST(PointFilesXfoil, InviscidLiftAgreesWithOurPanelSolution) {
    if (!test::ToolOnPath("xfoil") || !test::ToolOnPath("xvfb-run")) {
        GTEST_SKIP() << "xfoil or xvfb-run is not installed (scripts/install-deps installs them)";
    }
    struct Case {
        const char* name;
        int32_t nX;
        double y0;
        double x0;
    };
    // The default section, a cambered and a thicker one, from 64 to 256 panels.
    const Case cases[] = {{"default", 64, 0.0, 0.0575},  {"default", 128, 0.0, 0.0575}, {"default", 256, 0.0, 0.0575},
                          {"cambered", 64, 0.04, 0.0575}, {"cambered", 160, 0.04, 0.0575}, {"thick", 128, 0.0, 0.1}};
    TempDir dir;
    for (const Case& c : cases) {
        BuildInputs in = test::Section2D(c.nX);
        in.y0 = c.y0;
        in.x0 = c.x0;
        ModelState m = test::Built(in);
        const std::string name = std::string(c.name) + " at " + std::to_string(m.SectionCount) + " panels";
        const std::string file = dir.File(std::string(c.name) + std::to_string(c.nX) + ".dat");
        ExportAirfoilDat(m, file);
        const Polar polar = XfoilPolar(dir, file);
        ASSERT_TRUE(polar.ok) << name << "\n" << polar.log;
        const double tolerance = m.SectionCount >= 128 ? 0.005 : 0.015;
        for (const double alpha : {2.0, 5.0}) {
            double cl = 0.0, cd = 0.0;
            SolvePanelMethod(m, alpha, cl, cd);
            ASSERT_GT(cl, 0.1) << name;
            EXPECT_NEAR(polar.cl.at(alpha), cl, tolerance * cl) << name << " at " << alpha << " degrees";
        }
    }
}

}  // namespace
}  // namespace korvel
