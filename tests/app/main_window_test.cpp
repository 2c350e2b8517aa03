// main_window_test.cpp — the window as a user drives it, headless: start-up, the mode rules, sliders, undo, the value menu, New and close.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QToolBar>
#include <QWindow>

#include "app/app_test_support.h"
#include "app/image_box.h"
#include "app/main_window.h"
#include "app/scroll_bar.h"

namespace korvel {
namespace {

using testing::ScriptedPrompter;

class Window : public testing::WindowFixture {
protected:
    THScrollBar* Bar_(Bar b) { return w->BarOf(b); }
    QString Title(Box b) { return w->BoxOf(b)->title(); }
    bool Shown(Box b) { return !w->BoxOf(b)->isHidden(); }
    // A click on a slider's right end button, as a user makes it.
    void StepRight(Bar b) {
        THScrollBar* bar = Bar_(b);
        const QPoint at(bar->width() - 3, bar->height() / 2);
        QCursor::setPos(bar->mapToGlobal(at));  // the step follows the cursor, as it does for a user
        QTest::mousePress(bar, Qt::LeftButton, {}, at);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, at);
    }
    // Scripts the next dialog: each named edit (the first edit for a null name) gets its text, then OK or Cancel.
    void Answer(std::vector<std::pair<const char*, QString>> edits, bool ok = true) {
        prompter.dialogs.push_back([edits, ok](QDialog& d) {
            for (const auto& [name, text] : edits) d.findChild<QLineEdit*>(name ? QString(name) : QString())->setText(text);
            return ok;
        });
    }
    void Answer(const char* text) { Answer({{nullptr, text}}); }
};

TEST_F(Window, StartsWithTheDefaultBodyBuiltTwiceAndTheFirstCaptions) {
    EXPECT_EQ(w->windowTitle(), "korvel");
    EXPECT_GE(w->BuildCount, 2);  // creation and first activation
    EXPECT_EQ(Title(Box::TEA) + "|" + Title(Box::Points) + "|" + Title(Box::Thick) + "|" + Title(Box::Mdlr),
              QString::fromUtf8("Edge Angle: 44° ; 0°|Subdivisions: 40x40|Thickness: 0.0575 ; 0.9815 ; 0.9815 ; 0.9815|"
                                "Mdlr: 0 ; 0.004 ; 0.1 ; 0 ; 0 ; 0.5"));
    EXPECT_EQ(w->StatusPanel1->text(), QStringLiteral(" %1 triangles").arg(w->Model.TriangleLast + 1));
    EXPECT_TRUE(QString::fromStdString(w->InfoText).startsWith("Length-X= "));
    EXPECT_TRUE(w->LLength->text().startsWith("  Length-X: "));
    EXPECT_FALSE(w->ActUndo->isEnabled() || w->ActRedo->isEnabled());
    EXPECT_EQ(w->Act3D->toolTip() + "|" + w->ActBars->toolTip(), "2D|Disable Scroll Bars");
    // Tool bar hints in order, and every shortcut on one action only.
    QStringList hints;
    QToolBar* tools = w->findChild<QToolBar*>();
    for (QAction* a : tools->actions())
        if (!a->isSeparator()) hints << tools->widgetForAction(a)->toolTip();
    EXPECT_EQ(hints.join(',').toStdString(), "New,Open,Save,Maximize Window,WireFrame,Show Axes,2D,Resize,Surface Tangent "
                               "Factors,Cut,Mirror,Define Section,Wing,Span,Disable Scroll Bars,CP");
    QSet<QString> keys;
    for (QAction* a : w->findChildren<QAction*>())
        for (const QKeySequence& k : a->shortcuts()) EXPECT_TRUE(!keys.contains(k.toString()) && (keys << k.toString(), true));
    testing::SaveScreenshot(w->grab().toImage(), "window_offscreen_start");
}

// The mode matrix: for 3D, section and wing on or off, what is shown or enabled, in this order: the fold,
// flip, camber, angle of attack and section cut boxes, the camera, Tunnel, Mirror, Cut, the 2D picture, Span
// and the span section box.
TEST_F(Window, ModesShowTheirGroups) {
    const std::pair<const char*, const char*> rows[] = {{"100", "000001001000"}, {"101", "101001001011"}, {"110", "000011011000"}, {"011", "101010001111"}, {"000", "011100100100"}, {"001", "011100100110"}};
    for (const auto& [mode, expected] : rows) {
        w->Act3D->setChecked(mode[0] == '1');
        w->ActCutSec->setChecked(mode[1] == '1');
        w->ActWing->setChecked(mode[2] == '1');
        w->Manager3D(w->ActWing);
        std::string shown;
        for (bool on : {Shown(Box::Fold), Shown(Box::Flip), Shown(Box::Camber), Shown(Box::AOA), Shown(Box::CutSec), !w->BoxCamera->isHidden(),
                        w->ActTunnel->isEnabled(), w->ActMirror->isEnabled(), w->ActCut->isEnabled(), !w->ImgBox->isHidden(), w->Span1->isEnabled(),
                        Shown(Box::SpanSection)})
            shown += on ? '1' : '0';
        EXPECT_EQ(shown, expected) << mode;
    }
}

// One plane, one number: the section box's caption names the place the section drawing names.
TEST_F(Window, SectionCaptionNamesThePlaneTheDrawingShows) {
    for (Bar b : {Bar::CutSecX, Bar::CutSecY, Bar::CutSecZ}) Bar_(b)->SetPosition(432);
    Bar_(Bar::TypeSecY)->SetPosition(2);  // keep the high side of the Y cut: that plane lands on 0
    w->ActCutSec->trigger();
    w->Act3D->trigger();
    const char* const kAxis[3] = {"X= ", "Y= ", "Z= "};
    for (bool wing : {false, true}) {
        if (wing) w->ActWing->trigger();
        for (double length : {-1.0, 3.0}) {
            const bool fitted = length > 0.0;
            std::tie(w->Model.LengthX, w->Model.WidthY, w->Model.HeightZ) =
                std::tuple(length, fitted ? 1.5 : -1.0, fitted ? 0.75 : -1.0);
            for (int plane : {0, 1, 2}) {
                Bar_(Bar::TypeSec2D)->SetPosition(plane);
                w->Manager3D(nullptr);
                const QString caption = Title(Box::CutSec);
                std::string drawn;  // the drawing's own line, also in the information text
                for (const QString& line : QString::fromStdString(w->InfoText).split('\n'))
                    if (line.startsWith(kAxis[plane])) drawn = line.mid(3).toStdString();
                ASSERT_FALSE(drawn.empty()) << wing << length << plane;
                EXPECT_EQ(caption.section(" = ", 1).toStdString(), drawn) << caption.toStdString();
            }
        }
    }
    EXPECT_EQ(Title(Box::CutSec), "XY Section: Z = 0.75");  // the kept part is fitted to the requested height
}

// The section sliders share their box's width at any panel width, with and without the panel's scroll bar.
TEST_F(Window, SectionSlidersStayApartAndInsideTheirBox) {
    w->ActCutSec->trigger();
    for (bool crowded : {false, true}) {
        if (crowded) {  // a wing with a cut adds groups until the panel needs its scroll bar
            w->ActWing->trigger();
            w->ActCut->trigger();
        }
        for (int width : {150, 265, 420}) {
            const int total = w->Splitter->width();
            w->Splitter->setSizes({total - width, width});
            QApplication::processEvents();
            EXPECT_EQ(w->PanelBar->verticalScrollBar()->isVisible(), crowded) << width;
            QGroupBox* box = w->BoxOf(Box::CutSec);
            std::vector<QRect> rects;
            for (Bar b : {Bar::TypeSecX, Bar::TypeSecY, Bar::TypeSecZ, Bar::TypeSec2D, Bar::CutSecX, Bar::CutSecY, Bar::CutSecZ}) {
                const QRect r(Bar_(b)->mapTo(box, QPoint(0, 0)), Bar_(b)->size());
                EXPECT_TRUE(box->contentsRect().contains(r) && r.width() > 0) << crowded << " " << width << " " << static_cast<int>(b);
                for (const QRect& other : rects) EXPECT_FALSE(r.intersects(other)) << crowded << " " << width << " " << static_cast<int>(b);
                rects.push_back(r);
            }
        }
    }
    w->PanelBar->ensureWidgetVisible(w->BoxOf(Box::CutSec));
    testing::SaveScreenshot(w->grab().toImage(), "window_offscreen_section_sliders");
}

TEST_F(Window, ModeSwitchesClampTheirSliders) {
    // 3000 panels in 2D come back as the subdivision maximum in 3D and stay so back in 2D.
    w->Act3D->trigger();
    ASSERT_EQ(Title(Box::Points), "Panels: 40");
    Bar_(Bar::NPX)->SetPosition(3000);
    EXPECT_EQ(Bar_(Bar::NPX)->Position(), 3000);
    w->Act3D->trigger();
    EXPECT_EQ(Bar_(Bar::NPX)->Position(), 64);
    // Undo goes back to 2D with the panels under their own maximum.
    w->ActUndo->trigger();
    EXPECT_FALSE(w->Act3D->isChecked());
    EXPECT_EQ(Bar_(Bar::NPX)->Position(), 3000);
    w->Act3D->trigger();
    EXPECT_EQ(Bar_(Bar::NPX)->Position(), 64);
    w->Act3D->trigger();
    EXPECT_EQ(Bar_(Bar::NPX)->Position(), 64);
    // A wing takes cut modes 1 and 2 only.
    w->Act3D->trigger();
    Bar_(Bar::Cut)->SetPosition(4);
    w->ActWing->trigger();
    EXPECT_EQ(Bar_(Bar::Cut)->Position(), 2);
    // Leaving section mode unchecks Mirror.
    w->ActCutSec->trigger();
    w->ActMirror->trigger();
    EXPECT_TRUE(w->ActMirror->isChecked());
    w->ActCutSec->trigger();
    EXPECT_FALSE(w->ActMirror->isChecked());
}

TEST_F(Window, SliderStepsRebuildAndUndoRedoReturnTheExactValues) {
    const std::string info0 = w->InfoText;
    const auto params0 = w->Params;
    const QString length0 = w->LLength->text();
    for (int i = 0; i < 10; ++i) StepRight(Bar::X0);
    EXPECT_DOUBLE_EQ(w->Params[5], 0.0585);
    EXPECT_NE(w->InfoText, info0);
    EXPECT_NE(w->LLength->text() + w->LSurfVol->text(), length0 + QString());
    EXPECT_FALSE(w->ProjectSaved);
    for (int i = 0; i < 10; ++i) w->ActUndo->trigger();
    EXPECT_EQ(std::pair(w->Params, w->InfoText), std::pair(params0, info0));
    EXPECT_TRUE(!w->ActUndo->isEnabled() && w->ActRedo->isEnabled());
    w->ActUndo->trigger();  // nothing left to undo: nothing moves
    EXPECT_EQ(w->HistoryRing.Pos(), 0);
    for (int i = 0; i < 10; ++i) w->ActRedo->trigger();
    EXPECT_DOUBLE_EQ(w->Params[5], 0.0585);
    EXPECT_FALSE(w->ActRedo->isEnabled());
}

// Presses, releases and keys go through the window system here, as a user's do, so the application's own
// record of the held buttons is the real one and the value menu opens from a real right click.
TEST_F(Window, SliderRepeatEndsWithItsButtonWhereverTheReleaseGoes) {
    QWindow* win = w->windowHandle();
    ASSERT_NE(win, nullptr);
    const auto rightEnd = [this](THScrollBar* bar) {
        const QPoint at(bar->width() - 3, bar->height() / 2);
        QCursor::setPos(bar->mapToGlobal(at));  // the cursor then rests there
        return bar->mapTo(w.get(), at);
    };
    const auto quiet = [](THScrollBar* bar) {  // a few repeat intervals, counting the steps taken
        const int before = bar->Position();
        QTest::qWait(450);
        return bar->Position() - before;
    };
    THScrollBar* tea = Bar_(Bar::TEA);
    const QString caption = Title(Box::TEA);
    // Some window systems tell the slider nothing when the menu takes the mouse; here it would hear a Leave.
    struct NoLeave : QObject {
        bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::Leave; }
    } noLeave;
    tea->installEventFilter(&noLeave);
    for (bool releaseInMenu : {false, true}) {  // the value menu opens while the left button holds an end button
        SCOPED_TRACE(releaseInMenu);
        const QPoint at = rightEnd(tea);
        QTest::mousePress(win, Qt::LeftButton, {}, at);
        QTest::mouseClick(win, Qt::RightButton, {}, at);
        ASSERT_EQ(QApplication::activePopupWidget(), w->PopupMenuBars);
        if (releaseInMenu) QTest::mouseRelease(win, Qt::LeftButton, {}, at);
        EXPECT_EQ(quiet(tea), 0);
        QTest::keyClick(win, Qt::Key_Escape);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        if (!releaseInMenu) QTest::mouseRelease(win, Qt::LeftButton, {}, at);  // the menu had it: the slider sees none
        EXPECT_EQ(quiet(tea), 0);
        EXPECT_EQ(Title(Box::TEA), caption);
    }
    tea->removeEventFilter(&noLeave);

