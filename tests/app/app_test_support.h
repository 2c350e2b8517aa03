// app_test_support.h — what the window tests share: one application object, screenshots, and a prompter that plays a script.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/prompter.h"

namespace korvel::testing {

// One application object for the whole test program, on the platform the environment names (offscreen
// when none is named), made before any test paints text or creates a widget.
inline void EnsureApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "korvel-test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's input-device statics are gone at exit, and deleting the application after a test
    // sent key or mouse events crashes there.
    new QApplication(argc, argv);
}

// Saves a picture under the build's screenshot folder, named after the test, for a person to look at.
inline void SaveScreenshot(const QImage& image, const std::string& name) {
#ifdef KORVEL_SCREENSHOT_DIR
    const QString dir = QStringLiteral(KORVEL_SCREENSHOT_DIR);
#else
    const QString dir = QStringLiteral("screenshots");
#endif
    QDir().mkpath(dir);
    image.save(dir + QLatin1Char('/') + QString::fromStdString(name) + QStringLiteral(".png"));
}

// Answers the window's questions from a script and records what it was asked. An unscripted message box
// answers with its default button; an unscripted dialog is cancelled; unscripted panels are cancelled.
// A dialog script returning true presses the dialog's button named "ButtonOK".
class ScriptedPrompter final : public Prompter {
public:
    struct Asked {
        QMessageBox::Icon icon;
        QString text;
    };
    std::vector<Asked> asked;
    std::deque<QMessageBox::StandardButton> answers;
    // Each runs on a shown dialog and returns whether to press OK.
    std::deque<std::function<bool(QDialog&)>> dialogs;
    std::deque<QString> openNames;       // an empty name cancels the panel
    std::deque<SaveChoice> saveChoices;  // entry 0 cancels the panel
    std::vector<QStringList> saveFilters;

    QMessageBox::StandardButton Message(QWidget*, QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons, QMessageBox::StandardButton dflt) override {
        asked.push_back({icon, text});
        if (answers.empty()) return dflt;
        const auto a = answers.front();
        answers.pop_front();
        return a;
    }
    int Exec(QDialog& dialog) override {
        dialog.setResult(QDialog::Rejected);  // as a real exec() starts
        dialog.show();
        bool ok = false;
        if (!dialogs.empty()) {
            ok = dialogs.front()(dialog);
            dialogs.pop_front();
        }
        if (dialog.isVisible()) {
            // OK goes through the dialog's own OK button, so its OK handler runs as for a click.
            auto* button = dialog.findChild<QAbstractButton*>(QStringLiteral("ButtonOK"));
            if (ok && button != nullptr)
                button->click();
            else if (ok)
                dialog.accept();
        }
        if (dialog.isVisible()) dialog.reject();  // not closed by OK (or OK refused): the user cancels
        return dialog.result();
    }
    std::optional<QString> OpenFileName(QWidget*, const QStringList&, const QString&) override {
        if (openNames.empty()) return std::nullopt;
        const QString n = openNames.front();
        openNames.pop_front();
        if (n.isEmpty()) return std::nullopt;
        return n;
    }
    std::optional<SaveChoice> SaveFileName(QWidget*, const QString&, const QString&, const QString&,
                                           const QStringList& filters, const QStringList&) override {
        saveFilters.push_back(filters);
        if (saveChoices.empty()) return std::nullopt;
        const SaveChoice c = saveChoices.front();
        saveChoices.pop_front();
        if (c.entry == 0) return std::nullopt;
        return c;
    }
};

// A shown main window answering from a script; closing at the end asks nothing.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        w = std::make_unique<TForm1>(prompter);
        w->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        w->ProjectSaved = true;
        w.reset();
    }

    ScriptedPrompter prompter;
    std::unique_ptr<TForm1> w;
};

}  // namespace korvel::testing
