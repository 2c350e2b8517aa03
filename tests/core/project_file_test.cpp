// project_file_test.cpp — the project file: exact bytes, bit-exact round trips, damaged and hostile files, the atomic save.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/fanotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <bit>
#include <csignal>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <thread>

#include "app/core/batch_export.h"
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

// The modes of the regular files opened in folder while run runs, each as it was at the open (the opener
// waits until it is seen); nullopt where this program may not watch opens.
std::optional<std::vector<mode_t>> ModesOpenedIn(const std::filesystem::path& folder, const std::function<void()>& run) {
    const int watch = ::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY | O_CLOEXEC);
    if (watch < 0) return std::nullopt;
    if (::fanotify_mark(watch, FAN_MARK_ADD, FAN_OPEN_PERM | FAN_EVENT_ON_CHILD, AT_FDCWD, folder.c_str()) != 0) {
        ::close(watch);
        return std::nullopt;
    }
    std::vector<mode_t> modes;
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        alignas(fanotify_event_metadata) char buffer[4096];
        for (pollfd ready{watch, POLLIN, 0}; !done;) {
            ssize_t n = ::poll(&ready, 1, 10) > 0 ? ::read(watch, buffer, sizeof buffer) : 0;
            for (auto* e = reinterpret_cast<fanotify_event_metadata*>(buffer); FAN_EVENT_OK(e, n); e = FAN_EVENT_NEXT(e, n)) {
                struct stat st {};
                if (::fstat(e->fd, &st) == 0 && S_ISREG(st.st_mode)) modes.push_back(st.st_mode & 07777);
                const fanotify_response allow{e->fd, FAN_ALLOW};
                (void)!::write(watch, &allow, sizeof allow);
                ::close(e->fd);
            }
        }
    });
    run();
    done = true;
    watcher.join();
    ::close(watch);
    return modes;
}

std::string Attribute(const std::string& path, const char* name) {
    std::string value(4096, '\0');
    value.resize(static_cast<std::size_t>(std::max<ssize_t>(::getxattr(path.c_str(), name, value.data(), value.size()), 0)));
    return value;
}

// Owner, group and mode of a file.
std::tuple<uid_t, gid_t, mode_t> Owners(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return {st.st_uid, st.st_gid, st.st_mode & 07777};
}

TEST(AtomicWrite, ASaveKeepsOwnerGroupLinksAttributesAndPrivacy) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    const auto F = [&dir](const std::string& name) { return dir.File(name); };
    const std::string project = EncodeProject(ProjectRecordsOf(DefaultPanelState()));
    for (const char* name : {"p.krvl", "acl.krvl", "theirs.krvl", "private.krvl"}) test::WriteWholeFile(F(name), "old");
    std::string skipped;
    fs::create_hard_link(F("p.krvl"), F("q.krvl"));  // a second name sees the new project
    EXPECT_EQ(SaveError(F("p.krvl")), "");
    EXPECT_TRUE(test::ReadAll(F("q.krvl")) == project && fs::hard_link_count(F("p.krvl")) == 2);

    // A user attribute, and an access list (version 2; tag and permissions, id) that lets user 65534 write.
    const std::array<uint32_t, 11> acl = {2, 0x60001, ~0u, 0x60002, 65534, 0x40004, ~0u, 0x60010, ~0u, 0x40020, ~0u};
    if (::setxattr(F("acl.krvl").c_str(), "user.origin", "probe", 5, 0) != 0 ||
        ::setxattr(F("acl.krvl").c_str(), "system.posix_acl_access", acl.data(), sizeof acl, 0) != 0) {
        skipped += " The test's folder takes no user attribute or access list (" + std::string(std::strerror(errno)) + ").";
    } else {
        const auto [list, owners] = std::pair(Attribute(F("acl.krvl"), "system.posix_acl_access"), Owners(F("acl.krvl")));
        EXPECT_EQ(SaveError(F("acl.krvl")), "");
        EXPECT_EQ(std::tuple(Attribute(F("acl.krvl"), "user.origin"), Attribute(F("acl.krvl"), "system.posix_acl_access"), Owners(F("acl.krvl"))),
                  std::tuple("probe", list, owners));
    }

    // Another user's and group's project, saved by root, stays theirs.
    fs::permissions(F("theirs.krvl"), fs::perms(0664));
    if (::geteuid() != 0 || ::chown(F("theirs.krvl").c_str(), 65534, 65534) != 0) {
        skipped += " Only root can give a file to another user.";
    } else {
        EXPECT_EQ(SaveError(F("theirs.krvl")), "");
        EXPECT_EQ(Owners(F("theirs.krvl")), std::tuple(65534u, 65534u, 0664u));
    }

    // A private project is never opened as a wider file on the way, whatever the umask.
    fs::permissions(F("private.krvl"), fs::perms(0600));
    const mode_t umask = ::umask(0);
    std::string saved;
    const auto modes = ModesOpenedIn(dir.Folder(), [&] { saved = SaveError(F("private.krvl")); });
    ::umask(umask);
    if (!modes) {
        skipped += " This program may not watch the opening of files (" + std::string(std::strerror(errno)) + ").";
    } else {
        EXPECT_EQ(std::pair(saved, modes->size()), std::pair(std::string(), std::size_t{2}));  // the old file and the new one
        for (const mode_t mode : *modes) EXPECT_EQ(mode, 0600u) << std::oct << mode;
    }
    for (const char* name : {"acl.krvl", "theirs.krvl", "private.krvl"})
        EXPECT_TRUE(test::ReadAll(F(name)) == project || skipped.find(name) != std::string::npos) << name;
    if (!skipped.empty()) GTEST_SKIP() << skipped;
}