    // The release lost without any window seeing it: the held buttons read up while the slider counts as held.
    Qt::MouseButtons held = Qt::LeftButton;
    tea->SetButtonSource([&held] { return held; });
    QTest::mousePress(tea, Qt::LeftButton, {}, tea->mapFrom(w.get(), rightEnd(tea)));
    held = Qt::NoButton;
    EXPECT_EQ(quiet(tea), 0);
    tea->SetButtonSource({});

    // Undo disables the held slider, redo enables it again: the press is forgotten, not resumed.
    w->ActWing->trigger();
    w->ActWing->trigger();
    THScrollBar* rb = Bar_(Bar::RB1);
    ASSERT_TRUE(rb->isEnabled());
    const QPoint at = rightEnd(rb);
    QTest::mousePress(win, Qt::LeftButton, {}, at);
    QTest::keyClick(win, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(rb->isEnabled());
    QTest::mouseRelease(win, Qt::LeftButton, {}, at);
    QTest::keyClick(win, Qt::Key_Y, Qt::ControlModifier);
    ASSERT_TRUE(rb->isEnabled());
    EXPECT_EQ(quiet(rb), 0);

    // What must not change: a click steps once, a hold repeats (at 200, 270, 340, 410 ms; later under load).
    const int before = tea->Position();
    QTest::mouseClick(win, Qt::LeftButton, {}, rightEnd(tea));
    EXPECT_EQ(quiet(tea), 0);
    const int clicked = tea->Position();
    EXPECT_EQ(clicked, before + tea->SmallChange());
    QTest::mousePress(win, Qt::LeftButton, {}, rightEnd(tea));
    QTest::qWait(450);
    QTest::mouseRelease(win, Qt::LeftButton, {}, rightEnd(tea));
    const int repeated = tea->Position() - clicked;
    EXPECT_TRUE(repeated >= 2 && repeated <= 6) << repeated;  // a click alone would give 1
    EXPECT_EQ(quiet(tea), 0);
}

TEST_F(Window, TypedValuesAreKeptExactlyAndOutOfRangeOnesIgnored) {
    w->SetParamValue(2, nullptr, 44.123);
    EXPECT_EQ(Bar_(Bar::TEA)->Position(), 4412);
    EXPECT_EQ(w->Params[2], 44.123);
    EXPECT_EQ(Title(Box::TEA), QString::fromUtf8("Edge Angle: 44.123° ; 0°"));
    const int builds = w->BuildCount;
    w->SetParamValue(2, nullptr, 181);
    EXPECT_EQ(w->Params[2], 44.123);
    EXPECT_EQ(w->BuildCount, builds);
    // Through the value menu: Copy, then Paste of "1,25" (out of range) and "0,25".
    w->MenuCopyBarsClick(2);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "44.123");
    QGuiApplication::clipboard()->setText("1,25");
    EXPECT_TRUE(w->PasteEnabled());
    w->MenuPasteBarsClick(5);
    EXPECT_EQ(w->Params[5], 0.0575);
    QGuiApplication::clipboard()->setText("0,25");
    w->MenuPasteBarsClick(5);
    EXPECT_EQ(w->Params[5], 0.25);
    QGuiApplication::clipboard()->setText("");
    EXPECT_FALSE(w->PasteEnabled());
}

