// scroll_bar.cpp — the flat horizontal integer slider: geometry, painting, setters, mouse, keys and repeat.
#include "app/scroll_bar.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QRect>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/checked_int.h"

namespace korvel {

namespace {

constexpr int kFirstDelay = 200;  // ms before a held button or track starts repeating
constexpr int kRepeatDelay = 70;  // ms between repeated steps

// The colour of each slot follows the widget's palette, so a theme change repaints in its colours.
constexpr std::array<QPalette::ColorRole, 8> kSlotRoles = {
    QPalette::Shadow,       // frame: both glyphs at rest
    QPalette::WindowText,   // text: the glyph of the button under the cursor
    QPalette::Window,       // back: track, faces at rest, thumb while disabled
    QPalette::Mid,          // thumb: at rest while enabled
    QPalette::Dark,         // thumb active: under the cursor and after every change
    QPalette::Dark,         // thumb hover: cursor elsewhere on the control
    QPalette::Highlight,    // button hover: face of the button under the cursor
    QPalette::Base,         // top line
};

// The pixel column holding a (possibly fractional) event position.
int Column(const QMouseEvent* event) { return ClampToInt32(std::floor(event->position().x())); }
int Row(const QMouseEvent* event) { return ClampToInt32(std::floor(event->position().y())); }

}  // namespace

THScrollBar::THScrollBar(QWidget* parent) : QWidget(parent), g_(CalcButtons(h_)) {
    resize(w_, h_);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    CalcThumb();
    timer_ = new QTimer(this);
    timer_->setInterval(kFirstDelay);
    connect(timer_, &QTimer::timeout, this, &THScrollBar::TimerRepeat);
}

THScrollBar::~THScrollBar() { timer_->stop(); }

THScrollBar::ButtonGeometry THScrollBar::CalcButtons(int height) {
    ButtonGeometry g;
    g.button = height + height / 8 + 1;
    if (g.button % 2 != 0) ++g.button;
    g.arm = std::max((height + 1) / 4 - 1, 2);
    g.half = g.button / 2;
    g.serif = g.arm / 2 + g.arm % 2;
    return g;
}

std::optional<int> THScrollBar::ThumbCentre(int width, const ButtonGeometry& g, int position, int min, int max) {
    if (max == min) return std::nullopt;
    const int64_t travel = int64_t{width} - 1 - 3 * int64_t{g.button};
    const int64_t product = travel * (int64_t{position} - min);
    return RoundToInt(static_cast<double>(product) / static_cast<double>(int64_t{max} - min) + g.half +
                      g.button);
}

std::optional<int> THScrollBar::DragPosition(int x, int width, const ButtonGeometry& g, int min, int max) {
    // A control no wider than three buttons has no track to map the cursor onto.
    const int64_t span = int64_t{width} - 3 * int64_t{g.button};
    if (span <= 0) return std::nullopt;
    const int64_t product = (int64_t{x} - g.button - g.half) * (int64_t{max} - min);
    const int p = RoundToInt(static_cast<double>(product) / static_cast<double>(span) + min);
    if (p < min) return min;
    if (p > max) return max;
    return p;
}

THScrollBar::Zone THScrollBar::PressZone(int x, int width, int button, int thumbLeft, int thumbRight) {
    if (x <= button) return Zone::LeftButton;
    if (x >= width - button) return Zone::RightButton;
    if (x > thumbRight) return Zone::TrackAfter;
    if (x < thumbLeft) return Zone::TrackBefore;
    return Zone::Thumb;
}

void THScrollBar::SetMin(int v) {
    if (v == min_) return;
    min_ = v;
    if (position_ < min_) position_ = min_;
    SyncSize();
    CalcThumb();
    update();
}

void THScrollBar::SetMax(int v) {
    if (v == max_) return;
    max_ = v;
    if (position_ > max_) position_ = max_;
    SyncSize();
    CalcThumb();
    update();
}

void THScrollBar::SetPosition(int v) { Assign(v); }

// Steps are taken in 64 bits, so a step past the int range still lands on the bound (and is announced).
void THScrollBar::Assign(int64_t v) {
    if (v == position_) return;
    if (v < min_)
        position_ = min_;
    else if (v > max_)
        position_ = max_;
    else
        position_ = static_cast<int>(v);
    if (enabled_) thumb_ = kThumbActive;
    SyncSize();
    CalcThumb();
    update();
    emit Change(this);
}

void THScrollBar::SetLargeChange(int v) { largeChange_ = v; }
void THScrollBar::SetSmallChange(int v) { smallChange_ = v; }
void THScrollBar::SetPageSize(int v) { pageSize_ = v; }

void THScrollBar::SetEnabled(bool v) {
    setEnabled(v);
    if (v == enabled_) return;
    enabled_ = v;
    thumb_ = v ? kThumb : kBack;
    update();
}

void THScrollBar::SetCursorSource(CursorSource source) { cursor_ = std::move(source); }
void THScrollBar::SetButtonSource(ButtonSource source) { buttons_ = std::move(source); }

// Qt delivers a hidden widget's resize only when it is shown, so every reader of the geometry asks the
// widget's size itself rather than waiting for the event.
void THScrollBar::SyncSize() {
    if (width() == w_ && height() == h_) return;
    w_ = width();
    h_ = height();
    if (w_ < 1 || h_ < 1) return;
    g_ = CalcButtons(h_);
    CalcThumb();
}

void THScrollBar::CalcThumb() {
    const std::optional<int> centre = ThumbCentre(w_, g_, position_, min_, max_);
    if (!centre) return;
    thumbLeft_ = *centre - g_.half;
    thumbRight_ = *centre + g_.half + 1;
}

void THScrollBar::StopRepeat() {
    timer_->stop();
    timer_->setInterval(kFirstDelay);
}

void THScrollBar::RestColours() {
    thumb_ = kThumb;
    leftFace_ = rightFace_ = kBack;
    leftGlyph_ = rightGlyph_ = kFrame;
}

void THScrollBar::HoverColours(int x) {
    if (x >= thumbLeft_ && x <= thumbRight_) {
        thumb_ = kThumbActive;
    } else {
        thumb_ = kThumbHover;
        if (x <= g_.button) {
            leftFace_ = kButtonHover;
            leftGlyph_ = kText;
        } else if (x >= w_ - g_.button) {
            rightFace_ = kButtonHover;
            rightGlyph_ = kText;
        }
    }
}

void THScrollBar::Leave() {
    StopRepeat();
    RestColours();
    update();
}

// Qt sends no Leave while a button is held (the widget has grabbed the mouse), so leaving is judged from
// the cursor instead. It counts once per press: coming back inside must not revive the repeat.
void THScrollBar::LeaveWhileHeld() {
    if (leftWhileHeld_) return;
    leftWhileHeld_ = true;
    Leave();
}

// The release of a press can go elsewhere: to a popup or a modal window that opened meanwhile, or to
// nobody when the slider was disabled or hidden. So the press counts only while the left button is down
// and no other window has taken the mouse.
bool THScrollBar::PressStillHeld() const {
    const Qt::MouseButtons buttons = buttons_ ? buttons_() : QGuiApplication::mouseButtons();
    if (!(buttons & Qt::LeftButton)) return false;
    if (QApplication::activePopupWidget() != nullptr) return false;
    const QWidget* modal = QApplication::activeModalWidget();
    return modal == nullptr || modal->isAncestorOf(this);
}

// Drops a press whose release this slider will not see: no further tick, drag or release step comes of it.
void THScrollBar::ForgetPress() {
    if (!held_) return;
    held_ = false;
    dragStart_ = 0;
    stepped_ = true;
    Leave();
}

void THScrollBar::resizeEvent(QResizeEvent*) {
    SyncSize();
    update();
}

void THScrollBar::paintEvent(QPaintEvent*) {
    SyncSize();
    const int W = w_, H = h_;
    if (W < 1 || H < 1) return;
    const int B = g_.button, A = g_.arm, h = g_.half, S = g_.serif;
    QPainter painter(this);
    const QPalette& pal = palette();
    // Rectangles as left, top, right, bottom with the right and bottom edges excluded.
    const auto fill = [&](int l, int t, int r, int b, Slot slot) {
        if (r > l && b > t) painter.fillRect(QRect(l, t, r - l, b - t), pal.color(kSlotRoles[slot]));
    };
    fill(0, 1, W, H, kBack);
    fill(0, 0, W, 1, kTopLine);
    fill(0, 1, B, H - 1, leftFace_);
    fill(W - B, 1, W - 1, H - 1, rightFace_);
    fill(thumbLeft_, 1, thumbRight_, H - 1, thumb_);
    fill(h - A, 1, h, H - 1, leftGlyph_);
    fill(h, 1, h + A, S + 1, leftGlyph_);
    fill(h, H - 1 - S, h + A, H - 1, leftGlyph_);
    fill(W - h, 1, W - h + A, H - 1, rightGlyph_);
    fill(W - h - A, 1, W - h, S + 1, rightGlyph_);
    fill(W - h - A, H - 1 - S, W - h, H - 1, rightGlyph_);
}

void THScrollBar::mousePressEvent(QMouseEvent* event) {
    if (!enabled_) return QWidget::mousePressEvent(event);
    SyncSize();
    dragStart_ = 0;
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    held_ = true;
    leftWhileHeld_ = false;
    const int x = Column(event);
    if (PressZone(x, w_, g_.button, thumbLeft_, thumbRight_) == Zone::Thumb) {
        dragStart_ = x;  // never 0 ("no drag"): column 0 always lies in the left button
        StopRepeat();
    } else {
        timer_->start();
        stepped_ = false;
    }
}

void THScrollBar::TimerRepeat() {
    if (!enabled_) return;
    SyncSize();
    if (held_ && !PressStillHeld()) return ForgetPress();
    const QPoint cursor = cursor_ ? cursor_() : mapFromGlobal(QCursor::pos());
    // Only a held button can have left; the release's own step comes after held_ is cleared.
    if (held_ && (leftWhileHeld_ || !Inside(cursor))) return LeaveWhileHeld();
    stepped_ = true;
    switch (PressZone(cursor.x(), w_, g_.button, thumbLeft_, thumbRight_)) {
        case Zone::LeftButton: Step(-int64_t{smallChange_}); break;
        case Zone::RightButton: Step(smallChange_); break;
        case Zone::TrackAfter: Step(largeChange_); break;
        case Zone::TrackBefore: Step(-int64_t{largeChange_}); break;
        case Zone::Thumb: break;
    }
    if (timer_->isActive() && timer_->interval() == kFirstDelay) timer_->setInterval(kRepeatDelay);
}

void THScrollBar::mouseReleaseEvent(QMouseEvent* event) {
    if (!enabled_) return QWidget::mouseReleaseEvent(event);
    held_ = false;
    dragStart_ = 0;
    StopRepeat();
    if (!stepped_) TimerRepeat();
    update();
}

void THScrollBar::mouseMoveEvent(QMouseEvent* event) {
    if (!enabled_) return QWidget::mouseMoveEvent(event);
    SyncSize();
    if (held_ && !PressStillHeld()) ForgetPress();  // a drag ends with its button, wherever the release went
    const int x = Column(event);
    RestColours();
    if (held_ && !Inside({x, Row(event)}))
        LeaveWhileHeld();  // a drag still follows x below, with the colours at rest
    else
        HoverColours(x);
    if (held_ && dragStart_ >= 1) {
        if (const std::optional<int> p = DragPosition(x, w_, g_, min_, max_)) Assign(*p);
    }
    update();  // the hover colours may have changed even where the position did not
}

void THScrollBar::leaveEvent(QEvent* event) {
    if (!enabled_) return QWidget::leaveEvent(event);
    Leave();
}

void THScrollBar::keyPressEvent(QKeyEvent* event) {
    QWidget::keyPressEvent(event);
    if (!enabled_) return;
    switch (event->key()) {
        case Qt::Key_PageUp: Step(-int64_t{largeChange_}); break;
        case Qt::Key_PageDown: Step(largeChange_); break;
        case Qt::Key_Left:
        case Qt::Key_Up: Step(-int64_t{smallChange_}); break;
        case Qt::Key_Right:
        case Qt::Key_Down: Step(smallChange_); break;
        default: return;
    }
    event->accept();
}

// The slider's own context menu takes the mouse, and the release with it.
bool THScrollBar::event(QEvent* event) {
    if (event->type() == QEvent::ContextMenu) ForgetPress();
    return QWidget::event(event);
}

void THScrollBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) ForgetPress();
    QWidget::changeEvent(event);
}

void THScrollBar::hideEvent(QHideEvent* event) {
    ForgetPress();
    QWidget::hideEvent(event);
}

}  // namespace korvel
