// prompter.h — the window's modal questions, messages, dialogs and file panels behind one interface, so tests can script them.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <optional>

class QDialog;
class QWidget;

namespace korvel {

// What a save panel returned: the file name as chosen and the 1-based entry of the type list.
struct SaveChoice {
    QString file;
    int entry = 0;
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // A modal message box titled "korvel"; returns the button pressed (the default when closed otherwise).
    virtual QMessageBox::StandardButton Message(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) = 0;
    // Runs a modal dialog to its end: QDialog::Accepted or QDialog::Rejected.
    virtual int Exec(QDialog& dialog) = 0;
    // The open panel; nothing when cancelled.
    virtual std::optional<QString> OpenFileName(QWidget* parent, const QStringList& filters,
                                                const QString& defaultSuffix) = 0;
    // The save panel starting in folder with a proposed name; nothing when cancelled. The panel does not
    // ask about replacing: the caller asks once about the name it will really write.
    virtual std::optional<SaveChoice> SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                                                   const QString& proposed, const QStringList& filters,
                                                   const QStringList& suffixes) = 0;
};

// The real thing: QMessageBox, QDialog::exec and QFileDialog.
class QtPrompter final : public Prompter {
public:
    QMessageBox::StandardButton Message(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    int Exec(QDialog& dialog) override;
    std::optional<QString> OpenFileName(QWidget* parent, const QStringList& filters,
                                        const QString& defaultSuffix) override;
    std::optional<SaveChoice> SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                                           const QString& proposed, const QStringList& filters,
                                           const QStringList& suffixes) override;
};

}  // namespace korvel