TEST_F(Window, LiveRebuildOffKeepsCaptionsCurrentAndBuildsOnceWhenBackOn) {
    w->ActBars->trigger();
    EXPECT_EQ(w->ActBars->toolTip(), "Enable Scroll Bars");
    const int builds = w->BuildCount;
    const std::string info = w->InfoText;
    Bar_(Bar::TEA)->SetPosition(5000);
    EXPECT_EQ(Title(Box::TEA), QString::fromUtf8("Edge Angle: 50° ; 0°"));
    EXPECT_EQ(std::pair(w->BuildCount, w->InfoText), std::pair(builds, info));
    const int pos = w->HistoryRing.Pos();
    w->ActBars->trigger();
    EXPECT_EQ(std::pair(w->BuildCount, w->HistoryRing.Pos()), std::pair(builds + 1, pos + 1));
}

TEST_F(Window, TwoDimensionalTunnelDrawsThePressurePlotAndRedrawsOnResize) {
    w->Act3D->trigger();
    w->ActTunnel->trigger();
    EXPECT_NE(w->InfoText.find("Cl"), std::string::npos);
    const QImage before = w->DrawBitmap.Image().copy();
    EXPECT_EQ(before.size(), w->ImgBox->size());
    int curve = 0;  // the upper surface's pressure curve is drawn in pure green
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) curve += before.pixelColor(x, y) == QColor(0, 255, 0);
    EXPECT_GT(curve, 200);
    testing::SaveScreenshot(w->grab().toImage(), "window_offscreen_2d_tunnel");
    // Many resize events, one rebuild per turn of the event loop, at the new size.
    w->resize(w->width() + 120, w->height() + 60);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(w->DrawBitmap.Image().size(), w->ImgBox->size());
    EXPECT_NE(w->DrawBitmap.Image().size(), before.size());
}

