// canvas.h — the small 2D canvas the engine draws its section and pressure drawings on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model.h"

namespace korvel {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The engine never sees pixels or a toolkit; a canvas implementation draws on whatever surface it owns.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    // Sizes the surface afresh; its content is undefined until the drawing clears it.
    virtual void Resize(int32_t width, int32_t height) = 0;

    virtual void SetPen(Rgb colour, int32_t width) = 0;
    virtual void SetBrush(Rgb colour) = 0;
    virtual void SetFont(const std::string& family, int32_t size, bool bold, Rgb colour) = 0;

    // Filled with the brush, outlined with the pen.
    virtual void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    virtual void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    virtual void Polyline(const std::vector<PixelPoint>& points) = 0;
    // Filled with the brush, outlined with the pen.
    virtual void Polygon(const std::vector<PixelPoint>& points) = 0;
    // Text with its top-left corner at (x, y), in the current font.
    virtual void Text(int32_t x, int32_t y, const std::string& text) = 0;
    virtual int32_t TextHeight(const std::string& text) = 0;
};

// A canvas that draws nothing: for builds that need no drawing (3D builds, benchmarks, batch exports).
class NullCanvas final : public Canvas {
public:
    NullCanvas(int32_t width = 0, int32_t height = 0) : width_(width), height_(height) {}
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    void Resize(int32_t width, int32_t height) override {
        width_ = width;
        height_ = height;
    }
    void SetPen(Rgb, int32_t) override {}
    void SetBrush(Rgb) override {}
    void SetFont(const std::string&, int32_t, bool, Rgb) override {}
    void Rectangle(int32_t, int32_t, int32_t, int32_t) override {}
    void Line(int32_t, int32_t, int32_t, int32_t) override {}
    void Polyline(const std::vector<PixelPoint>&) override {}
    void Polygon(const std::vector<PixelPoint>&) override {}
    void Text(int32_t, int32_t, const std::string&) override {}
    int32_t TextHeight(const std::string&) override { return 0; }

private:
    int32_t width_;
    int32_t height_;
};

}  // namespace korvel
