// dialogs_test.cpp — the resize, tangent, input, About and export option dialogs driven as a user would, headless.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPointingDevice>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QValidator>

#include <array>
#include <optional>
#include <string>

#include "app/dialogs.h"
#include "app/export_dialogs.h"
#include "app_test_support.h"
#include "engine/text_helpers.h"

// Readable failures: gtest finds this by the argument's (global) namespace.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace korvel {
namespace {

using testing::EnsureApplication;
using testing::SaveScreenshot;
using testing::ScriptedPrompter;

QString T(const QLineEdit* e) { return e->text(); }

// The three edits of the resize dialog as "length/width/height".
QString Sizes(const TForm3& f) { return T(f.EditLengthX) + "/" + T(f.EditWidthY) + "/" + T(f.EditHeigthZ); }

// The named controls Tab visits, in order.
QString TabOrder(QWidget* dialog) {
    QStringList names;
    for (QWidget* w = dialog->nextInFocusChain(); w != dialog; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty()) names << w->objectName();
    return names.join(',');
}

using Size3 = std::array<double, 3>;
Size3 Requested(const ModelState& m) { return {m.LengthX, m.WidthY, m.HeightZ}; }

// A model whose natural size is the given one, with no size requested.
ModelState Sized(double x, double y, double z) {
    ModelState m;
    m.NaturalSize = {x, y, z};
    return m;
}

TEST(Form3, ProportionsFollowTheShownSizeAndReopenShowsTheRequest) {
    EnsureApplication();
    ModelState m = Sized(4, 2, 1);
    TForm3 form(m, nullptr);
    form.show();
    EXPECT_EQ(form.size(), QSize(212, 178));
    EXPECT_EQ(Sizes(form), "4/2/1");
    EXPECT_TRUE(form.CBPropDimensions->isChecked());
    EXPECT_EQ(TabOrder(&form), "CBPropDimensions,EditLengthX,EditWidthY,EditHeigthZ,ButtonOK,ButtonCancel");
    SaveScreenshot(form.grab().toImage(), "dialog_resize");
    form.EditLengthX->setText("2");
    EXPECT_EQ(Sizes(form), "2/1/0.5");
    form.EditHeigthZ->setText("3");
    EXPECT_EQ(Sizes(form), "12/6/3");
    form.ButtonOK->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(Requested(m), (Size3{12, 6, 3}));
    form.show();
    EXPECT_EQ(Sizes(form), "12/6/3");

    // Shown sizes whose texts are rounded are not recomputed from one another while the dialog fills them.
    ModelState thirds = Sized(1, 1.0 / 3.0, 2.0 / 3.0);
    TForm3 other(thirds, nullptr);
    other.show();
    EXPECT_EQ(Sizes(other), "1/0.3333333/0.6666667");
}

TEST(Form3, OkCases) {
    EnsureApplication();
    struct Case {
        bool keep;
        QString edit, text;  // which edit is typed into, and what
        double l, w, h;
    };
    const Case cases[] = {
        {false, "EditLengthX", "5", 5, 2, 1},  // unchecked: the others stay
        {false, "EditWidthY", "", -1, -1, -1}, {true, "EditWidthY", "", -1, -1, -1},
        {false, "EditHeigthZ", "0", -1, -1, -1}, {true, "EditLengthX", "0", -1, -1, -1},
        {false, "EditLengthX", ".", -1, -1, -1}, {false, "EditLengthX", "7,5x", 7.5, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.edit + " <- '" + c.text + "'").toStdString());
        ModelState m = Sized(4, 2, 1);
        m.KeepProportions = c.keep;
        TForm3 form(m, nullptr);
        form.show();
        form.findChild<QLineEdit*>(c.edit)->setText(c.text);
        form.ButtonOK->click();
        EXPECT_EQ(Requested(m), (Size3{c.l, c.w, c.h}));
        EXPECT_EQ(m.KeepProportions, c.keep);
    }
}