TEST_F(Window, NewAndCloseAskBeforeLosingWork) {
    StepRight(Bar::TEA);
    ASSERT_FALSE(w->ProjectSaved);
    // Cancel keeps everything.
    prompter.answers = {QMessageBox::Cancel};
    w->ActNew->trigger();
    EXPECT_EQ(Bar_(Bar::TEA)->Position(), 4401);
    // Yes with the save panel cancelled: nothing saved, so nothing is reset and the window stays open.
    prompter.answers = {QMessageBox::Yes};
    w->ActNew->trigger();
    EXPECT_EQ(Bar_(Bar::TEA)->Position(), 4401);
    prompter.answers = {QMessageBox::Yes};
    EXPECT_FALSE(w->close());
    // No resets, keeping the subdivisions, with both direction sliders at 1.
    Bar_(Bar::NPX)->SetPosition(48);
    prompter.answers = {QMessageBox::No};
    w->ActNew->trigger();
    EXPECT_EQ(std::tuple(Bar_(Bar::TEA)->Position(), Bar_(Bar::NPX)->Position(), Bar_(Bar::Versus)->Position()), std::tuple(4400, 48, 1));
    EXPECT_TRUE(w->ProjectSaved);
    EXPECT_EQ(prompter.asked.size(), 4u);
    EXPECT_EQ(prompter.asked[0].text, "Do you want to save changes?");
    EXPECT_TRUE(w->close());
}

