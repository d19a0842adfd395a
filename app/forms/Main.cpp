#include "app/forms/Main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <functional>

#include "app/device/TransferGuard.h"
#include "app/forms/About.h"
#include "app/forms/Child.h"
#include "app/forms/CommandLine.h"
#include "app/forms/FormParts.h"
#include "app/forms/MainLogo.h"
#include "app/forms/Params.h"
#include "app/forms/XScaleBox.h"
#include "chart/Graph.h"
#include "platform/Files.h"
#include "platform/FormatSettings.h"
#include "platform/Help.h"
#include "platform/Profile.h"
#include "platform/Prompts.h"
#include "platform/qt/QtPrinterTarget.h"

// Resources of a static library are brought in by name, outside any namespace.
static void InitLogoResource() {
    Q_INIT_RESOURCE(logo);
}

namespace app {

using forms::Guarded;
using forms::Named;
using forms::Q;
using forms::S;

namespace {

constexpr const char* kFileFilter = "Registration file|*.halvo|All files|*.*";
// The frame as it was designed.
constexpr TFrameSize kFrameSize{1000, 660};
// A document window's sub-window as the document window was designed.
constexpr QSize kChildSize(800, 560);

QImage LoadLogo(const char* resource) {
    return QImage(resource).convertToFormat(QImage::Format_RGB32);
}

// The place of the n-th document window (from 0) in the visible area: one step down and
// right of the one before, at the designed size as far as the area holds it; back at the
// top left where a window would keep less than half of that size.
QRect CascadeRect(const QRect& area, int step, int n) {
    const QSize size = kChildSize.boundedTo(area.size());
    const int room = std::min(area.width() - size.width() / 2, area.height() - size.height() / 2);
    const int steps = step > 0 ? std::max(room / step, 0) + 1 : 1;
    const QPoint at = area.topLeft() + QPoint(1, 1) * (step * (n % steps));
    return {at, size.boundedTo(QSize(area.right() + 1 - at.x(), area.bottom() + 1 - at.y()))};
}

platform::TRect AsRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

TPixelRows Rows(QImage& image) {
    return {reinterpret_cast<uint32_t*>(image.bits()), image.width(), image.height(),
            static_cast<int>(image.bytesPerLine() / 4)};
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The client area and its logo

TMdiClient::TMdiClient(QWidget* frame) : QMdiArea(frame), FFrame(frame) {
    setObjectName("ClientArea");
}

void TMdiClient::SetLogo(QImage mask, QImage picture) {
    FMask = std::move(mask);
    FPicture = std::move(picture);
    viewport()->update();
}

void TMdiClient::paintEvent(QPaintEvent* event) {
    QMdiArea::paintEvent(event);
    PaintLogo();
}

void TMdiClient::scrollContentsBy(int dx, int dy) {
    QMdiArea::scrollContentsBy(dx, dy);
    // The logo stays where it is: the whole area is painted again.
    viewport()->update();
}

// The frame's first sizing by the window manager comes after the command line's documents
// were placed: without this their bottoms would lie below the area.
bool TMdiClient::viewportEvent(QEvent* event) {
    const bool handled = QMdiArea::viewportEvent(event);
    if (event->type() != QEvent::Resize) return handled;
    const auto* resize = static_cast<const QResizeEvent*>(event);
    if (!resize->oldSize().isValid()) return handled;
    const platform::TRect before = AsRect(QRect({}, resize->oldSize()));
    const platform::TRect after = AsRect(QRect({}, resize->size()));
    for (QMdiSubWindow* sub : subWindowList()) {
        if (sub->isHidden() || sub->isMinimized() || sub->isMaximized()) continue;
        const platform::TRect kept = KeepInside(AsRect(sub->geometry()), before, after);
        if (kept != AsRect(sub->geometry()))
            sub->setGeometry(kept.Left, kept.Top, kept.Width(), kept.Height());
    }
    return handled;
}

// The mask by AND, the picture by OR, over the background as the area paints it.
void TMdiClient::PaintLogo() {
    if (FMask.isNull()) return;
    const TLogoOrigin origin = LogoOrigin(FFrame->height(), FMask.height());
    QImage area(FMask.size(), QImage::Format_RGB32);
    {
        QPainter painter(&area);
        painter.setBrushOrigin(-origin.X, -origin.Y);
        painter.fillRect(area.rect(), background());
    }
    QImage mask = FMask;
    QImage picture = FPicture;
    CompositeLogo(Rows(area), Rows(mask), Rows(picture), {0, 0});
    QPainter painter(viewport());
    painter.drawImage(origin.X, origin.Y, area);
}

// ---------------------------------------------------------------------------------------
// Creation and destruction

TMainForm::TMainForm(std::vector<std::string> params, std::string executablePath,
                     std::unique_ptr<platform::IPrintTarget> printer)
    : FParams(std::move(params)), FExecutablePath(std::move(executablePath)) {
    InitLogoResource();
    setObjectName("MainForm");
    setWindowTitle("HALVO service");
    platform::AppFormatSettings().DecimalSeparator = ',';

    FSection = ApplicationTitle(FExecutablePath);
    FConfig = ReadMainConfig(FSection);
    FLink = std::make_unique<TRsdHan>();
    // Port, speed and both waits at once: the serial road waits as configured even
    // before the options dialog is ever confirmed.
    ApplyToLink(FConfig, *FLink);
    FPrinter = printer ? std::move(printer) : platform::MakeProgramPrinter();
    FLinkScope = std::make_unique<TLinkSettingsScope>(*this);
    FPrinterScope = std::make_unique<platform::TPrinterScope>(*FPrinter);

    FClient = new TMdiClient(this);
    FClient->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FClient->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(FClient);
    connect(FClient, &QMdiArea::subWindowActivated, this,
            [this] { Guarded([this] { SubWindowActivated(); }); });
    BuildToolBar();
    BuildMenus();
    statusBar()->setObjectName("StatusBar1");
    const int widths[] = {200, 50};
    for (int i = 0; i < 2; ++i) {
        FStatusPanels[i] = Named(new QLabel(statusBar()), i == 0 ? "StatusPanel0" : "StatusPanel1");
        FStatusPanels[i]->setFixedWidth(widths[i]);
        FStatusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->addWidget(FStatusPanels[i]);
    }

    FClient->SetLogo(LoadLogo(":/AND"), LoadLogo(":/OR"));
    UpdateControls();
    FServiceMode = ServiceWordGiven(FParams);
    platform::AppFormatSettings().ShortDateFormat = "yyyy-mm-dd";
    FDataDirectory = ChooseDataDirectory(platform::ExtractFileDir(FExecutablePath));
    FitToScreen();
}

void TMainForm::FitToScreen() {
    const QScreen* on = screen();
    if (!on) {
        resize(kFrameSize.Width, kFrameSize.Height);
        return;
    }
    // A frame larger than the area would keep its status bar and the documents' bottoms
    // off the screen. Maximised, the window manager, which alone knows its title bar,
    // borders and panels, puts the frame with them inside the area.
    const QRect area = on->availableGeometry();
    const QSize decorations = frameGeometry().size() - size();
    const TFrameSize fitted = FirstFrameSize(kFrameSize, {area.width(), area.height()},
                                             {decorations.width(), decorations.height()});
    resize(fitted.Width, fitted.Height);
    if (fitted != kFrameSize)
        setWindowState(windowState() | Qt::WindowMaximized);
    else if (!area.contains(frameGeometry()))
        move(area.topLeft());
}

// Under a window manager the decorations come after the first show: until then the frame
// counts them as none, and may not fit with them.
void TMainForm::CheckFrameOnScreen() {
    if (!FAwaitingFrame) return;
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        FAwaitingFrame = false;
        return;
    }
    if (frameGeometry() == geometry()) return;
    FAwaitingFrame = false;
    const QScreen* on = screen();
    if (on && !on->availableGeometry().contains(frameGeometry()))
        setWindowState(windowState() | Qt::WindowMaximized);
}

TMainForm::~TMainForm() {
    FDestroying = true;
    // The document windows go first, the last made first; they use the frame.
    const QList<QMdiSubWindow*> windows = FClient->subWindowList(QMdiArea::CreationOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) delete *it;
    FConfig.CommPort = FLink->CommPort();
    FConfig.Speed = FLink->BaudRate();
    // Settings that did not reach the file are told now: the next start would not have them.
    if (!WriteMainConfig(FConfig, FSection)) {
        const std::string reason = platform::ErrnoText(errno);
        platform::Prompts().MessageDlg(
            "The settings could not be saved to " + platform::ProfilePath(kIniFileName) + ": " + reason,
            platform::TMsgDlgType::Error, platform::mbOK);
    }
    platform::Help().Quit();
    FPrinterScope.reset();
    FLinkScope.reset();
}

void TMainForm::BuildToolBar() {
    QToolBar* bar = addToolBar("Tools");
    bar->setObjectName("Panel1");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    struct TButton {
        const char* Name;
        const char* Hint;
        void (TMainForm::*Handler)();
        bool Document;  // works on the active document window
    };
    const TButton buttons[] = {
        {"btnLoad", "Open|Load file", &TMainForm::FileOpen, false},
        {"btnSave", "Save|Save to file", &TMainForm::btnSaveClick, true},
        {"btnSaveAs", "Save Ass...|Save ass other name", &TMainForm::btnSaveAsClick, true},
        {"btnPrint", "Print", &TMainForm::btnPrintClick, true},
        {"btnNormView", "Show all", &TMainForm::btnNormViewClick, true},
        {"btnEventsView", "List of sequence", &TMainForm::btnEventsViewClick, true},
        {"btnListView", "Listing", &TMainForm::btnListViewClick, true},
        {"btnGraphView", "Graph", &TMainForm::btnGraphViewClick, true},
        {"btnGraphLegend", "Legend", &TMainForm::btnGraphLegendClick, true},
    };
    for (const TButton& b : buttons) {
        auto* button = Named(new QToolButton(bar), b.Name);
        const std::string hint = b.Hint;
        button->setText(Q(hint.substr(0, hint.find('|'))));
        forms::SetHint(*button, hint);
        button->setAutoRaise(true);
        bar->addWidget(button);
        if (b.Document) FDocumentButtons.push_back(button);
        connect(button, &QToolButton::clicked, this,
                [this, handler = b.Handler] { Guarded([this, handler] { (this->*handler)(); }); });
    }
    bar->addSeparator();
    FcbXScale = Named(new QComboBox(bar), "cbXScale");
    FcbXScale->setEditable(true);
    FcbXScale->setInsertPolicy(QComboBox::NoInsert);
    // What is typed stays as typed: completing "2" to "200" would apply 200 at once.
    FcbXScale->setCompleter(nullptr);
    for (const std::string_view item : kXScaleItems) FcbXScale->addItem(Q(std::string(item)));
    FcbXScale->setFixedWidth(90);
    forms::SetHint(*FcbXScale, "Scale of X asix");
    bar->addWidget(FcbXScale);
    connect(FcbXScale, &QComboBox::currentTextChanged, this,
            [this] { Guarded([this] { cbXScaleChange(); }); });
    connect(FcbXScale->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { Guarded([this] { cbXScaleKeyPress(); }); });
}

void TMainForm::BuildMenus() {
    const auto add = [this](QMenu* menu, const char* text, const char* name, const char* hint,
                            QKeySequence keys, void (TMainForm::*handler)()) {
        QAction* action = menu->addAction(text);
        action->setObjectName(name);
        action->setStatusTip(hint);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
        return action;
    };
    FFileMenu = new QMenu("&File", this);
    FFileMenu->menuAction()->setStatusTip("File operation");
    add(FFileMenu, "&New", "MF_New", "New registration", QKeySequence("Ctrl+N"), &TMainForm::MF_NewClick);
    add(FFileMenu, "&Open", "MF_Open", "Open registration file", QKeySequence("Ctrl+O"),
        &TMainForm::FileOpen);
    add(FFileMenu, "Close", "MF_Exit", "Finish the programme", {}, &TMainForm::MF_ExitClick);

    FOptionsMenu = new QMenu("Opt&ions", this);
    FCommSetup = add(FOptionsMenu, "Serial port", "CommSetup", "Serial port configuration", {},
                     &TMainForm::CommSetupClick);

    FHelpMenu = new QMenu("Help", this);
    add(FHelpMenu, "Help", "C1", "", QKeySequence(Qt::Key_F1), &TMainForm::C1Click);
    add(FHelpMenu, "About", "Oprogramie1", "", {}, &TMainForm::Oprogramie1Click);

    FWindowMenu = new QMenu("Window", this);
    add(FWindowMenu, "Tile", "ile1", "", {}, &TMainForm::ile1Click);
    connect(FWindowMenu, &QMenu::aboutToShow, this, [this] { FillWindowMenu(); });
    MergeMenus();
}

// The active document's "&File" in place of the frame's, its "&Graph" after it.
void TMainForm::MergeMenus() {
    QMenuBar* bar = menuBar();
    bar->clear();
    TChildForm* child = ActiveChild();
    bar->addMenu(child ? child->FileMenu() : FFileMenu);
    if (child) bar->addMenu(child->GraphMenu());
    bar->addMenu(FOptionsMenu);
    bar->addMenu(FHelpMenu);
    bar->addMenu(FWindowMenu);
}

// "Tile", then one item a document window.
void TMainForm::FillWindowMenu() {
    const QList<QAction*> actions = FWindowMenu->actions();
    for (QAction* action : actions)
        if (action->objectName() != "ile1") {
            FWindowMenu->removeAction(action);
            action->deleteLater();
        }
    const QList<QMdiSubWindow*> windows = FClient->subWindowList(QMdiArea::CreationOrder);
    if (!windows.empty()) FWindowMenu->addSeparator();
    for (QMdiSubWindow* sub : windows) {
        QAction* action = FWindowMenu->addAction(sub->windowTitle());
        action->setCheckable(true);
        action->setChecked(sub == FClient->currentSubWindow());
        connect(action, &QAction::triggered, this, [this, sub] {
            if (FClient->subWindowList().contains(sub)) FClient->setActiveSubWindow(sub);
        });
    }
}

// ---------------------------------------------------------------------------------------
// State of the commands

TChildForm* TMainForm::ActiveChild() const {
    QMdiSubWindow* sub = FClient->currentSubWindow();
    return sub ? dynamic_cast<TChildForm*>(sub->widget()) : nullptr;
}

std::vector<TChildForm*> TMainForm::Children() const {
    std::vector<TChildForm*> children;
    for (QMdiSubWindow* sub : FClient->subWindowList(QMdiArea::CreationOrder))
        if (auto* child = dynamic_cast<TChildForm*>(sub->widget())) children.push_back(child);
    return children;
}

bool TMainForm::AnyTransfer() const {
    if (TTransferGuard::Busy()) return true;
    const std::vector<TChildForm*> children = Children();
    return std::any_of(children.begin(), children.end(), [](TChildForm* c) { return c->Busy(); });
}

void TMainForm::UpdateControls() {
    if (FDestroying) return;
    TChildForm* active = ActiveChild();
    bool enabled = false;
    // One print or transfer at a time in the process: no print starts while one runs.
    const bool anyTransfer = AnyTransfer();
    if (active) {
        enabled = !active->Busy();
        for (QAction* action : active->FileMenu()->actions()) {
            const QString text = action->text();
            if (text == "&Save" || text == "Save As...") action->setEnabled(enabled);
            if (text == "Print") action->setEnabled(enabled && !anyTransfer);
            // The printer is not set up again under a running print.
            if (text == "Print preview") action->setEnabled(!TTransferGuard::Printing());
        }
    } else {
        // Emptied: no text, the items stay.
        const QSignalBlocker block(FcbXScale);
        FcbXScale->setCurrentIndex(-1);
        FcbXScale->clearEditText();
    }
    for (QToolButton* button : FDocumentButtons)
        button->setEnabled(enabled && (!anyTransfer || button->objectName() != "btnPrint"));
    FcbXScale->setEnabled(enabled);
    // The port a transfer uses is never reconfigured under it.
    FCommSetup->setEnabled(!anyTransfer);
    for (TChildForm* child : Children()) child->UpdatePageButtons();
}

void TMainForm::SubWindowActivated() {
    if (FDestroying) return;
    MergeMenus();
    if (TChildForm* child = ActiveChild())
        child->FormActivate();
    else
        UpdateControls();
}

void TMainForm::ShowAppHint(const QString& hint) {
    FStatusPanels[0]->setText(hint);
}

bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ShowAppHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

// ---------------------------------------------------------------------------------------
// Showing and closing

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Qt shows the frame again after it was minimised: opening the port again then would
    // cut a running transfer.
    if (FShown) return;
    FShown = true;
    FAwaitingFrame = true;
    CheckFrameOnScreen();
    FormShow();
    // Queued after this show: a frame may never be activated without a window manager.
    QTimer::singleShot(0, this, [this] { ProcessCommandLine(); });
}

void TMainForm::FormShow() {
    Guarded([this] { FLink->Open(); });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // While a transfer or a print runs the frame stays: asking the busy document cancels
    // its reading.
    if (AnyTransfer()) {
        for (TChildForm* child : Children())
            if (child->Busy()) {
                QCloseEvent ask;
                QCoreApplication::sendEvent(child, &ask);
            }
        event->ignore();
        return;
    }
    // Every document is asked before any closes; one refusal keeps them all.
    for (TChildForm* child : Children()) {
        QCloseEvent ask;
        QCoreApplication::sendEvent(child, &ask);
        if (!ask.isAccepted()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The logo's place follows the frame's height.
    FClient->viewport()->update();
    CheckFrameOnScreen();
}

void TMainForm::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    CheckFrameOnScreen();
}

// ---------------------------------------------------------------------------------------
// New and open

std::string TMainForm::NewFileName() {
    return app::NewFileName(FNewNameCounter, !FClient->subWindowList().empty(), platform::FileExists);
}

TMainForm::TChildWindow TMainForm::AddChildWindow() {
    const auto before = static_cast<int>(FClient->subWindowList().size());
    auto* child = new TChildForm(*this);
    QMdiSubWindow* sub = FClient->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Before the first show the area has no size of its own yet.
    if (FClient->isVisible()) {
        const int step = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
        sub->setGeometry(CascadeRect(FClient->viewport()->rect(), step, before));
    } else {
        sub->resize(kChildSize);
    }
    return {child, sub};
}

TChildForm* TMainForm::NewChildWindow(const std::string& name) {
    const auto [child, sub] = AddChildWindow();
    child->FileName = name;
    child->setWindowTitle(Q(name.substr(0, name.find('.'))));
    sub->show();
    return child;
}

void TMainForm::MF_NewClick() {
    NewChildWindow(NewFileName());
    UpdateControls();
}

void TMainForm::MF_OpenClick(bool withSender) {
    bool create = false;
    if (withSender) {
        std::string name = OpenDialogFileName;
        for (;;) {
            const std::optional<std::string> chosen =
                platform::Prompts().OpenFileName("Open", kFileFilter, name);
            if (!chosen) return;
            name = *chosen;
            if (platform::FileExists(name) || platform::DirectoryExists(name)) break;
            // A mistyped name must not pass for an empty document: only a Yes makes one.
            create = platform::Prompts().MessageDlg("File " + name + " does not exist.\nCreate it?",
                                                    platform::TMsgDlgType::Confirmation,
                                                    platform::mbYes | platform::mbNo) == platform::mrYes;
            if (create) break;
        }
        OpenDialogFileName = name;
    }
    // Shown only with its document: a file that could not be read leaves no window.
    const auto [child, sub] = AddChildWindow();
    if (!child->OpenFile(OpenDialogFileName, create)) {
        delete sub;
        UpdateControls();
        return;
    }
    sub->show();
    child->show();
    UpdateControls();
}

void TMainForm::MF_ExitClick() {
    close();
}

std::optional<std::string> TMainForm::ExecuteSaveDialog(const std::string& fileName, int filterIndex) {
    return platform::Prompts().SaveFileName("Save As", kFileFilter, fileName, &filterIndex);
}

// ---------------------------------------------------------------------------------------
// Tool bar

void TMainForm::btnSaveClick() {
    if (TChildForm* child = ActiveChild()) child->FileSaveClick();
}

void TMainForm::btnSaveAsClick() {
    if (TChildForm* child = ActiveChild()) child->SaveAsClick();
}

void TMainForm::btnPrintClick() {
    // From the tool bar: the document's print flags, no dialog.
    if (TChildForm* child = ActiveChild()) child->FilePrintClick(true);
}

void TMainForm::btnNormViewClick() {
    if (TChildForm* child = ActiveChild()) child->SetViewMode(0);
}

void TMainForm::btnEventsViewClick() {
    if (TChildForm* child = ActiveChild()) child->SetViewMode(1);
}

void TMainForm::btnListViewClick() {
    if (TChildForm* child = ActiveChild()) child->SetViewMode(3);
}

void TMainForm::btnGraphViewClick() {
    if (TChildForm* child = ActiveChild()) child->SetViewMode(2);
}

void TMainForm::btnGraphLegendClick() {
    if (TChildForm* child = ActiveChild()) child->EventLister().ShowLegend();
}

void TMainForm::cbXScaleChange() {
    ApplyXScale();
}

void TMainForm::cbXScaleKeyPress() {
    // A typed value is applied once confirmed.
    FcbXScale->lineEdit()->selectAll();
    ApplyXScale();
}

void TMainForm::ApplyXScale() {
    const TXScaleDecision decision =
        DecideXScale(S(FcbXScale->currentText()), FcbXScale->lineEdit()->hasSelectedText());
    if (decision.Kind == TXScaleDecision::Nothing) return;
    TChildForm* child = ActiveChild();
    if (!child) return;
    chart::TGraph& graph = child->Chart();
    if (decision.Kind == TXScaleDecision::Autoscale) {
        graph.SetAutoscale(true);
    } else {
        graph.SetScaleX(decision.ScaleX);
        graph.SetAutoscale(false);
    }
    if (graph.Autoscale()) {
        const QSignalBlocker block(FcbXScale);
        FcbXScale->setCurrentIndex(0);
    }
}

void TMainForm::SetScaleBoxText(const std::string& text) {
    const QSignalBlocker block(FcbXScale);
    const int index = FcbXScale->findText(Q(text));
    if (index >= 0) {
        FcbXScale->setCurrentIndex(index);
    } else {
        FcbXScale->setCurrentIndex(-1);
        FcbXScale->setEditText(Q(text));
    }
}

// ---------------------------------------------------------------------------------------
// Options, help, about, windows

void TMainForm::CommSetupClick() {
    if (AnyTransfer()) return;
    const auto ms = [](int32_t value) {
        return static_cast<uint16_t>(std::clamp<int32_t>(value, 0, UINT16_MAX));
    };
    TCommSettings settings{FConfig.UseModbusTcp, FConfig.TcpAddress, FConfig.TcpPort, ms(FConfig.TimeOutMs),
                           ms(FConfig.TimeSilenceMs)};
    CommSetup(*FLink, settings, this);
    FConfig.UseModbusTcp = settings.UseModbusTcp;
    FConfig.TcpAddress = settings.TcpAddress;
    FConfig.TcpPort = settings.TcpPort;
    FConfig.TimeOutMs = settings.TimeOutMs;
    FConfig.TimeSilenceMs = settings.TimeSilenceMs;
    FConfig.CommPort = FLink->CommPort();
    FConfig.Speed = FLink->BaudRate();
}

TLinkSettings TMainForm::LinkSettings() {
    return LinkSettingsOf(FConfig, FLink.get());
}

void TMainForm::PrinterSetup() {
    platform::Prompts().PrinterSetup();
}

// The focused control's context in the active document: the notebook page's when the
// focus is inside the notebook, else none; the contents without such a control.
void TMainForm::C1Click() {
    TChildForm* child = ActiveChild();
    QWidget* focus = focusWidget();
    if (!child || !focus || !child->isAncestorOf(focus)) {
        platform::Help().Contents();
        return;
    }
    const auto* notebook = child->findChild<QTabWidget*>("Notebook1");
    const bool inNotebook = notebook && (notebook == focus || notebook->isAncestorOf(focus));
    platform::Help().Context(inNotebook ? notebook->property("HelpContext").toInt() : 0);
}

void TMainForm::Oprogramie1Click() {
    TAboutFrm about(this);
    ExecModal(about);
}

void TMainForm::ile1Click() {
    FClient->tileSubWindows();
}

// ---------------------------------------------------------------------------------------
// Command line

void TMainForm::ProcessCommandLine() {
    if (!FCommandLinePending) return;
    FCommandLinePending = false;
    for (const TCommandAction& action : ScanCommandLine(FParams, platform::FileExists)) {
        Guarded([&] {
            switch (action.Kind) {
                case TCommandKind::OpenDocument:
                    OpenDialogFileName = action.Text;
                    MF_OpenClick(false);
                    break;
                case TCommandKind::MissingFile:
                    platform::Prompts().MessageBox(action.Text, "Error", platform::mbOK);
                    break;
                case TCommandKind::ServiceMode:
                    FServiceMode = true;
                    break;
                case TCommandKind::NewFromParams:
                    NewFromParams(action.Text);
                    break;
            }
        });
    }
}

TChildForm* TMainForm::NewFromParams(const std::string& options) {
    const auto [child, sub] = AddChildWindow();
    std::string name = ParamsWindowName(options);
    if (name.empty()) name = NewFileName();
    THalvo& image = child->DeviceImage();
    image.SetDataDirectory(FDataDirectory);
    bool ok = false;
    std::string message;
    image.LoadFromParams(options, ok, message);
    child->FileName = name;
    child->setWindowTitle(Q(name));
    child->OptionsToControls();
    child->ControlsToOptions();
    if (auto* list = child->findChild<QListWidget*>("EventsListBox"); list && list->count() > 0) {
        const QSignalBlocker block(list);
        list->clearSelection();
        list->setCurrentRow(0);
        list->item(0)->setSelected(true);
    }
    child->EventsListBoxClick(nullptr);
    child->FillSettingsGrid();
    image.SetModified(false);
    sub->show();
    UpdateControls();
    if (!ok || !message.empty())
        platform::Prompts().MessageBox(message, ok ? "Information:" : "Error", platform::mbOK);
    return child;
}

}  // namespace app