TEST(Form3, FlatModelNeverShowsANonFiniteSize) {
    EnsureApplication();
    ModelState m = Sized(4, 0, 1);
    TForm3 form(m, nullptr);
    form.show();
    form.EditWidthY->setText("3");  // no proportion to a width of 0: the others stay
    EXPECT_EQ(Sizes(form), "4/3/1");
    form.EditLengthX->setText("8");
    EXPECT_EQ(Sizes(form), "8/0/2");
    form.ButtonOK->click();
    EXPECT_EQ(m.LengthX, -1.0);  // the width of 0 asks for the natural size
}

TEST(Form6, ShowsInLayoutOrderAndAnEditWithoutANumberKeepsItsFactor) {
    EnsureApplication();
    TForm6 form(nullptr);
    form.TanFactorEdit = {0.1, 0.2, 0.3, 0.4};
    form.show();
    EXPECT_EQ(T(form.EditULE) + T(form.EditURTE) + T(form.EditLLE) + T(form.EditLRTE), "0.10.20.30.4");
    EXPECT_TRUE(form.EditULE->y() < form.EditLLE->y() && form.EditLLE->y() < form.EditURTE->y() &&
                form.EditURTE->y() < form.EditLRTE->y());
    SaveScreenshot(form.grab().toImage(), "dialog_tangent_factors");
    form.EditULE->setText("0,75a");
    form.EditURTE->setText(".");
    form.EditLLE->setText("");
    form.ButtonOK->click();
    EXPECT_EQ(form.TanFactorEdit, (std::array<double, 4>{0.75, 0.2, 0.3, 0.4}));
}

TEST(NumberInputBox, CancelGivesNothingAndTheFilterKeepsAMinusOnlyWhenAsked) {
    EnsureApplication();
    struct Case {
        QString dflt;
        bool allowMinus;
        std::optional<QString> typed;  // nothing: OK on the default
        int close;                     // 0 OK, 1 Cancel, 2 Escape
        std::optional<QString> result;
    };
    const Case cases[] = {
        {"-2.5", true, {}, 1, {}},          {"-2.5", true, {}, 2, {}},
        {"-2.5", true, {}, 0, "-2.5"},      {"-2.5", false, {}, 0, "2.5"},
        {"1", true, "--3,5-a.1", 0, "-3.51"}, {"1", false, "-7", 0, "7"},
        {"1", true, "x-4", 0, "4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.dflt + " " + c.typed.value_or("-")).toStdString());
        ScriptedPrompter prompter;
        prompter.dialogs.push_back([&](QDialog& d) {
            auto& box = static_cast<TFormInputBox&>(d);
            EXPECT_EQ(box.windowTitle(), "Caption");
            EXPECT_EQ(box.LabelPrompt->text(), "Prompt:");
            if (c.typed) box.EditDefault->setText(*c.typed);
            if (c.close == 2) {
                // An own device, straight to the dialog: Qt's shared default keyboard (made by the event's
                // default argument or the shortcut pass) crashes at exit, destroyed after Qt's device list.
                const QInputDevice keyboard;
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, 0, 0, 0, {}, false, 1, &keyboard);
                static_cast<QObject&>(box).event(&escape);
            }
            SaveScreenshot(d.grab().toImage(), "dialog_number_input");
            return c.close != 1;  // after Escape, OK would be too late
        });
        EXPECT_EQ(NumberInputBox(prompter, nullptr, "Caption", "Prompt:", c.dflt, c.allowMinus), c.result);
    }
}

// Receives the web addresses the About box asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.push_back(url); }
};

TEST(Form2, AboutBoxShowsVersionCentredPictureAndOpensTheAddress) {
    EnsureApplication();
    QPointer<TForm2> about = new TForm2(nullptr);
    about->show();
    EXPECT_EQ(about->LabelVersion->text(), "Version 1.4.5");
    EXPECT_TRUE(about->testAttribute(Qt::WA_DeleteOnClose));
    for (const QLabel* l : {about->Image1, about->LabelUrl})
        EXPECT_EQ(l->x(), (about->width() - l->width()) / 2) << l->objectName().toStdString();
    const QImage picture = about->Image1->pixmap().toImage();
    EXPECT_NE(picture.pixel(0, 0), picture.pixel(picture.width() / 2, picture.height() / 2))
        << "the picture is not one plain colour";
    SaveScreenshot(about->grab().toImage(), "dialog_about");

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    const QPointingDevice mouse;  // not Qt's shared default device: see the Escape case above
    QMouseEvent click(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier, &mouse);
    QCoreApplication::sendEvent(about->LabelUrl, &click);
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl(TForm2::ProductUrl)});

    about->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull());
}

