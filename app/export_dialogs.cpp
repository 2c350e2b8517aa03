// export_dialogs.cpp — the IGES and airfoil export option dialogs: show from the options, filter, store on OK.
#include "export_dialogs.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <cmath>

#include "app/dialog_parts.h"
#include "engine/text_helpers.h"

namespace korvel {
namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

// ---- TForm4 ----------------------------------------------------------------------------------------------

TForm4::TForm4(IgesOptions& options, QWidget* parent) : ShownDialog(parent, Qt::Tool), options_(options) {
    setWindowTitle(QStringLiteral("IGES Export Options"));
    auto* form = new QFormLayout;
    EditAuthor = AddEdit(form, "Author:", "EditAuthor");
    EditOrganization = AddEdit(form, "Organization:", "EditOrganization");
    EditResolution = AddEdit(form, "Minimum Resolution:", "EditResolution");
    ComboBoxUnits = Named<QComboBox>("ComboBoxUnits", nullptr);
    form->addRow(QStringLiteral("Units:"), ComboBoxUnits);
    // The IGES global section counts these texts in bytes within fixed 80-column records: printable ASCII only.
    const QRegularExpression printable(QStringLiteral("[\\x20-\\x7E]*"));
    for (QLineEdit* edit : {EditAuthor, EditOrganization}) {
        edit->setMaxLength(70);
        edit->setValidator(new QRegularExpressionValidator(printable, edit));
    }
    EditResolution->setMaxLength(9);
    for (const IgesUnit& unit : IgesUnitsTable) ComboBoxUnits->addItem(QString::fromLatin1(unit.ItemText));
    LayOut(this, form, ButtonOK, ButtonCancel);
    connect(ButtonOK, &QPushButton::clicked, this, &TForm4::ButtonOKClick);
    connect(EditResolution, &QLineEdit::textChanged, this, &TForm4::EditResolutionChange);
    resize(324, 182);
}

void TForm4::FormShow() {
    EditAuthor->setText(Text(options_.IgesAuthor));
    EditOrganization->setText(Text(options_.IgesOrganization));
    EditResolution->setText(Text(options_.IgesResolution));
    // A flag that is in no row leaves the selection as it is.
    for (std::size_t i = 0; i < IgesUnitsTable.size(); ++i)
        if (options_.IgesUnitFlag == IgesUnitsTable[i].Flag) ComboBoxUnits->setCurrentIndex(static_cast<int>(i));
}

void TForm4::EditResolutionChange() { ApplyNumberFilter(EditResolution); }

void TForm4::ButtonOKClick() {
    options_.IgesAuthor = EditAuthor->text().trimmed().toStdString();
    options_.IgesOrganization = EditOrganization->text().trimmed().toStdString();
    // Every IGES file needs a positive resolution: a text that is none keeps the one before.
    double resolution = 0.0;
    if (ReadNumber(EditResolution->text(), resolution) && std::isfinite(resolution) && resolution > 0.0)
        options_.IgesResolution = EditResolution->text().toStdString();
    const int unit = ComboBoxUnits->currentIndex();
    if (unit >= 0 && static_cast<std::size_t>(unit) < IgesUnitsTable.size()) {
        options_.IgesUnitFlag = IgesUnitsTable[static_cast<std::size_t>(unit)].Flag;
        options_.IgesUnitName = IgesUnitsTable[static_cast<std::size_t>(unit)].Name;
    }
    accept();
}

// ---- TForm5 ----------------------------------------------------------------------------------------------

TForm5::TForm5(AirfoilOptions& options, QWidget* parent) : ShownDialog(parent, Qt::Tool), options_(options) {
    setWindowTitle(QStringLiteral("Airfoil Export Options"));
    auto* form = new QFormLayout;
    EditChordLength = AddEdit(form, "Chord Length:", "EditChordLength");
    RadioButtonXYPlane = Named<QRadioButton>("RadioButtonXYPlane", nullptr);
    RadioButtonXYPlane->setText(QStringLiteral("XY Plane"));
    RadioButtonXYPlane->setChecked(true);
    RadioButtonXZPlane = Named<QRadioButton>("RadioButtonXZPlane", nullptr);
    RadioButtonXZPlane->setText(QStringLiteral("XZ Plane"));
    auto* planes = new QHBoxLayout;
    planes->addWidget(RadioButtonXYPlane);
    planes->addWidget(RadioButtonXZPlane);
    planes->addStretch(1);
    form->addRow(planes);
    LayOut(this, form, ButtonOK, ButtonCancel);
    connect(ButtonOK, &QPushButton::clicked, this, &TForm5::ButtonOKClick);
    connect(EditChordLength, &QLineEdit::textChanged, this, &TForm5::EditChordLengthChange);
    resize(280, 111);
}

void TForm5::FormShow() {
    EditChordLength->setText(Text(FloatToText(options_.AirfoilChordLength)));
    RadioButtonXZPlane->setChecked(options_.AirfoilXZPlane);
    RadioButtonXYPlane->setChecked(!options_.AirfoilXZPlane);
}

void TForm5::EditChordLengthChange() { ApplyNumberFilter(EditChordLength); }

void TForm5::ButtonOKClick() {
    // Empty means the unit chord; the separator alone is no number and keeps the chord length as it was.
    const QString text = EditChordLength->text();
    double chord = 0.0;
    if (text.isEmpty())
        options_.AirfoilChordLength = 1.0;
    else if (ReadNumber(text, chord) && std::isfinite(chord))
        options_.AirfoilChordLength = chord;
    options_.AirfoilXZPlane = RadioButtonXZPlane->isChecked();
    accept();
}

}  // namespace korvel
