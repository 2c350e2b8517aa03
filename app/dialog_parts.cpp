// dialog_parts.cpp — shared building blocks of the dialogs: the show hook, caret-keeping number filter, button row.
#include "dialog_parts.h"

#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "engine/text_helpers.h"

namespace korvel {

void ShownDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

QString FilterNumber(const QString& text, bool allowMinus) {
    const QString digits = QString::fromStdString(FilterNumericText(text.toStdString()));
    if (allowMinus && text.startsWith(QLatin1Char('-'))) return QLatin1Char('-') + digits;
    return digits;
}

void ApplyNumberFilter(QLineEdit* edit, bool allowMinus) {
    const QString text = edit->text();
    const QString filtered = FilterNumber(text, allowMinus);
    if (filtered == text) return;
    // The filter works left to right, so the filtered head is the head of the filtered text.
    const qsizetype caret = FilterNumber(text.left(edit->cursorPosition()), allowMinus).size();
    edit->setText(filtered);
    edit->setCursorPosition(static_cast<int>(caret));
}

bool ReadNumber(const QString& text, double& value) {
    if (text.isEmpty()) return false;
    return TryTextToFloat(text.toStdString(), value);
}

QLineEdit* AddEdit(QFormLayout* form, const char* label, const char* name) {
    QLineEdit* edit = Named<QLineEdit>(name, nullptr);
    form->addRow(QString::fromLatin1(label), edit);
    return edit;
}

void LayOut(QDialog* dialog, QFormLayout* form, QPushButton*& ok, QPushButton*& cancel) {
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(form);  // the form's controls join the dialog here, so they come first in the tab order
    layout->addStretch(1);
    ok = Named<QPushButton>("ButtonOK", dialog);
    ok->setText(QStringLiteral("OK"));
    ok->setDefault(true);
    cancel = Named<QPushButton>("ButtonCancel", dialog);
    cancel->setText(QStringLiteral("Cancel"));
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
}

}  // namespace korvel
