// qt_canvas.cpp — the engine's 2D canvas on a Qt raster image: what the modeller shows in its 2D view.
#include "app/qt_canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPoint>
#include <QPolygon>
#include <QRect>

#include <algorithm>

namespace korvel {

namespace {

QColor ToColour(Rgb c) { return QColor(c.r, c.g, c.b); }

// QPainter's raster engine works in fixed point; coordinates far outside any bitmap are pulled in to a
// range it handles exactly, which changes nothing that can be seen.
constexpr int32_t kFar = 1 << 22;
int Near(int32_t v) { return std::clamp(v, -kFar, kFar); }

QPolygon ToPolygon(const std::vector<PixelPoint>& points) {
    QPolygon polygon;
    polygon.reserve(static_cast<int>(points.size()));
    for (const PixelPoint& p : points) polygon.append(QPoint(Near(p.x), Near(p.y)));
    return polygon;
}

}  // namespace

QtCanvas::QtCanvas(int32_t width, int32_t height)
    : pen_(QColor(0, 0, 0)), brush_(QColor(0, 0, 0)), fontColour_(0, 0, 0) {
    pen_.setWidth(1);
    font_.setFamily(FamilyFor("Arial"));
    font_.setPixelSize(PixelSize(9));
    Resize(width, height);
}

QtCanvas::~QtCanvas() { EndPainting(); }

void QtCanvas::Resize(int32_t width, int32_t height) {
    EndPainting();
    // Every drawing starts by clearing the whole bitmap: a bitmap of the same size is kept as it is.
    if (!image_.isNull() && image_.width() == std::max(width, 0) && image_.height() == std::max(height, 0)) return;
    image_ = QImage(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    image_.fill(Qt::black);
}

const QImage& QtCanvas::Image() {
    EndPainting();
    return image_;
}

int32_t QtCanvas::Width() const { return image_.width(); }
int32_t QtCanvas::Height() const { return image_.height(); }

QPainter& QtCanvas::Painter() {
    if (!painter_) {
        painter_ = std::make_unique<QPainter>(&image_);
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->setRenderHint(QPainter::TextAntialiasing, true);
    }
    return *painter_;
}

void QtCanvas::EndPainting() {
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
}

void QtCanvas::SetPen(Rgb colour, int32_t width) {
    pen_ = QPen(ToColour(colour));
    pen_.setWidth(std::max(width, 1));
    pen_.setCapStyle(Qt::SquareCap);
    pen_.setJoinStyle(Qt::MiterJoin);
}

void QtCanvas::SetBrush(Rgb colour) { brush_ = QBrush(ToColour(colour)); }

QString QtCanvas::FamilyFor(const std::string& family) {
    if (family == "Arial") return QStringLiteral("Liberation Sans");
    if (family == "Tahoma") return QStringLiteral("DejaVu Sans");
    return QString::fromStdString(family);
}

int QtCanvas::PixelSize(int32_t pointSize) { return std::max(1, (std::max(pointSize, 1) * 96 + 36) / 72); }

void QtCanvas::SetFont(const std::string& family, int32_t size, bool bold, Rgb colour) {
    font_ = QFont(FamilyFor(family));
    font_.setPixelSize(PixelSize(size));
    font_.setBold(bold);
    font_.setHintingPreference(QFont::PreferFullHinting);
    fontColour_ = ToColour(colour);
}

void QtCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    // The rectangle covers x1..x2-1 and y1..y2-1, its outline included.
    if (x2 <= x1 || y2 <= y1) return;
    QPainter& p = Painter();
    const QRect area(QPoint(Near(x1), Near(y1)), QPoint(Near(x2) - 1, Near(y2) - 1));
    p.fillRect(area, brush_);
    p.setPen(pen_);
    p.setBrush(Qt::NoBrush);
    p.drawRect(area.adjusted(0, 0, -1, -1));
}

void QtCanvas::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    QPainter& p = Painter();
    p.setPen(pen_);
    p.drawLine(QPoint(Near(x1), Near(y1)), QPoint(Near(x2), Near(y2)));
}

void QtCanvas::Polyline(const std::vector<PixelPoint>& points) {
    if (points.empty()) return;
    QPainter& p = Painter();
    p.setPen(pen_);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(ToPolygon(points));
}

void QtCanvas::Polygon(const std::vector<PixelPoint>& points) {
    if (points.empty()) return;
    QPainter& p = Painter();
    p.setPen(pen_);
    p.setBrush(brush_);
    p.drawPolygon(ToPolygon(points));
}

void QtCanvas::Text(int32_t x, int32_t y, const std::string& text) {
    QPainter& p = Painter();
    p.setFont(font_);
    p.setPen(fontColour_);
    const QFontMetrics metrics(font_);
    p.drawText(QPoint(Near(x), Near(y) + metrics.ascent()), QString::fromStdString(text));
}

int32_t QtCanvas::TextHeight(const std::string& text) {
    (void)text;  // one line of the font: every text is as high as the font's ascent plus descent
    return QFontMetrics(font_).height();
}

}  // namespace korvel
