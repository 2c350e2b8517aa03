// scroll_bar_test.cpp — the parameter slider headless: geometry, drag mapping, setters, keys, repeat and paint.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <climits>
#include <cstdlib>
#include <optional>

#include "app/scroll_bar.h"
#include "app_test_support.h"

namespace korvel {
namespace {

// A slider of the window's height with a scripted cursor and buttons and a count of its Change signals. At W 200 and
// range 0..100 the buttons reach x 14 and start at x 186; the thumb spans 15 columns centred at
// round(1.57 p + 21).
struct Rig {
    bool app = (testing::EnsureApplication(), true);
    THScrollBar bar;
    QPoint cursor{0, 5};
    Qt::MouseButtons buttons;
    int changes = 0;
    explicit Rig(int width = 200, bool enable = true) {
        bar.resize(width, 11);
        bar.SetCursorSource([this] { return cursor; });
        bar.SetButtonSource([this] { return buttons; });
        QObject::connect(&bar, &THScrollBar::Change, [this](THScrollBar* sender) { changes += sender == &bar; });
        if (enable) bar.SetEnabled(true);
    }
    QTimer* Timer() { return bar.findChild<QTimer*>(); }
    void Press(int x) {
        buttons = Qt::LeftButton;
        QTest::mousePress(&bar, Qt::LeftButton, {}, cursor = {x, 5});
    }
    void Release() {
        buttons = Qt::NoButton;
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, cursor);
    }
    // QTest turns a move without a held button into a platform cursor move, which a hidden widget never sees.
    void Move(int x) {
        cursor = {x, 5};
        QMouseEvent event(QEvent::MouseMove, cursor, bar.mapToGlobal(cursor), Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(&bar, &event);
    }
    // With the button held QTest sends a real move, to any point, also outside the control.
    void Drag(QPoint to) { QTest::mouseMove(&bar, cursor = to); }
    std::pair<int, int> State() const { return {bar.Position(), changes}; }
};

TEST(ScrollBar, ThumbRunsBetweenTheButtonsAndADragPutsItsCentreUnderTheCursor) {
    const auto g = THScrollBar::CalcButtons(11);
    EXPECT_EQ(g.button, 14);
    for (auto [width, min, max] : {std::tuple{200, 0, 100}, {237, -50, 50}, {100, 0, 1}, {400, INT_MIN, INT_MAX}}) {
        EXPECT_EQ(*THScrollBar::ThumbCentre(width, g, min, min, max) - g.half, g.button) << width;
        EXPECT_EQ(*THScrollBar::ThumbCentre(width, g, max, min, max) + g.half + 1, width - g.button) << width;
    }
    EXPECT_EQ(THScrollBar::ThumbCentre(200, g, 5, 5, 5), std::nullopt);  // Max = Min: the thumb stays put
    struct Row { int x, width, min, max; std::optional<int> p; };
    for (const Row& r : {Row{100, 200, 0, 100, 50}, Row{0, 200, 0, 100, 0}, Row{199, 200, 0, 100, 100},
                         Row{100, 200, -50, 50, 0}, Row{30, 43, 0, 100, 100},
                         Row{20, 42, 0, 100, std::nullopt}, Row{5, 30, 0, 100, std::nullopt}})  // no track
        EXPECT_EQ(THScrollBar::DragPosition(r.x, r.width, g, r.min, r.max), r.p) << r.x << " " << r.width;
    for (int p = 0; p <= 100; ++p) {  // grabbing the thumb and letting it go again keeps the position
        const int centre = *THScrollBar::ThumbCentre(200, g, p, 0, 100);
        EXPECT_LE(std::abs(*THScrollBar::DragPosition(centre, 200, g, 0, 100) - p), 1) << p;
    }
}

TEST(ScrollBar, SettersAndKeysFireChangeOnlyThroughPositionAndAgainAtABound) {
    Rig rig;
    struct Row { void (THScrollBar::*set)(int); int value, position, changes; };
    for (const Row& r : {Row{&THScrollBar::SetPosition, 0, 0, 0},    // equal value: nothing
                         Row{&THScrollBar::SetPosition, -5, 0, 1},   // beyond Min while at Min: again
                         Row{&THScrollBar::SetPosition, 80, 80, 2},  //
                         Row{&THScrollBar::SetMax, 50, 50, 2},       // lowering Max clamps silently
                         Row{&THScrollBar::SetPosition, 51, 50, 3},  //
                         Row{&THScrollBar::SetMax, 100, 50, 3},      //
                         Row{&THScrollBar::SetMin, 60, 60, 3}}) {    // raising Min likewise
        (rig.bar.*r.set)(r.value);
        EXPECT_EQ(rig.State(), std::pair(r.position, r.changes)) << r.value;
    }
    for (auto [key, max, start, position] :
         {std::tuple{Qt::Key_PageDown, 100, 50, 60}, {Qt::Key_PageUp, 100, 50, 40}, {Qt::Key_Left, 100, 50, 49},
          {Qt::Key_Up, 100, 50, 49}, {Qt::Key_Right, 100, 50, 51}, {Qt::Key_Down, 100, 50, 51},
          {Qt::Key_Right, 100, 100, 100}, {Qt::Key_PageDown, INT_MAX, INT_MAX, INT_MAX}, {Qt::Key_A, 100, 50, 50}}) {
        Rig k;
        k.bar.SetMax(max);
        k.bar.SetPosition(start);
        k.changes = 0;
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&k.bar, &event);
        EXPECT_EQ(event.isAccepted(), key != Qt::Key_A) << key;
        EXPECT_EQ(k.State(), std::pair(position, key != Qt::Key_A ? 1 : 0)) << key;
    }
}

TEST(ScrollBar, EndButtonStepsOnceAtAQuickReleaseAndRepeatsWhileHeld) {
    Rig rig;
    rig.Press(190);
    EXPECT_EQ(std::pair(rig.Timer()->interval(), rig.changes), std::pair(200, 0));  // nothing at the press itself
    rig.Release();
    EXPECT_EQ(rig.State(), std::pair(1, 1));

    rig.Press(190);
    rig.bar.TimerRepeat();
    EXPECT_EQ(rig.Timer()->interval(), 70);
    rig.bar.TimerRepeat();
    EXPECT_EQ(rig.bar.Position(), 3);
    rig.cursor = {5, 5};  // moved, still held, to the other button: the steps turn round
    rig.bar.TimerRepeat();
    rig.Release();  // adds nothing after a tick
    EXPECT_EQ(std::tuple(rig.bar.Position(), rig.Timer()->isActive(), rig.Timer()->interval()), std::tuple(2, false, 200));

    rig.Press(190);  // the real timer: steps at 200, 270, 340, 410 ms (later under load)
    QTest::qWait(450);
    rig.Release();
    EXPECT_TRUE(rig.bar.Position() >= 3 && rig.bar.Position() <= 6) << rig.bar.Position();

    Rig track;  // a held track repeats until the thumb reaches the cursor
    track.Press(120);  // the thumb at 60 spans 108..123
    for (int tick = 0; tick < 10; ++tick) track.bar.TimerRepeat();
    EXPECT_EQ(track.State(), std::pair(60, 6));
}

TEST(ScrollBar, ThumbDragFollowsTheCursorButNeverOnANarrowOrDisabledSlider) {
    Rig rig;
    rig.Press(21);  // a click on the thumb does nothing
    rig.Release();
    rig.Press(25);  // grabbed off-centre: the centre still follows the cursor
    EXPECT_FALSE(rig.Timer()->isActive());
    rig.Move(100);
    rig.Release();
    EXPECT_EQ(rig.State(), std::pair(50, 1));

    Rig narrow(40);  // no wider than three buttons
    narrow.bar.SetPosition(50);
    narrow.Press(*THScrollBar::ThumbCentre(40, THScrollBar::CalcButtons(11), 50, 0, 100));
    narrow.Move(38);
    narrow.Release();
    EXPECT_EQ(narrow.bar.Position(), 50);

    Rig off(200, false);
    off.Press(190);
    off.bar.TimerRepeat();
    off.Release();
    EXPECT_EQ(off.State(), std::pair(0, 0));
}

TEST(ScrollBar, AHeldButtonStopsForGoodOnceTheCursorLeavesWhileADragStillFollowsX) {
    Rig rig;
    const auto stopped = [&rig] { return !rig.Timer()->isActive() && rig.Timer()->interval() == 200; };
    rig.Press(190);
    rig.bar.TimerRepeat();
    rig.Drag({190, -40});  // seen by the move
    EXPECT_TRUE(stopped());
    rig.bar.TimerRepeat();
    rig.Drag({190, 5});  // back inside restarts nothing
    rig.bar.TimerRepeat();
    EXPECT_TRUE(stopped());
    rig.Release();  // a tick had stepped: nothing more
    EXPECT_EQ(rig.State(), std::pair(1, 1));

    rig.Press(190);
    rig.cursor = {230, 5};  // beyond the right end, seen by the tick alone
    rig.bar.TimerRepeat();
    EXPECT_TRUE(stopped());
    rig.cursor = {190, 5};
    rig.bar.TimerRepeat();
    rig.Release();  // no tick stepped since the press: the release steps once, as ever
    EXPECT_EQ(rig.State(), std::pair(2, 2));

    Rig drag;
    drag.Press(21);
    drag.Drag({100, 40});
    drag.Drag({130, -40});
    drag.Release();
    EXPECT_EQ(drag.State(), std::pair(69, 2));
}

// A release the slider never sees must not leave it stepping or dragging on its own.
TEST(ScrollBar, HidingOrALostReleaseForgetsThePress) {
    Rig rig;
    rig.bar.show();
    rig.Press(190);
    rig.bar.hide();
    rig.bar.show();
    EXPECT_FALSE(rig.Timer()->isActive());
    rig.buttons = Qt::NoButton;
    QTest::mouseRelease(&rig.bar, Qt::LeftButton, {}, rig.cursor);  // a late release: no step of its own
    EXPECT_EQ(rig.State(), std::pair(0, 0));

    rig.Press(21);  // on the thumb
    rig.buttons = Qt::NoButton;
    rig.Move(100);  // a hover after the release went elsewhere: no drag
    EXPECT_EQ(rig.State(), std::pair(0, 0));
}

TEST(ScrollBar, PaintsTheThumbWhereItIsAndRecoloursOnHover) {
    Rig rig;
    QPalette pal;
    const QColor back(240, 240, 240), thumb(180, 180, 180), active(120, 120, 120), hover(40, 120, 200);
    for (auto [role, colour] : {std::pair{QPalette::Window, back}, {QPalette::Mid, thumb}, {QPalette::Dark, active},
                                {QPalette::Highlight, hover}})
        pal.setColor(role, colour);
    rig.bar.setPalette(pal);
    const auto at = [&rig](int x) {
        QImage image(200, 11, QImage::Format_RGB32);
        rig.bar.render(&image);
        return image.pixelColor(x, 5);
    };
    rig.bar.SetPosition(50);  // centre 99.5 -> 100: columns 93..107
    for (auto [x, colour] : {std::pair{92, back}, {93, active}, {107, active}, {108, back}}) EXPECT_EQ(at(x), colour) << x;
    rig.Move(3);
    EXPECT_EQ(at(1), hover);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&rig.bar, &leave);
    EXPECT_EQ(std::pair(at(1), at(100)), std::pair(back, thumb));
    rig.bar.SetEnabled(false);
    EXPECT_EQ(at(100), back);
}

}  // namespace
}  // namespace korvel
