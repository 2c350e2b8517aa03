// dialogs.h — the modeller's small windows: resize, surface tangent factors, the number input box and the About box.
#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <optional>

#include "app/dialog_parts.h"
#include "engine/model.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QResizeEvent;

namespace korvel {

class Prompter;

// "Re-size all dimensions": edits the requested length, width and height of the model, optionally kept in
// the proportions of the size shown when the dialog opened. Created once and shown any number of times.
class TForm3 final : public ShownDialog {
    Q_OBJECT
public:
    TForm3(ModelState& model, QWidget* parent);

    void FormShow() override;
    void EditChange(QLineEdit* edit);
    void ButtonOKClick();

    QCheckBox* CBPropDimensions;
    QLineEdit* EditLengthX;
    QLineEdit* EditWidthY;
    QLineEdit* EditHeigthZ;
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;

    // The model size when the dialog opened: the base of every proportional update.
    double ShownLength = 0.0;
    double ShownWidth = 0.0;
    double ShownHeight = 0.0;

private:
    ModelState& model_;
};

// "Surface Tangent Factors": the four factors handed in and out through TanFactorEdit. OK refuses a factor
// above 1 with a message and stays open.
class TForm6 final : public ShownDialog {
    Q_OBJECT
public:
    TForm6(Prompter& prompter, QWidget* parent);

    void FormShow() override;
    void EditChange(QLineEdit* edit);
    void ButtonOKClick();

    // UpperLeadingEdge, UpperRoundedTrailingEdge, LowerLeadingEdge, LowerRoundedTrailingEdge.
    std::array<double, 4> TanFactorEdit{0.65, 0.65, 0.65, 0.65};

    QLineEdit* EditULE;
    QLineEdit* EditLLE;
    QLineEdit* EditURTE;
    QLineEdit* EditLRTE;
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;

private:
    Prompter& prompter_;
};

// One number typed by the user; used only through NumberInputBox.
class TFormInputBox final : public QDialog {
    Q_OBJECT
public:
    // allowMinus keeps one leading '-' through the edit's filter.
    TFormInputBox(QWidget* parent, bool allowMinus);

    void EditDefaultChange();
    void ButtonOKClick();

    QLabel* LabelPrompt;
    QLineEdit* EditDefault;
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;

private:
    bool allowMinus_;
};

// Asks for a number. The edit starts with defaultText as its filter leaves it; OK returns the edit's text,
// Cancel (or Escape, or closing the box) returns nothing.
std::optional<QString> NumberInputBox(Prompter& prompter, QWidget* parent, const QString& caption,
                                      const QString& prompt, const QString& defaultText, bool allowMinus = false);

// The About box: modeless and released when closed, so several can be open at once.
class TForm2 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent);

    void FormCreate();
    void FormResize();
    void LabelUrlClick();

    QLabel* Image1;
    QLabel* LabelUrl;
    QLabel* LabelVersion;

    // The product's web address, shown and opened by LabelUrl.
    static const char* const ProductUrl;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace korvel
