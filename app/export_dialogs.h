// export_dialogs.h — the IGES header options and the airfoil export options dialogs over the export option values.
#pragma once

#include <QDialog>

#include "app/dialog_parts.h"
#include "export/export_options.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvel {

// "IGES Export Options": author, organization, minimum resolution and units, stored into options on OK.
class TForm4 final : public ShownDialog {
    Q_OBJECT
public:
    TForm4(IgesOptions& options, QWidget* parent);

    void FormShow() override;
    void EditResolutionChange();
    void ButtonOKClick();

    QLineEdit* EditAuthor;
    QLineEdit* EditOrganization;
    QLineEdit* EditResolution;
    QComboBox* ComboBoxUnits;
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;

private:
    IgesOptions& options_;
};

// "Airfoil Export Options": the chord length and plane of exported section curves, stored into options on OK.
class TForm5 final : public ShownDialog {
    Q_OBJECT
public:
    TForm5(AirfoilOptions& options, QWidget* parent);

    void FormShow() override;
    void EditChordLengthChange();
    void ButtonOKClick();

    QLineEdit* EditChordLength;
    QRadioButton* RadioButtonXYPlane;
    QRadioButton* RadioButtonXZPlane;
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;

private:
    AirfoilOptions& options_;
};

}  // namespace korvel
