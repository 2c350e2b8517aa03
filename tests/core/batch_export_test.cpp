// batch_export_test.cpp — the parameter file's batch run end to end: the window's model in the file, and every refusal.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "app/core/batch_export.h"
#include "app/core/panel_rules.h"
#include "core_test_support.h"
#include "export/stl_writer.h"
#include "export/writer_test_util.h"

namespace korvel {
namespace {

// A written parameter file with another format and target.
std::string WithOutput(const std::string& text, const char* format, const std::string& file) {
    return test::SetKey(test::SetKey(text, "format", format), "file", file.c_str());
}

TEST(BatchExport, WritesTheWindowsModelAsStl) {
    // A modifier set on, at a Lea where its offset depends on the size of its table: the row maximum.
    PanelState s = DefaultPanelState();
    std::tie(s.Pos(Bar::TX), s.Params[10], s.Pos(Bar::LEA), s.Params[3]) = std::tuple(50, 0.05, 9000, 90.0);
    s.MaxMPX = 128;
    test::TempDir dir;
    const std::string params = dir.File("run.krvlp");
    test::WriteWholeFile(params, WithOutput(ParamsFileText(s, "/home/tester"), "stl", "Out.STL"));
    const BatchOutcome out = RunParamsFile(params, ExportOptions{}, s.MaxMPX, 400, 300);
    ASSERT_TRUE(out.Written) << out.Status;
    EXPECT_EQ(out.Status, "Exported Out.STL");
    EXPECT_EQ(out.Target, dir.File("Out.STL"));  // relative to the parameter file's folder

    const ModelState window = test::Build(BuildInputsOf(s, 400, 300));
    EXPECT_EQ(std::filesystem::file_size(dir.File("Out.STL")), 84 + 50 * static_cast<std::size_t>(window.TriangleLast + 1));
    ExportStl(window, dir.File("window.stl"), 0);
    EXPECT_TRUE(test::ReadAll(dir.File("Out.STL")) == test::ReadAll(dir.File("window.stl")));
}

TEST(BatchExport, EveryFormatOfEitherModeWritesItsFileEvenOnATinyCanvas) {
    test::TempDir dir;
    struct Case { bool solid; const char *format, *file; };
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
    struct Case { std::string text; const char* status; };
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
        {test::SetKey(solid, "x0", "9"), "\"run.krvlp\" is not valid: x0=9."},
    };
    for (const Case& c : cases) {
        test::WriteWholeFile(dir.File("run.krvlp"), c.text);
        const BatchOutcome out = RunParamsFile(dir.File("run.krvlp"), ExportOptions{}, 64, 400, 300);
        EXPECT_FALSE(out.Written) << c.status;
        EXPECT_EQ(out.Status.rfind("Nothing exported. ", 0), 0u) << out.Status;
        EXPECT_NE(out.Status.find(c.status), std::string::npos) << out.Status;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Folder()), {}), 1);  // only run.krvlp
    // A named pipe as the target, directly or through a link (as a device would be), is refused without
    // waiting for a reader and stays a pipe.
    std::filesystem::create_directory(dir.File("special"));
    ASSERT_EQ(::mkfifo(dir.File("special/out.stl").c_str(), 0600), 0);
    std::filesystem::create_symlink("out.stl", dir.File("special/link.stl"));
    for (const char* target : {"special/out.stl", "special/link.stl"}) {
        test::WriteWholeFile(dir.File("run.krvlp"), WithOutput(solid, "stl", target));
        test::FailIfBlocked guard;
        const BatchOutcome out = RunParamsFile(dir.File("run.krvlp"), ExportOptions{}, 64, 400, 300);
        EXPECT_EQ(std::pair(out.Written, out.Status),
                  std::pair(false, "Nothing exported. The file \"" + dir.File(target) + "\" is not a regular file."));
    }
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("special/out.stl")));
    EXPECT_EQ(RunParamsFile(dir.File("missing.krvlp"), ExportOptions{}, 64, 1, 1).Status,
              "Nothing exported. The parameter file \"missing.krvlp\" cannot be opened (No such file or directory).");
    ASSERT_EQ(::mkfifo(dir.File("pipe.krvlp").c_str(), 0600), 0);  // no writer: reading would wait for ever
    EXPECT_EQ(RunParamsFile(dir.File("pipe.krvlp"), ExportOptions{}, 64, 1, 1).Status,
              "Nothing exported. The parameter file \"pipe.krvlp\" cannot be opened (not a regular file).");
}

}  // namespace
}  // namespace korvel
