// recording_canvas.h — a test canvas that remembers every drawing call with its arguments and the pen, brush and font in force.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/canvas.h"

namespace korvel::testing {

// The pen, brush and font as they stood when a call was made.
struct CanvasState {
    Rgb pen{};
    int32_t penWidth = 1;
    Rgb brush{};
    std::string fontFamily;
    int32_t fontSize = 0;
    bool fontBold = false;
    Rgb fontColour{};
};

enum class CallKind { SetPen, SetBrush, SetFont, Rectangle, Line, Polyline, Polygon, Text, TextHeight };

// One recorded call. Rectangle and Line keep their four coordinates in x1, y1, x2, y2; Text keeps its
// position in x1, y1 and its string in text; Polyline and Polygon keep their points; TextHeight keeps
// the string it measured. state is the state after the call (for the setters: the new state).
struct CanvasCall {
    CallKind kind = CallKind::Line;
    int32_t x1 = 0;
    int32_t y1 = 0;
    int32_t x2 = 0;
    int32_t y2 = 0;
    std::vector<PixelPoint> points;
    std::string text;
    CanvasState state;
};

class RecordingCanvas final : public Canvas {
public:
    // textHeight is what TextHeight answers for any string (a fixed, known value keeps layouts testable).
    explicit RecordingCanvas(int32_t width = 800, int32_t height = 500, int32_t textHeight = 14)
        : width_(width), height_(height), textHeight_(textHeight) {}

    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }

    void SetPen(Rgb colour, int32_t width) override {
        state_.pen = colour;
        state_.penWidth = width;
        Push(CallKind::SetPen);
    }
    void SetBrush(Rgb colour) override {
        state_.brush = colour;
        Push(CallKind::SetBrush);
    }
    void SetFont(const std::string& family, int32_t size, bool bold, Rgb colour) override {
        state_.fontFamily = family;
        state_.fontSize = size;
        state_.fontBold = bold;
        state_.fontColour = colour;
        Push(CallKind::SetFont);
    }
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override {
        PushBox(CallKind::Rectangle, x1, y1, x2, y2);
    }
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override { PushBox(CallKind::Line, x1, y1, x2, y2); }
    void Polyline(const std::vector<PixelPoint>& points) override { Push(CallKind::Polyline).points = points; }
    void Polygon(const std::vector<PixelPoint>& points) override { Push(CallKind::Polygon).points = points; }
    void Text(int32_t x, int32_t y, const std::string& text) override {
        CanvasCall& c = PushBox(CallKind::Text, x, y, 0, 0);
        c.text = text;
    }
    int32_t TextHeight(const std::string& text) override {
        Push(CallKind::TextHeight).text = text;
        return textHeight_;
    }

    // --- reading back ----------------------------------------------------------------------------------
    const std::vector<CanvasCall>& Calls() const { return calls_; }
    const CanvasState& State() const { return state_; }
    void Clear() { calls_.clear(); }

    // Every call of one kind, in drawing order.
    std::vector<CanvasCall> OfKind(CallKind kind) const {
        std::vector<CanvasCall> out;
        for (const CanvasCall& c : calls_)
            if (c.kind == kind) out.push_back(c);
        return out;
    }
    std::size_t Count(CallKind kind) const {
        std::size_t n = 0;
        for (const CanvasCall& c : calls_) n += c.kind == kind ? 1 : 0;
        return n;
    }
    // The first Text call whose string equals text, or nullptr.
    const CanvasCall* FindText(const std::string& text) const {
        for (const CanvasCall& c : calls_)
            if (c.kind == CallKind::Text && c.text == text) return &c;
        return nullptr;
    }
    // The first Text call whose string starts with prefix, or nullptr.
    const CanvasCall* FindTextStarting(const std::string& prefix) const {
        for (const CanvasCall& c : calls_)
            if (c.kind == CallKind::Text && c.text.rfind(prefix, 0) == 0) return &c;
        return nullptr;
    }
    // Every Text string, in drawing order.
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const CanvasCall& c : calls_)
            if (c.kind == CallKind::Text) out.push_back(c.text);
        return out;
    }

private:
    CanvasCall& Push(CallKind kind) {
        CanvasCall c;
        c.kind = kind;
        c.state = state_;
        calls_.push_back(std::move(c));
        return calls_.back();
    }
    CanvasCall& PushBox(CallKind kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        CanvasCall& c = Push(kind);
        c.x1 = x1;
        c.y1 = y1;
        c.x2 = x2;
        c.y2 = y2;
        return c;
    }

    int32_t width_;
    int32_t height_;
    int32_t textHeight_;
    CanvasState state_;
    std::vector<CanvasCall> calls_;
};

}  // namespace korvel::testing
