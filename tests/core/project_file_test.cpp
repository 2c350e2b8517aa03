// project_file_test.cpp — the project file: exact bytes, bit-exact round trips, damaged and hostile files, the atomic save.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <csignal>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>

#include "app/core/params_file.h"
#include "app/core/project_file.h"
#include "core_test_support.h"
#include "export/writer_test_util.h"

namespace korvel {
namespace {

// What the file does not carry is copied from the window the state is loaded into.
PanelState WithUnstored(PanelState s, const PanelState& w) {
    std::tie(s.ActMaximize, s.ActWireFrame, s.ActAxes, s.ActBars, s.ActTunnel, s.Set2Shown, s.Status) =
        std::tie(w.ActMaximize, w.ActWireFrame, w.ActAxes, w.ActBars, w.ActTunnel, w.Set2Shown, w.Status);
    return s;
}

// A state unlike the default in every stored value: Params typed off the slider grid (5 half a step past
// the end, as a typed value may be), sizes, options and maxima set.
PanelState ChangedState(bool solid) {
    PanelState s = test::AtEnds(2);
    std::tie(s.Params[2], s.Params[5], s.Params[4], s.Params[41]) = std::tuple(44.123, 0.45000006, -3.25, 1.75);
    std::tie(s.Act3D, s.ActCutSec, s.ActWing, s.ActMirror, s.ActCut) = std::tuple(solid, false, true, true, true);
    std::tie(s.Span, s.LengthX, s.WidthY, s.HeightZ, s.KeepProportions) = std::tuple(SpanJouk, 2.5, 1.25, 0.125, false);
    std::tie(s.AirfoilChordLength, s.AirfoilXZPlane, s.MaxNPX, s.MaxMPX) = std::tuple(123.456, true, solid ? 2000 : 5000, 1000);
    std::tie(s.Pos(Bar::NPX), s.Pos(Bar::MPX), s.Pos(Bar::Cut)) = std::tuple(solid ? 1999 : 3000, 999, 4);
    return s;
}

// The record table of the default state: ids 1..55 but 9 and 35, then 100..143, 774 bytes in all, as the
// committed fuzz seed holds them.
TEST(ProjectFile, DefaultStateWritesTheRecordTableOfTheCommittedSeed) {
    std::vector<uint16_t> ids, expected;
    for (const ProjectRecord& r : ProjectRecordsOf(DefaultPanelState())) ids.push_back(r.Id);
    for (uint16_t id = 1; id <= 143; ++id)
        if (id <= 55 ? id != 9 && id != 35 : id >= 100) expected.push_back(id);
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(EncodeProject(ProjectRecordsOf(DefaultPanelState())), test::Seed("project/default.krvl"));
}

TEST(ProjectFile, SaveChangeLoadRestoresEveryValueBitForBit) {
    test::TempDir dir;
    struct Case { PanelState saved, window; };  // window: the state the file is loaded into
    PanelState wingWindow = DefaultPanelState();
    std::tie(wingWindow.ActWing, wingWindow.ActCutSec, wingWindow.ActTunnel) = std::tuple(true, true, true);
    const Case cases[] = {{DefaultPanelState(), ChangedState(true)}, {ChangedState(true), DefaultPanelState()},
                          {ChangedState(false), wingWindow}};  // 2D: BarNPX 3000 under the maximum 5000
    for (const Case& c : cases) {
        SaveProjectFile(dir.File("a.krvl"), c.saved);
        PanelState loaded = c.window;
        const ProjectApplyResult r = ApplyProjectRecords(ReadProjectFile(dir.File("a.krvl"), c.window), loaded);
        EXPECT_TRUE(loaded == WithUnstored(c.saved, c.window));
        EXPECT_EQ(std::memcmp(loaded.Params.data(), c.saved.Params.data(), sizeof loaded.Params), 0);  // bit for bit
        EXPECT_EQ(r.MaxSubdivisions3D, c.saved.Solid() ? std::optional(c.saved.MaxNPX) : std::nullopt);
        EXPECT_EQ(r.MaxPanels2D, c.saved.Solid() ? std::nullopt : std::optional(c.saved.MaxNPX));
    }
    PanelState body = DefaultPanelState();
    body.Pos(Bar::Cut) = 4;  // a body in cut mode 4 keeps it when loaded into a window that shows a wing
    ApplyProjectRecords(ProjectRecordsOf(body), wingWindow);
    EXPECT_EQ(std::pair(wingWindow.Pos(Bar::Cut), wingWindow.ActWing), std::pair(4, false));
}

TEST(ProjectFile, UnknownIdsAreSkippedByTheirSizeAndAnEmptyFileOnlyResetsTheSizes) {
    const PanelState saved = ChangedState(true);
    const std::string plain = EncodeProject(ProjectRecordsOf(saved));
    for (const ProjectRecord extra : {ProjectRecord{60, 123456, 0.0}, ProjectRecord{200, 0, 1e300},
                                      ProjectRecord{0, -1, 0.0}, ProjectRecord{9, 7, 0.0}}) {
        const std::string bytes = plain.substr(0, 60) + EncodeProject({extra}) + plain.substr(60);
        ASSERT_EQ(bytes.size(), plain.size() + ProjectRecordSize(extra.Id));
        const std::vector<ProjectRecord> records = DecodeProject(bytes, "x.krvl");
        EXPECT_EQ(CheckProjectRecords(records, DefaultPanelState()), "");
        PanelState loaded = DefaultPanelState();
        ApplyProjectRecords(records, loaded);
        EXPECT_TRUE(loaded == WithUnstored(saved, loaded)) << extra.Id;
    }
    PanelState s = saved, expected = saved;
    ApplyProjectRecords(DecodeProject("", "empty.krvl"), s);
    std::tie(expected.LengthX, expected.WidthY, expected.HeightZ, expected.KeepProportions) = std::tuple(-1.0, -1.0, -1.0, true);
    EXPECT_TRUE(s == expected);
}

TEST(ProjectFile, AFileCutInsideARecordOrUnreadableIsRefusedWithItsName) {
    const std::string bytes = EncodeProject(ProjectRecordsOf(DefaultPanelState()));
    std::size_t recordEnds = 0;
    for (std::size_t cut = 1; cut < bytes.size(); ++cut) {
        try {
            DecodeProject(std::string_view(bytes).substr(0, cut), "/some/folder/cut.krvl");
            ++recordEnds;  // a cut on a record boundary is a complete, shorter file
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find("\"cut.krvl\" is damaged"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(recordEnds, 96u);
    test::TempDir dir;
    EXPECT_THROW(DecodeProject(std::string(kMaxReadFileSize + 1, '\0'), "big.krvl"), FileError);
    EXPECT_THROW(ReadProjectFile(dir.File("missing.krvl"), DefaultPanelState()), FileError);
    EXPECT_THROW(ReadProjectFile(dir.Folder().string(), DefaultPanelState()), FileError);
    // A named pipe with no writer, directly or through a link, is refused at once instead of waited on.
    ASSERT_EQ(::mkfifo(dir.File("pipe.krvl").c_str(), 0600), 0);
    std::filesystem::create_symlink("pipe.krvl", dir.File("to-pipe.krvl"));
    test::FailIfBlocked guard;
    for (const char* name : {"pipe.krvl", "to-pipe.krvl"}) {
        try {
            ReadProjectFile(dir.File(name), DefaultPanelState());
            ADD_FAILURE() << name << " was read";
        } catch (const FileError& e) {
            EXPECT_EQ(std::string(e.what()), "The file \"" + std::string(name) + "\" is not a regular file.");
        }
    }
}

TEST(ProjectFile, HostileValuesAreRefusedAndEveryValueTheSystemWritesLoads) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    struct Case { ProjectRecord record; bool solidWindow; const char* refusal; };  // refusal nullptr: loads
    const Case cases[] = {
        {{49, 0, 0}, true, "maximum of the subdivisions is 0"}, {{49, 2147483647, 0}, true, "is 2147483647"},
        {{49, 2001, 0}, true, "outside 9 to 2000"}, {{49, 9, 0}, true, nullptr},
        {{49, 10001, 0}, false, "outside 9 to 10000"}, {{49, 10000, 0}, false, nullptr},
        {{50, 0, 0}, true, "maximum of the rows is 0"}, {{50, 2001, 0}, false, "maximum of the rows is 2001"},
        {{102, 0, nan}, true, "parameter 2 (BarTEA) is nan"}, {{104, 0, -inf}, true, "parameter 4 is -inf"},
        {{105, 0, 1e300}, true, "outside the slider's range 0.0001 to 0.45"},
        {{102, 0, 180.006}, true, "parameter 2 (BarTEA) is 180.006"}, {{102, 0, 180.004}, true, nullptr},
        {{140, 0, -0.01}, true, "tangent factor"}, {{143, 0, 12.5}, true, nullptr},
        {{153, 0, nan}, true, nullptr},  // not a slot: skipped
        {{53, 0, nan}, true, "chord length is nan"}, {{53, 0, -1}, true, "chord length is -1"},
        {{53, 0, 0}, true, nullptr}, {{45, 0, nan}, true, nullptr},  // a size not above 0 means natural size
    };
    for (const Case& c : cases) {
        PanelState window = DefaultPanelState();
        window.Act3D = c.solidWindow;
        std::vector<ProjectRecord> records;  // without the mode records 38 and 39: the window's mode bounds 49
        for (const ProjectRecord& r : ProjectRecordsOf(window))
            if (r.Id != 38 && r.Id != 39) records.push_back(r);
        records.push_back(c.record);
        const std::string why = CheckProjectRecords(records, window);
        EXPECT_TRUE(c.refusal ? why.find(c.refusal) != std::string::npos : why.empty()) << c.record.Id << ": " << why;
    }
    // Records 38 and 39 earlier in the file set the mode that bounds record 49.
    PanelState twoD = ChangedState(false), solid = ChangedState(true), twoDWindow = DefaultPanelState();
    std::tie(twoD.MaxNPX, solid.MaxNPX, twoDWindow.Act3D) = std::tuple(10000, 10000, false);
    EXPECT_EQ(CheckProjectRecords(ProjectRecordsOf(twoD), DefaultPanelState()), "");
    EXPECT_NE(CheckProjectRecords(ProjectRecordsOf(solid), twoDWindow), "");
    // Sizes that are not finite and above 0 load as natural size.
    PanelState sized = DefaultPanelState();
    ApplyProjectRecords({{45, 0, inf}, {46, 0, 0.0}, {47, 0, 3.0}}, sized);
    EXPECT_EQ(std::tuple(sized.LengthX, sized.WidthY, sized.HeightZ), std::tuple(-1.0, -1.0, 3.0));
    // Every slider at either end, the typed values half a step beyond, loads.
    for (const PanelState& s : {test::AtEnds(0, -0.49), test::AtEnds(1, 0.49)})
        EXPECT_EQ(CheckProjectRecords(ProjectRecordsOf(s), s), "");
    // Hostile positions are clamped and do not leak into Params.
    PanelState s = DefaultPanelState();
    ApplyProjectRecords({{1, 2147483647, 0}, {6, -5, 0}, {51, 99999, 0}, {22, 9, 0}, {41, 7, 0}}, s);
    EXPECT_EQ(std::tuple(s.Pos(Bar::X0), s.Params[5], s.Pos(Bar::TEA), s.Params[2]), std::tuple(4500, 0.45, 0, 0.0));
    EXPECT_EQ(std::tuple(s.Pos(Bar::NPX), s.Pos(Bar::Cut), s.Span), std::tuple(s.MaxNPX, 4, int32_t{SpanLinear}));
}

// Runs f in a child process, as an unprivileged user when the test runs as root (root may write any file),
// and returns what f returned; nullopt when no unprivileged user can be had.
std::optional<std::string> AsUnprivilegedUser(const std::function<std::string()>& f) {
    int out[2];
    if (::pipe(out) != 0) return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        const uid_t nobody = 65534;
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
                                 ::setresuid(nobody, nobody, nobody) != 0))
            ::_exit(2);
        const std::string text = f();
        (void)!::write(out[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(out[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}

// What a save reports: empty on success, else the error's text.
std::string SaveError(const std::string& path) {
    try {
        SaveProjectFile(path, DefaultPanelState());
        return {};
    } catch (const FileError& e) {
        return e.what();
    }
}

TEST(AtomicWrite, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    test::TempDir dir;
    const std::string path = dir.File("keep.krvl");
    WriteFileAtomically(path, "old contents");
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    WriteFileAtomically(path, "new contents");
    EXPECT_EQ(test::ReadAll(path), "new contents");
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
    // A file size limit makes the write itself fail, whoever runs the test.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(SaveProjectFile(path, DefaultPanelState()), FileError);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(test::ReadAll(path), "new contents");
    std::filesystem::create_directory(dir.File("sub"));  // a folder where the file should be
    EXPECT_THROW(WriteFileAtomically(dir.File("sub"), "x"), FileError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Folder()), {}), 2);  // no temporary left
}

TEST(AtomicWrite, SpecialFilesLinksLongNamesAndProtectedFiles) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    const auto F = [&dir](const std::string& name) { return dir.File(name); };
    const std::string project = EncodeProject(ProjectRecordsOf(DefaultPanelState()));
    // A pipe, and a link to one standing in for a device, are refused and stay what they were.
    ASSERT_EQ(::mkfifo(F("pipe.krvl").c_str(), 0600), 0);
    fs::create_symlink("pipe.krvl", F("sink.krvl"));
    {
        test::FailIfBlocked guard;
        EXPECT_EQ(SaveError(F("pipe.krvl")), "The file \"pipe.krvl\" is not a regular file.");
        EXPECT_EQ(SaveError(F("sink.krvl")), "The file \"sink.krvl\" is not a regular file.");
    }
    EXPECT_TRUE(fs::is_fifo(F("pipe.krvl")) && fs::is_symlink(F("sink.krvl")));
    // A link whose file does not exist yet gets its file, through a chain of links too; the links stay.
    fs::create_directory(F("real"));
    fs::create_symlink("real/new.krvl", F("dangling.krvl"));
    fs::create_symlink("dangling.krvl", F("chain.krvl"));
    EXPECT_EQ(SaveError(F("chain.krvl")), "");
    EXPECT_TRUE(fs::is_symlink(F("chain.krvl")) && fs::is_symlink(F("dangling.krvl")));
    EXPECT_TRUE(test::ReadAll(F("real/new.krvl")) == project);
    // A loop is refused with the system's reason.
    fs::create_symlink("loop-b.krvl", F("loop-a.krvl"));
    fs::create_symlink("loop-a.krvl", F("loop-b.krvl"));
    EXPECT_NE(SaveError(F("loop-a.krvl")).find("(Too many levels of symbolic links)"), std::string::npos);
    EXPECT_TRUE(fs::is_symlink(F("loop-a.krvl")) && fs::is_symlink(F("loop-b.krvl")));
    // Every legal name can be saved, new or replaced, up to the 255 bytes a name may have.
    for (const std::size_t length : {245u, 255u}) {
        const std::string name = std::string(length - 5, 'n') + ".krvl";
        EXPECT_EQ(SaveError(F(name)), "") << length;
        EXPECT_EQ(SaveError(F(name)), "") << length;
        EXPECT_TRUE(test::ReadAll(F(name)) == project);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Folder()), {}), 9);  // no temporary left

