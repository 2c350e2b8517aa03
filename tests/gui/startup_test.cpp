// startup_test.cpp — the real program started with a document on a bare X server: no window manager gives its window the focus, and nobody clicks it.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/app_test_support.h"
#include "app/core/params_file.h"
#include "app/core/project_file.h"

namespace korvel {
namespace {

// The number of the real program's windows titled exactly so (a message box has the bare product name
// too), or of all its windows; the windows of this test program have another class.
int WindowsTitled(const QString& title = {}) {
    QProcess tree;
    tree.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    if (!tree.waitForFinished(5000)) return -1;
    const QString name = title.isEmpty() ? QString() : '"' + title + '"';
    return static_cast<int>(QString::fromLocal8Bit(tree.readAllStandardOutput()).count(name + ": (\"korvel\" "));
}

// Starts the program on one document, given as bytes (QProcess would pass the name as UTF-8), and waits up
// to ten seconds, what a user would wait, for done(); then ends it and waits for its windows to go.
bool OpensWithin10s(const std::string& document, const std::function<bool()>& done) {
    std::string program = KORVEL_BINARY, argument = document;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t child = -1;
    if (::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
    bool ok = false;
    for (int i = 0; i < 200 && !(ok = done()); ++i) QTest::qWait(50);
    int status = 0;
    ok = ok && ::waitpid(child, &status, WNOHANG) == 0;  // still running: a batch run leaves the window open
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    for (int i = 0; i < 100 && WindowsTitled() > 0; ++i) QTest::qWait(50);
    return ok;
}

// A binary STL that is whole: its size is what its triangle count says.
bool WholeStl(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::uint32_t count = 0;
    f.seekg(80).read(reinterpret_cast<char*>(&count), sizeof count);
    f.seekg(0, std::ios::end);
    return f && count > 0 && static_cast<std::uint64_t>(f.tellg()) == 84 + 50 * std::uint64_t{count};
}

TEST(Startup, DocumentsOnTheCommandLineOpenWithoutTheWindowBeingActivated) {
    testing::EnsureApplication();
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    std::string params = ParamsFileText(DefaultPanelState(), folder);
    params.replace(params.find("file="), std::string::npos, "file=" + folder + "/batch.stl\n");
    std::ofstream(folder + "/run.krvlp", std::ios::binary) << params;
    EXPECT_TRUE(OpensWithin10s(folder + "/run.krvlp", [&] { return WholeStl(folder + "/batch.stl"); }));

    SaveProjectFile(folder + "/model.krvl", DefaultPanelState());
    EXPECT_TRUE(OpensWithin10s(folder + "/model.krvl", [] { return WindowsTitled("korvel - model") == 1; }));
    // A name whose bytes are not UTF-8, as a file manager passes it.
    ASSERT_EQ(::mkdir((folder + "/lat\xe9in").c_str(), 0700), 0);
    SaveProjectFile(folder + "/lat\xe9in/raw.krvl", DefaultPanelState());
    EXPECT_TRUE(OpensWithin10s(folder + "/lat\xe9in/raw.krvl", [] { return WindowsTitled("korvel - raw") == 1; }));
    std::filesystem::remove_all(folder + "/lat\xe9in");  // QTemporaryDir cannot name it to remove it

    // A named pipe as the project, or as the target a parameter file names: the window and one error box.
    ASSERT_EQ(::mkfifo((folder + "/pipe.krvl").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((folder + "/pipe.stl").c_str(), 0600), 0);
    params.replace(params.find("file="), std::string::npos, "file=pipe.stl\n");
    std::ofstream(folder + "/pipe.krvlp", std::ios::binary) << params;
    for (const char* document : {"/pipe.krvl", "/pipe.krvlp"})
        EXPECT_TRUE(OpensWithin10s(folder + document, [] { return WindowsTitled("korvel") == 2; })) << document;
}

}  // namespace
}  // namespace korvel
