// scroll_bar.h — the flat horizontal integer slider that carries every parameter and view setting of the window.
#pragma once

#include <QPoint>
#include <QSize>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

class QTimer;

namespace korvel {

class THScrollBar : public QWidget {
    Q_OBJECT

public:
    // Sizes of the end buttons and their bracket glyphs, all derived from the control's height.
    struct ButtonGeometry {
        int button = 0;  // B: width of each end button (even)
        int arm = 0;     // A: length of a bracket's serifs
        int half = 0;    // h: half the button width, also the thumb's half width
        int serif = 0;   // S: height of a serif
    };

    // Where a press or a repeat step lands, tested in this order.
    enum class Zone { LeftButton, RightButton, TrackAfter, TrackBefore, Thumb };

    // The cursor in the control's own coordinates; the repeat step asks it where the cursor is now.
    using CursorSource = std::function<QPoint()>;
    // The mouse buttons held now; the repeat and the drag ask it whether their press still holds.
    using ButtonSource = std::function<Qt::MouseButtons()>;

    explicit THScrollBar(QWidget* parent = nullptr);
    ~THScrollBar() override;

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    int LargeChange() const { return largeChange_; }
    int SmallChange() const { return smallChange_; }
    int PageSize() const { return pageSize_; }
    bool Enabled() const { return enabled_; }
    int Tag() const { return tag_; }

    // Lowering Max (or raising Min) past the position pulls the position along without a Change.
    void SetMin(int v);
    void SetMax(int v);
    // Emits Change unless v equals the position; a request beyond a bound at that bound emits again.
    void SetPosition(int v);
    void SetLargeChange(int v);
    void SetSmallChange(int v);
    void SetPageSize(int v);
    // Enables the widget in the toolkit and arms (or disarms) the mouse, key and timer handling.
    void SetEnabled(bool v);
    void SetTag(int v) { tag_ = v; }

    // An empty source restores the platform's cursor.
    void SetCursorSource(CursorSource source);
    // An empty source restores the application's own record of the buttons.
    void SetButtonSource(ButtonSource source);

    // One step towards the cursor: the repeat timer's tick, and the single step of a quick click.
    void TimerRepeat();

    static ButtonGeometry CalcButtons(int height);
    // The thumb's centre column; none when Max equals Min (the thumb then keeps its place).
    static std::optional<int> ThumbCentre(int width, const ButtonGeometry& g, int position, int min, int max);
    // The position whose thumb centre lies under x; none when the track is too short to map.
    static std::optional<int> DragPosition(int x, int width, const ButtonGeometry& g, int min, int max);
    static Zone PressZone(int x, int width, int button, int thumbLeft, int thumbRight);

    QSize sizeHint() const override { return QSize(100, 18); }

signals:
    void Change(THScrollBar* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    enum Slot { kFrame, kText, kBack, kThumb, kThumbActive, kThumbHover, kButtonHover, kTopLine };

    void Assign(int64_t v);
    void Step(int64_t delta) { Assign(int64_t{position_} + delta); }
    void SyncSize();
    void CalcThumb();
    void StopRepeat();
    void RestColours();
    void HoverColours(int x);
    bool Inside(QPoint p) const { return p.x() >= 0 && p.x() < w_ && p.y() >= 0 && p.y() < h_; }
    void Leave();
    void LeaveWhileHeld();
    bool PressStillHeld() const;
    void ForgetPress();

    int min_ = 0, max_ = 100, position_ = 0;
    int largeChange_ = 10, smallChange_ = 1, pageSize_ = 0;
    bool enabled_ = false;
    int tag_ = 0;

    int w_ = 100, h_ = 18;
    ButtonGeometry g_;
    int thumbLeft_ = 0, thumbRight_ = 0;  // right is the first column past the thumb
    bool held_ = false, stepped_ = true;
    bool leftWhileHeld_ = false;  // the cursor has left the control since the press; cleared by the next press
    int dragStart_ = 0;

    Slot thumb_ = kBack, leftFace_ = kBack, rightFace_ = kBack, leftGlyph_ = kFrame, rightGlyph_ = kFrame;
    QTimer* timer_ = nullptr;
    CursorSource cursor_;
    ButtonSource buttons_;
};

}  // namespace korvel
