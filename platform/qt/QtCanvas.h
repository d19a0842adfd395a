#pragma once
// The canvas over a QPainter: the system's colours (0x00BBGGRR) and pen styles, lines
// without their end point, text placed by the top of its box.
#include <QFont>
#include <QPainter>
#include <QRect>
#include <vector>

#include "platform/Canvas.h"

namespace platform {

QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);
Qt::PenStyle ToQtPenStyle(TPenStyle style);

class TQtCanvas : public ICanvas {
public:
    // The painter must stay active on its device while the canvas lives.
    explicit TQtCanvas(QPainter& painter);
    ~TQtCanvas() override;
    TQtCanvas(const TQtCanvas&) = delete;
    TQtCanvas& operator=(const TQtCanvas&) = delete;

    void Line(int x1, int y1, int x2, int y2) override;
    void HorizontalLines(int x1, int x2, int top, int count) override;
    void FillRect(const TRect& rect) override;
    void Rectangle(const TRect& rect) override;
    void TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;
    int PixelsPerInchX() const override;
    int PixelsPerInchY() const override;

    // Draws what is still held back; the destructor does it too.
    void Flush();

private:
    // A thin line going down, held back so that many of them are drawn row by row.
    struct TVerticalLine {
        int X, Top, Bottom;  // pixels Top..Bottom
        QRgb Color;
        TPenStyle Style;
    };

    // The pen and its raster operation for lines and rectangles; a plain copy for fills
    // and text.
    void UsePen();
    // The pen's raster operation alone, for fills in the pen's colour.
    void UsePenMode();
    void UseCopy();
    void UseMode(QPainter::CompositionMode mode);
    const QFont& CurrentFont();
    // Pixels [from, to] of one row or column, as the pen draws them.
    void Span(int from, int to, int fixed, bool horizontal);
    bool HoldBack(int x, int top, int bottom);
    // Held-back lines under what is drawn next must be drawn first.
    void FlushUnder(const QRect& area);

    QPainter& FPainter;
    QFont FQFont;
    TFont FFontOf;
    bool FFontKnown = false;
    // What the painter was last given, so that unchanged state is not set again.
    TPen FPenOf;
    bool FPenKnown = false;
    QPainter::CompositionMode FMode = QPainter::CompositionMode_SourceOver;
    bool FModeKnown = false;
    QColor FFill;  // of the last solid lines
    TColor FFillOf = 0;
    bool FFillKnown = false;
    bool FOnImage = false;
    std::vector<TVerticalLine> FHeld;
    QRect FHeldArea;
};

}  // namespace platform