TEST(AtomicWrite, AnotherUsersSaveGoesInPlaceKeepingTheOwnerAndRefusesWhatDoesNotFit) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    const auto F = [&dir](const std::string& name) { return dir.File(name); };
    // A shared folder, a sticky one, and one that takes no new files; in each a file everybody may write.
    for (const auto& [folder, mode] : {std::pair{"shared", 0777}, {"sticky", 01777}, {"closed", 0555}}) {
        fs::create_directory(F(folder));
        test::WriteWholeFile(F(folder + std::string("/p.krvl")), "old contents");
        fs::permissions(F(folder + std::string("/p.krvl")), fs::perms(0666));
        fs::permissions(F(folder), fs::perms(mode));
    }
    fs::permissions(dir.Folder(), fs::perms(0755));
    const auto reported = AsUnprivilegedUser([&] {
        const std::string shared = SaveError(F("shared/p.krvl")) + "|" + SaveError(F("sticky/p.krvl")) + "|";
        // In place, the new content must fit before the old is touched.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small{};
        getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = 100;
        setrlimit(RLIMIT_FSIZE, &small);
        return shared + SaveError(F("closed/p.krvl"));
    });
    fs::permissions(F("closed"), fs::perms(0755));
    if (!reported) GTEST_SKIP() << "no unprivileged user to run the other user's saves as";
    EXPECT_EQ(*reported, "||The file \"p.krvl\" could not be saved (File too large). An existing file of that name was left as it was.");
    for (const char* folder : {"shared", "sticky"}) {
        EXPECT_EQ(Owners(F(folder + std::string("/p.krvl"))), std::tuple(::geteuid(), ::getegid(), 0666u)) << folder;
        EXPECT_TRUE(test::ReadAll(F(folder + std::string("/p.krvl"))) == EncodeProject(ProjectRecordsOf(DefaultPanelState())));
        EXPECT_EQ(std::distance(fs::directory_iterator(F(folder)), {}), 1) << folder;  // no temporary left
    }
    EXPECT_EQ(test::ReadAll(F("closed/p.krvl")), "old contents");
}

// A lease on the file, as a file server holds one, taken on a descriptor of this program's own: an open
// elsewhere asks the holder to let go (SIGIO), and the handler does, as a server would.
int leased = -1;
bool HoldLease(const std::string& path, int type) {
    std::signal(SIGIO, [](int) { ::fcntl(leased, F_SETLEASE, F_UNLCK); });
    leased = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return leased >= 0 && ::fcntl(leased, F_SETLEASE, type) == 0;
}

// True when the holder was asked to let go and did.
bool LetGo() {
    const bool released = ::fcntl(leased, F_GETLEASE) == F_UNLCK;
    ::close(std::exchange(leased, -1));
    return released;
}

TEST(AtomicWrite, LeasesAreWaitedOutBySavesExportsAndReads) {
    test::TempDir dir;
    const auto F = [&dir](const std::string& name) { return dir.File(name); };
    test::WriteWholeFile(F("p.krvl"), "old");
    test::WriteWholeFile(F("out.stl"), "old");
    const std::string params = ParamsFileText(DefaultPanelState(), "/h");
    test::WriteWholeFile(F("run.krvlp"), test::SetKey(test::SetKey(params, "format", "stl"), "file", "out.stl"));
    test::FailIfBlocked guard(30);
    if (!HoldLease(F("p.krvl"), F_RDLCK)) GTEST_SKIP() << "no lease can be had on the test's folder: " << std::strerror(errno);
    EXPECT_EQ(SaveError(F("p.krvl")), "");
    EXPECT_TRUE(LetGo());
    ASSERT_TRUE(HoldLease(F("out.stl"), F_RDLCK));
    EXPECT_TRUE(RunParamsFile(F("run.krvlp"), ExportOptions{}, 64, 0, 0).Written);
    EXPECT_TRUE(LetGo());
    EXPECT_GT(std::filesystem::file_size(F("out.stl")), 84u);
    ASSERT_TRUE(HoldLease(F("p.krvl"), F_WRLCK));
    EXPECT_TRUE(ReadWholeFile(F("p.krvl")) == EncodeProject(ProjectRecordsOf(DefaultPanelState())));
    EXPECT_TRUE(LetGo());
    std::signal(SIGIO, SIG_DFL);
}

}  // namespace
}  // namespace korvel
