#pragma once
// The time chart: named traces drawn as bands of step lines stacked from the top over a
// common time axis with ticks, labels, a unit text and optional grids. All lengths of
// the drawing model are millimetres, turned into the target's pixels, so one model draws
// the screen image, a copied image and printed pages. The control that shows it (a
// widget, or a test's stand-in) is its host.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "chart/Extgraph.h"
#include "chart/Markers.h"
#include "chart/Ogmarr32.h"
#include "chart/TraceChart.h"
#include "platform/Canvas.h"
#include "platform/PrintTarget.h"

namespace chart {

// What the chart needs of the control that shows it.
class IGraphHost {
public:
    virtual ~IGraphHost() = default;
    // Shown on the screen (with its parents); a hidden control draws nothing.
    virtual bool Showing() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual int BevelWidth() const = 0;
    virtual int PixelsPerInchX() const = 0;
    virtual int PixelsPerInchY() const = 0;
    virtual int TraceScrollBarWidth() const = 0;
    virtual int TimeScrollBarHeight() const = 0;
    virtual int CursorWidth() const = 0;
    virtual int CursorValueHeight() const = 0;
    virtual platform::TColor PanelColor() const = 0;  // the button face
    virtual platform::TColor HighlightColor() const = 0;
    // A new offscreen image of the control's size at the screen's resolution.
    virtual void ResizeOffscreen() = 0;
    // The offscreen image's canvas until EndOffscreen; none without an image.
    virtual platform::ICanvas* BeginOffscreen() = 0;
    virtual void EndOffscreen() = 0;
    // The offscreen image is ready: bring it to the screen (its painting calls Paint).
    virtual void ShowImage() = 0;
    // Take the scroll bars' ranges and positions from the chart.
    virtual void ScrollBarsChanged() = 0;
    // The cursor windows go where the chart's markers stand.
    virtual void CursorsMoved() = 0;
    // The cursor readings changed their texts.
    virtual void LabelsChanged() = 0;
    virtual void TakeFocus() = 0;
    // A white image of that size at the screen's resolution for the clipboard; none when
    // it cannot be made. EndClipboardImage puts it on the clipboard.
    virtual platform::ICanvas* BeginClipboardImage(int width, int height) = 0;
    virtual void EndClipboardImage() = 0;
};

struct TScrollBarState {
    int Position = 0;
    int Max = 0;
    int SmallChange = 1;
    int LargeChange = 1;
};

using platform::TPrinterOrientation;

// Modifier keys held with a mouse button.
enum TShiftState : unsigned { ssShift = 1u << 0, ssCtrl = 1u << 1 };

// Where DrawChart draws: the screen's offscreen image (band boxes are stored for hit
// tests), another image (only selected traces), or a printer page (the page model).
enum class TDrawTarget : uint8_t { Screen, Image, Printer };

class TGraph : public ITraceChart {
public:
    // Cells of a row of TraceAttribs.
    static constexpr int kNameCell = 1;
    static constexpr int kVisibleCell = 4;
    static constexpr int kSelectedCell = 5;
    static constexpr int kBandCell = 6;
    static constexpr size_t kNameMax = 255;  // characters
    // More pages than this are refused: no printer takes them, and a bad scale asks for
    // billions.
    static constexpr int kMaxPrintPages = 10000;

    explicit TGraph(IGraphHost* host = nullptr);
    TGraph(const TGraph&) = delete;
    TGraph& operator=(const TGraph&) = delete;

    // A non-finite X is refused.
    void AddSample(const TGraphSample& sample, uint16_t row) override;
    // Cut to kNameMax characters, never inside one.
    void SetTraceName(uint16_t row, const std::string& name) override;
    std::string GetTraceLabel(uint16_t row);
    void BeginUpdate() override;
    void EndUpdate() override;
    void Clear() override;
    int SampleRowCount() override { return TraceSamples.UsedRowCount(); }
    void SetPrintTitle(const std::string& title) override { PrintTitle = title; }

