// image_box.cpp — copying the drawing bitmap onto the 2D view.
#include "image_box.h"

#include <QPainter>

#include "qt_canvas.h"

namespace korvel {

ImageBox::ImageBox(QtCanvas& bitmap, QWidget* parent) : QWidget(parent), bitmap_(bitmap) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    // A plain source copy of the bitmap's rectangle onto the same rectangle of the box.
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, 0), bitmap_.Image());
}

void ImageBox::resizeEvent(QResizeEvent*) {
    if (OnResize) OnResize();
}

}  // namespace korvel
