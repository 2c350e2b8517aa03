// scroll_bar_test.cpp — the parameter slider headless: geometry, drag mapping, setters, keys, repeat and paint.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QTest>
#include <QTimer>

#include <array>
#include <climits>
#include <initializer_list>
#include <cstdlib>
#include <optional>
#include <utility>

#include "app/scroll_bar.h"

namespace korvel {
namespace {

// One headless application object for the whole program, made before the first widget. It is never
// destroyed: at exit Qt's own statics (the input devices of the synthetic events) may already be gone.
struct Headless {
    Headless() {
        if (QCoreApplication::instance() != nullptr) return;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_app";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
};

// A slider of the window's height with a scripted cursor and a count of its Change signals. At W 200 and
// range 0..100 the buttons reach x 14 and start at x 186; the thumb spans 15 columns centred at
// round(1.57 p + 21).
struct Rig : Headless {
    THScrollBar bar;
    QPoint cursor{0, 5};
    int changes = 0;
    explicit Rig(int width = 200, bool enable = true) {
        bar.resize(width, 11);
        bar.SetCursorSource([this] { return cursor; });
        QObject::connect(&bar, &THScrollBar::Change, [this](THScrollBar* sender) {
            EXPECT_EQ(sender, &bar);
            ++changes;
        });
        if (enable) bar.SetEnabled(true);
    }
    QTimer* Timer() { return bar.findChild<QTimer*>(); }
    void Press(int x) {
        cursor = {x, 5};
        QTest::mousePress(&bar, Qt::LeftButton, {}, cursor);
    }
    void Release() { QTest::mouseRelease(&bar, Qt::LeftButton, {}, cursor); }
    // QTest turns a move without a held button into a platform cursor move, which a hidden widget never sees.
    void Move(int x) {
        cursor = {x, 5};
        QMouseEvent event(QEvent::MouseMove, cursor, bar.mapToGlobal(cursor), Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(&bar, &event);
    }
    bool Key(int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&bar, &event);
        return event.isAccepted();
    }
};

TEST(ScrollBar, ButtonGeometryFollowsTheHeight) {
    using Sizes = std::array<int, 4>;  // button, arm, half, serif
    for (const auto& [height, sizes] : {std::pair{11, Sizes{14, 2, 7, 1}}, {18, Sizes{22, 3, 11, 2}},
                                        {32, Sizes{38, 7, 19, 4}}, {1, Sizes{2, 2, 1, 1}}}) {
        const THScrollBar::ButtonGeometry g = THScrollBar::CalcButtons(height);
        EXPECT_EQ((Sizes{g.button, g.arm, g.half, g.serif}), sizes) << height;
    }
}

TEST(ScrollBar, ThumbRunsFromTheLeftButtonToTheRightOne) {
    struct Row { int width, height, min, max; };
    for (const Row& r : {Row{200, 11, 0, 100}, Row{237, 11, -50, 50}, Row{100, 18, 0, 1}, Row{900, 11, 0, 18000},
                         Row{400, 11, INT_MIN, INT_MAX}}) {
        const auto g = THScrollBar::CalcButtons(r.height);
        EXPECT_EQ(*THScrollBar::ThumbCentre(r.width, g, r.min, r.min, r.max) - g.half, g.button) << r.width;
        EXPECT_EQ(*THScrollBar::ThumbCentre(r.width, g, r.max, r.min, r.max) + g.half + 1, r.width - g.button)
            << r.width;
    }
    const auto g = THScrollBar::CalcButtons(11);
    EXPECT_EQ(THScrollBar::ThumbCentre(200, g, 5, 5, 5), std::nullopt);  // Max = Min: the thumb stays put
    EXPECT_EQ(THScrollBar::ThumbCentre(198, g, 1, 0, 2), 98);            // 98.5: halves to even
}

TEST(ScrollBar, DragPutsTheThumbCentreUnderTheCursor) {
    const auto g = THScrollBar::CalcButtons(11);
    struct Row { int x, width, min, max; std::optional<int> p; };
    for (const Row& r : {Row{100, 200, 0, 100, 50}, Row{21, 200, 0, 100, 0}, Row{0, 200, 0, 100, 0},
                         Row{199, 200, 0, 100, 100}, Row{100, 200, -50, 50, 0}, Row{30, 43, 0, 100, 100},
                         Row{20, 42, 0, 100, std::nullopt}, Row{5, 30, 0, 100, std::nullopt}}) {
        EXPECT_EQ(THScrollBar::DragPosition(r.x, r.width, g, r.min, r.max), r.p) << r.x << " " << r.width;
    }
    for (int p = 0; p <= 100; ++p) {  // grabbing the thumb and letting it go again keeps the position
        const int centre = *THScrollBar::ThumbCentre(200, g, p, 0, 100);
        EXPECT_LE(std::abs(*THScrollBar::DragPosition(centre, 200, g, 0, 100) - p), 1) << p;
    }
}

TEST(ScrollBar, SettersFireChangeOnlyThroughPosition) {
    Rig rig;
    struct Row { void (THScrollBar::*set)(int); int value, position, changes; };
    for (const Row& r : {Row{&THScrollBar::SetPosition, 0, 0, 0},    // equal value: nothing
                         Row{&THScrollBar::SetPosition, -5, 0, 1},   // beyond Min while at Min: again
                         Row{&THScrollBar::SetPosition, 80, 80, 2},  //
                         Row{&THScrollBar::SetMax, 50, 50, 2},       // lowering Max clamps silently
                         Row{&THScrollBar::SetPosition, 50, 50, 2},  //
                         Row{&THScrollBar::SetPosition, 51, 50, 3},  //
                         Row{&THScrollBar::SetMax, 100, 50, 3},      //
                         Row{&THScrollBar::SetMin, 60, 60, 3},       // raising Min likewise
                         Row{&THScrollBar::SetMin, 0, 60, 3}}) {
        (rig.bar.*r.set)(r.value);
        EXPECT_EQ(rig.bar.Position(), r.position) << r.value;
        EXPECT_EQ(rig.changes, r.changes) << r.value;
    }
}

TEST(ScrollBar, KeysStepAndAreConsumed) {
    struct Row { int key, max, start, position, changes; bool consumed; };
    for (const Row& r : {Row{Qt::Key_PageDown, 100, 50, 60, 1, true}, Row{Qt::Key_PageUp, 100, 50, 40, 1, true},
                         Row{Qt::Key_Left, 100, 50, 49, 1, true}, Row{Qt::Key_Up, 100, 50, 49, 1, true},
                         Row{Qt::Key_Right, 100, 50, 51, 1, true}, Row{Qt::Key_Down, 100, 50, 51, 1, true},
                         Row{Qt::Key_Right, 100, 100, 100, 1, true}, Row{Qt::Key_PageUp, 100, 0, 0, 1, true},
                         Row{Qt::Key_PageDown, INT_MAX, INT_MAX, INT_MAX, 1, true},  // past the int range
                         Row{Qt::Key_A, 100, 50, 50, 0, false}}) {
        Rig rig;
        rig.bar.SetMax(r.max);
        rig.bar.SetPosition(r.start);
        rig.changes = 0;
        EXPECT_EQ(rig.Key(r.key), r.consumed) << r.key;
        EXPECT_EQ(rig.bar.Position(), r.position) << r.key;
        EXPECT_EQ(rig.changes, r.changes) << r.key;
    }
}

TEST(ScrollBar, EndButtonStepsOnceAtAQuickReleaseAndRepeatsWhileHeld) {
    Rig rig;
    rig.Press(190);
    EXPECT_TRUE(rig.Timer()->isActive());
    EXPECT_EQ(rig.Timer()->interval(), 200);
    EXPECT_EQ(rig.changes, 0);  // nothing at the press itself
    rig.Release();
    EXPECT_EQ(rig.bar.Position(), 1);
    EXPECT_EQ(rig.changes, 1);

    rig.Press(190);
    rig.bar.TimerRepeat();
    EXPECT_EQ(rig.Timer()->interval(), 70);
    rig.bar.TimerRepeat();
    EXPECT_EQ(rig.bar.Position(), 3);
    rig.cursor = {5, 5};  // moved, still held, to the other button: the steps turn round
    rig.bar.TimerRepeat();
    rig.Release();  // adds nothing after a tick
    EXPECT_EQ(rig.bar.Position(), 2);
    EXPECT_FALSE(rig.Timer()->isActive());
    EXPECT_EQ(rig.Timer()->interval(), 200);

    rig.Press(190);  // the real timer: steps at 200, 270, 340, 410 ms (later under load)
    QTest::qWait(450);
    rig.Release();
    EXPECT_GE(rig.bar.Position() - 2, 1);
    EXPECT_LE(rig.bar.Position() - 2, 4);

    rig.bar.SetPosition(2);
    rig.bar.SetCursorSource({});  // the platform's cursor
    QCursor::setPos(rig.bar.mapToGlobal(QPoint(5, 5)));
    rig.Press(5);
    rig.Release();
    EXPECT_EQ(rig.bar.Position(), 1);
}

TEST(ScrollBar, HeldTrackStopsWhenTheThumbReachesTheCursor) {
    Rig rig;
    rig.Press(120);  // the thumb at 60 spans 108..123
    for (int tick = 0; tick < 10; ++tick) rig.bar.TimerRepeat();
    EXPECT_EQ(rig.bar.Position(), 60);
    EXPECT_EQ(rig.changes, 6);
    EXPECT_TRUE(rig.Timer()->isActive());
    rig.cursor = {40, 5};
    rig.bar.TimerRepeat();
    EXPECT_EQ(rig.bar.Position(), 50);
}

TEST(ScrollBar, ThumbDragFollowsTheCursorAndAClickOnItDoesNothing) {
    Rig rig;
    rig.Press(21);
    rig.Release();
    EXPECT_EQ(rig.changes, 0);
    rig.Press(25);  // grabbed off-centre: the centre still follows the cursor
    EXPECT_FALSE(rig.Timer()->isActive());
    rig.Move(100);
    EXPECT_EQ(rig.bar.Position(), 50);
    rig.Release();
    EXPECT_EQ(rig.bar.Position(), 50);
    EXPECT_EQ(rig.changes, 1);

    Rig narrow(40);  // no wider than three buttons: dragging never steps
    narrow.bar.SetPosition(50);
    narrow.Press(*THScrollBar::ThumbCentre(40, THScrollBar::CalcButtons(11), 50, 0, 100));
    narrow.Move(38);
    narrow.Release();
    EXPECT_EQ(narrow.bar.Position(), 50);
}

TEST(ScrollBar, NeverEnabledControlIgnoresInput) {
    Rig rig(200, false);
    rig.Press(190);
    rig.bar.TimerRepeat();
    rig.Release();
    EXPECT_FALSE(rig.Key(Qt::Key_Right));
    EXPECT_FALSE(rig.Timer()->isActive());
    EXPECT_EQ(rig.bar.Position(), 0);
    EXPECT_EQ(rig.changes, 0);
}

TEST(ScrollBar, PaintsTrackThumbBracketsAndHoverColours) {
    Rig rig;
    QPalette pal;
    const QColor back(240, 240, 240), top(255, 255, 255), thumb(180, 180, 180), active(120, 120, 120),
        frame(60, 60, 60), text(0, 0, 0), hover(40, 120, 200);
    for (auto [role, colour] : {std::pair{QPalette::Window, back}, {QPalette::Base, top}, {QPalette::Mid, thumb},
                                {QPalette::Dark, active}, {QPalette::Shadow, frame},
                                {QPalette::WindowText, text}, {QPalette::Highlight, hover}})
        pal.setColor(role, colour);
    rig.bar.setPalette(pal);
    struct Pixel { int x, y; QColor colour; };
    const auto expect = [&rig](std::initializer_list<Pixel> pixels) {
        QImage image(200, 11, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        rig.bar.render(&image);
        for (const Pixel& p : pixels) EXPECT_EQ(image.pixelColor(p.x, p.y), p.colour) << p.x << "," << p.y;
    };
    rig.bar.SetPosition(50);  // centre 99.5 -> 100: columns 93..107
    expect({{92, 5, back}, {93, 5, active}, {100, 5, active}, {107, 5, active}, {108, 5, back}, {100, 0, top},
            {100, 10, back},
            {5, 5, frame}, {7, 1, frame}, {7, 5, back},  // left stem (columns 5, 6), its top serif, inside
            {193, 5, frame}, {191, 9, frame}});           // right stem (columns 193, 194), its bottom serif
    rig.Move(3);
    expect({{1, 5, hover}, {5, 5, text}, {193, 5, frame}, {100, 5, active}});
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&rig.bar, &leave);
    expect({{1, 5, back}, {5, 5, frame}, {100, 5, thumb}});
    rig.bar.SetEnabled(false);
    expect({{100, 5, back}});
}

}  // namespace
}  // namespace korvel