    // Draws the whole control into the offscreen image and brings it to the screen.
    void Redraw();
    void ShowImage();
    // The screen's part of painting, after the image is copied: the selection marks.
    void Paint(platform::ICanvas& screen);
    void UpdateLayout();
    // The control's size changed.
    void Resized();
    int AutoscaleValue();
    double ValueAtPixel(int x);
    void DrawChart(platform::ICanvas* target, TDrawTarget kind, const platform::TRect& rect, double xFrom,
                   double xTo, int firstRow, int lastRow, const std::function<bool()>& aborted = {});
    // "[s]", "[min]", "[h]", "[day]" or none.
    std::string GetAxisUnit() const;
    // The last sample of the row whose X is at or before x; 0 when there is none.
    int SampleIndexAt(int row, double x);
    // The sample of a cell; zeros for a missing one.
    TGraphSample Sample(int row, int column);
    bool TraceVisible(int row);
    bool TraceSelected(int row);
    // The band box stored for hit tests; (-1, -1, -1, -1) when there is none.
    platform::TRect TraceBand(int row);

    // Selection: marks over the screen image, never a new drawing.
    void SelectAll() { SetAllSelected(1); }
    void UnselectAll() { SetAllSelected(0); }
    // Rows outside 1..UsedRowCount are ignored; no redraw.
    void SetSelected(int row, uint8_t value);
    void SetAllSelected(uint8_t value);
    bool IsSelected(int row) { return TraceSelected(row); }
    int SelectedCount();
    // The row whose band holds the point; 0 outside the plot or any band.
    int TraceAtPoint(int x, int y);
    // The left button on the chart, with the modifiers held (TShiftState bits).
    void MouseDown(int x, int y, unsigned shift);
    // A move with the left button held.
    void MouseMove(int x, int y);
    void MouseUp() {}

    // Both cursors take the plot and the range it shows, keeping their values.
    void PlaceCursors();
    // A cursor was dragged: its reading and the span follow. (The window that shows a
    // cursor holds the mouse while it is pressed on it, so pressing and releasing need
    // nothing of the chart.)
    void CursorMoved(TMarker& cursor);
    // A scroll action of either bar ended.
    void ScrollEnded();

    // Paging on the printer's page model (Pages asks the process-wide printer).
    void UpdatePageSize();
    void UpdatePageSize(const platform::IPrintTarget& printer);
    bool HasPrinter() const;
    int Pages() { return GetPages(); }
    int GetPages();
    int GetPages(const platform::IPrintTarget& printer);
    long double TotalWidthMM() const;
    long double UsableWidthMM() const;
    // The height one page row may fill: the page's usable width and height, the lesser.
    long double RowBudgetMM() const;
    int PagesAcross() const;
    long double TraceHeightSum(int from, int to);
    // The rows first..last of page row group; a group beyond the page rows is lowered to
    // the last one, 0 when there is none (first 1, last 0 then).
    void GetRowGroup(int& group, int& first, int& last);
    // Pages first..last (cut to Pages) on the printer, as one job titled PrintTitle. False
    // when a box told the user that there is no printer, so nothing else can be printed
    // either. A chart of more pages than paper takes is not printed and told in a box of
    // its own, and the print may go on (true). A job that could not begin or go out raises
    // EInOutError.
    bool Print(int firstPage, int lastPage, platform::IPrintTarget& printer);
    // The selected traces as an image on the clipboard: the whole range or the span
    // between the cursors.
    void CopyToClipboard();

    bool Autoscale() const { return FAutoscale; }
    void SetAutoscale(bool on);
    double DataMinRange() const { return FDataMinRange; }
    double DataMaxRange() const { return FDataMaxRange; }
    void SetDataMinRange(double x);
    void SetDataMaxRange(double x);
    uint16_t DataTimeInterval() const { return FDataTimeInterval; }
    void SetDataTimeInterval(uint16_t value);
    platform::TColor DataBackGround() const { return FDataBackGround; }
    void SetDataBackGround(platform::TColor color);
    TIntervalTimeType DataTimeType() const { return FDataTimeType; }
    void SetDataTimeType(TIntervalTimeType type);
    int32_t ScaleX() const { return FScaleX; }
    // Kept within 1..INT32_MAX.
    void SetScaleX(int64_t percent);
    bool Updating() const { return FUpdating; }
    IGraphHost* Host() const { return FHost; }

