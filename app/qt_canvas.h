// qt_canvas.h — the engine's 2D canvas on a Qt raster image: what the modeller shows in its 2D view.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QBrush>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/canvas.h"

class QPainter;

namespace korvel {

// Draws with QPainter on an RGB32 QImage, without anti-aliasing for lines and shapes so that the
// engine's pixel coordinates are the pixels drawn. Fonts are looked up by metric-compatible stand-ins
// and sized in pixels, so a layout measured with TextHeight does not depend on the screen.
class QtCanvas final : public Canvas {
public:
    QtCanvas(int32_t width, int32_t height);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    // Sizes the bitmap afresh (its content is then undefined until the next drawing clears it).
    void Resize(int32_t width, int32_t height) override;
    // The picture as drawn so far.
    const QImage& Image();

    int32_t Width() const override;
    int32_t Height() const override;
    void SetPen(Rgb colour, int32_t width) override;
    void SetBrush(Rgb colour) override;
    void SetFont(const std::string& family, int32_t size, bool bold, Rgb colour) override;
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void Polyline(const std::vector<PixelPoint>& points) override;
    void Polygon(const std::vector<PixelPoint>& points) override;
    void Text(int32_t x, int32_t y, const std::string& text) override;
    int32_t TextHeight(const std::string& text) override;

    // The installed family that stands in for a requested one ("Arial", "Tahoma"), and the pixel size
    // of a point size on the 96-dots-per-inch grid the layouts were made for.
    static QString FamilyFor(const std::string& family);
    static int PixelSize(int32_t pointSize);

private:
    QPainter& Painter();
    void EndPainting();

    QImage image_;
    std::unique_ptr<QPainter> painter_;
    QPen pen_;
    QBrush brush_;
    QFont font_;
    QColor fontColour_;
};

}  // namespace korvel