TEST(Form4, FirstShowMilsTrimAndResolutionKeptUnlessPositive) {
    EnsureApplication();
    IgesOptions options;
    InitIgesOptions(options);
    TForm4 form(options, nullptr);
    form.show();
    EXPECT_EQ(form.ComboBoxUnits->currentText(), "millimeters");
    EXPECT_EQ(T(form.EditAuthor) + T(form.EditOrganization) + "|" + T(form.EditResolution), "|0.001");
    EXPECT_EQ(TabOrder(&form), "EditAuthor,EditOrganization,EditResolution,ComboBoxUnits,ButtonOK,ButtonCancel");
    SaveScreenshot(form.grab().toImage(), "dialog_iges_options");
    QString accented = QString::fromUtf8("caf\u00e9");
    int pos = 0;  // a non-ASCII author would break the IGES byte counts
    EXPECT_EQ(form.EditAuthor->validator()->validate(accented, pos), QValidator::Invalid);

    form.EditAuthor->setText("  Jo Doe  ");
    form.EditOrganization->setText(" Works ");
    form.EditResolution->setText("0,01x ");
    form.ComboBoxUnits->setCurrentText("mils");
    form.ButtonOK->click();
    EXPECT_EQ(options.IgesAuthor + "|" + options.IgesOrganization, "Jo Doe|Works");
    EXPECT_EQ(options.IgesResolution, "0.01");
    EXPECT_EQ(options.IgesUnitFlag + options.IgesUnitName, "8MIL");
    form.ComboBoxUnits->setCurrentIndex(0);
    form.show();
    EXPECT_EQ(form.ComboBoxUnits->currentText(), "mils");

    for (const char* text : {"", ".", "0", "0.000", "abc"}) {
        SCOPED_TRACE(text);
        form.show();
        form.EditResolution->setText(text);
        form.ButtonOK->click();
        EXPECT_EQ(options.IgesResolution, "0.01");
    }
}

TEST(Form5, ChordLengthAndPlane) {
    EnsureApplication();
    struct Case { QString text; bool xz; double chord; };
    const Case cases[] = {{"", true, 1.0}, {"3,25", false, 3.25}, {".", true, 3.25}, {"0", false, 0.0}};
    AirfoilOptions options;
    options.AirfoilChordLength = 2.5;
    TForm5 form(options, nullptr);
    ScriptedPrompter prompter;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const double before = options.AirfoilChordLength;
        prompter.dialogs.push_back([&](QDialog&) {
            EXPECT_EQ(T(form.EditChordLength), QString::fromStdString(FloatToText(before)));
            EXPECT_EQ(form.RadioButtonXZPlane->isChecked(), options.AirfoilXZPlane);
            form.EditChordLength->setText(c.text);
            (c.xz ? form.RadioButtonXZPlane : form.RadioButtonXYPlane)->setChecked(true);
            SaveScreenshot(form.grab().toImage(), "dialog_airfoil_options");
            return true;
        });
        EXPECT_EQ(prompter.Exec(form), QDialog::Accepted);
        EXPECT_EQ(options.AirfoilChordLength, c.chord);
        EXPECT_EQ(options.AirfoilXZPlane, c.xz);
    }
    // Cancel after typing leaves the options as they were.
    prompter.dialogs.push_back([&](QDialog&) { return form.EditChordLength->setText("9"), false; });
    EXPECT_EQ(prompter.Exec(form), QDialog::Rejected);
    EXPECT_EQ(options.AirfoilChordLength, 0.0);
}

}  // namespace
}  // namespace korvel

#include "dialogs_test.moc"
