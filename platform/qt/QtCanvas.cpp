#include "platform/qt/QtCanvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <algorithm>
#include <map>
#include <numeric>
#include <utility>

namespace platform {

namespace {

// On and off runs of a pattern in pixels, as Qt draws a one-pixel pen of the style.
std::vector<int> DashRuns(TPenStyle style) {
    switch (style) {
        case TPenStyle::Dash:
            return {4, 2};
        case TPenStyle::Dot:
            return {1, 2};
        case TPenStyle::DashDot:
            return {4, 2, 1, 2};
        case TPenStyle::DashDotDot:
            return {4, 2, 1, 2, 1, 2};
        default:
            return {1};
    }
}

// Whether pixel n of a line (n from its start) is drawn.
bool DashOn(const std::vector<int>& runs, int period, int n) {
    int at = n % period;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (at < runs[i]) return i % 2 == 0;
        at -= runs[i];
    }
    return false;
}

// Rows drawn with one image: a whole number of pattern periods, at least this many.
constexpr int kStripRows = 64;

}  // namespace

QColor ToQColor(TColor color) {
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

TColor FromQColor(const QColor& color) {
    return RGBColor(static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
                    static_cast<uint8_t>(color.blue()));
}

Qt::PenStyle ToQtPenStyle(TPenStyle style) {
    switch (style) {
        case TPenStyle::Dash:
            return Qt::DashLine;
        case TPenStyle::Dot:
            return Qt::DotLine;
        case TPenStyle::DashDot:
            return Qt::DashDotLine;
        case TPenStyle::DashDotDot:
            return Qt::DashDotDotLine;
        case TPenStyle::Clear:
            return Qt::NoPen;
        case TPenStyle::Solid:
            break;
    }
    return Qt::SolidLine;
}

TQtCanvas::TQtCanvas(QPainter& painter) : FPainter(painter) {
    FPainter.setRenderHint(QPainter::Antialiasing, false);
    // Held-back lines are drawn as images, which suits an image but not a printer.
    FOnImage = FPainter.device() && FPainter.device()->devType() == QInternal::Image;
}

TQtCanvas::~TQtCanvas() {
    Flush();
}

void TQtCanvas::UseMode(QPainter::CompositionMode mode) {
    if (FModeKnown && FMode == mode) return;
    FPainter.setCompositionMode(mode);
    FMode = mode;
    FModeKnown = true;
}

void TQtCanvas::UsePenMode() {
    UseMode(Pen.Mode == TPenMode::MergePenNot ? QPainter::RasterOp_NotSourceOrDestination
                                              : QPainter::CompositionMode_SourceOver);
}

void TQtCanvas::UsePen() {
    UsePenMode();
    if (FPenKnown && FPenOf == Pen) return;
    QPen pen(ToQColor(Pen.Color));
    pen.setStyle(ToQtPenStyle(Pen.Style));
    pen.setWidth(std::max(Pen.Width, 1));
    // A flat cap ends a line before its last pixel.
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    FPainter.setPen(pen);
    FPenOf = Pen;
    FPenKnown = true;
}

void TQtCanvas::UseCopy() {
    UseMode(QPainter::CompositionMode_SourceOver);
}

void TQtCanvas::Span(int from, int to, int fixed, bool horizontal) {
    if (horizontal)
        FPainter.drawLine(from, fixed, to + 1, fixed);
    else
        FPainter.drawLine(fixed, from, fixed, to + 1);
}

bool TQtCanvas::HoldBack(int x, int top, int bottom) {
    if (!FOnImage || Pen.Width > 1 || Pen.Mode != TPenMode::Copy) return false;
    // Two held-back lines on the same pixels must keep their order.
    const bool overlaps = std::any_of(FHeld.begin(), FHeld.end(), [&](const TVerticalLine& held) {
        return held.X == x && held.Top <= bottom && top <= held.Bottom;
    });
    if (overlaps) Flush();
    const TPenStyle style = ToQtPenStyle(Pen.Style) == Qt::SolidLine ? TPenStyle::Solid : Pen.Style;
    FHeld.push_back({x, top, bottom, ToQColor(Pen.Color).rgb(), style});
    FHeldArea = FHeldArea.united(QRect(x, top, 1, bottom - top + 1));
    return true;
}

void TQtCanvas::FlushUnder(const QRect& area) {
    if (!FHeld.empty() && FHeldArea.intersects(area)) Flush();
}

void TQtCanvas::Flush() {
    if (FHeld.empty()) return;
    std::vector<TVerticalLine> held;
    held.swap(FHeld);
    FHeldArea = QRect();
    UseCopy();
    // Lines of the same rows form one strip: a few rows of all of them, repeated down
    // the rows in the order of the image's memory.
    std::map<std::pair<int, int>, std::vector<const TVerticalLine*>> groups;
    for (const TVerticalLine& line : held) groups[{line.Top, line.Bottom}].push_back(&line);
    for (const auto& [rows, lines] : groups) {
        int period = 1, left = lines.front()->X, right = left;
        for (const TVerticalLine* line : lines) {
            const std::vector<int> runs = DashRuns(line->Style);
            period = std::lcm(period, std::accumulate(runs.begin(), runs.end(), 0));
            left = std::min(left, line->X);
            right = std::max(right, line->X);
        }
        const int height = rows.second - rows.first + 1;
        const int stripRows = std::min(height, period * ((kStripRows + period - 1) / period));
        QImage strip(right - left + 1, stripRows, QImage::Format_ARGB32_Premultiplied);
        strip.fill(Qt::transparent);
        for (const TVerticalLine* line : lines) {
            const std::vector<int> runs = DashRuns(line->Style);
            const int linePeriod = std::accumulate(runs.begin(), runs.end(), 0);
            for (int r = 0; r < stripRows; ++r)
                if (DashOn(runs, linePeriod, r)) strip.setPixel(line->X - left, r, line->Color);
        }
        for (int y = rows.first; y <= rows.second; y += stripRows)
            FPainter.drawImage(QPoint(left, y), strip,
                               QRect(0, 0, strip.width(), std::min(stripRows, rows.second - y + 1)));
    }
}

void TQtCanvas::Line(int x1, int y1, int x2, int y2) {
    if (Pen.Style == TPenStyle::Clear || (x1 == x2 && y1 == y2)) return;
    if (x1 == x2 && y2 > y1 && HoldBack(x1, y1, y2 - 1)) return;
    FlushUnder(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2)))
                   .adjusted(-Pen.Width, -Pen.Width, Pen.Width, Pen.Width));
    UsePen();
    if (y1 == y2) {
        // Every pixel from the start up to, not including, the end.
        Span(x2 > x1 ? x1 : x2 + 1, x2 > x1 ? x2 - 1 : x1, y1, true);
    } else if (x1 == x2) {
        Span(y2 > y1 ? y1 : y2 + 1, y2 > y1 ? y2 - 1 : y1, x1, false);
    } else {
        FPainter.drawLine(x1, y1, x2, y2);
    }
}

