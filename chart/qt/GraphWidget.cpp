#include "chart/qt/GraphWidget.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QStyle>

#include "chart/qt/Graphdlg.h"

namespace chart {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    // As high as its text, as an auto-sized label is.
    label->resize(label->width(), label->fontMetrics().height() + 1);
    return label;
}

// The window of a cursor: a small panel with the marker's triangle, feeding the mouse
// to the marker. Pressed, it holds the mouse until the button is released.
class TCursorWidget : public QWidget {
public:
    TCursorWidget(QWidget* parent, TMarker& marker, const char* name) : QWidget(parent), FMarker(marker) {
        setObjectName(name);
        resize(TMarker::kSize, TMarker::kSize);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Button));
        platform::TQtCanvas canvas(painter);
        FMarker.Width = width();
        FMarker.Height = height();
        FMarker.Paint(canvas);
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) FMarker.MouseDown();
        event->accept();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        const QPoint p = event->position().toPoint();
        FMarker.MouseMove(p.x(), p.y());
        event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) FMarker.MouseUp();
        event->accept();
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override { event->accept(); }

private:
    TMarker& FMarker;
};

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
    ConnectScrollBar(FTraceScrollBar, FGraph.TraceScrollBar);
    ConnectScrollBar(FTimeScrollBar, FGraph.TimeScrollBar);
    setFocusPolicy(Qt::ClickFocus);

    FCursorOne = new TCursorWidget(this, FGraph.CursorOne, "CursorOne");
    FCursorTwo = new TCursorWidget(this, FGraph.CursorTwo, "CursorTwo");
    FCursorOneValue = MakeLabel(this, "CursorOneValue");
    FCursorTwoValue = MakeLabel(this, "CursorTwoValue");
    FSpanLabel = MakeLabel(this, "SpanLabel");
    FCursorOneCaption = MakeLabel(this, "CursorOneCaption");
    FCursorTwoCaption = MakeLabel(this, "CursorTwoCaption");
    LayoutChildren();
    LabelsChanged();
}

void TGraphWidget::ConnectScrollBar(QScrollBar* bar, TScrollBarState& state) {
    connect(bar, &QScrollBar::valueChanged, this, [this, bar, &state](int v) {
        if (FSyncing) return;
        state.Position = v;
        if (!bar->isSliderDown()) FGraph.ScrollEnded();
    });
    connect(bar, &QScrollBar::sliderReleased, this, [this] {
        if (!FSyncing) FGraph.ScrollEnded();
    });
}

bool TGraphWidget::Setup() {
    return SetupGraph(FGraph, this);
}

void TGraphWidget::CursorsMoved() {
    FCursorOne->move(FGraph.CursorOne.Left, FGraph.CursorOne.Top);
    FCursorTwo->move(FGraph.CursorTwo.Left, FGraph.CursorTwo.Top);
}

void TGraphWidget::LabelsChanged() {
    FCursorOneCaption->setText(QString::fromStdString(FGraph.CursorOneCaption));
    FCursorOneValue->setText(QString::fromStdString(FGraph.CursorOneValue));
    FCursorTwoCaption->setText(QString::fromStdString(FGraph.CursorTwoCaption));
    FCursorTwoValue->setText(QString::fromStdString(FGraph.CursorTwoValue));
    FSpanLabel->setText(QString::fromStdString(FGraph.SpanLabel));
    LayoutLabels();
}

void TGraphWidget::LayoutLabels() {
    const int top = 2 * frameWidth() + 1;
    auto fit = [top](QLabel* label, int left) {
        const QFontMetrics metrics = label->fontMetrics();
        label->setGeometry(left, top, metrics.horizontalAdvance(label->text()) + 1, metrics.height() + 1);
    };
    fit(FCursorOneCaption, 30);
    fit(FCursorOneValue, FCursorOneCaption->geometry().right() + 1);
    fit(FCursorTwoCaption, 150);
    fit(FCursorTwoValue, FCursorTwoCaption->geometry().right() + 1);
    fit(FSpanLabel, 2 * FCursorTwoValue->x() - FCursorOneValue->x());
}

platform::ICanvas* TGraphWidget::BeginClipboardImage(int width, int height) {
    FClipboardCanvas.reset();
    FClipboardPainter.reset();
    FClipboardImage = QImage(width, height, QImage::Format_RGB32);
    if (FClipboardImage.isNull()) return nullptr;
    FClipboardImage.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
    FClipboardImage.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
    FClipboardImage.fill(Qt::white);
    FClipboardPainter.emplace(&FClipboardImage);
    FClipboardCanvas.emplace(*FClipboardPainter);
    return &*FClipboardCanvas;
}

void TGraphWidget::EndClipboardImage() {
    FClipboardCanvas.reset();
    FClipboardPainter.reset();
    QGuiApplication::clipboard()->setImage(FClipboardImage);
    FClipboardImage = QImage();
}

void TGraphWidget::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    unsigned shift = 0;
    if (event->modifiers() & Qt::ShiftModifier) shift |= ssShift;
    if (event->modifiers() & Qt::ControlModifier) shift |= ssCtrl;
    const QPoint p = event->position().toPoint();
    FGraph.MouseDown(p.x(), p.y(), shift);
}

void TGraphWidget::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (!(event->buttons() & Qt::LeftButton)) return;
    const QPoint p = event->position().toPoint();
    FGraph.MouseMove(p.x(), p.y());
}

void TGraphWidget::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) FGraph.MouseUp();
}

void TGraphWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

// Keys have no effect on the chart but the copy command, once per press.
void TGraphWidget::keyPressEvent(QKeyEvent* event) {
    event->accept();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (event->key() == Qt::Key_C && mods == Qt::ControlModifier && !event->isAutoRepeat())
        FGraph.CopyToClipboard();
}

void TGraphWidget::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
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
    // At the screen's device pixel ratio: the same layout in the widget's pixels, drawn
    // sharp on a scaled screen instead of enlarged.
    const qreal ratio = devicePixelRatioF();
    FOffscreenImage = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
    FOffscreenImage.setDevicePixelRatio(ratio);
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
    LayoutLabels();
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
    // Moved to a screen of another scale: drawn again for it, then shown.
    if (FOffscreenImage.devicePixelRatio() != devicePixelRatioF()) {
        FGraph.Resized();
        return;
    }
    QPainter painter(this);
    const int b = frameWidth();
    const QRect copied(b, FGraph.PlotArea.Top, width() - 2 * b, height() - b - FGraph.PlotArea.Top);
    const qreal ratio = FOffscreenImage.devicePixelRatio();
    painter.drawImage(QRectF(copied), FOffscreenImage,
                      QRectF(QPointF(copied.topLeft()) * ratio, QSizeF(copied.size()) * ratio));
    platform::TQtCanvas screen(painter);
    FGraph.Paint(screen);
}

}  // namespace chart