// Subdivisions up to 2000 and rows from 9 in 3D, panels up to 10000 in 2D; Cancel (no text) changes nothing.
TEST_F(Window, MaximumValueCommandTakesOnlyWhatTheModeAllows) {
    struct Step { bool to2D; int bar; const char* text; int max; };
    for (const Step& s : {Step{false, 0, "2001", 64}, {false, 0, "2000", 2000}, {false, 1, "8", 64}, {true, 0, "10000", 10000}, {false, 0, nullptr, 10000}}) {
        if (s.to2D) w->Act3D->trigger();
        if (s.text) Answer(s.text);
        w->SetMaxValueClick(s.bar);
        EXPECT_EQ(Bar_(s.bar == 0 ? Bar::NPX : Bar::MPX)->Max(), s.max) << (s.text ? s.text : "cancelled");
    }
    EXPECT_EQ(std::pair(w->MaxSubdivisions3D, w->MaxPanels2D), std::pair(2000, 10000));
}

TEST_F(Window, DialogCommandsApplyOnOkOnly) {
    // Resize: OK asks for the sizes and rebuilds; Cancel leaves everything.
    Answer({{"EditLengthX", "2"}}, false);
    w->ActDimensions->trigger();
    EXPECT_EQ(w->Model.LengthX, -1.0);
    Answer({{"EditLengthX", "2"}});
    w->ActDimensions->trigger();
    EXPECT_EQ(w->Model.LengthX, 2.0);
    EXPECT_TRUE(w->LLength->text().contains("Length-X: 2 "));
    EXPECT_FALSE(w->ProjectSaved);
    // Tangent factors: each changed factor reaches the model.
    Answer({{"EditULE", "0.5"}});
    w->ActTanFactor->trigger();
    EXPECT_EQ(std::pair(w->Params[40], w->Params[41]), std::pair(0.5, 0.65));
    // In 2D the dimensions command edits the airfoil options and stores a snapshot without a rebuild.
    w->Act3D->trigger();
    const int builds = w->BuildCount;
    const int pos = w->HistoryRing.Pos();
    Answer({{"EditChordLength", "3"}});
    w->ActDimensions->trigger();
    EXPECT_EQ(std::tuple(w->Options.Airfoil.AirfoilChordLength, w->BuildCount, w->HistoryRing.Pos()), std::tuple(3.0, builds, pos + 1));
    // Alpha: only 64..255 is taken; Cancel and nonsense change nothing.
    Answer({{"EditDefault", "100"}});
    w->ActAlphaValue->trigger();
    Answer({{"EditDefault", "30"}});
    w->ActAlphaValue->trigger();
    w->ActAlphaValue->trigger();
    EXPECT_EQ(w->AlphaValue, 100);
    // Edit on a slider keeps a typed minus sign.
    Answer({{"EditDefault", "-0,25"}});
    w->MenuEditBarsClick(9);
    EXPECT_EQ(w->Params[9], -0.25);
    w->ActCopyInfo->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), w->InfoText);
}

TEST_F(Window, FinestBodyShowsTheBusyCursorAndStaysResponsive) {
    for (int bar : {0, 1}) {
        Answer("2000");
        w->SetMaxValueClick(bar);
    }
    // One build at the far end of both sliders.
    w->ActBars->trigger();
    Bar_(Bar::NPX)->SetPosition(2000);
    Bar_(Bar::MPX)->SetPosition(2000);
    w->ActBars->trigger();
    EXPECT_EQ(std::tuple(w->BusyCursorBuilds, QApplication::overrideCursor() == nullptr, w->Model.GridN), std::tuple(1, true, 2000));
    StepRight(Bar::NPX);  // the maximum: the same value again, rebuilt
    Bar_(Bar::NPX)->SetPosition(40);
    Bar_(Bar::MPX)->SetPosition(40);
    EXPECT_EQ(std::pair(w->Model.GridN, QApplication::overrideCursor() == nullptr), std::pair(40, true));
}

}  // namespace
}  // namespace korvel
