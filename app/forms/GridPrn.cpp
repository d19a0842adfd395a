#include "app/forms/GridPrn.h"

#include <algorithm>
#include <cmath>

#include "app/forms/SettingsGrid.h"
#include "chart/Extgraph.h"
#include "platform/PrintJob.h"
#include "platform/PrintTarget.h"
#include "platform/Strings.h"

namespace app {

namespace {

constexpr long double kSideMarginMM = 15;
constexpr long double kTopMarginMM = 20;
constexpr long double kColumnStretch = 1.2L;
constexpr long double kPenWidthMM = 0.25L;

int Round(long double value) {
    return static_cast<int>(std::nearbyint(value));
}

int MMToDevice(int dpi, long double mm) {
    return dpi == 0 ? 0 : Round(chart::MMToPixels(dpi, mm));
}

// Screen pixels to printer pixels through millimetres.
long double Rescale(int screenDpi, int printerDpi, int pixels) {
    return chart::MMToPixels(printerDpi, chart::PixelsToMM(screenDpi, pixels));
}

// The longest start of text that is at most width wide: the cell clips it, as on screen.
std::string ClipText(platform::ICanvas& canvas, const std::string& text, int width) {
    if (canvas.TextWidth(text) <= width) return text;
    std::string_view rest = text;
    std::size_t count = static_cast<std::size_t>(platform::CharacterCount(text));
    while (count > 0) {
        --count;
        const std::string part(platform::Utf8Prefix(rest, count));
        if (canvas.TextWidth(part) <= width) return part;
    }
    return {};
}

}  // namespace

TGridPrint::TGridPrint(const TGridModel& grid, platform::IPrintTarget& printer)
    : FGrid(grid), FPrinter(printer) {
    const int dpiX = printer.PixelsPerInchX();
    const int dpiY = printer.PixelsPerInchY();
    FMargins = {MMToDevice(dpiX, kSideMarginMM), MMToDevice(dpiY, kTopMarginMM),
                MMToDevice(dpiX, printer.PageWidthMM() - kSideMarginMM),
                MMToDevice(dpiY, printer.PageHeightMM() - kTopMarginMM)};
    FColumns = Cut(grid.ColCount(), &TGridPrint::ColumnWidth, FMargins.Width());
    FRows = Cut(grid.RowCount(), &TGridPrint::RowHeight, FMargins.Height());
    FPenWidth = MMToDevice(dpiX, kPenWidthMM);
}

int TGridPrint::ColumnWidth(int col) const {
    const int screen = FGrid.ScreenDpiX;
    const int printer = FPrinter.PixelsPerInchX();
    if (col < 0 || col >= FGrid.ColCount() || screen == 0 || printer == 0) return 0;
    return Round(Rescale(screen, printer, FGrid.ColWidth(col)) * kColumnStretch);
}

int TGridPrint::RowHeight(int row) const {
    const int screen = FGrid.ScreenDpiY;
    const int printer = FPrinter.PixelsPerInchY();
    if (row < 0 || row >= FGrid.RowCount() || screen == 0 || printer == 0) return 0;
    return Round(Rescale(screen, printer, FGrid.RowHeight(row)));
}

std::vector<TGridRange> TGridPrint::Cut(int count, int (TGridPrint::*size)(int) const, int available) const {
    std::vector<TGridRange> pages;
    long long total = 0;
    for (int i = 0; i < count; ++i) total += (this->*size)(i);
    if (total == 0 || available <= 0) return pages;
    int first = 0;
    long long sum = 0;
    for (int i = 0; i < count; ++i) {
        const int s = (this->*size)(i);
        if (i > first && sum + s > available) {
            pages.emplace_back(first, i - 1);
            first = i;
            sum = 0;
        }
        sum += s;
    }
    pages.emplace_back(first, count - 1);
    return pages;
}

void TGridPrint::Print(const std::string& title) {
    if (FColumns.empty() || FRows.empty()) return;
    platform::TPrintJob job(FPrinter, "The settings grid \"" + title + "\"", title);
    const std::size_t across = FColumns.size();
    const std::size_t down = FRows.size();
    for (std::size_t i = 0; i < down && FPrinter.Printing(); ++i) {
        for (std::size_t j = 0; j < across && FPrinter.Printing(); ++j) {
            platform::ICanvas* canvas = FPrinter.Canvas();
            if (!canvas) break;
            PrintPage(*canvas, title, static_cast<int>(i + 1), static_cast<int>(j + 1), FRows[i],
                      FColumns[j]);
            if (i + 1 < down || j + 1 < across) FPrinter.NewPage();
        }
    }
    job.End();
}

void TGridPrint::PrintPage(platform::ICanvas& canvas, const std::string& title, int pageRow, int pageCol,
                           const TGridRange& rows, const TGridRange& cols) {
    canvas.Pen = {platform::clBlack, platform::TPenStyle::Solid, FPenWidth, platform::TPenMode::Copy};
    canvas.Font = FGrid.Font;
    canvas.Font.Color = platform::clBlack;
    canvas.Brush.Style = platform::TBrushStyle::Clear;
    FCharWidth = canvas.TextWidth("A");
    FCharHeight = canvas.TextHeight("A");
    const platform::TRect& m = FMargins;
    const auto centred = [&](const std::string& text) {
        return m.Left + (m.Width() - platform::CharacterCount(text) * FCharWidth) / 2;
    };
    canvas.TextOut(centred(title), m.Top - 2 * FCharHeight, title);

    int y1 = m.Top;
    for (int r = rows.first; r <= rows.second; ++r) {
        // A row taller than the page prints alone, cut at the page's bottom.
        const int y2 = std::min(y1 + RowHeight(r), std::max(m.Bottom, y1));
        int x1 = m.Left;
        for (int c = cols.first; c <= cols.second; ++c) {
            const int x2 = std::min(x1 + ColumnWidth(c), std::max(m.Right, x1));
            if (x2 != x1 && y2 != y1) {
                canvas.Line(x1, y1, x1, y2);
                canvas.Line(x1, y2, x2, y2);
                canvas.Line(x2, y2, x2, y1);
                canvas.Line(x2, y1, x1, y1);
                const std::string& text = FGrid.Cell(c, r);
                if (!text.empty()) {
                    const std::string shown = ClipText(canvas, text, x2 - x1 - 2 * FPenWidth);
                    if (!shown.empty()) canvas.TextOut(x1 + 2 * FPenWidth, y1 + 2 * FPenWidth, shown);
                }
            }
            x1 = x2;
        }
        y1 = y2;
    }
    std::string label = "str. " + std::to_string(pageRow);
    if (FColumns.size() > 1) label += " (cz." + std::to_string(pageCol) + ")";
    canvas.TextOut(centred(label), y1 + FCharHeight, label);
}

void PrintGrid(const TGridModel& grid, platform::IPrintTarget& printer, const std::string& title) {
    TGridPrint(grid, printer).Print(title);
}

}  // namespace app
