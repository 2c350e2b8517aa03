// batch_export_test.cpp — the parameter file's batch run end to end: the window's model in the file, and every refusal.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "app/core/batch_export.h"
#include "app/core/panel_rules.h"
#include "export/stl_writer.h"
#include "export/writer_test_util.h"

namespace korvel {
namespace {

// The file= line of a written parameter file pointed elsewhere, and other keys changed.
std::string WithOutput(std::string text, const std::string& format, const std::string& file) {
    text.replace(text.find("\nformat="), text.find('\n', text.find("\nformat=") + 1) - text.find("\nformat="),
                 "\nformat=" + format);
    const std::size_t at = text.find("\nfile=");
    return text.replace(at, text.find('\n', at + 1) - at, "\nfile=" + file);
}

TEST(BatchExport, WritesTheWindowsModelAsStl) {
    PanelState s = DefaultPanelState();
    s.Pos(Bar::TX) = 50;
    s.Params[10] = 0.05;  // a modifier set on: its offset table follows the row maximum
    s.MaxMPX = 128;
    test::TempDir dir;
    const std::string params = dir.File("run.krvlp");
    test::WriteWholeFile(params, WithOutput(ParamsFileText(s, "/home/tester"), "stl", "Out.STL"));
    const BatchOutcome out = RunParamsFile(params, ExportOptions{}, s.MaxMPX, 400, 300);
    ASSERT_TRUE(out.Written) << out.Status;
    EXPECT_EQ(out.Status, "Exported Out.STL");
    EXPECT_EQ(out.Target, dir.File("Out.STL"));  // relative to the parameter file's folder

    const ModelState window = test::Built(BuildInputsOf(s, 400, 300));
    const std::size_t n = static_cast<std::size_t>(window.TriangleLast + 1);
    ASSERT_GT(n, 100u);
    EXPECT_EQ(std::filesystem::file_size(dir.File("Out.STL")), 84 + 50 * n);
    ExportStl(window, dir.File("window.stl"), 0);
    EXPECT_TRUE(test::ReadAll(dir.File("Out.STL")) == test::ReadAll(dir.File("window.stl")));
    if (test::ToolOnPath("admesh")) {
        const auto [status, report] = test::RunCommand("admesh '" + dir.File("Out.STL") + "'");
        EXPECT_EQ(status, 0) << report;
        EXPECT_TRUE(std::regex_search(report, std::regex("Number of facets *: *" + std::to_string(n) + " "))) << report;
    }
}

TEST(BatchExport, EveryFormatOfEitherModeWritesItsFileEvenOnATinyCanvas) {
    test::TempDir dir;
    struct Case {
        bool solid;
        const char* format;
        const char* file;
    };
    const Case cases[] = {{true, "iges", "a.igs"}, {true, "stp", "a.step"}, {true, "obj", "a.obj"},
                          {false, "igs", "b.iges"}, {false, "step", "b.stp"}, {false, "obj", "b.obj"},
                          {false, "dat", "b.dat"},  {false, "txt", "b.txt"}};
    for (const Case& c : cases) {
        PanelState s = DefaultPanelState();
        s.Act3D = c.solid;
        test::WriteWholeFile(dir.File("run.krvlp"), WithOutput(ParamsFileText(s, "/h"), c.format, c.file));
        const BatchOutcome out = RunParamsFile(dir.File("run.krvlp"), ExportOptions{}, 64, 0, 0);
        EXPECT_TRUE(out.Written) << c.format << ": " << out.Status;
        EXPECT_GT(std::filesystem::file_size(dir.File(c.file)), 100u) << c.format;
    }
}

TEST(BatchExport, RefusesMismatchesAndInvalidFilesAndSaysWhy) {
    test::TempDir dir;
    const std::string solid = ParamsFileText(DefaultPanelState(), "/h");
    PanelState flat = DefaultPanelState();
    flat.Act3D = false;
    const std::string twoD = ParamsFileText(flat, "/h");
    struct Case {
        std::string text;
        const char* status;
    };
    const Case cases[] = {
        {WithOutput(twoD, "stl", "x.stl"), "Format stl needs a 3D or section model"},
        {WithOutput(solid, "dat", "x.dat"), "Format dat needs a 2D model"},
        {WithOutput(solid, "txt", "x.txt"), "Format txt needs a 2D model"},
        {WithOutput(solid, "stl", "x.txt"), "\"x.txt\" does not end in the extension of format stl"},
        {WithOutput(solid, "stl", "x"), "\"x\" does not end in the extension"},
        {WithOutput(solid, "step", "x.igs"), "extension of format step"},
        {WithOutput(solid, "stlx", "x.stlx"), "Unknown format \"stlx\""},
        {WithOutput(solid, "stl", ""), "names no output file"},
        {WithOutput(solid, "stl", dir.File("none/x.stl")), "cannot be created"},
        {std::string(solid).replace(solid.find("x0=0.0575000"), 12, "x0=9"), "\"run.krvlp\" is not valid: x0=9."},
    };
    for (const Case& c : cases) {
        test::WriteWholeFile(dir.File("run.krvlp"), c.text);
        const BatchOutcome out = RunParamsFile(dir.File("run.krvlp"), ExportOptions{}, 64, 400, 300);
        EXPECT_FALSE(out.Written) << c.status;
        EXPECT_EQ(out.Status.rfind("Nothing exported. ", 0), 0u) << out.Status;
        EXPECT_NE(out.Status.find(c.status), std::string::npos) << out.Status;
    }
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Folder())) ++entries;
    EXPECT_EQ(entries, 1);  // only run.krvlp: nothing was written
    EXPECT_NE(RunParamsFile(dir.File("missing.krvlp"), ExportOptions{}, 64, 1, 1).Status.find("x0 (missing)"),
              std::string::npos);
}

}  // namespace
}  // namespace korvel
