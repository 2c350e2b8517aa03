// dialogs_test.cpp — the resize, tangent, input, About and export option dialogs driven as a user would, headless.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>

#include <array>
#include <optional>

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

using Size3 = std::array<double, 3>;
QString Sizes(const TForm3& f) {
    return f.EditLengthX->text() + "/" + f.EditWidthY->text() + "/" + f.EditHeigthZ->text();
}

TEST(Form3, ProportionsFollowTheShownSizeAndOnlyPositiveNumbersAreRequested) {
    EnsureApplication();
    const Size3 natural{-1, -1, -1};  // the natural size is requested
    struct Case { Size3 shown; bool keep; int edit; QString text, after; Size3 requested; };
    // Unchecked, the others stay; the separator alone is no number; no proportion to a width of 0.
    const Case cases[] = {
        {{4, 2, 1}, true, 0, "2", "2/1/0.5", {2, 1, 0.5}},  {{4, 2, 1}, true, 2, "3", "12/6/3", {12, 6, 3}},
        {{4, 2, 1}, false, 0, "7,5x", "7.5/2/1", {7.5, 2, 1}}, {{4, 2, 1}, true, 1, "", "4//1", natural},
        {{4, 2, 1}, true, 0, "0", "0/0/0", natural},         {{4, 2, 1}, false, 0, ".", "./2/1", natural},
        {{4, 0, 1}, true, 1, "3", "4/3/1", {4, 3, 1}},       {{4, 0, 1}, true, 0, "8", "8/0/2", natural},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after.toStdString());
        ModelState m;
        m.NaturalSize = {c.shown[0], c.shown[1], c.shown[2]};
        m.KeepProportions = c.keep;
        TForm3 form(m, nullptr);
        form.show();
        std::array{form.EditLengthX, form.EditWidthY, form.EditHeigthZ}[c.edit]->setText(c.text);
        EXPECT_EQ(Sizes(form), c.after);
        form.ButtonOK->click();
        EXPECT_EQ((Size3{m.LengthX, m.WidthY, m.HeightZ}), c.requested);
        EXPECT_EQ(m.KeepProportions, c.keep);
    }
    // Rounded texts are not recomputed from one another while the dialog fills them.
    ModelState m;
    m.NaturalSize = {1, 1.0 / 3.0, 2.0 / 3.0};
    TForm3 form(m, nullptr);
    form.show();
    EXPECT_EQ(Sizes(form), "1/0.3333333/0.6666667");
    SaveScreenshot(form.grab().toImage(), "dialog_resize");
}

TEST(Form6, AnEditWithoutANumberKeepsItsFactorAndAFactorAboveOneIsRefused) {
    EnsureApplication();
    ScriptedPrompter prompter;
    TForm6 form(prompter, nullptr);
    form.TanFactorEdit = {0.1, 0.2, 0.3, 0.4};
    form.show();
    form.EditULE->setText("0,75a");
    form.EditURTE->setText(".");
    form.EditLLE->setText("");
    form.EditLRTE->setText("1.0");
    form.ButtonOK->click();
    EXPECT_EQ(std::pair(form.TanFactorEdit, form.result()), std::pair(std::array<double, 4>{0.75, 0.2, 0.3, 1.0}, 1));
    EXPECT_TRUE(prompter.asked.empty());
    // Above 1: a message naming the field and the range; the dialog stays open and nothing changes.
    // Digits too many to read as a number are refused alike, with the text left in place.
    for (const QString& typed : {QString("1.0000001"), QString("1309"), QString(400, '9'), "1" + QString(400, '0')}) {
        form.setResult(QDialog::Rejected);
        form.show();
        form.EditURTE->setText(typed);
        form.ButtonOK->click();
        ASSERT_FALSE(prompter.asked.empty());
        EXPECT_EQ(prompter.asked.back().text, QStringLiteral("Upper Rounded Trailing Edge: %1 is not allowed. A surface "
                                                             "tangent factor lies between 0 and 1.").arg(typed));
        EXPECT_EQ(std::tuple(form.isVisible(), form.result(), form.TanFactorEdit, form.EditURTE->text()),
                  std::tuple(true, 0, std::array<double, 4>{0.75, 0.2, 0.3, 1.0}, typed));
    }
}

