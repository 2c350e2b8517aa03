// file_commands_test.cpp — the window's files as a new user meets them: save and open a project, run a parameter file, export every format.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>

#include <filesystem>
#include <memory>
#include <regex>

#include "app/app_test_support.h"
#include "app/main_window.h"
#include "app/scroll_bar.h"
#include "export/writer_test_util.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

class Files : public testing::WindowFixture {
protected:
    QString Path(const std::string& name) { return QString::fromStdString(dir.File(name)); }
    void SaveAs(const std::string& name, int entry) { prompter.saveChoices.push_back({Path(name), entry}); w->ActSaveAs->trigger(); }
    static std::uintmax_t Size(const QString& p) {
        std::error_code ec;
        return fs::file_size(p.toStdString(), ec);
    }

    test::TempDir dir;
};

TEST_F(Files, ProjectSavedChangedAndOpenedComesBackWhole) {
    w->SetParamValue(2, nullptr, 44.123);
    w->ActWing->trigger();
    const auto params = w->Params;
    const PanelState saved = w->CapturePanel();
    SaveAs("a.krvl", 1);
    EXPECT_EQ(std::tuple(Size(Path("a.krvl")), w->windowTitle(), w->ProjectSaved), std::tuple(774u, QString("korvel - a"), true));
    // Change things, then open the file again: everything is back, and closing asks nothing.
    w->BarOf(Bar::X0)->SetPosition(1000);
    w->ActWing->trigger();
    prompter.answers = {QMessageBox::No};  // do not save the changes
    prompter.openNames.push_back(Path("a.krvl"));
    w->ActOpen->trigger();
    EXPECT_EQ(std::tuple(w->Params, w->CapturePanel().Positions, w->ActWing->isChecked(), w->ProjectSaved), std::tuple(params, saved.Positions, true, true));
    prompter.asked.clear();
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(prompter.asked.empty());
    // Yes in the save prompt writes the project, then the window may close.
    w->show();
    w->BarOf(Bar::TEA)->SetPosition(5000);
    prompter.answers = {QMessageBox::Yes};
    EXPECT_TRUE(w->close());
    prompter.openNames.push_back(Path("a.krvl"));
    w->ActOpen->trigger();
    EXPECT_EQ(w->BarOf(Bar::TEA)->Position(), 5000);
}

TEST_F(Files, ADamagedProjectOrANamedPipeIsRefusedAndChangesNothing) {
    SaveAs("good.krvl", 1);
    std::string bytes = test::ReadAll(dir.File("good.krvl"));
    test::WriteWholeFile(dir.File("cut.krvl"), bytes.substr(0, 101));
    w->BarOf(Bar::TEA)->SetPosition(5000);
    const PanelState before = w->CapturePanel();
    const QString title = w->windowTitle();
    prompter.answers = {QMessageBox::No};  // leave the changes unsaved
    w->FormDropFiles({dir.File("cut.krvl")});
    ASSERT_FALSE(prompter.asked.empty());
    EXPECT_EQ(prompter.asked.back().icon, QMessageBox::Critical);
    EXPECT_EQ(std::tuple(w->CapturePanel(), w->windowTitle(), w->ProjectSaved), std::tuple(before, title, false));
    // Dropped files: the extension in capitals still opens; only the first of several; a .txt does nothing.
    fs::copy_file(dir.File("good.krvl"), dir.File("UP.KRVL"));
    prompter.answers = {QMessageBox::No};
    w->FormDropFiles({dir.File("UP.KRVL"), dir.File("cut.krvl")});
    EXPECT_EQ(std::pair(w->BarOf(Bar::TEA)->Position(), w->windowTitle()), std::pair(4400, QString("korvel - UP")));
    w->FormDropFiles({dir.File("notes.txt")});
    EXPECT_EQ(w->windowTitle(), "korvel - UP");

    // A named pipe is neither waited on when opened nor replaced when saved over, by Save As or by Save.
    test::FailIfBlocked guard;
    ASSERT_EQ(::mkfifo(dir.File("pipe.krvl").c_str(), 0600), 0);
    prompter.asked.clear();
    w->FormDropFiles({dir.File("pipe.krvl")});
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, "The file \"pipe.krvl\" is not a regular file.");
    w->BarOf(Bar::TEA)->SetPosition(5000);
    prompter.answers = {QMessageBox::Yes};  // replace it
    SaveAs("pipe.krvl", 1);
    EXPECT_EQ(prompter.asked.back().text, "The file \"pipe.krvl\" is not a regular file.");
    EXPECT_EQ(std::pair(w->CurrentFileName, w->ProjectSaved), std::pair(dir.File("UP.KRVL"), false));
    fs::remove(dir.File("UP.KRVL"));
    ASSERT_EQ(::mkfifo(dir.File("UP.KRVL").c_str(), 0600), 0);  // the open project became a pipe
    w->ActSave->trigger();
    EXPECT_EQ(prompter.asked.back().text, "The file \"UP.KRVL\" is not a regular file.");
    EXPECT_FALSE(w->ProjectSaved);
    EXPECT_TRUE(fs::is_fifo(dir.File("pipe.krvl")) && fs::is_fifo(dir.File("UP.KRVL")));
}

