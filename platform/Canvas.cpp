#include "platform/Canvas.h"

#include "platform/Strings.h"

namespace platform {

TRecordingCanvas::TCall TRecordingCanvas::Record(TKind kind) const {
    TCall call;
    call.Kind = kind;
    call.Pen = Pen;
    call.Brush = Brush;
    call.Font = Font;
    return call;
}

void TRecordingCanvas::RecordRect(TKind kind, const TRect& rect) {
    TCall call = Record(kind);
    call.X1 = rect.Left;
    call.Y1 = rect.Top;
    call.X2 = rect.Right;
    call.Y2 = rect.Bottom;
    Calls.push_back(std::move(call));
}

void TRecordingCanvas::Line(int x1, int y1, int x2, int y2) {
    TCall call = Record(TKind::Line);
    call.X1 = x1;
    call.Y1 = y1;
    call.X2 = x2;
    call.Y2 = y2;
    Calls.push_back(std::move(call));
}

void TRecordingCanvas::HorizontalLines(int x1, int x2, int top, int count) {
    TCall call = Record(TKind::HorizontalLines);
    call.X1 = x1;
    call.Y1 = top;
    call.X2 = x2;
    call.Count = count;
    Calls.push_back(std::move(call));
}

void TRecordingCanvas::FillRect(const TRect& rect) {
    RecordRect(TKind::FillRect, rect);
}

void TRecordingCanvas::Rectangle(const TRect& rect) {
    RecordRect(TKind::Rectangle, rect);
}

void TRecordingCanvas::TextOut(int x, int y, const std::string& text) {
    TCall call = Record(TKind::TextOut);
    call.X1 = x;
    call.Y1 = y;
    call.Text = text;
    Calls.push_back(std::move(call));
}

int TRecordingCanvas::TextWidth(const std::string& text) {
    return CharacterCount(text) * CharWidth;
}

int TRecordingCanvas::TextHeight(const std::string&) {
    return CharHeight;
}

}  // namespace platform
