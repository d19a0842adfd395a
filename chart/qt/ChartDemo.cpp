// Shows the chart with a trace in each of the nine state styles; with --screenshot FILE
// it writes the window as a PNG instead of waiting for the user; with --dialog FILE the
// setup dialog.
#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <string>

#include "chart/qt/GraphWidget.h"
#include "chart/qt/Graphdlg.h"

namespace {

struct TStyle {
    const char* Name;
    platform::TColor Color;
    platform::TPenStyle Pen;
    uint8_t Thickness;
};

constexpr TStyle kStyles[] = {
    {"OFF", platform::clBlack, platform::TPenStyle::Solid, 3},
    {"ON", platform::clRed, platform::TPenStyle::Solid, 15},
    {"AMBIGUOUS STATE", platform::clYellow, platform::TPenStyle::Solid, 15},
    {"UNKNOWN STATE", platform::clBlack, platform::TPenStyle::Dot, 3},
    {"V<Vlt", platform::clBlack, platform::TPenStyle::Solid, 3},
    {"Vlt<V<VL", platform::clRed, platform::TPenStyle::Solid, 6},
    {"VL<V<0,9Vr", platform::clYellow, platform::TPenStyle::Solid, 9},
    {"0.9Vr<V<Vr", platform::clGreen, platform::TPenStyle::Solid, 12},
    {"V>Vr", platform::clGreen, platform::TPenStyle::Solid, 16},
};

chart::TGraphSample Sample(double x, const TStyle& s) {
    chart::TGraphSample sample;
    sample.X = x;
    sample.Color = s.Color;
    sample.PenStyle = static_cast<uint8_t>(s.Pen);
    sample.Thickness = s.Thickness;
    return sample;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string screenshot;
    std::string dialogShot;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--screenshot" && i + 1 < argc) {
            screenshot = argv[++i];
        } else if (arg == "--dialog" && i + 1 < argc) {
            dialogShot = argv[++i];
        } else {
            std::fprintf(stderr, "usage: chart_demo [--screenshot FILE] [--dialog FILE]\n");
            return 2;
        }
    }

    chart::TGraphWidget widget;
    widget.setWindowTitle("chart_demo");
    widget.resize(640, 330);
    chart::TGraph& graph = widget.Graph();
    graph.ShowMajorGrid = true;
    graph.ShowMinorGrid = true;
    graph.BeginUpdate();
    graph.Clear();
    uint16_t row = 0;
    for (const TStyle& s : kStyles) {
        ++row;
        // Each style, interrupted by OFF, over ten seconds.
        graph.AddSample(Sample(-0.2, s), row);
        graph.AddSample(Sample(3 + row * 0.25, kStyles[0]), row);
        graph.AddSample(Sample(5.5, s), row);
        graph.AddSample(Sample(10, s), row);
        graph.SetTraceName(row, s.Name);
    }
    graph.PrintTitle = "chart_demo";
    graph.EndUpdate();
    // The second and third traces show how selected ones are marked; the cursors stand
    // at 2 and 6 s with their readings.
    graph.SetSelected(2, 1);
    graph.SetSelected(3, 1);
    graph.CursorOne.Position = 2;
    graph.CursorTwo.Position = 6;
    graph.PlaceCursors();
    graph.CursorMoved(graph.CursorOne);
    graph.CursorMoved(graph.CursorTwo);
    widget.show();

    if (!dialogShot.empty()) {
        chart::TGraphSetup dialog;
        dialog.show();
        app.processEvents();
        return dialog.grab().save(QString::fromStdString(dialogShot), "PNG") ? 0 : 1;
    }

    if (screenshot.empty()) return app.exec();
    app.processEvents();
    if (!widget.grab().save(QString::fromStdString(screenshot), "PNG")) {
        std::fprintf(stderr, "chart_demo: cannot write %s\n", screenshot.c_str());
        return 1;
    }
    return 0;
}