void TQtCanvas::HorizontalLines(int x1, int x2, int top, int count) {
    if (Pen.Style == TPenStyle::Clear || count <= 0 || x1 == x2) return;
    const int from = x2 > x1 ? x1 : x2 + 1;
    const int to = x2 > x1 ? x2 - 1 : x1;
    const QRect area(from, top, to - from + 1, count);
    FlushUnder(area);
    if (ToQtPenStyle(Pen.Style) == Qt::SolidLine) {
        // One block instead of count lines.
        UsePenMode();
        if (!FFillKnown || FFillOf != Pen.Color) {
            FFill = ToQColor(Pen.Color);
            FFillOf = Pen.Color;
            FFillKnown = true;
        }
        FPainter.fillRect(area, FFill);
        return;
    }
    UsePen();
    for (int row = top; row < top + count; ++row) Span(from, to, row, true);
}

void TQtCanvas::FillRect(const TRect& rect) {
    if (Brush.Style != TBrushStyle::Solid || rect.IsEmpty()) return;
    const QRect area(rect.Left, rect.Top, rect.Width(), rect.Height());
    FlushUnder(area);
    UseCopy();
    FPainter.fillRect(area, ToQColor(Brush.Color));
}

void TQtCanvas::Rectangle(const TRect& rect) {
    if (rect.IsEmpty()) return;
    FlushUnder(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()));
    UsePen();
    const bool outline = Pen.Style != TPenStyle::Clear;
    const int w = outline ? std::clamp(Pen.Width, 1, std::min(rect.Width(), rect.Height())) : 0;
    // Inside and outline never overlap, so a raster operation touches each pixel once.
    if (Brush.Style == TBrushStyle::Solid && rect.Width() > 2 * w && rect.Height() > 2 * w)
        FPainter.fillRect(QRect(rect.Left + w, rect.Top + w, rect.Width() - 2 * w, rect.Height() - 2 * w),
                          ToQColor(Brush.Color));
    if (!outline) return;
    const QColor color = ToQColor(Pen.Color);
    if (ToQtPenStyle(Pen.Style) == Qt::SolidLine) {
        const int inner = rect.Height() - 2 * w;
        FPainter.fillRect(QRect(rect.Left, rect.Top, rect.Width(), w), color);
        if (rect.Height() > w) FPainter.fillRect(QRect(rect.Left, rect.Bottom - w, rect.Width(), w), color);
        if (inner > 0) {
            FPainter.fillRect(QRect(rect.Left, rect.Top + w, w, inner), color);
            if (rect.Width() > w) FPainter.fillRect(QRect(rect.Right - w, rect.Top + w, w, inner), color);
        }
        return;
    }
    // A patterned outline: w rings of one-pixel lines.
    QPen pen = FPainter.pen();
    pen.setWidth(1);
    FPainter.setPen(pen);
    FPenKnown = false;
    for (int i = 0; i < w; ++i) {
        const int l = rect.Left + i, t = rect.Top + i, r = rect.Right - 1 - i, b = rect.Bottom - 1 - i;
        Span(l, r, t, true);
        if (b > t) Span(l, r, b, true);
        if (b - 1 > t) {
            Span(t + 1, b - 1, l, false);
            if (r > l) Span(t + 1, b - 1, r, false);
        }
    }
}

