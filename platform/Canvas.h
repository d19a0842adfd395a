#pragma once
// Everything the program draws (chart, printed pages, grids) goes through this canvas:
// the GUI paints with a QPainter behind it, tests record the calls. Coordinates are
// device pixels; the state (pen, brush, font) holds for the calls that follow.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// 0x00BBGGRR: red in the low byte.
using TColor = uint32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clTeal = 0x808000;

constexpr uint8_t RedOf(TColor c) {
    return static_cast<uint8_t>(c);
}
constexpr uint8_t GreenOf(TColor c) {
    return static_cast<uint8_t>(c >> 8);
}
constexpr uint8_t BlueOf(TColor c) {
    return static_cast<uint8_t>(c >> 16);
}
constexpr TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) {
    return TColor{r} | TColor{g} << 8 | TColor{b} << 16;
}

// The ordinals the system stores; any other value draws solid.
enum class TPenStyle : uint8_t { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Clear = 5 };
// Copy paints the pen; MergePenNot gives destination OR NOT pen, for pens and fills of
// lines and rectangles (never for FillRect and text).
enum class TPenMode : uint8_t { Copy, MergePenNot };
enum class TBrushStyle : uint8_t { Solid, Clear };

struct TPen {
    TColor Color = clBlack;
    TPenStyle Style = TPenStyle::Solid;
    int Width = 1;  // pixels; 0 draws 1
    TPenMode Mode = TPenMode::Copy;
    bool operator==(const TPen&) const = default;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::Solid;
    bool operator==(const TBrush&) const = default;
};

struct TFont {
    std::string Name = "Arial";
    int Size = 9;  // points
    TColor Color = clBlack;
    bool Bold = false;
    bool operator==(const TFont&) const = default;
};

// Right and bottom lie outside, as in every rectangle the system passes.
struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool operator==(const TRect&) const = default;
};

class ICanvas {
public:
    virtual ~ICanvas() = default;

    TPen Pen;
    TBrush Brush;
    TFont Font;

    // From (x1, y1) to (x2, y2) in the pen; the end point is not drawn.
    virtual void Line(int x1, int y1, int x2, int y2) = 0;
    // count lines as Line(x1, row, x2, row) for the rows top .. top + count - 1.
    virtual void HorizontalLines(int x1, int x2, int top, int count) = 0;
    // The brush over the rectangle; nothing with a clear brush.
    virtual void FillRect(const TRect& rect) = 0;
    // Outlined in the pen, filled with the brush.
    virtual void Rectangle(const TRect& rect) = 0;
    // Text in the font's colour with its box's top-left at (x, y); a solid brush fills
    // the box first.
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;
    virtual int PixelsPerInchX() const = 0;
    virtual int PixelsPerInchY() const = 0;
};

// Records every drawing call with the state it was made in. Text is measured as
// CharWidth per character (UTF-8 code point) by CharHeight.
class TRecordingCanvas : public ICanvas {
public:
    enum class TKind { Line, HorizontalLines, FillRect, Rectangle, TextOut };
    struct TCall {
        TKind Kind = TKind::Line;
        // Line: the two points; HorizontalLines: x1, top, x2 and Count; rectangles:
        // left, top, right, bottom; TextOut: the point.
        int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
        int Count = 0;
        std::string Text;
        TPen Pen;
        TBrush Brush;
        TFont Font;
    };

    void Line(int x1, int y1, int x2, int y2) override;
    void HorizontalLines(int x1, int x2, int top, int count) override;
    void FillRect(const TRect& rect) override;
    void Rectangle(const TRect& rect) override;
    void TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;
    int PixelsPerInchX() const override { return DpiX; }
    int PixelsPerInchY() const override { return DpiY; }

    std::vector<TCall> Calls;
    int CharWidth = 7;
    int CharHeight = 15;
    int DpiX = 96;
    int DpiY = 96;

private:
    TCall Record(TKind kind) const;
    void RecordRect(TKind kind, const TRect& rect);
};

}  // namespace platform
