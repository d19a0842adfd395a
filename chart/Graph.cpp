#include "chart/Graph.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/Bytes.h"
#include "platform/FormatSettings.h"
#include "platform/PrintJob.h"
#include "platform/Prompts.h"
#include "platform/Strings.h"
#include "platform/Waiter.h"

namespace chart {

namespace {

using platform::ICanvas;
using platform::TPen;
using platform::TPenMode;
using platform::TPenStyle;
using platform::TRect;

constexpr size_t kSampleSize = sizeof(TGraphSample);
constexpr size_t kBandSize = 16;
constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
// Far beyond any device, yet sums of a few of them stay inside 64 bits and every
// coordinate handed to a canvas inside int.
constexpr long double kPixelLimit = 1 << 28;

// Halves to even, as the current (nearest) rounding mode does.
int64_t RoundPixels(long double v) {
    if (std::isnan(v)) return 0;
    return std::llrint(std::clamp(v, -kPixelLimit, kPixelLimit));
}

int ToInt(int64_t v) {
    return static_cast<int>(
        std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::array<uint8_t, kSampleSize> EncodeSample(const TGraphSample& s) {
    std::array<uint8_t, kSampleSize> b{};
    platform::PutLeDouble(&b[0], s.X);
    std::memcpy(&b[8], s.Reserved1, sizeof s.Reserved1);
    platform::PutLe(&b[16], s.Color);
    b[20] = s.PenStyle;
    b[21] = s.Thickness;
    std::memcpy(&b[22], s.Reserved2, sizeof s.Reserved2);
    return b;
}

TGraphSample DecodeSample(std::span<const uint8_t> cell) {
    std::array<uint8_t, kSampleSize> b{};
    std::copy_n(cell.begin(), std::min(cell.size(), b.size()), b.begin());
    TGraphSample s;
    s.X = platform::GetLeDouble(&b[0]);
    std::memcpy(s.Reserved1, &b[8], sizeof s.Reserved1);
    s.Color = platform::GetLe<platform::TColor>(&b[16]);
    s.PenStyle = b[20];
    s.Thickness = b[21];
    std::memcpy(s.Reserved2, &b[22], sizeof s.Reserved2);
    return s;
}

double DecodeX(std::span<const uint8_t> cell) {
    if (cell.size() < 8) return 0;
    return platform::GetLeDouble(cell.data());
}

// Ends the host's offscreen drawing however the drawing ends.
class TOffscreen {
public:
    explicit TOffscreen(IGraphHost& host) : FHost(host), FCanvas(host.BeginOffscreen()) {}
    ~TOffscreen() {
        if (FCanvas) FHost.EndOffscreen();
    }
    TOffscreen(const TOffscreen&) = delete;
    TOffscreen& operator=(const TOffscreen&) = delete;
    ICanvas* Canvas() const { return FCanvas; }

private:
    IGraphHost& FHost;
    ICanvas* FCanvas;
};

// A cursor reading: rounded once to 7 significant digits or 3 decimals, whichever keeps
// fewer digits, shown with 3 decimals; exponent notation from 10^7 on.
std::string FormatReading(long double value) {
    const platform::TFormatSettings& fs = platform::AppFormatSettings();
    const double v = static_cast<double>(value);
    if (!std::isfinite(v)) return platform::FloatToStrGeneral(v, 7, 0, fs);
    if (std::fabs(v) < 1e4) return platform::FormatFixed(v, 3, fs);
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific, 6);
    double rounded = v;
    std::from_chars(buffer, written.ptr, rounded);
    if (std::fabs(rounded) >= 1e7) return platform::FloatToStrGeneral(rounded, 7, 0, fs);
    return platform::FormatFixed(rounded, 3, fs);
}

}  // namespace

TGraph::TGraph(IGraphHost* host) : FHost(host) {
    for (TMarker* cursor : {&CursorOne, &CursorTwo})
        cursor->OnCursorMove = [this](TMarker& c) { CursorMoved(c); };
}

void TGraph::AddSample(const TGraphSample& sample, uint16_t row) {
    if (!std::isfinite(sample.X)) return;
    const auto bytes = EncodeSample(sample);
    TraceSamples.WriteCell(bytes, row, TraceSamples.GetCellCount(row) + 1);
    if (!TraceSamples.ErrorText().empty()) return;
    const bool widened = sample.X > FDataMaxRange || sample.X < FDataMinRange;
    FDataMaxRange = std::max(FDataMaxRange, sample.X);
    FDataMinRange = std::min(FDataMinRange, sample.X);
    if (FUpdating) return;
    if (widened) SetScaleX(FScaleX, false);
    Redraw();
    if (widened) PlaceCursors();
}

void TGraph::SetTraceName(uint16_t row, const std::string& name) {
    const std::string_view text =
        platform::Utf8Prefix(std::string_view(name).substr(0, name.find('\0')), kNameMax);
    std::vector<uint8_t> cell(text.begin(), text.end());
    cell.push_back(0);
    TraceAttribs.WriteCell(cell, row, kNameCell);
}

std::string TGraph::GetTraceLabel(uint16_t row) {
    const std::span<const uint8_t> cell = TraceAttribs.GetCellData(row, kNameCell);
    if (cell.empty()) return "Wykres " + std::to_string(row);
    const auto end = std::find(cell.begin(), cell.end(), uint8_t{0});
    return std::to_string(row) + ". " + std::string(cell.begin(), end);
}

TGraphSample TGraph::Sample(int row, int column) {
    return DecodeSample(TraceSamples.GetCellData(row, column));
}

int TGraph::SampleIndexAt(int row, double x) {
    for (int k = TraceSamples.GetCellCount(row); k >= 1; --k)
        if (DecodeX(TraceSamples.GetCellData(row, k)) <= x) return k;
    return 0;
}

bool TGraph::TraceVisible(int row) {
    // Writing a later attribute leaves an empty cell here; only a stored 0 hides.
    const std::span<const uint8_t> cell = TraceAttribs.GetCellData(row, kVisibleCell);
    return !(cell.size() == 1 && cell[0] == 0);
}

bool TGraph::TraceSelected(int row) {
    const std::span<const uint8_t> cell = TraceAttribs.GetCellData(row, kSelectedCell);
    return !cell.empty() && cell[0] != 0;
}

TRect TGraph::TraceBand(int row) {
    const std::span<const uint8_t> cell = TraceAttribs.GetCellData(row, kBandCell);
    if (cell.size() < kBandSize) return {-1, -1, -1, -1};
    auto at = [&](size_t i) { return static_cast<int32_t>(platform::GetLe<uint32_t>(&cell[4 * i])); };
    return {at(0), at(1), at(2), at(3)};
}

void TGraph::StoreBand(int row, const TRect& band) {
    std::array<uint8_t, kBandSize> b{};
    const std::array<int32_t, 4> v{band.Left, band.Top, band.Right, band.Bottom};
    for (size_t i = 0; i < v.size(); ++i) platform::PutLe(&b[4 * i], static_cast<uint32_t>(v[i]));
    TraceAttribs.WriteCell(b, row, kBandCell);
}

void TGraph::BeginUpdate() {
    FUpdating = true;
}

void TGraph::EndUpdate() {
    FUpdating = false;
    UpdateLayout();
    if (FAutoscale) FScaleX = AutoscaleValue();
    SetScaleX(FScaleX, false);
    Redraw();
    PlaceCursors();
}

void TGraph::Clear() {
    TraceAttribs.SetUsedRowCount(0);
    TraceSamples.SetUsedRowCount(0);
    FDataMinRange = FDataMaxRange = 0;
    if (!FUpdating) Redraw();
}

void TGraph::SetAutoscale(bool on) {
    FAutoscale = on;
    if (on && AutoscaleValue() != FScaleX) SetScaleX(AutoscaleValue());
}

void TGraph::SetDataMinRange(double x) {
    if (!std::isfinite(x) || x == FDataMinRange || !(x < FDataMaxRange)) return;
    FDataMinRange = x;
    Redraw();
}

void TGraph::SetDataMaxRange(double x) {
    if (!std::isfinite(x) || x == FDataMaxRange || !(x - FDataMinRange > 9)) return;
    FDataMaxRange = x;
    Redraw();
}

void TGraph::SetDataBackGround(platform::TColor color) {
    if (color == FDataBackGround) return;
    FDataBackGround = color;
    Redraw();
}

void TGraph::SetDataTimeInterval(uint16_t value) {
    auto limit = [&](uint16_t most, const char* text) {
        if (value <= most) return;
        platform::Prompts().MessageBox(text, "OverRange.");
        value = most;
    };
    switch (FDataTimeType) {
        case TIntervalTimeType::None:
            break;
        case TIntervalTimeType::mSeconds:
            limit(1000, "Maximum value is 1000 when MSeconds selected.");
            if (value < 100)
                platform::Prompts().MessageBox(
                    "Minimum value of 100 when MSeconds selected is recommended for accuracy.",
                    "Over Range.");
            break;
        case TIntervalTimeType::Seconds:
            limit(60, "Maximum value is 60 when Seconds selected.");
            break;
        case TIntervalTimeType::Minutes:
            limit(60, "Maximum value is 60 when Minutes selected.");
            break;
        case TIntervalTimeType::Hours:
            limit(24, "Maximum value is 24 when Hours selected.");
            break;
    }
    FDataTimeInterval = value;
    Redraw();
}

void TGraph::SetDataTimeType(TIntervalTimeType type) {
    if (type == FDataTimeType) return;
    FDataTimeType = type;
    const uint16_t interval = FDataTimeInterval;
    switch (type) {
        case TIntervalTimeType::None:
            break;
        case TIntervalTimeType::mSeconds:
            SetDataTimeInterval(std::max<uint16_t>(interval, 100));
            break;
        case TIntervalTimeType::Seconds:
        case TIntervalTimeType::Minutes:
            SetDataTimeInterval(interval < 61 ? interval : 1);
            break;
        case TIntervalTimeType::Hours:
            SetDataTimeInterval(interval < 25 ? interval : 1);
            break;
    }
}

std::string TGraph::GetAxisUnit() const {
    const bool fine = FDataTimeInterval == 1 || FDataTimeInterval == 2;
    switch (FDataTimeType) {
        case TIntervalTimeType::mSeconds:
            return "[s]";
        case TIntervalTimeType::Seconds:
            return fine ? "[s]" : "[min]";
        case TIntervalTimeType::Minutes:
            return fine ? "[min]" : "[h]";
        case TIntervalTimeType::Hours:
            return "[day]";
        case TIntervalTimeType::None:
            break;
    }
    return {};
}

void TGraph::SetScaleX(int64_t percent) {
    SetScaleX(percent, true);
}

void TGraph::SetScaleX(int64_t percent, bool redraw) {
    FScaleX = static_cast<int32_t>(std::clamp<int64_t>(percent, 1, kInt32Max));
    // One scroll step is one auxiliary step of the axis.
    const int64_t steps = int64_t{SubdivisionsPerDivision} + 1;
    TimeScrollBar.SmallChange = 1;
    TimeScrollBar.LargeChange = static_cast<int>(std::clamp<int64_t>(steps, 1, kInt32Max));
    long double max = 0;
    if (ValuePerDivision > 0 && std::isfinite(ValuePerDivision) && steps > 0)
        max = std::nearbyint((static_cast<long double>(FDataMaxRange) - FDataMinRange) / ValuePerDivision) *
              steps;
    TimeScrollBar.Max = max >= kInt32Max ? kInt32Max : max > 0 ? static_cast<int>(max) : 0;
    TimeScrollBar.Position = std::clamp(TimeScrollBar.Position, 0, TimeScrollBar.Max);
    if (FHost) FHost->ScrollBarsChanged();
    if (redraw && !FUpdating) {
        Redraw();
        PlaceCursors();
    }
}

int TGraph::AutoscaleValue() {
    if (!(FDataMinRange < FDataMaxRange)) return FScaleX != 0 ? FScaleX : 10;
    const long double percent =
        std::nearbyint(AutoScalePercent(PlotArea.Width(), ScreenPixelsPerInchX, DivisionLengthMM,
                                        ValuePerDivision, FDataMinRange, FDataMaxRange));
    if (!(percent >= 1)) return 1;
    if (percent >= kInt32Max) return kInt32Max;
    return static_cast<int>(percent);
}

double TGraph::ValueAtPixel(int x) {
    const long double steps = static_cast<long double>(SubdivisionsPerDivision) + 1;
    return static_cast<double>(PixelsToMM(ScreenPixelsPerInchX, static_cast<long double>(x) - PlotArea.Left) /
                                   DivisionLengthMM / FScaleX * (ValuePerDivision * 100.0L) +
                               ValuePerDivision / steps * TimeScrollBar.Position + FDataMinRange);
}

void TGraph::UpdateLayout() {
    if (!FHost) return;
    ScreenPixelsPerInchX = FHost->PixelsPerInchX();
    ScreenPixelsPerInchY = FHost->PixelsPerInchY();
    {
        const TOffscreen offscreen(*FHost);
        if (ICanvas* c = offscreen.Canvas()) {
            c->Font = Font;
            ScreenTextHeight = static_cast<uint16_t>(std::clamp(c->TextHeight("A"), 0, 0xFFFF));
        }
    }
    const int cursor = FHost->CursorWidth();
    const int bevel = FHost->BevelWidth();
    PlotArea.Left = (3 * cursor) / 2 + bevel;
    PlotArea.Top = (5 * FHost->CursorValueHeight()) / 4;
    PlotArea.Right = FHost->Width() - bevel - FHost->TraceScrollBarWidth() - (3 * cursor) / 2;
    PlotArea.Bottom = FHost->Height() - 2 * ScreenTextHeight - bevel - FHost->TimeScrollBarHeight();
}

void TGraph::Resized() {
    if (!FHost) return;
    FHost->ResizeOffscreen();
    UpdateLayout();
    if (FAutoscale && AutoscaleValue() != FScaleX) SetScaleX(AutoscaleValue(), false);
    PlaceCursors();
    // Painting only copies the image, so the new size is drawn here.
    Redraw();
}

void TGraph::Redraw() {
    if (!FHost || !FHost->Showing()) return;
    if (ScreenPixelsPerInchX < 1 || ScreenPixelsPerInchY < 1) UpdateLayout();
    TraceScrollBar.Max = TraceSamples.UsedRowCount();
    TraceScrollBar.Position = std::clamp(TraceScrollBar.Position, 0, TraceScrollBar.Max);
    FHost->ScrollBarsChanged();
    for (int row = 1; row <= TraceAttribs.UsedRowCount(); ++row)
        if (TraceAttribs.GetCellCount(row) >= kBandCell) StoreBand(row, {-1, -1, -1, -1});
    {
        const TOffscreen offscreen(*FHost);
        ICanvas* c = offscreen.Canvas();
        if (!c) return;
        c->Pen = TPen{};
        c->Brush = {FHost->PanelColor(), platform::TBrushStyle::Solid};
        c->FillRect({0, 0, FHost->Width(), FHost->Height()});
        c->Brush = {FDataBackGround, platform::TBrushStyle::Solid};
        c->Rectangle(PlotArea);
        DrawChart(c, TDrawTarget::Screen, PlotArea, ValueAtPixel(PlotArea.Left), ValueAtPixel(PlotArea.Right),
                  TraceScrollBar.Position + 1, TraceSamples.UsedRowCount());
        // The plot's left edge, over whatever reached it.
        c->Pen = TPen{FDataBackGround, TPenStyle::Solid, 1, TPenMode::Copy};
        c->Line(PlotArea.Left, PlotArea.Top, PlotArea.Left, PlotArea.Bottom);
        c->Pen.Color = FDataBackGround == platform::clWhite ? platform::clBlack : platform::clWhite;
        c->Line(PlotArea.Left + 1, PlotArea.Top, PlotArea.Left + 1, PlotArea.Bottom);
    }
    ShowImage();
}

void TGraph::ShowImage() {
    if (FUpdating || !FHost) return;
    FHost->ShowImage();
}

void TGraph::Paint(ICanvas& screen) {
    if (!FHost) return;
    for (int row = TraceAttribs.UsedRowCount(); row >= 1; --row) {
        if (!TraceSelected(row)) continue;
        const TRect band = TraceBand(row);
        if (band.IsEmpty()) continue;
        screen.Pen = TPen{FHost->PanelColor(), TPenStyle::Solid, 1, TPenMode::MergePenNot};
        screen.Brush = {FHost->HighlightColor(), platform::TBrushStyle::Solid};
        screen.Rectangle(band);
    }
}

void TGraph::DrawChart(ICanvas* target, TDrawTarget kind, const TRect& rect, double xFrom, double xTo,
                       int firstRow, int lastRow, const std::function<bool()>& aborted) {
    if (!target) return;
    ICanvas& c = *target;
    TDrawContext dc{c, kind, rect, rect,    xFrom, xTo, c.PixelsPerInchX(), c.PixelsPerInchY(), 0,
                    0, 0,    0,    aborted, 0,     {}};
    dc.ThicknessPixels.fill(-1);
    dc.DivisionMM = DivisionLengthMM * static_cast<long double>(FScaleX) / 100;
    firstRow = std::max(firstRow, 1);
    if (kind == TDrawTarget::Printer) {
        long double heights = 0;
        for (int row = firstRow; row <= lastRow; ++row)
            if (TraceSamples.GetCellCount(row) > 0 && TraceVisible(row)) heights += TraceHeightMM;
        auto px = [](int ppi, long double mm) { return ToInt(RoundPixels(MMToPixels(ppi, mm))); };
        dc.Plot.Left = px(dc.PpiX, LeftMarginMM);
        dc.Plot.Right = px(dc.PpiX, static_cast<long double>(PageWidthMM) - RightMarginMM);
        dc.Plot.Top = px(dc.PpiY, TopMarginMM);
        dc.Plot.Bottom = ToInt(int64_t{px(dc.PpiY, heights + TopMarginMM)} + px(dc.PpiY, ScaleBandMM));
    }
    c.Font = Font;
    dc.CharW = c.TextWidth("A");
    dc.CharH = c.TextHeight("A");
    dc.MinorWidth = ToInt(RoundPixels(MMToPixels(dc.PpiY, MinorGridWidth)));
    dc.MajorWidth = ToInt(RoundPixels(MMToPixels(dc.PpiY, MajorGridWidth)));
    DrawTimeAxis(dc);
    for (int row = firstRow; row <= lastRow; ++row) {
        if (kind == TDrawTarget::Image && !TraceSelected(row)) continue;
        DrawTrace(dc, row);
        // Every band from here on would lie below the plot.
        if (dc.Plot.Top + dc.Y >= dc.Plot.Bottom) break;
    }
}

bool TGraph::AxisDrawable(const TDrawContext& dc) const {
    return ValuePerDivision > 0 && std::isfinite(ValuePerDivision) && DivisionLengthMM != 0 &&
           SubdivisionsPerDivision >= 0 && std::isfinite(dc.XFrom) && std::isfinite(dc.XTo);
}

long double TGraph::AxisPixels(const TDrawContext& dc, long double v) const {
    return MMToPixels(dc.PpiX, ValueToLength(v - dc.XFrom, ValuePerDivision, dc.DivisionMM));
}

void TGraph::PlotLine(TDrawContext& dc, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    const int64_t width = dc.Plot.Width();
    if (x1 > width || x2 > width || (x1 < 0 && x2 < 0)) return;
    dc.Canvas.Line(ToInt(dc.Plot.Left + x1), ToInt(dc.Plot.Top + y1), ToInt(dc.Plot.Left + x2),
                   ToInt(dc.Plot.Top + y2));
}

void TGraph::DrawTimeAxis(TDrawContext& dc) {
    ICanvas& c = dc.Canvas;
    const TRect& plot = dc.Plot;
    const std::string unit = GetAxisUnit();
    const int64_t mm1 = RoundPixels(MMToPixels(dc.PpiY, 1.0L));
    // The division as drawn, at the current scale.
    const long double divisionPx = MMToPixels(dc.PpiX, dc.DivisionMM);
    const bool minorTicks = !(FAutoscale && RoundPixels(divisionPx) / 3 < dc.CharW);
    const TPen axisPen{platform::clBlack, TPenStyle::Solid, dc.MajorWidth, TPenMode::Copy};

    c.Pen = axisPen;
    c.Font.Color = platform::clBlack;
    c.Brush.Style = platform::TBrushStyle::Clear;
    const int64_t h = int64_t{plot.Bottom} - plot.Top;
    const int64_t width = plot.Width();
    PlotLine(dc, 0, 0, 0, h);
    PlotLine(dc, 0, h, width, h);

    const int64_t textY = plot.Bottom + (5 * mm1) / 2;
    const int64_t unitX = plot.Right - (int64_t{platform::CharacterCount(unit)} * dc.CharW) / 2;
    if (!unit.empty()) c.TextOut(ToInt(unitX), ToInt(textY), unit);

    if (AxisDrawable(dc)) {
        // At most one step a pixel: auxiliary steps narrower than a pixel are left out, and
        // divisions narrower than one are taken every k-th.
        const long double subSteps = static_cast<long double>(SubdivisionsPerDivision) + 1;
        long double step = ValuePerDivision / subSteps;
        if (divisionPx / subSteps < 1) {
            step = ValuePerDivision;
            if (divisionPx < 1) {
                long double k = std::ceil(1 / divisionPx);
                if (k * divisionPx < 1) k += 1;
                step = k * ValuePerDivision;
            }
        }
        if (!std::isfinite(step) || !(step > 0)) return;
        long double v = FirstGridValue(dc.XFrom, step);
        int64_t lastRight = -32000;
        do {
            if (!std::isfinite(v)) break;
            const int64_t x = RoundPixels(AxisPixels(dc, v));
            // Neither lines nor labels are drawn right of the plot.
            if (x > width) break;
            if (IsGridValue(v, ValuePerDivision)) {
                if (ShowMajorGrid) {
                    c.Pen = {MajorGridColor, MajorGridStyle, dc.MajorWidth, TPenMode::Copy};
                    PlotLine(dc, x, 0, x, h);
                }
                const std::string label = FormatGridLabel(3, v);
                const int64_t length = int64_t{platform::CharacterCount(label)} * dc.CharW;
                const int64_t left = plot.Left + x - length / 2;
                if (left + length < unitX && left - lastRight > (5 * dc.CharW) / 2) {
                    c.TextOut(ToInt(left), ToInt(textY), label);
                    lastRight = left + length;
                }
                c.Pen = axisPen;
                PlotLine(dc, x, h, x, h + 2 * mm1);
            } else {
                if (minorTicks) {
                    c.Pen = axisPen;
                    PlotLine(dc, x, h, x, h + mm1);
                }
                if (ShowMinorGrid) {
                    c.Pen = {MinorGridColor, MinorGridStyle, dc.MajorWidth, TPenMode::Copy};
                    PlotLine(dc, x, 0, x, h);
                }
            }
            const long double next = v + step;
            if (!(next > v)) break;
            v = next;
        } while (v <= dc.XTo && !(dc.Aborted && dc.Aborted()));
    }

    if (dc.Kind == TDrawTarget::Printer) {
        c.Pen = TPen{};
        c.Font.Color = platform::clBlack;
        c.TextOut(dc.Given.Left, 100, PrintTitle);
    }
}

void TGraph::DrawTrace(TDrawContext& dc, int row) {
    ICanvas& c = dc.Canvas;
    const TRect& plot = dc.Plot;
    const int n = TraceSamples.GetCellCount(row);
    const long double heightMM = n > 0 && TraceVisible(row) ? TraceHeightMM : 0;
    const int64_t bandHeight = RoundPixels(MMToPixels(dc.PpiY, heightMM));
    if (bandHeight <= 0) return;
    const int64_t bandTop = plot.Top + dc.Y;
    if (dc.Kind == TDrawTarget::Screen && bandTop < plot.Bottom)
        StoreBand(row, {plot.Left, ToInt(bandTop), plot.Right,
                        ToInt(std::min<int64_t>(plot.Bottom, bandTop + bandHeight))});
    if (bandTop + bandHeight > plot.Bottom) {
        dc.Y += bandHeight;
        return;
    }
    // A trace that starts right of the view's start still has its band: drawn from its
    // first sample.
    const int first = std::max(SampleIndexAt(row, static_cast<double>(dc.XFrom)), 1);

    c.Pen = {platform::clBlack, TPenStyle::Solid, dc.MinorWidth, TPenMode::Copy};
    c.Font.Color = platform::clBlack;
    if (dc.Kind == TDrawTarget::Printer)
        c.Brush.Style = platform::TBrushStyle::Clear;
    else
        c.Brush = {FDataBackGround, platform::TBrushStyle::Solid};
    c.TextOut(ToInt(plot.Left + 2 * int64_t{dc.CharW}), ToInt(bandTop + dc.CharH / 3),
              GetTraceLabel(static_cast<uint16_t>(row)));
    PlotLine(dc, 0, dc.Y + bandHeight, plot.Width(), dc.Y + bandHeight);

    if (AxisDrawable(dc)) {
        TGraphSample current = Sample(row, first);
        int64_t x = RoundPixels(AxisPixels(dc, current.X));
        for (int k = first; k < n && current.X < dc.XTo; ++k) {
            const TGraphSample next = Sample(row, k + 1);
            const int64_t nextX = RoundPixels(AxisPixels(dc, next.X));
            DrawSegment(dc, x, nextX, current, bandTop + bandHeight, bandHeight);
            current = next;
            x = nextX;
        }
    }
    dc.Y += bandHeight;
}

void TGraph::DrawSegment(TDrawContext& dc, int64_t a, int64_t b, const TGraphSample& sample,
                         int64_t bandBottom, int64_t bandHeight) {
    const int64_t width = dc.Plot.Width();
    if ((a < 0 && b < 0) || (a > width && b > width)) return;
    a = std::clamp<int64_t>(a, 0, std::max<int64_t>(width, 0));
    b = std::clamp<int64_t>(b, 0, std::max<int64_t>(width, 0));
    int32_t& thickness = dc.ThicknessPixels[sample.Thickness];
    if (thickness < 0)
        thickness = static_cast<int32_t>(RoundPixels(MMToPixels(dc.PpiX, sample.Thickness / 10.0L)));
    // Never more lines than the band is high.
    const int64_t lines = std::min<int64_t>(thickness, bandHeight);
    if (lines <= 0) return;
    dc.Canvas.Pen = {sample.Color, static_cast<TPenStyle>(sample.PenStyle), 1, TPenMode::Copy};
    dc.Canvas.HorizontalLines(ToInt(dc.Plot.Left + a), ToInt(dc.Plot.Left + b), ToInt(bandBottom - lines),
                              ToInt(lines));
}

void TGraph::SetSelected(int row, uint8_t value) {
    if (row < 1 || row > TraceSamples.UsedRowCount()) return;
    if (TraceSelected(row) == (value != 0)) {
        const std::span<const uint8_t> cell = TraceAttribs.GetCellData(row, kSelectedCell);
        if (!cell.empty() && cell[0] == value) return;
    }
    const std::array<uint8_t, 1> flag{value};
    TraceAttribs.WriteCell(flag, row, kSelectedCell);
}

void TGraph::SetAllSelected(uint8_t value) {
    const int rows = TraceSamples.UsedRowCount();
    if (rows < 1) return;
    for (int row = rows; row >= 1; --row) SetSelected(row, value);
    // The image copied again takes the old marks away; the new ones are drawn over it.
    ShowImage();
}

int TGraph::SelectedCount() {
    int count = 0;
    for (int row = 1; row <= TraceAttribs.UsedRowCount(); ++row)
        if (TraceSelected(row)) ++count;
    return count;
}

namespace {

bool Contains(const TRect& r, int x, int y) {
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

}  // namespace

int TGraph::TraceAtPoint(int x, int y) {
    if (!Contains(PlotArea, x, y)) return 0;
    for (int row = TraceAttribs.UsedRowCount(); row >= 1; --row) {
        if (TraceAttribs.GetCellCount(row) < kBandCell) continue;
        const TRect band = TraceBand(row);
        if (!band.IsEmpty() && Contains(band, x, y)) return row;
    }
    return 0;
}

void TGraph::SelectRange(int from, int to) {
    for (int row = std::min(from, to); row <= std::max(from, to); ++row) SetSelected(row, 1);
}

void TGraph::MouseDown(int x, int y, unsigned shift) {
    const int hit = TraceAtPoint(x, y);
    const bool withShift = (shift & ssShift) != 0;
    const bool withCtrl = (shift & ssCtrl) != 0;
    if (!withShift && !withCtrl) {
        LastSelected = static_cast<uint16_t>(hit);
        if (SelectedCount() > 0) UnselectAll();
        if (hit != 0) SetSelected(hit, 1);
        ShowImage();
    } else if (withCtrl && !withShift) {
        if (hit != 0) SetSelected(hit, TraceSelected(hit) ? 0 : 1);
        ShowImage();
        if (FHost) FHost->TakeFocus();
        return;
    } else {
        // A click outside the bands extends nothing: row 0 is no end of a range.
        if (hit != 0) {
            if (LastSelected == 0) LastSelected = static_cast<uint16_t>(hit);
            SelectRange(LastSelected, hit);
        }
        ShowImage();
    }
    LastMoved = LastSelected;
    if (FHost) FHost->TakeFocus();
}

void TGraph::MouseMove(int x, int y) {
    const int hit = TraceAtPoint(x, y);
    if (hit == 0 || hit == LastMoved) return;
    {
        const bool updating = FUpdating;
        FUpdating = true;
        UnselectAll();
        if (LastSelected == 0) LastSelected = static_cast<uint16_t>(hit);
        SelectRange(LastSelected, hit);
        FUpdating = updating;
    }
    ShowImage();
    if (FHost) FHost->TakeFocus();
    LastMoved = static_cast<uint16_t>(hit);
}

void TGraph::PlaceCursors() {
    for (TMarker* cursor : {&CursorOne, &CursorTwo}) {
        cursor->Freeze();
        cursor->SetArea(PlotArea);
        cursor->SetRange(ValueAtPixel(PlotArea.Left), ValueAtPixel(PlotArea.Right));
        cursor->Thaw();
    }
    if (FHost) FHost->CursorsMoved();
}

void TGraph::CursorMoved(TMarker& cursor) {
    (&cursor == &CursorOne ? CursorOneValue : CursorTwoValue) = FormatReading(cursor.Position);
    SpanLabel = "dt=" + FormatReading(CursorTwo.Position - CursorOne.Position);
    if (FHost) {
        FHost->CursorsMoved();
        FHost->LabelsChanged();
    }
}

void TGraph::ScrollEnded() {
    Redraw();
    PlaceCursors();
}

void TGraph::UpdatePageSize() {
    UpdatePageSize(platform::Printer());
}

void TGraph::UpdatePageSize(const platform::IPrintTarget& printer) {
    if (!printer.HasPrinter()) return;
    PageWidthMM = printer.PageWidthMM();
    PageHeightMM = printer.PageHeightMM();
    PageOrientation = printer.Orientation();
}

bool TGraph::HasPrinter() const {
    return platform::Printer().HasPrinter();
}

long double TGraph::TotalWidthMM() const {
    return (static_cast<long double>(FDataMaxRange) - FDataMinRange) *
           (DivisionLengthMM * static_cast<long double>(FScaleX) / 100) / ValuePerDivision;
}

long double TGraph::UsableWidthMM() const {
    return static_cast<long double>(PageWidthMM) - LeftMarginMM - RightMarginMM;
}

long double TGraph::RowBudgetMM() const {
    // Bands below the page's bottom margin would be cut off on a landscape page.
    return std::min(UsableWidthMM(), static_cast<long double>(PageHeightMM) - TopMarginMM - BottomMarginMM);
}

long double TGraph::PageSpan() const {
    return UsableWidthMM() / (DivisionLengthMM * static_cast<long double>(FScaleX) / 100) * ValuePerDivision;
}

int TGraph::PagesAcross() const {
    const long double usable = UsableWidthMM();
    const long double total = TotalWidthMM();
    if (!(usable > 0) || !(ValuePerDivision > 0) || !std::isfinite(total) || !(total > 0)) return 0;
    const long double quotient = total / usable;
    if (!(quotient < kInt32Max)) return kInt32Max;
    long double across = std::trunc(quotient);
    if (across * usable < total) across += 1;
    return static_cast<int>(std::min<long double>(across, kInt32Max));
}

long double TGraph::TraceHeightSum(int from, int to) {
    long double sum = 0;
    // Rows beyond the last have no samples; the bound keeps ++row from overflowing.
    const int last = std::min<int>(to, TraceSamples.UsedRowCount());
    for (int row = std::max(from, 1); row <= last; ++row)
        if (TraceSamples.GetCellCount(row) > 0 && TraceVisible(row)) sum += TraceHeightMM;
    return sum;
}

std::vector<std::pair<int, int>> TGraph::RowGroups() {
    std::vector<std::pair<int, int>> groups;
    const long double budget = RowBudgetMM();
    const int rows = TraceSamples.UsedRowCount();
    int first = 1;
    long double height = 0;
    for (int row = 1; row <= rows; ++row) {
        const long double h = TraceHeightSum(row, row);
        // A page row holds at least one trace, however high.
        if (height > 0 && h > 0 && !(height + h + ScaleBandMM <= budget)) {
            groups.emplace_back(first, row - 1);
            first = row;
            height = 0;
        }
        height += h;
    }
    // Hidden traces alone make no page row.
    if (height > 0) groups.emplace_back(first, rows);
    return groups;
}

void TGraph::GetRowGroup(int& group, int& first, int& last) {
    const std::vector<std::pair<int, int>> groups = RowGroups();
    first = 1;
    last = 0;
    if (group < 1 || groups.empty()) {
        group = 0;
        return;
    }
    group = std::min<int64_t>(group, static_cast<int64_t>(groups.size()));
    first = groups[group - 1].first;
    last = groups[group - 1].second;
}

int TGraph::PagesOn(long double budget) {
    if (!(budget > 0) || !std::isfinite(static_cast<long double>(ScaleBandMM))) return 0;
    const int64_t across = PagesAcross();
    const int64_t rows = static_cast<int64_t>(RowGroups().size());
    return static_cast<int>(std::min<int64_t>(across * rows, kInt32Max));
}

int TGraph::GetPages() {
    return GetPages(platform::Printer());
}

int TGraph::GetPages(const platform::IPrintTarget& printer) {
    UpdatePageSize(printer);
    return PagesOn(RowBudgetMM());
}

bool TGraph::Print(int firstPage, int lastPage, platform::IPrintTarget& printer) {
    const int pages = GetPages(printer);
    const int across = PagesAcross();
    firstPage = std::max(firstPage, 1);
    lastPage = std::min(lastPage, pages);
    if (firstPage > lastPage) return true;
    if (!printer.HasPrinter()) {
        platform::Prompts().MessageBox("Brak domyślnej drukarki", "Błąd");
        return false;
    }
    if (int64_t{lastPage} - firstPage + 1 > kMaxPrintPages) {
        const std::string chart = PrintTitle.empty() ? "The chart" : "The chart \"" + PrintTitle + "\"";
        platform::Prompts().MessageBox(chart + " was not printed: it would print on more than " +
                                           std::to_string(kMaxPrintPages) + " pages.",
                                       "Print");
        return true;
    }
    platform::TPrintJob job(printer, "The chart", PrintTitle);
    const std::vector<std::pair<int, int>> groups = RowGroups();
    const long double span = PageSpan();
    const TRect page{0, 0, printer.PageWidthPixels(), printer.PageHeightPixels()};
    const std::function<bool()> aborted = [&printer] { return printer.Aborted(); };
    // 64 bits: the last page may be the largest int.
    for (int64_t i = firstPage; i <= lastPage; ++i) {
        const int64_t index = i - 1;
        const auto& [firstRow, lastRow] = groups[static_cast<size_t>(index / across)];
        const long double xFrom = FDataMinRange + static_cast<long double>(index % across) * span;
        DrawChart(printer.Canvas(), TDrawTarget::Printer, page, static_cast<double>(xFrom),
                  static_cast<double>(xFrom + span), firstRow, lastRow, aborted);
        if (i != lastPage) printer.NewPage();
        // The user may abort the job while the page goes out.
        platform::CurrentWaiter().WaitMs(0);
        if (printer.Aborted()) return true;
    }
    job.End();
    return true;
}

void TGraph::CopyToClipboard() {
    if (!FHost || SelectedCount() == 0) return;
    double from = FDataMinRange, to = FDataMaxRange;
    if (!CopyWholeRange) {
        // The cursors' values are X values already.
        from = static_cast<double>(std::min(CursorOne.Position, CursorTwo.Position));
        to = static_cast<double>(std::max(CursorOne.Position, CursorTwo.Position));
    }
    if (!(from < to) || !std::isfinite(from) || !std::isfinite(to)) return;
    const int ppiX = ScreenPixelsPerInchX > 0 ? ScreenPixelsPerInchX : FHost->PixelsPerInchX();
    const int ppiY = ScreenPixelsPerInchY > 0 ? ScreenPixelsPerInchY : FHost->PixelsPerInchY();
    if (ppiX < 1 || ppiY < 1) return;
    // An image side beyond this cannot be made: the start of the range and the first
    // traces are kept.
    constexpr int64_t kMaxSide = 32767;
    constexpr int64_t kMargin = 10;
    int64_t bottom = kMargin;
    for (int row = 1; row <= TraceSamples.UsedRowCount(); ++row)
        if (TraceSelected(row)) bottom += RoundPixels(MMToPixels(ppiY, TraceHeightSum(row, row)));
    if (bottom == kMargin) return;
    const int64_t band = RoundPixels(MMToPixels(ppiY, ScaleBandMM));
    bottom += band;
    const long double length = ValueToLength(static_cast<long double>(to) - from, ValuePerDivision,
                                             DivisionLengthMM * static_cast<long double>(FScaleX) / 100);
    const int64_t right = kMargin + RoundPixels(MMToPixels(ppiX, length));
    const int width = static_cast<int>(std::clamp<int64_t>(right, 1, kMaxSide));
    const int height = static_cast<int>(std::clamp<int64_t>(bottom, 1, kMaxSide));
    ICanvas* image = FHost->BeginClipboardImage(width, height);
    if (!image) return;
    image->Pen = TPen{};
    image->Brush = {platform::clWhite, platform::TBrushStyle::Solid};
    image->Rectangle({0, 0, width, height});
    const TRect plot{static_cast<int32_t>(kMargin), static_cast<int32_t>(kMargin), width,
                     ToInt(std::max<int64_t>(height - band, kMargin))};
    DrawChart(image, TDrawTarget::Image, plot, from, to, 1, TraceSamples.UsedRowCount());
    FHost->EndClipboardImage();
}

}  // namespace chart
