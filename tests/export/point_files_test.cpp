// point_files_test.cpp — the airfoil point file and the 3D curve text file: layouts, normalisation, locales, and xfoil reading them.
#include <gtest/gtest.h>

#include <clocale>
#include <map>

#include "comma_locale.h"

#include "engine/panel_solver.h"
#include "export/airfoil_dat_writer.h"
#include "export/curve_txt_writer.h"
#include "writer_test_util.h"

namespace korvel {
namespace {

using test::ReadAll;
using test::TempDir;

// A section of NS = 4 given as its points 1..5 (1 and 5 the trailing edge, 3 the least X).
ModelState SmallSection(const std::array<double, 5>& x, const std::array<double, 5>& y) {
    ModelState m;
    m.SetSectionCount(4);
    AllocateGrid(m, false, true);
    for (std::size_t i = 1; i <= 5; ++i) {
        m.SectionX[i] = x[i - 1];
        m.SectionY[i] = y[i - 1];
    }
    m.SectionLE = 3;
    return m;
}

TEST(PointFiles, LayoutsCharacterForCharacterWithTheChordNormalised) {
    TempDir dir;
    // Least X 0.2 at point 3, chord 0.8: x' = (x - 0.2) / 0.8, y' = y / 0.8; a hair below zero is no "-0.0000000".
    const ModelState m = SmallSection({1.0, 0.6, 0.2, 0.52, 1.0}, {0.0, -0.08, -1e-12, 0.1, 0.0});
    ExportAirfoilDat(m, dir.File("a.dat"));
    EXPECT_EQ(ReadAll(dir.File("a.dat")), "korvel\n1.0000000   0.0000000\n0.4000000   0.1250000\n0.0000000   0.0000000\n"
                                          "0.5000000   -0.1000000\n1.0000000   0.0000000");
    ExportCurveTxt(m, dir.File("a.txt"));
    EXPECT_EQ(ReadAll(dir.File("a.txt")), "#korvel\n#Group 1\n\n1 1 1.0000000 0.0000000 0\n1 2 0.4000000 0.1250000 0\n"
                                          "1 3 0.0000000 0.0000000 0\n1 4 0.5000000 -0.1000000 0\n1 0");
    EXPECT_EQ(FormatPointCoordinate(0.123456789), "0.1234568");
    EXPECT_EQ(FormatPointCoordinate(-2.00000004), "-2.0000000");
}

TEST(PointFiles, CurveFileFollowsTheLocaleAndThePointFileDoesNot) {
    TempDir dir;
    {
        const testing::CommaLocale comma(LC_NUMERIC);
        if (!comma.Active()) GTEST_SKIP() << "no de_DE locale could be made (Debian package 'locales')";
        const ModelState m = SmallSection({1.0, 0.5, 0.0, 0.5, 1.0}, {0.0, -0.1, 0.0, 0.25, 0.0});
        ExportAirfoilDat(m, dir.File("c.dat"));
        ExportCurveTxt(m, dir.File("c.txt"));
    }
    EXPECT_EQ(ReadAll(dir.File("c.dat")).substr(7, 21), "1.0000000   0.0000000");
    EXPECT_EQ(ReadAll(dir.File("c.txt")), "#korvel\n#Group 1\n\n1 1 1,0000000 0,0000000 0\n1 2 0,5000000 0,2500000 0\n"
                                          "1 3 0,0000000 0,0000000 0\n1 4 0,5000000 -0,1000000 0\n1 0");
}

// xfoil loads the file (under a virtual display: it opens a plot window), solves inviscid at 2 and 5
// degrees on the file's own points and saves a polar; returns CL by angle.
std::map<double, double> XfoilLift(const TempDir& dir, const std::string& datFile, std::string& log) {
    const std::string polar = dir.File("polar.txt"), script = dir.File("xfoil.in");
    std::filesystem::remove(polar);
    test::WriteWholeFile(script, "LOAD " + datFile + "\nOPER\nPACC\n" + polar + "\n\nALFA 2\nALFA 5\nPACC\n\nQUIT\n");
    log = test::RunCommand("cd '" + dir.Folder().string() + "' && xvfb-run -a xfoil < '" + script + "'").second;
    std::map<double, double> cl;
    std::istringstream in(ReadAll(polar));
    bool table = false;
    for (std::string line; std::getline(in, line);) {
        std::istringstream row(line);
        double alpha = 0.0, c = 0.0;
        if (table && row >> alpha >> c) cl[alpha] = c;
        table = table || line.find("------") != std::string::npos;
    }
    return cl;
}

TEST(PointFilesXfoil, InviscidLiftAgreesWithOurPanelSolution) {
    if (!test::ToolOnPath("xfoil") || !test::ToolOnPath("xvfb-run")) GTEST_SKIP() << "xfoil or xvfb-run is not installed";
    struct Case {
        const char* name;
        int32_t nX;
        double y0, x0;
    };
    const Case cases[] = {{"default", 64, 0.0, 0.0575}, {"cambered", 64, 0.04, 0.0575}, {"cambered", 160, 0.04, 0.0575}, {"thick", 256, 0.0, 0.1}};
    TempDir dir;
    for (const Case& c : cases) {
        BuildInputs in = test::Section2D(c.nX);
        in.y0 = c.y0;
        in.x0 = c.x0;
        ModelState m = test::Build(in);
        const std::string name = std::string(c.name) + " at " + std::to_string(m.SectionCount) + " panels";
        const std::string file = dir.File(std::string(c.name) + std::to_string(c.nX) + ".dat");
        ExportAirfoilDat(m, file);
        std::string log;
        const std::map<double, double> lift = XfoilLift(dir, file, log);
        ASSERT_EQ(lift.size(), 2u) << name << "\n" << log;
        for (const double alpha : {2.0, 5.0}) {
            double cl = 0.0, cd = 0.0;
            SolvePanelMethod(m, alpha, cl, cd);
            ASSERT_GT(cl, 0.1) << name;
            EXPECT_NEAR(lift.at(alpha), cl, (m.SectionCount >= 128 ? 0.005 : 0.015) * cl) << name << " at " << alpha << " degrees";
        }
    }
}

}  // namespace
}  // namespace korvel
