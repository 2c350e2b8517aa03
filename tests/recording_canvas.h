// recording_canvas.h — a test canvas that remembers every drawing call with its arguments and the pen, brush and font in force; the section the drawing tests draw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/canvas.h"
#include "engine/model.h"

namespace korvel::testing {

// The pen, brush and font as they stood when a call was made.
struct CanvasState {
    Rgb pen{}, brush{}, fontColour{};
    std::string fontFamily;
    bool fontBold = false;
};

enum class CallKind { Rectangle, Line, Polyline, Polygon, Text };

// One recorded drawing call: Rectangle and Line keep x1, y1, x2, y2; Text its position in x1, y1 and its
// string; Polyline and Polygon their points. state is the pen, brush and font it was drawn with.
struct CanvasCall {
    CallKind kind = CallKind::Line;
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::vector<PixelPoint> points;
    std::string text;
    CanvasState state;
};

// On its own, TextHeight answers 14 for any string: a fixed, known value keeps layouts testable. Given a
// canvas to draw on, every call is passed on to it as well and its TextHeight is the answer.
class RecordingCanvas final : public Canvas {
public:
    explicit RecordingCanvas(int32_t width = 800, int32_t height = 500, Canvas* draw = nullptr)
        : width_(width), height_(height), draw_(draw) {}

    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    void Resize(int32_t width, int32_t height) override {
        width_ = width;
        height_ = height;
        if (draw_) draw_->Resize(width, height);
    }
    void SetPen(Rgb colour, int32_t w) override {
        state_.pen = colour;
        if (draw_) draw_->SetPen(colour, w);
    }
    void SetBrush(Rgb colour) override {
        state_.brush = colour;
        if (draw_) draw_->SetBrush(colour);
    }
    void SetFont(const std::string& family, int32_t size, bool bold, Rgb colour) override {
        state_ = CanvasState{state_.pen, state_.brush, colour, family, bold};
        if (draw_) draw_->SetFont(family, size, bold, colour);
    }
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override {
        Push(CallKind::Rectangle, x1, y1, x2, y2);
        if (draw_) draw_->Rectangle(x1, y1, x2, y2);
    }
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override {
        Push(CallKind::Line, x1, y1, x2, y2);
        if (draw_) draw_->Line(x1, y1, x2, y2);
    }
    void Polyline(const std::vector<PixelPoint>& points) override {
        Push(CallKind::Polyline).points = points;
        if (draw_) draw_->Polyline(points);
    }
    void Polygon(const std::vector<PixelPoint>& points) override {
        Push(CallKind::Polygon).points = points;
        if (draw_) draw_->Polygon(points);
    }
    void Text(int32_t x, int32_t y, const std::string& text) override {
        Push(CallKind::Text, x, y).text = text;
        if (draw_) draw_->Text(x, y, text);
    }
    int32_t TextHeight(const std::string& text) override { return draw_ ? draw_->TextHeight(text) : 14; }

    const std::vector<CanvasCall>& Calls() const { return calls_; }
    // Every call of one kind, in drawing order.
    std::vector<CanvasCall> OfKind(CallKind kind) const {
        std::vector<CanvasCall> out;
        for (const CanvasCall& c : calls_)
            if (c.kind == kind) out.push_back(c);
        return out;
    }
    std::size_t Count(CallKind kind) const { return OfKind(kind).size(); }
    // The first Text call whose string equals text, or nullptr.
    const CanvasCall* FindText(const std::string& text) const {
        for (const CanvasCall& c : calls_)
            if (c.kind == CallKind::Text && c.text == text) return &c;
        return nullptr;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const CanvasCall& c : OfKind(CallKind::Text)) out.push_back(c.text);
        return out;
    }

private:
    CanvasCall& Push(CallKind kind, int32_t x1 = 0, int32_t y1 = 0, int32_t x2 = 0, int32_t y2 = 0) {
        calls_.push_back(CanvasCall{kind, x1, y1, x2, y2, {}, {}, state_});
        return calls_.back();
    }

    int32_t width_, height_;
    Canvas* draw_;
    CanvasState state_;
    std::vector<CanvasCall> calls_;
};

// A diamond of chord 1 and thickness 0.1, panels 1, 2 below and 3, 4 above, with the given pressures.
inline ModelState Diamond(std::vector<double> cp) {
    ModelState m;
    m.SetSectionCount(4);
    m.SectionX = {0, 1.0, 0.5, 0.0, 0.5, 1.0, 0};
    m.SectionY = {0, 0.0, -0.05, 0.0, 0.05, 0.0, 0};
    m.SectionLE = 3;
    m.CpValues = std::move(cp);
    return m;
}

}  // namespace korvel::testing
