// image_box.h — the 2D view: shows the drawing bitmap as drawn, and tells the window when its size changes.
#pragma once

#include <QWidget>

#include <functional>

namespace korvel {

class QtCanvas;

class ImageBox final : public QWidget {
public:
    ImageBox(QtCanvas& bitmap, QWidget* parent);
    std::function<void()> OnResize;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    QtCanvas& bitmap_;
};

}  // namespace korvel
