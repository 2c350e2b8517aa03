// prompter.cpp — the Qt message boxes, dialog loop and file panels behind the window's prompter.
#include "prompter.h"

#include <QDialog>
#include <QFileDialog>

namespace korvel {

QMessageBox::StandardButton QtPrompter::Message(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, QStringLiteral("korvel"), text, buttons, parent);
    box.setDefaultButton(defaultButton);
    const int answer = box.exec();
    return static_cast<QMessageBox::StandardButton>(answer);
}

int QtPrompter::Exec(QDialog& dialog) { return dialog.exec(); }

std::optional<QString> QtPrompter::OpenFileName(QWidget* parent, const QStringList& filters,
                                                const QString& defaultSuffix) {
    QFileDialog panel(parent);
    panel.setAcceptMode(QFileDialog::AcceptOpen);
    panel.setFileMode(QFileDialog::ExistingFile);
    panel.setNameFilters(filters);
    panel.setDefaultSuffix(defaultSuffix);
    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty()) return std::nullopt;
    return panel.selectedFiles().first();
}

std::optional<SaveChoice> QtPrompter::SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                                                   const QString& proposed, const QStringList& filters,
                                                   const QStringList& suffixes) {
    QFileDialog panel(parent, title, folder);
    panel.setAcceptMode(QFileDialog::AcceptSave);
    panel.setOption(QFileDialog::DontConfirmOverwrite, true);
    panel.setNameFilters(filters);
    if (!suffixes.isEmpty()) panel.setDefaultSuffix(suffixes.first());
    // The suffix appended to a bare name follows the type the user picks.
    QObject::connect(&panel, &QFileDialog::filterSelected, &panel, [&panel, filters, suffixes](const QString& f) {
        const qsizetype i = filters.indexOf(f);
        if (i >= 0 && i < suffixes.size()) panel.setDefaultSuffix(suffixes[i]);
    });
    if (!proposed.isEmpty()) panel.selectFile(proposed);
    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty()) return std::nullopt;
    const int entry = static_cast<int>(filters.indexOf(panel.selectedNameFilter())) + 1;
    return SaveChoice{panel.selectedFiles().first(), entry};
}

}  // namespace korvel