    // As a user who may not write the file: refused and left as it was. A file the user may write, in a
    // folder that takes no new files, is written in place.
    fs::create_directory(F("open"));
    fs::create_directory(F("closed"));
    test::WriteWholeFile(F("open/ro.krvl"), "old");
    test::WriteWholeFile(F("closed/rw.krvl"), "old");
    fs::permissions(dir.Folder(), fs::perms(0755));
    fs::permissions(F("open"), fs::perms(0777));
    fs::permissions(F("open/ro.krvl"), fs::perms(0444));
    fs::permissions(F("closed"), fs::perms(0555));
    fs::permissions(F("closed/rw.krvl"), fs::perms(0666));
    const auto reported = AsUnprivilegedUser([&] { return SaveError(F("open/ro.krvl")) + "|" + SaveError(F("closed/rw.krvl")); });
    fs::permissions(F("closed"), fs::perms(0755));  // so the folder can be removed by whoever runs the test
    if (!reported) GTEST_SKIP() << "no unprivileged user to run the protected-file cases as";
    EXPECT_EQ(*reported, "The file \"ro.krvl\" could not be saved (Permission denied). An existing file of that name was "
                         "left as it was.|");
    EXPECT_EQ(test::ReadAll(F("open/ro.krvl")), "old");
    EXPECT_TRUE(test::ReadAll(F("closed/rw.krvl")) == project);  // in place
    EXPECT_EQ(fs::status(F("open/ro.krvl")).permissions(), fs::perms(0444));
}

}  // namespace
}  // namespace korvel
