// dialogs.cpp — the resize, tangent factors, number input and About windows, with their show, edit and OK handlers.
#include "dialogs.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QTransform>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>

#include "app/dialog_parts.h"
#include "app/prompter.h"
#include "app/qt_canvas.h"
#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/text_helpers.h"

namespace korvel {
namespace {

QString NumberText(double value) { return FilterNumber(QString::fromStdString(FloatToText(value))); }

// The value an edit holds for OK, or fallback when it holds no number (empty, or the separator alone).
double EditValue(const QLineEdit* edit, double fallback) {
    double value = 0.0;
    return ReadNumber(edit->text(), value) ? value : fallback;
}

}  // namespace

// ---- TForm3 ----------------------------------------------------------------------------------------------

TForm3::TForm3(ModelState& model, QWidget* parent) : ShownDialog(parent, Qt::Tool), model_(model) {
    setWindowTitle(QStringLiteral("Re-size all dimensions"));
    CBPropDimensions = Named<QCheckBox>("CBPropDimensions", nullptr);
    CBPropDimensions->setText(QStringLiteral(" Maintain proportions"));
    auto* form = new QFormLayout;
    form->addRow(CBPropDimensions);
    EditLengthX = AddEdit(form, " Length-X:", "EditLengthX");
    EditWidthY = AddEdit(form, " Width-Y:", "EditWidthY");
    EditHeigthZ = AddEdit(form, " Heigth-Z:", "EditHeigthZ");
    LayOut(this, form, ButtonOK, ButtonCancel);
    connect(ButtonOK, &QPushButton::clicked, this, &TForm3::ButtonOKClick);
    for (QLineEdit* edit : {EditLengthX, EditWidthY, EditHeigthZ})
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { EditChange(edit); });
    setFixedSize(212, 178);
}

void TForm3::FormShow() {
    GetDimensions(model_, ShownLength, ShownWidth, ShownHeight);
    // Filled without the change handler: with proportions on it would recompute the other two edits from
    // each rounded text in turn and drift them away from the sizes shown.
    const double shown[3] = {ShownLength, ShownWidth, ShownHeight};
    QLineEdit* const edits[3] = {EditLengthX, EditWidthY, EditHeigthZ};
    for (int i = 0; i < 3; ++i) {
        const QSignalBlocker quiet(edits[i]);
        edits[i]->setText(std::isfinite(shown[i]) ? NumberText(shown[i]) : QString());
    }
    CBPropDimensions->setChecked(model_.KeepProportions);
}

void TForm3::EditChange(QLineEdit* edit) {
    if (!edit->isEnabled() || edit->text().isEmpty()) return;
    const QString filtered = FilterNumber(edit->text());
    if (filtered != edit->text()) {
        const QSignalBlocker quiet(edit);
        edit->setText(filtered);
    }
    QLineEdit* const edits[3] = {EditLengthX, EditWidthY, EditHeigthZ};
    const double shown[3] = {ShownLength, ShownWidth, ShownHeight};
    int tag = -1;
    for (int i = 0; i < 3; ++i)
        if (edits[i] == edit) tag = i;
    double v = 0.0;
    if (CBPropDimensions->isChecked() && tag >= 0 && ReadNumber(filtered, v)) {
        for (int j = 0; j < 3; ++j) {
            if (j == tag) continue;
            // A flat model (a shown size of 0) has no proportion to keep: that edit stays as it is.
            const double other = v * shown[j] / shown[tag];
            if (!std::isfinite(other)) continue;
            const QSignalBlocker quiet(edits[j]);
            edits[j]->setText(NumberText(other));
        }
    }
    edit->setCursorPosition(static_cast<int>(edit->text().size()));
}

void TForm3::ButtonOKClick() {
    // An edit without a number (empty, or the separator alone) asks for the natural size, as does 0.
    double length = EditValue(EditLengthX, -1.0);
    double width = EditValue(EditWidthY, -1.0);
    double height = EditValue(EditHeigthZ, -1.0);
    const auto positive = [](double x) { return std::isfinite(x) && x > 0.0; };
    if (!positive(length) || !positive(width) || !positive(height)) length = width = height = -1.0;
    model_.LengthX = length;
    model_.WidthY = width;
    model_.HeightZ = height;
    model_.KeepProportions = CBPropDimensions->isChecked();
    accept();
}

