// Drawing the chart: 150 traces of 200 samples, every band in view on a 1600 x 4000
// panel at 96 dpi with both grids, through the QPainter canvas. A redraw follows every
// resize and property change, so it must fit in a frame: the limit is 16 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "chart/qt/GraphWidget.h"
#include "platform/FormatSettings.h"

namespace {

constexpr double kLimitMs = 16.0;
constexpr int kTraces = 150;
constexpr int kSamples = 200;

std::vector<double>& Times() {
    static std::vector<double> times;
    return times;
}

// Milliseconds of each scroll step: the view one auxiliary step on, the cursors placed.
std::vector<double>& ScrollTimes() {
    static std::vector<double> times;
    return times;
}

double Median(std::vector<double>& times) {
    std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2),
                     times.end());
    return times[times.size() / 2];
}

std::string Fixed(double v, int decimals) {
    return platform::FormatFixed(v, decimals, platform::DotFormatSettings());
}

chart::TGraphSample Sample(double x, bool on) {
    chart::TGraphSample s;
    s.X = x;
    s.Color = on ? platform::clRed : platform::clBlack;
    s.Thickness = on ? 15 : 3;
    return s;
}

// The panel with every band in view; false when the screen is not as measured.
bool Fill(chart::TGraphWidget& widget) {
    widget.resize(1600, 4000);
    chart::TGraph& graph = widget.Graph();
    graph.ShowMajorGrid = true;
    graph.ShowMinorGrid = true;
    graph.BeginUpdate();
    for (int row = 1; row <= kTraces; ++row) {
        for (int k = 0; k < kSamples; ++k)
            graph.AddSample(Sample(k, (k + row) % 2 == 0), static_cast<uint16_t>(row));
        graph.SetTraceName(static_cast<uint16_t>(row), "Trace " + std::to_string(row));
    }
    graph.EndUpdate();
    widget.show();
    QApplication::processEvents();
    const platform::TRect last = graph.TraceBand(kTraces);
    return graph.ScreenPixelsPerInchX == 96 && !last.IsEmpty() && last.Height() == 26;
}

void BM_Redraw150Traces(benchmark::State& state) {
    chart::TGraphWidget widget;
    if (!Fill(widget)) {
        state.SkipWithError("the panel does not show every band at 96 dpi");
        return;
    }
    chart::TGraph& graph = widget.Graph();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        graph.Redraw();
        Times().push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    benchmark::DoNotOptimize(widget.OffscreenImage().constBits());
}

BENCHMARK(BM_Redraw150Traces)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A step of the time scroll bar, as a click on its arrow: the chart redraws the view and
// places the cursors.
void BM_ScrollStep150Traces(benchmark::State& state) {
    chart::TGraphWidget widget;
    if (!Fill(widget)) {
        state.SkipWithError("the panel does not show every band at 96 dpi");
        return;
    }
    QScrollBar* bar = widget.TimeScrollBar();
    for (auto _ : state) {
        if (bar->value() == bar->maximum()) bar->setValue(0);
        const auto start = std::chrono::steady_clock::now();
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        ScrollTimes().push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    benchmark::DoNotOptimize(widget.OffscreenImage().constBits());
}

BENCHMARK(BM_ScrollStep150Traces)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::vector<double>& times = Times();
    std::vector<double>& scrolls = ScrollTimes();
    if (times.empty() || scrolls.empty()) return 1;
    const double median = Median(times);
    const double scroll = Median(scrolls);
    std::printf(
        "Redraw of %d traces x %d samples: median %s ms over %zu redraws, ratio to the %s ms limit %s%s\n",
        kTraces, kSamples, Fixed(median, 3).c_str(), times.size(), Fixed(kLimitMs, 0).c_str(),
        Fixed(median / kLimitMs, 3).c_str(), median < kLimitMs ? "" : " (OVER THE LIMIT)");
    std::printf(
        "Scroll step of %d traces x %d samples: median %s ms over %zu steps, ratio to the %s ms limit %s%s\n",
        kTraces, kSamples, Fixed(scroll, 3).c_str(), scrolls.size(), Fixed(kLimitMs, 0).c_str(),
        Fixed(scroll / kLimitMs, 3).c_str(), scroll < kLimitMs ? "" : " (OVER THE LIMIT)");
    return 0;
}