TEST_F(Files, ParameterFileRunsItsBatchWithoutTouchingTheWindow) {
    // A factor of exactly 1 is taken and a file written with it runs; one above 1 never reaches the model.
    for (const char* factor : {"1", "1309"}) {
        prompter.dialogs.push_back([factor](QDialog& d) {
            d.findChild<QLineEdit*>("EditULE")->setText(factor);
            return true;
        });
        w->ActTanFactor->trigger();
    }
    EXPECT_EQ(w->Params[40], 1.0);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_TRUE(prompter.asked[0].text.startsWith("Upper Leading Edge: 1309"));
    prompter.asked.clear();
    SaveAs("p.krvl", 2);  // the parameter entry writes the .krvlp name
    ASSERT_TRUE(fs::exists(dir.File("p.krvlp")));
    const std::string written = test::ReadAll(dir.File("p.krvlp"));
    const auto withKey = [&written](const char* key, const std::string& value) {
        return std::regex_replace(written, std::regex(std::string("\\n") + key + "=[^\\n]*"), "\n" + std::string(key) + "=" + value);
    };
    test::WriteWholeFile(dir.File("p.krvlp"), withKey("file", dir.File("batch.stl")));
    const PanelState before = w->CapturePanel();
    const std::string info = w->InfoText;
    const int pos = w->HistoryRing.Pos();
    const QString title = w->windowTitle();
    w->FormDropFiles({dir.File("p.krvlp")});
    EXPECT_EQ(Size(Path("batch.stl")), 84u + 50u * static_cast<std::uintmax_t>(w->Model.TriangleLast + 1));
    EXPECT_TRUE(w->StatusPanel0->text().startsWith("Exported"));
    EXPECT_TRUE(prompter.asked.empty());  // a success keeps to its status line
    PanelState after = w->CapturePanel();
    after.Status = before.Status;
    EXPECT_EQ(std::tuple(after, w->InfoText, w->HistoryRing.Pos(), w->windowTitle()), std::tuple(before, info, pos, title));

    // A run that writes nothing says why, whole, in one error box; the narrow panel's tooltip holds its text.
    test::WriteWholeFile(dir.File("bad.krvlp"), withKey("file", dir.File("missing/folder/out.stl")));
    test::WriteWholeFile(dir.File("x0.krvlp"), withKey("x0", "0.5"));
    // A file that cannot be opened says so with the system's reason; one that lacks a key names the key.
    test::WriteWholeFile(dir.File("nox0.krvlp"), std::regex_replace(written, std::regex("\nx0=[^\n]*"), ""));
    fs::create_directory(dir.File("folder.krvlp"));
    for (auto [name, reason] : {std::pair{"bad.krvlp", "out.stl\" cannot be created ("}, {"x0.krvlp", "is not valid: x0=0.5."},
                                {"none.krvlp", "\"none.krvlp\" cannot be opened (No such file or directory)."},
                                {"folder.krvlp", "\"folder.krvlp\" cannot be opened (Is a directory)."},
                                {"nox0.krvlp", "is not valid: x0 (missing)."}}) {
        prompter.asked.clear();
        w->FormDropFiles({dir.File(name)});
        ASSERT_EQ(prompter.asked.size(), 1u) << name;
        EXPECT_EQ(prompter.asked[0].icon, QMessageBox::Critical);
        EXPECT_TRUE(prompter.asked[0].text.contains(reason)) << prompter.asked[0].text.toStdString();
        EXPECT_EQ(std::pair(w->StatusPanel0->text(), w->StatusPanel0->toolTip()),
                  std::pair(prompter.asked[0].text, prompter.asked[0].text));
    }
    EXPECT_FALSE(fs::exists(dir.File("missing")));

    // A target that is a named pipe, named by a parameter file or chosen in Save As, is refused at once.
    test::FailIfBlocked guard;
    ASSERT_EQ(::mkfifo(dir.File("out.stl").c_str(), 0600), 0);
    test::WriteWholeFile(dir.File("pipe.krvlp"), withKey("file", "out.stl"));
    prompter.asked.clear();
    w->FormDropFiles({dir.File("pipe.krvlp")});
    prompter.answers = {QMessageBox::Yes};  // replace it
    SaveAs("out.stl", 6);
    ASSERT_EQ(prompter.asked.size(), 3u);
    for (const std::size_t i : {0u, 2u})
        EXPECT_TRUE(prompter.asked[i].text.endsWith("out.stl\" is not a regular file.")) << prompter.asked[i].text.toStdString();
    EXPECT_TRUE(fs::is_fifo(dir.File("out.stl")));
}