    platform::TRect PlotArea;
    uint16_t LastSelected = 0;
    uint16_t LastMoved = 0;
    TScrollBarState TraceScrollBar;
    TScrollBarState TimeScrollBar;
    uint16_t ScreenTextHeight = 0;
    int32_t ScreenPixelsPerInchX = 0;
    int32_t ScreenPixelsPerInchY = 0;
    bool CopyWholeRange = true;
    long double MajorGridWidth = 0.2L;  // mm; also the axis and its ticks
    long double MinorGridWidth = 0.1L;  // mm; also the trace separators
    bool ShowMinorGrid = false;
    bool ShowMajorGrid = false;
    platform::TPenStyle MinorGridStyle = platform::TPenStyle::DashDot;
    platform::TPenStyle MajorGridStyle = platform::TPenStyle::Solid;
    platform::TColor MinorGridColor = platform::clBlue;
    platform::TColor MajorGridColor = platform::clBlue;
    long double ScaleBandMM = 10.0L;
    int32_t PageWidthMM = 210;
    int32_t PageHeightMM = 297;
    int32_t LeftMarginMM = 15;
    int32_t RightMarginMM = 15;
    int32_t TopMarginMM = 25;
    int32_t BottomMarginMM = 20;
    TPrinterOrientation PageOrientation = TPrinterOrientation::Portrait;
    int32_t SubdivisionsPerDivision = 4;
    double ValuePerDivision = 1.0;
    uint16_t DivisionLengthMM = 10;
    uint16_t TraceHeightMM = 7;
    platform::TFont Font;  // "Arial" 9
    std::string PrintTitle;
    TMarker CursorOne;
    TMarker CursorTwo;
    // The readings below the top edge.
    std::string CursorOneCaption = "x1= ";
    std::string CursorOneValue;
    std::string CursorTwoCaption = "x2= ";
    std::string CursorTwoValue;
    std::string SpanLabel = "dt";
    TOgmMatrix TraceSamples;  // row r = trace r; cells TGraphSample in ascending X
    TOgmMatrix TraceAttribs;  // row r = name, visible, selected and band box of trace r

protected:
    // One view being drawn.
    struct TDrawContext {
        platform::ICanvas& Canvas;
        TDrawTarget Kind;
        platform::TRect Given;  // the rectangle handed to DrawChart
        platform::TRect Plot;
        long double XFrom, XTo;
        int PpiX, PpiY;
        int CharW, CharH;
        int MinorWidth, MajorWidth;
        const std::function<bool()>& Aborted;
        int64_t Y = 0;                             // the next band's offset below the plot's top
        std::array<int32_t, 256> ThicknessPixels;  // by a sample's thickness; -1 not known yet
        long double DivisionMM = 0;                // one division as drawn, at the scale
    };
    void DrawTimeAxis(TDrawContext& dc);
    void DrawTrace(TDrawContext& dc, int row);

private:
    void SetScaleX(int64_t percent, bool redraw);
    // An axis, tick, grid or separator line relative to the plot's top-left corner.
    void PlotLine(TDrawContext& dc, int64_t x1, int64_t y1, int64_t x2, int64_t y2);
    // From pixel a to pixel b of the plot.
    void DrawSegment(TDrawContext& dc, int64_t a, int64_t b, const TGraphSample& sample, int64_t bandBottom,
                     int64_t bandHeight);
    // The pixel of value v along the drawn axis; clamped, never overflowing.
    long double AxisPixels(const TDrawContext& dc, long double v) const;
    bool AxisDrawable(const TDrawContext& dc) const;
    void StoreBand(int row, const platform::TRect& band);
    // The page rows, each the first and last row of its group.
    std::vector<std::pair<int, int>> RowGroups();
    int PagesOn(long double budget);
    // The X span of one page across.
    long double PageSpan() const;
    void SelectRange(int from, int to);

    IGraphHost* FHost;
    bool FAutoscale = true;
    double FDataMinRange = 0;
    double FDataMaxRange = 0;
    uint16_t FDataTimeInterval = 1;
    platform::TColor FDataBackGround = platform::clWhite;
    TIntervalTimeType FDataTimeType = TIntervalTimeType::Seconds;
    int32_t FScaleX = 100;
    bool FUpdating = false;
};

}  // namespace chart
