#pragma once
// The chart's panel on the screen: a raised frame holding the offscreen image, the two
// scroll bars, the cursors and their labels. Drawing happens in the chart; painting only
// copies the image and marks the selected traces.
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <optional>

#include "chart/Graph.h"
#include "platform/qt/QtCanvas.h"

namespace chart {

class TGraphWidget : public QFrame, public IGraphHost {
public:
    explicit TGraphWidget(QWidget* parent = nullptr);
    ~TGraphWidget() override;

    TGraph& Graph() { return FGraph; }
    const QImage& OffscreenImage() const { return FOffscreenImage; }

    QScrollBar* TraceScrollBar() const { return FTraceScrollBar; }
    QScrollBar* TimeScrollBar() const { return FTimeScrollBar; }
    QWidget* CursorOne() const { return FCursorOne; }
    QWidget* CursorTwo() const { return FCursorTwo; }
    // The chart's "Options" command (the setup dialog); true on OK.
    bool Setup();

    // IGraphHost
    bool Showing() const override;
    int Width() const override { return width(); }
    int Height() const override { return height(); }
    int BevelWidth() const override { return frameWidth(); }
    int PixelsPerInchX() const override { return logicalDpiX(); }
    int PixelsPerInchY() const override { return logicalDpiY(); }
    int TraceScrollBarWidth() const override { return FTraceScrollBar->width(); }
    int TimeScrollBarHeight() const override { return FTimeScrollBar->height(); }
    int CursorWidth() const override { return FCursorOne->width(); }
    int CursorValueHeight() const override { return FCursorOneValue->height(); }
    platform::TColor PanelColor() const override;
    platform::TColor HighlightColor() const override;
    void ResizeOffscreen() override;
    platform::ICanvas* BeginOffscreen() override;
    void EndOffscreen() override;
    void ShowImage() override { update(); }
    void ScrollBarsChanged() override;
    void CursorsMoved() override;
    void LabelsChanged() override;
    void TakeFocus() override { setFocus(Qt::MouseFocusReason); }
    platform::ICanvas* BeginClipboardImage(int width, int height) override;
    void EndClipboardImage() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void LayoutChildren();
    void LayoutLabels();
    // Either bar: a scroll action that ends redraws; dragging a thumb waits for its release.
    void ConnectScrollBar(QScrollBar* bar, TScrollBarState& state);

    TGraph FGraph;
    QImage FOffscreenImage;
    std::optional<QPainter> FOffscreenPainter;
    std::optional<platform::TQtCanvas> FOffscreenCanvas;
    QImage FClipboardImage;
    std::optional<QPainter> FClipboardPainter;
    std::optional<platform::TQtCanvas> FClipboardCanvas;
    QScrollBar* FTraceScrollBar;
    QScrollBar* FTimeScrollBar;
    QWidget* FCursorOne;
    QWidget* FCursorTwo;
    QLabel* FCursorOneValue;
    QLabel* FCursorTwoValue;
    QLabel* FSpanLabel;
    QLabel* FCursorOneCaption;
    QLabel* FCursorTwoCaption;
    bool FSyncing = false;
};

}  // namespace chart