TEST_F(Files, EveryExportOpensInItsReader) {
    prompter.dialogs.push_back([](QDialog&) { return false; });  // IGES options cancelled: nothing written
    SaveAs("c.igs", 3);
    EXPECT_FALSE(fs::exists(dir.File("c.igs")));
    prompter.dialogs.push_back([](QDialog& d) {
        d.findChild<QComboBox*>()->setCurrentIndex(5);  // mils, kept for the rest of the run
        return true;
    });
    SaveAs("m.igs", 3);
    EXPECT_EQ(w->Options.Iges.IgesUnitName, "MIL");
    SaveAs("m.stp", 4);
    SaveAs("m.obj", 5);
    SaveAs("m", 6);  // a bare name takes the entry's extension
    EXPECT_EQ(w->windowTitle(), "korvel - m");
    for (const char* f : {"m.igs", "m.stp", "m.obj", "m.stl"}) EXPECT_TRUE(fs::exists(dir.File(f))) << f;
    if (test::ToolOnPath("admesh")) {
        const auto [status, out] = test::RunCommand("admesh '" + dir.File("m.stl") + "'");
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(std::regex_search(out, std::regex("Backwards edges +: +0\\n"))) << out;
    }
    if (!test::OcctDir().empty()) {
        for (const char* f : {"m.igs", "m.stp"}) EXPECT_TRUE(test::OcctReadsValidShape(dir.File(f))) << f;
    }
    // Replacing asks once; No writes nothing.
    const auto stamp = fs::last_write_time(dir.File("m.stp"));
    prompter.answers = {QMessageBox::No};
    SaveAs("m.stp", 4);
    EXPECT_EQ(prompter.asked.back().text, "m.stp already exists.\nDo you want to replace it?");
    EXPECT_EQ(fs::last_write_time(dir.File("m.stp")), stamp);

    // 2D: the point files; STL is refused with a message and no file.
    w->Act3D->trigger();
    EXPECT_EQ(prompter.saveFilters.back().size(), 6);
    SaveAs("s.stl", 6);
    EXPECT_EQ(prompter.saveFilters.back().size(), 8);
    EXPECT_EQ(prompter.asked.back().text, "Please activate first 3D mode.");
    EXPECT_FALSE(fs::exists(dir.File("s.stl")));
    SaveAs("s.krvl", 7);
    SaveAs("s.txt", 8);
    SaveAs("s.stp", 4);
    EXPECT_TRUE(fs::exists(dir.File("s.dat")) && fs::exists(dir.File("s.txt")) && fs::exists(dir.File("s.stp")));
    if (!test::OcctDir().empty()) {
        EXPECT_TRUE(test::OcctReadsValidShape(dir.File("s.stp")));
    }
    EXPECT_FALSE(w->ProjectSaved);  // exports never mark the project saved
}

TEST_F(Files, ACommandLineOrDroppedPathOpensWithItsBytes) {
    SaveAs("cli.krvl", 1);
    w->ProjectSaved = true;
    // A name whose bytes are not UTF-8 is opened, and saved again, as the system gave it.
    const std::string latin1 = dir.File("lat\xe9in");
    fs::create_directory(latin1);
    fs::copy_file(dir.File("cli.krvl"), latin1 + "/p.krvl");
    for (const std::string& path : {dir.File("cli.krvl"), latin1 + "/p.krvl"}) {
        w.reset();
        w = std::make_unique<TForm1>(prompter, std::vector<std::string>{path});
        w->show();
        QApplication::processEvents();
        EXPECT_EQ(std::pair(w->windowTitle(), w->CurrentFileName),
                  std::pair(QFileInfo(QString::fromStdString(path)).completeBaseName().prepend("korvel - "), path));
    }
    EXPECT_TRUE(prompter.asked.empty());
    w->BarOf(Bar::TEA)->SetPosition(5000);
    w->ActSave->trigger();
    EXPECT_TRUE(w->ProjectSaved);
    EXPECT_NE(test::ReadAll(latin1 + "/p.krvl"), test::ReadAll(dir.File("cli.krvl")));
    // A drop hands the paths over as URLs, percent-encoded: the bytes are kept there too. As on a real
    // screen, the drag enters the window before it drops.
    for (const std::string& path : {dir.File("cli.krvl"), latin1 + "/p.krvl"}) {
        QMimeData mime;
        mime.setUrls({QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &drop);
        EXPECT_EQ(std::pair(w->windowTitle(), w->CurrentFileName),
                  std::pair(QFileInfo(QString::fromStdString(path)).completeBaseName().prepend("korvel - "), path));
    }
    EXPECT_TRUE(prompter.asked.empty());
}

}  // namespace
}  // namespace korvel
