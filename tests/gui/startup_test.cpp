// startup_test.cpp — the real program started with a document on a bare X server: no window manager gives its window the focus, and nobody clicks it.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdint>
#include <fstream>
#include <functional>

#include "app/app_test_support.h"
#include "app/core/params_file.h"
#include "app/core/project_file.h"

namespace korvel {
namespace {

// Starts the program on one document and waits up to ten seconds, what a user would wait, for done().
bool OpensWithin10s(const QString& document, const std::function<bool()>& done) {
    QProcess program;
    program.start(QStringLiteral(KORVEL_BINARY), {document});
    bool ok = false;
    for (int i = 0; i < 200 && !(ok = done()); ++i) QTest::qWait(50);
    ok = ok && program.state() == QProcess::Running;  // a batch run leaves the window open
    program.kill();
    program.waitForFinished(5000);
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

bool WindowTitled(const QString& title) {
    QProcess tree;
    tree.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    return tree.waitForFinished(5000) && QString::fromLocal8Bit(tree.readAllStandardOutput()).contains('"' + title + '"');
}

TEST(Startup, DocumentsOnTheCommandLineOpenWithoutTheWindowBeingActivated) {
    testing::EnsureApplication();
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    std::string params = ParamsFileText(DefaultPanelState(), folder);
    params.replace(params.find("file="), std::string::npos, "file=" + folder + "/batch.stl\n");
    std::ofstream(folder + "/run.krvlp", std::ios::binary) << params;
    EXPECT_TRUE(OpensWithin10s(dir.filePath("run.krvlp"), [&] { return WholeStl(folder + "/batch.stl"); }));

    SaveProjectFile(folder + "/model.krvl", DefaultPanelState());
    EXPECT_TRUE(OpensWithin10s(dir.filePath("model.krvl"), [] { return WindowTitled("korvel - model"); }));
}

}  // namespace
}  // namespace korvel
