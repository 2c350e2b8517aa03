// dialog_parts.h — the pieces the small dialogs share: named controls, the OK/Cancel row and numeric edits.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <QWidget>

class QFormLayout;
class QPushButton;
class QShowEvent;

namespace korvel {

// A dialog whose FormShow runs each time it is shown (not when it merely comes back from being minimized),
// so every showing starts from the current values.
class ShownDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;
    virtual void FormShow() = 0;

protected:
    void showEvent(QShowEvent* event) override;
};

// A control with its object name set, so tests and scripts find it by the name the code uses.
template <class T>
T* Named(const char* name, QWidget* parent) {
    T* control = new T(parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

// The digits and one decimal separator (shown as '.') of a text; with allowMinus a leading '-' stays too.
QString FilterNumber(const QString& text, bool allowMinus = false);

// Filters the edit's text in place, keeping the caret on the same typed character.
void ApplyNumberFilter(QLineEdit* edit, bool allowMinus = false);

// True when the text reads as a number; an empty text or the separator alone does not.
bool ReadNumber(const QString& text, double& value);

// A labelled edit as the form's next row, named as the code calls it.
QLineEdit* AddEdit(QFormLayout* form, const char* label, const char* name);

// Lays the dialog out: the form on top, then a right-aligned row of "OK" (the default button, whose
// handler the dialog connects and which closes the dialog itself) and "Cancel" (rejects).
void LayOut(QDialog* dialog, QFormLayout* form, QPushButton*& ok, QPushButton*& cancel);

}  // namespace korvel