// ---- TForm6 ----------------------------------------------------------------------------------------------

TForm6::TForm6(Prompter& prompter, QWidget* parent) : ShownDialog(parent, Qt::Tool), prompter_(prompter) {
    setWindowTitle(QStringLiteral("Surface Tangent Factors"));
    auto* form = new QFormLayout;
    EditULE = AddEdit(form, "Upper Leading Edge:", "EditULE");
    EditLLE = AddEdit(form, "Lower Leading Edge:", "EditLLE");
    EditURTE = AddEdit(form, "Upper Rounded Trailing Edge:", "EditURTE");
    EditLRTE = AddEdit(form, "Lower Rounded Trailing Edge:", "EditLRTE");
    LayOut(this, form, ButtonOK, ButtonCancel);
    connect(ButtonOK, &QPushButton::clicked, this, &TForm6::ButtonOKClick);
    for (QLineEdit* edit : {EditULE, EditLLE, EditURTE, EditLRTE})
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { EditChange(edit); });
    resize(324, 164);
}

void TForm6::FormShow() {
    QLineEdit* const edits[4] = {EditULE, EditURTE, EditLLE, EditLRTE};
    for (int i = 0; i < 4; ++i)
        edits[i]->setText(QString::fromStdString(FloatToText(TanFactorEdit[static_cast<std::size_t>(i)])));
}

void TForm6::EditChange(QLineEdit* edit) { ApplyNumberFilter(edit); }

void TForm6::ButtonOKClick() {
    // An edit without a number keeps its factor. A factor above 1 is refused here: a parameter file written
    // with it would be refused when it runs, and a typo such as 1309 would blow the exported surfaces up.
    // Digits that do not read as a finite number (hundreds of them) are refused alike, not dropped unseen.
    QLineEdit* const edits[4] = {EditULE, EditURTE, EditLLE, EditLRTE};
    static const char* const kNames[4] = {"Upper Leading Edge", "Upper Rounded Trailing Edge", "Lower Leading Edge",
                                          "Lower Rounded Trailing Edge"};
    std::array<double, 4> values{};
    for (std::size_t i = 0; i < 4; ++i) {
        const QString text = edits[i]->text();
        double value = 0.0;
        if (ReadNumber(text, value) && std::isfinite(value)) {
            values[i] = value;
            if (value <= 1.0) continue;
        } else if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); })) {
            values[i] = TanFactorEdit[i];
            continue;
        }
        prompter_.Message(this, QMessageBox::Warning,
                          QStringLiteral("%1: %2 is not allowed. A surface tangent factor lies between 0 and 1.")
                              .arg(QLatin1String(kNames[i]), edits[i]->text()),
                          QMessageBox::Ok, QMessageBox::Ok);
        edits[i]->setFocus();
        edits[i]->selectAll();
        return;
    }
    TanFactorEdit = values;
    accept();
}

// ---- TFormInputBox and NumberInputBox --------------------------------------------------------------------

TFormInputBox::TFormInputBox(QWidget* parent, bool allowMinus) : QDialog(parent), allowMinus_(allowMinus) {
    LabelPrompt = Named<QLabel>("LabelPrompt", nullptr);
    EditDefault = Named<QLineEdit>("EditDefault", nullptr);
    auto* form = new QFormLayout;
    form->addRow(LabelPrompt);
    form->addRow(EditDefault);
    LayOut(this, form, ButtonOK, ButtonCancel);
    connect(ButtonOK, &QPushButton::clicked, this, &TFormInputBox::ButtonOKClick);
    connect(EditDefault, &QLineEdit::textChanged, this, &TFormInputBox::EditDefaultChange);
    setFixedSize(260, 97);
}

void TFormInputBox::EditDefaultChange() { ApplyNumberFilter(EditDefault, allowMinus_); }

void TFormInputBox::ButtonOKClick() { accept(); }

