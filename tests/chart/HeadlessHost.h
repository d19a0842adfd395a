#pragma once
// A control without a window for the chart: fixed metrics, a recording canvas as its
// offscreen image, and counts of what the chart asked of it.
#include <string>
#include <vector>

#include "chart/Graph.h"
#include "platform/Canvas.h"

namespace chart::test {

using platform::TRecordingCanvas;
using TCall = TRecordingCanvas::TCall;
using TKind = TRecordingCanvas::TKind;

class THeadlessHost : public IGraphHost {
public:
    bool Showing() const override { return Shown; }
    int Width() const override { return W; }
    int Height() const override { return H; }
    int BevelWidth() const override { return Bevel; }
    int PixelsPerInchX() const override { return Dpi; }
    int PixelsPerInchY() const override { return Dpi; }
    int TraceScrollBarWidth() const override { return ScrollBarWidth; }
    int TimeScrollBarHeight() const override { return ScrollBarHeight; }
    int CursorWidth() const override { return Cursor; }
    int CursorValueHeight() const override { return LabelHeight; }
    platform::TColor PanelColor() const override { return Panel; }
    platform::TColor HighlightColor() const override { return Highlight; }
    void ResizeOffscreen() override {
        ++Resizes;
        Canvas.Calls.clear();
    }
    platform::ICanvas* BeginOffscreen() override {
        if (!HasImage) return nullptr;
        ++Begins;
        Canvas.DpiX = Canvas.DpiY = Dpi;
        return &Canvas;
    }
    void EndOffscreen() override { ++Ends; }
    void ShowImage() override { ++Shows; }
    void ScrollBarsChanged() override { ++ScrollSyncs; }
    void CursorsMoved() override { ++CursorPlacements; }
    void LabelsChanged() override { ++LabelChanges; }
    void TakeFocus() override { ++Focused; }
    platform::ICanvas* BeginClipboardImage(int width, int height) override {
        Image = TRecordingCanvas{};
        Image.DpiX = Image.DpiY = Dpi;
        ImageWidth = width;
        ImageHeight = height;
        return &Image;
    }
    void EndClipboardImage() override { ++Copies; }

    bool Shown = true;
    bool HasImage = true;
    int W = 325, H = 145, Bevel = 1, Dpi = 96;
    int ScrollBarWidth = 16, ScrollBarHeight = 16, Cursor = 10, LabelHeight = 15;
    platform::TColor Panel = 0xC8D0D4;
    platform::TColor Highlight = 0x6A240A;
    TRecordingCanvas Canvas;
    int Resizes = 0, Begins = 0, Ends = 0, Shows = 0, ScrollSyncs = 0, CursorPlacements = 0;
    int LabelChanges = 0, Focused = 0;
    // The last image put on the clipboard.
    TRecordingCanvas Image;
    int ImageWidth = 0, ImageHeight = 0, Copies = 0;
};

inline std::vector<TCall> CallsOf(const std::vector<TCall>& calls, TKind kind) {
    std::vector<TCall> out;
    for (const TCall& c : calls)
        if (c.Kind == kind) out.push_back(c);
    return out;
}

inline TGraphSample Styled(double x, platform::TColor color, uint8_t pen, uint8_t thickness) {
    TGraphSample s;
    s.X = x;
    s.Color = color;
    s.PenStyle = pen;
    s.Thickness = thickness;
    return s;
}

}  // namespace chart::test