const QFont& TQtCanvas::CurrentFont() {
    if (!FFontKnown || !(FFontOf == Font)) {
        FQFont = QFont(QString::fromStdString(Font.Name));
        FQFont.setPointSize(std::max(Font.Size, 1));
        FQFont.setBold(Font.Bold);
        FPainter.setFont(FQFont);
        FQFont = FPainter.font();
        FFontOf = Font;
        FFontKnown = true;
    }
    return FQFont;
}

void TQtCanvas::TextOut(int x, int y, const std::string& text) {
    const QFont& font = CurrentFont();
    const QString q = QString::fromStdString(text);
    const QFontMetrics metrics(font, FPainter.device());
    const QRect box(x, y, metrics.horizontalAdvance(q), metrics.height());
    // Glyphs may reach a little beyond their box.
    FlushUnder(box.adjusted(-metrics.height(), -2, metrics.height(), 2));
    UseCopy();
    if (Brush.Style == TBrushStyle::Solid) FPainter.fillRect(box, ToQColor(Brush.Color));
    FPainter.setPen(QPen(ToQColor(Font.Color)));
    FPenKnown = false;
    FPainter.drawText(x, y + metrics.ascent(), q);
}

int TQtCanvas::TextWidth(const std::string& text) {
    return QFontMetrics(CurrentFont(), FPainter.device()).horizontalAdvance(QString::fromStdString(text));
}

int TQtCanvas::TextHeight(const std::string&) {
    return QFontMetrics(CurrentFont(), FPainter.device()).height();
}

int TQtCanvas::PixelsPerInchX() const {
    return FPainter.device() ? FPainter.device()->logicalDpiX() : 0;
}

int TQtCanvas::PixelsPerInchY() const {
    return FPainter.device() ? FPainter.device()->logicalDpiY() : 0;
}

}  // namespace platform