std::optional<QString> NumberInputBox(Prompter& prompter, QWidget* parent, const QString& caption,
                                      const QString& prompt, const QString& defaultText, bool allowMinus) {
    TFormInputBox box(parent, allowMinus);
    box.setWindowTitle(caption);
    box.LabelPrompt->setText(prompt);
    box.EditDefault->setText(defaultText);
    box.EditDefault->selectAll();  // typing replaces the offered value
    if (prompter.Exec(box) != QDialog::Accepted) return std::nullopt;
    return box.EditDefault->text();
}

// ---- TForm2 ----------------------------------------------------------------------------------------------

const char* const TForm2::ProductUrl = "https://example.org/korvel";

namespace {

// The default airfoil section as the engine builds it, filled on white, with the product's name beneath.
QPixmap ProductPicture(int width, int height) {
    QPixmap picture(width, height);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QPolygonF outline;
    try {
        ModelState model;
        BuildInputs inputs;
        inputs.Act3D = false;
        inputs.nX = 160;
        inputs.CanvasWidth = inputs.CanvasHeight = 16;  // the build's own drawing goes to a scratch bitmap
        QtCanvas scratch(inputs.CanvasWidth, inputs.CanvasHeight);
        std::string info;
        BuildModel(model, inputs, scratch, info);
        for (std::size_t i = 1; i <= static_cast<std::size_t>(model.SectionCount) + 1; ++i)
            outline << QPointF(model.SectionX[i], -model.SectionY[i]);
    } catch (const std::exception&) {
        outline.clear();  // the box is still useful without its picture
    }
    const QRectF bounds = outline.boundingRect();
    if (outline.size() > 2 && bounds.width() > 0.0) {
        const double scale = (width - 40) / bounds.width();
        const double top = (height - 34) / 2.0 - bounds.height() * scale / 2.0;
        QTransform place;
        place.translate(20.0, top);
        place.scale(scale, scale);
        place.translate(-bounds.left(), -bounds.top());
        const QPolygonF shape = place.map(outline);
        QLinearGradient shade(0, shape.boundingRect().top(), 0, shape.boundingRect().bottom());
        shade.setColorAt(0.0, QColor(70, 110, 200));
        shade.setColorAt(1.0, QColor(0, 0, 128));
        painter.setPen(QPen(QColor(0, 0, 80), 1.5));
        painter.setBrush(shade);
        painter.drawPolygon(shape);
    }
    QFont name = painter.font();
    name.setPixelSize(24);
    name.setBold(true);
    painter.setFont(name);
    painter.setPen(QColor(0, 0, 128));
    painter.drawText(QRect(0, height - 34, width, 34), Qt::AlignCenter, QStringLiteral("korvel"));
    return picture;
}

}  // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("About korvel"));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    Image1 = Named<QLabel>("Image1", this);
    Image1->setPixmap(ProductPicture(401, 150));
    Image1->setGeometry(10, 8, 401, 150);
    LabelUrl = Named<QLabel>("LabelUrl", this);
    LabelUrl->setText(QString::fromLatin1(ProductUrl));
    QPalette navy = LabelUrl->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    LabelUrl->setPalette(navy);
    LabelUrl->setCursor(Qt::PointingHandCursor);
    LabelUrl->installEventFilter(this);
    LabelUrl->adjustSize();
    LabelUrl->move(0, 166);
    LabelVersion = Named<QLabel>("LabelVersion", this);
    FormCreate();
    setFixedSize(421, 221);
}

void TForm2::FormCreate() {
    LabelVersion->setText(QStringLiteral("Version 1.4.5"));
    LabelVersion->adjustSize();
    LabelVersion->move(0, 192);
}

void TForm2::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TForm2::FormResize() {
    for (QLabel* control : {Image1, LabelUrl, LabelVersion})
        control->move((width() - control->width()) / 2, control->y());
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LabelUrl && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        LabelUrlClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm2::LabelUrlClick() {
    // Without a desktop session no handler may be found; there is nothing more to do then.
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(ProductUrl)));
}

}  // namespace korvel