TEST(NumberInputBox, CancelGivesNothingAndTheFilterKeepsAMinusOnlyWhenAsked) {
    EnsureApplication();
    struct Case { QString dflt; bool allowMinus; std::optional<QString> typed; bool ok; std::optional<QString> result; };
    const Case cases[] = {
        {"-2.5", true, {}, false, {}},        {"-2.5", true, {}, true, "-2.5"}, {"-2.5", false, {}, true, "2.5"},
        {"1", true, "--3,5-a.1", true, "-3.51"}, {"1", false, "-7", true, "7"},   {"1", true, "x-4", true, "4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.dflt + " " + c.typed.value_or("-")).toStdString());
        ScriptedPrompter prompter;
        prompter.dialogs.push_back([&](QDialog& d) {
            auto& box = static_cast<TFormInputBox&>(d);
            EXPECT_EQ(box.windowTitle() + box.LabelPrompt->text(), "CaptionPrompt:");
            if (c.typed) box.EditDefault->setText(*c.typed);
            return c.ok;
        });
        EXPECT_EQ(NumberInputBox(prompter, nullptr, "Caption", "Prompt:", c.dflt, c.allowMinus), c.result);
    }
}

TEST(Form2, AboutBoxShowsTheBuiltSection) {
    EnsureApplication();
    TForm2 about(nullptr);
    about.show();
    const QImage picture = about.Image1->pixmap().toImage();  // a failed build leaves it white
    EXPECT_NE(picture.pixel(0, 0), picture.pixel(picture.width() / 2, picture.height() / 2));
    SaveScreenshot(about.grab().toImage(), "dialog_about");
}

TEST(Form4, FirstShowMilsTrimAndResolutionKeptUnlessPositive) {
    EnsureApplication();
    IgesOptions options;
    InitIgesOptions(options);
    TForm4 form(options, nullptr);
    form.show();
    EXPECT_EQ(form.ComboBoxUnits->currentText() + "|" + form.EditResolution->text(), "millimeters|0.001");
    SaveScreenshot(form.grab().toImage(), "dialog_iges_options");
    QString accented = QString::fromUtf8("caf\u00e9");
    int pos = 0;  // a non-ASCII author would break the IGES byte counts
    EXPECT_EQ(form.EditAuthor->validator()->validate(accented, pos), QValidator::Invalid);

    form.EditAuthor->setText("  Jo Doe  ");
    form.EditOrganization->setText(" Works ");
    form.EditResolution->setText("0,01x ");
    form.ComboBoxUnits->setCurrentText("mils");
    form.ButtonOK->click();
    EXPECT_EQ(options.IgesAuthor + "|" + options.IgesOrganization + "|" + options.IgesResolution, "Jo Doe|Works|0.01");
    EXPECT_EQ(options.IgesUnitFlag + options.IgesUnitName, "8MIL");
    form.ComboBoxUnits->setCurrentIndex(0);
    form.show();
    EXPECT_EQ(form.ComboBoxUnits->currentText(), "mils");

    for (const char* text : {"", ".", "0", "0.000", "abc"}) {
        form.show();
        form.EditResolution->setText(text);
        form.ButtonOK->click();
        EXPECT_EQ(options.IgesResolution, "0.01") << text;
    }
}

TEST(Form5, ChordLengthAndPlane) {
    EnsureApplication();
    AirfoilOptions options;
    options.AirfoilChordLength = 2.5;
    TForm5 form(options, nullptr);
    ScriptedPrompter prompter;
    struct Case { QString text; bool xz; double chord; };
    for (const Case& c : {Case{"", true, 1.0}, Case{"3,25", false, 3.25}, Case{".", true, 3.25}, Case{"0", false, 0.0}}) {
        SCOPED_TRACE(c.text.toStdString());
        const double before = options.AirfoilChordLength;
        prompter.dialogs.push_back([&](QDialog&) {
            EXPECT_EQ(form.EditChordLength->text(), QString::fromStdString(FloatToText(before)));
            EXPECT_EQ(form.RadioButtonXZPlane->isChecked(), options.AirfoilXZPlane);
            form.EditChordLength->setText(c.text);
            (c.xz ? form.RadioButtonXZPlane : form.RadioButtonXYPlane)->setChecked(true);
            return true;
        });
        EXPECT_EQ(prompter.Exec(form), QDialog::Accepted);
        EXPECT_EQ(std::pair(options.AirfoilChordLength, options.AirfoilXZPlane), std::pair(c.chord, c.xz));
    }
    // Cancel after typing leaves the options as they were.
    prompter.dialogs.push_back([&](QDialog&) { return form.EditChordLength->setText("9"), false; });
    EXPECT_EQ(prompter.Exec(form), QDialog::Rejected);
    EXPECT_EQ(options.AirfoilChordLength, 0.0);
}

}  // namespace
}  // namespace korvel
