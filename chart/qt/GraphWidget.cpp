#include "chart/qt/GraphWidget.h"

#include <QPaintEvent>
#include <QStyle>

namespace chart {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    // As high as its text, as an auto-sized label is.
    label->resize(label->width(), label->fontMetrics().height() + 1);
    return label;
}

QWidget* MakeCursor(QWidget* parent, const char* name) {
    auto* cursor = new QWidget(parent);
    cursor->setObjectName(name);
    cursor->resize(10, 10);
    return cursor;
}

}  // namespace

TGraphWidget::TGraphWidget(QWidget* parent) : QFrame(parent), FGraph(this) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setGeometry(0, 200, 325, 145);
    setFont(QFont("Arial", 9));

    FTraceScrollBar = new QScrollBar(Qt::Vertical, this);
    FTraceScrollBar->setObjectName("TraceScrollBar");
    FTimeScrollBar = new QScrollBar(Qt::Horizontal, this);
    FTimeScrollBar->setObjectName("TimeScrollBar");
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    FTraceScrollBar->resize(extent, FTraceScrollBar->height());
    FTimeScrollBar->resize(FTimeScrollBar->width(), extent);
    // The positions are the chart's; what scrolling redraws comes with the cursors.
    connect(FTraceScrollBar, &QScrollBar::valueChanged, this, [this](int v) {
        if (!FSyncing) FGraph.TraceScrollBar.Position = v;
    });
    connect(FTimeScrollBar, &QScrollBar::valueChanged, this, [this](int v) {
        if (!FSyncing) FGraph.TimeScrollBar.Position = v;
    });

    FCursorOne = MakeCursor(this, "CursorOne");
    FCursorTwo = MakeCursor(this, "CursorTwo");
    FCursorOneValue = MakeLabel(this, "CursorOneValue");
    FCursorTwoValue = MakeLabel(this, "CursorTwoValue");
    FSpanLabel = MakeLabel(this, "SpanLabel");
    FCursorOneCaption = MakeLabel(this, "CursorOneCaption");
    FCursorTwoCaption = MakeLabel(this, "CursorTwoCaption");
    LayoutChildren();
}

TGraphWidget::~TGraphWidget() = default;

bool TGraphWidget::Showing() const {
    return isVisible();
}

platform::TColor TGraphWidget::PanelColor() const {
    return platform::FromQColor(palette().color(QPalette::Button));
}

platform::TColor TGraphWidget::HighlightColor() const {
    return platform::FromQColor(palette().color(QPalette::Highlight));
}

void TGraphWidget::ResizeOffscreen() {
    FOffscreenCanvas.reset();
    FOffscreenPainter.reset();
    if (size().isEmpty()) {
        FOffscreenImage = QImage();
        return;
    }
    FOffscreenImage = QImage(size(), QImage::Format_RGB32);
    // At the screen's resolution, so millimetres come out as on the screen.
    FOffscreenImage.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
    FOffscreenImage.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
    FOffscreenImage.fill(palette().color(QPalette::Button));
}

platform::ICanvas* TGraphWidget::BeginOffscreen() {
    if (FOffscreenImage.isNull()) return nullptr;
    if (!FOffscreenCanvas) {
        FOffscreenPainter.emplace(&FOffscreenImage);
        FOffscreenCanvas.emplace(*FOffscreenPainter);
    }
    return &*FOffscreenCanvas;
}

void TGraphWidget::EndOffscreen() {
    FOffscreenCanvas.reset();
    FOffscreenPainter.reset();
}

void TGraphWidget::ScrollBarsChanged() {
    FSyncing = true;
    auto sync = [](QScrollBar* bar, const TScrollBarState& s) {
        bar->setRange(0, s.Max);
        bar->setSingleStep(s.SmallChange);
        bar->setPageStep(s.LargeChange);
        bar->setValue(s.Position);
    };
    sync(FTraceScrollBar, FGraph.TraceScrollBar);
    sync(FTimeScrollBar, FGraph.TimeScrollBar);
    FSyncing = false;
}

void TGraphWidget::LayoutChildren() {
    const int b = frameWidth();
    const int sbw = FTraceScrollBar->width();
    const int sbh = FTimeScrollBar->height();
    // The bottom bar spans the width inside the bevel; the right one stands above it.
    FTimeScrollBar->setGeometry(b, height() - b - sbh, std::max(width() - 2 * b, 0), sbh);
    FTraceScrollBar->setGeometry(width() - b - sbw, b, sbw, std::max(height() - 2 * b - sbh, 0));
}

void TGraphWidget::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    LayoutChildren();
    FGraph.Resized();
}

void TGraphWidget::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    // Drawing waits while the control is hidden.
    FGraph.Redraw();
}

void TGraphWidget::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (FOffscreenImage.isNull() || FOffscreenCanvas) return;
    QPainter painter(this);
    const int b = frameWidth();
    const QRect copied(b, FGraph.PlotArea.Top, width() - 2 * b, height() - b - FGraph.PlotArea.Top);
    painter.drawImage(copied, FOffscreenImage, copied);
    platform::TQtCanvas screen(painter);
    FGraph.Paint(screen);
}

}  // namespace chart
