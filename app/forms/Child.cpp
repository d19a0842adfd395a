#include "app/forms/Child.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/device/HalvoFiles.h"
#include "app/device/TransferGuard.h"
#include "app/forms/ChildViews.h"
#include "app/forms/Fileprop.h"
#include "app/forms/FormParts.h"
#include "app/forms/GridPrn.h"
#include "app/forms/MainFrame.h"
#include "app/forms/Pagedlg.h"
#include "chart/qt/GraphWidget.h"
#include "chart/qt/Graphdlg.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/FormatSettings.h"
#include "platform/PrintJob.h"
#include "platform/PrintTarget.h"
#include "platform/Prompts.h"
#include "platform/UpdateScope.h"

namespace app {

using forms::Caption;
using forms::Guarded;
using forms::Named;
using forms::Q;
using forms::S;

namespace {

constexpr int kPanel2Width = 96;
constexpr int kHelpEvents = 10;
constexpr int kHelpSettings = 134;
constexpr int kHelpWriteRead = 6;
constexpr int kRoleCommand = Qt::UserRole;

QCheckBox* CheckBox(QWidget* parent, const char* text, const char* name, int x, int y) {
    auto* box = Named(new QCheckBox(text, parent), name);
    box->setGeometry(x, y, 260, 20);
    return box;
}

std::string ShortDate(platform::TDateTime date) {
    return platform::DateToStr(date, platform::AppFormatSettings());
}

bool HasExtension(const std::string& name) {
    return platform::ExtractFileName(name).find('.') != std::string::npos;
}

}  // namespace

TChildForm::TChildForm(IMainFrame& frame, QWidget* parent)
    : QWidget(parent), FFrame(frame), FServiceMode(frame.ServiceMode()) {
    setObjectName("ChildForm");
    setAttribute(Qt::WA_DeleteOnClose, false);
    BuildLayout();
    BuildMenus();

    FMessageLog = std::make_unique<forms::TMemoLog>(*FMemoMessage);
    FListingView = std::make_unique<forms::TListingEdit>(*FMemo);
    FSequenceList = std::make_unique<forms::TSequenceList>(*FEventsListBox);
    FSequenceList->OnClick = [this](const void* sender) { EventsListBoxClick(sender); };

    FDeviceImage = std::make_unique<THalvo>();
    FDeviceImage->SetMessageMemo(FMessageLog.get());
    FDeviceImage->OnBeginRead = [this] { UpdateReadingState(); };
    FDeviceImage->OnCompleteZestawNastaw1 = [this] { FillSettingsGrid(); };
    FDeviceImage->OnCompleteZestawNastaw2 = [this] { FillSettingsGrid(); };
    FDeviceImage->OnEvRegCompleted = [this] { EventsCompleted(); };
    FDeviceImage->OnCompleteAll = [this] { UpdateReadingState(); };
    FDeviceImage->SetDataDirectory(FFrame.DataDirectory());

    OptionsToControls();
    ControlsToOptions();
    const bool service = FServiceMode;
    FChbTraceMessages->setVisible(service);
    FChbTraceMessages->setChecked(service);
    FDeviceImage->TraceMessages = service;

    Chart().SetDataTimeType(chart::TIntervalTimeType::Seconds);
    FEventLister = std::make_unique<TEvLister>();
    FEventLister->SetRichEdit(FListingView.get());
    FEventLister->SetGraph(&Chart());
    FEventLister->SetListBox(FSequenceList.get());
    FEventLister->SetHalvo(FDeviceImage.get());

    FPanel3->installEventFilter(this);
    FormResize();
    SetPageButtons(FNotebook1->currentIndex());
    ShowGrid();
    FillSettingsGrid();
    BuildCommandOutline();

    for (QCheckBox* box :
         {FchbZestaw1, FchbZestaw2, FchbEventRegister, FchbcorrectIOtimes, FChBshowallEvents})
        connect(box, &QCheckBox::clicked, this, [this] { Guarded([this] { ControlsToOptions(); }); });
    connect(FSpinSlaveNo, &QSpinBox::editingFinished, this,
            [this] { Guarded([this] { ControlsToOptions(); }); });
    connect(FSpinSlaveNo, &QSpinBox::valueChanged, this, [this] {
        if (!FSpinSlaveNo->text().isEmpty()) Guarded([this] { ControlsToOptions(); });
    });
    connect(FChbTraceMessages, &QCheckBox::clicked, this,
            [this](bool on) { FDeviceImage->TraceMessages = on; });
    FDeviceImage->SetModified(false);
}

TChildForm::~TChildForm() {
    // The decoder and the image point into the window's controls: they go first.
    FEventLister.reset();
    if (FDeviceImage) FDeviceImage->SetMessageMemo(nullptr);
    FDeviceImage.reset();
}

chart::TGraph& TChildForm::Chart() {
    return FChart->Graph();
}

void TChildForm::BuildLayout() {
    // The frame may give the window less room than its controls need (a tile, a small
    // frame): they scroll inside it, so the window never grows out of the frame.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    outer->addWidget(scroll);
    auto* content = new QWidget(scroll);
    auto* layout = new QHBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    FNotebook1 = Named(new QTabWidget(content), "Notebook1");
    layout->addWidget(FNotebook1, 1);
    FPanel2 = Named(new QFrame(content), "Panel2");
    FPanel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    FPanel2->setFixedWidth(kPanel2Width);
    layout->addWidget(FPanel2);
    const char* buttonNames[] = {"Btn1", "Btn2", "Btn3"};
    for (int i = 0; i < 3; ++i) {
        FButtons[i] = Named(new QPushButton(FPanel2), buttonNames[i]);
        FButtons[i]->setGeometry(8, 8 + 32 * i, kPanel2Width - 16, 25);
        connect(FButtons[i], &QPushButton::clicked, this, [this, i] {
            if (FButtonActions[i]) Guarded(FButtonActions[i]);
        });
    }

    // Events buffer: the sequence list, the listing and the chart.
    auto* eventsPage = new QWidget;
    auto* eventsLayout = new QVBoxLayout(eventsPage);
    eventsLayout->setContentsMargins(0, 0, 0, 0);
    FPanel3 = Named(new QFrame(eventsPage), "Panel3");
    eventsLayout->addWidget(FPanel3);
    auto* panel3Layout = new QVBoxLayout(FPanel3);
    panel3Layout->setContentsMargins(0, 0, 0, 0);
    panel3Layout->setSpacing(2);
    FEventsListBox = Named(new QListWidget(FPanel3), "EventsListBox");
    FEventsListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FEventsListBox->addItem("Not read");
    FMemo = Named(new QTextEdit(FPanel3), "FMemo");
    FMemo->setReadOnly(true);
    FMemo->setLineWrapMode(QTextEdit::NoWrap);
    FChart = Named(new chart::TGraphWidget(FPanel3), "Chart");
    panel3Layout->addWidget(FEventsListBox);
    panel3Layout->addWidget(FMemo);
    panel3Layout->addWidget(FChart, 1);
    connect(FEventsListBox, &QListWidget::itemClicked, this,
            [this] { Guarded([this] { EventsListBoxClick(FSequenceList.get()); }); });
    connect(FEventsListBox, &QListWidget::currentRowChanged, this, [this] {
        if (!FEventsListBox->signalsBlocked()) Guarded([this] { EventsListBoxClick(FSequenceList.get()); });
    });
    FNotebook1->addTab(eventsPage, "Events buffer");

    // Settings: the grid and the tab set of the two parameter sets.
    auto* settingsPage = new QWidget;
    auto* settingsLayout = new QVBoxLayout(settingsPage);
    settingsLayout->setContentsMargins(0, 0, 0, 0);
    settingsLayout->setSpacing(0);
    FZnsGrid = Named(new QTableWidget(FGrid.RowCount(), FGrid.ColCount(), settingsPage), "ZnsGrid");
    // The fixed top row is shown as the header: dragging a border there sizes the column,
    // a double-click on it fits the column to its longest text (the table's own), and the
    // print follows the widths.
    QHeaderView* header = FZnsGrid->horizontalHeader();
    header->setMinimumSectionSize(1);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setDefaultSectionSize(FGrid.DefaultColWidth());
    connect(header, &QHeaderView::sectionResized, this, [this](int col, int, int width) {
        if (!FShowingGrid) FGrid.SizeColumn(col, width);
    });
    FZnsGrid->verticalHeader()->hide();
    FZnsGrid->verticalHeader()->setDefaultSectionSize(FGrid.DefaultRowHeight());
    FZnsGrid->verticalHeader()->setMinimumSectionSize(1);
    FZnsGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    FZnsGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
    settingsLayout->addWidget(FZnsGrid, 1);
    FTabSet1 = Named(new QTabBar(settingsPage), "TabSet1");
    FTabSet1->setShape(QTabBar::RoundedSouth);
    FTabSet1->addTab("Settings - parset  1");
    FTabSet1->addTab("Settings - parset  2");
    settingsLayout->addWidget(FTabSet1);
    // Only a committed edit reaches here: the program's own fills are blocked.
    connect(FZnsGrid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        const int col = item->column();
        const int row = item->row();
        const std::string text = S(item->text());
        Guarded([&] { ZnsGridSetEditText(col, row, text); });
    });
    connect(FTabSet1, &QTabBar::currentChanged, this,
            [this](int tab) { Guarded([&] { TabSet1Change(tab); }); });
    FNotebook1->addTab(settingsPage, "Settings");

    // Write/Read: the reading options, the commands and the message log.
    auto* readPage = new QWidget;
    auto* readLayout = new QVBoxLayout(readPage);
    auto* options = new QWidget(readPage);
    options->setFixedHeight(150);
    Caption(options, "Device number", 8, 10);
    FSpinSlaveNo = Named(new QSpinBox(options), "SpinSlaveNo");
    FSpinSlaveNo->setRange(0, 247);
    FSpinSlaveNo->setGeometry(110, 6, 70, 24);
    Caption(options, "Reading:", 8, 40);
    FchbZestaw1 = CheckBox(options, "Settings - parset 1", "chbZestaw1", 8, 58);
    FchbZestaw2 = CheckBox(options, "Settings - parset 2", "chbZestaw2", 8, 80);
    FchbEventRegister = CheckBox(options, "Events register", "chbEventRegister", 8, 102);
    FchbcorrectIOtimes = CheckBox(options, "Correct time of start device", "chbcorrectIOtimes", 8, 124);
    Caption(options, "Date of reading by PC", 280, 40);
    FlbZns1LoadTime = Named(new QLabel("???", options), "lbZns1LoadTime");
    FlbZns2LoadTime = Named(new QLabel("???", options), "lbZns2LoadTime");
    FlbBufLoadTime = Named(new QLabel("???", options), "lbBufLoadTime");
    FlbZns1LoadTime->setGeometry(280, 58, 120, 20);
    FlbZns2LoadTime->setGeometry(280, 80, 120, 20);
    FlbBufLoadTime->setGeometry(280, 102, 120, 20);
    FChBshowallEvents = CheckBox(options, "Show all events", "ChBshowallEvents", 280, 124);
    FChbTraceMessages = CheckBox(options, "Follow data from RS", "ChbTraceMessages", 280, 6);
    FChbTraceMessages->hide();
    readLayout->addWidget(options);
    FcmdOutline = Named(new QTreeWidget(readPage), "cmdOutline");
    FcmdOutline->setHeaderHidden(true);
    readLayout->addWidget(FcmdOutline, 1);
    connect(FcmdOutline, &QTreeWidget::itemDoubleClicked, this,
            [this] { Guarded([this] { cmdOutlineDblClick(); }); });
    FMemoMessage = Named(new QPlainTextEdit(readPage), "MemoMessage");
    FMemoMessage->setReadOnly(true);
    readLayout->addWidget(FMemoMessage, 1);
    FNotebook1->addTab(readPage, "Write/Read");

    connect(FNotebook1, &QTabWidget::currentChanged, this, [this](int page) { SetPageButtons(page); });
    scroll->setWidget(content);
    resize(760, 520);
}

void TChildForm::BuildMenus() {
    FFileMenu = new QMenu("&File", this);
    struct TItem {
        const char* Text;
        const char* Hint;
        QKeySequence Keys;
        std::function<void()> Action;
    };
    const TItem items[] = {
        {"&New", "New registration", QKeySequence("Ctrl+N"), [this] { FFrame.FileNew(); }},
        {"&Open", "Open file", QKeySequence("Ctrl+O"), [this] { FFrame.FileOpen(); }},
        {"Close", "Close active window", {}, [this] { FileCloseClick(); }},
        {"&Save", "Save file", QKeySequence("Ctrl+S"), [this] { FileSaveClick(); }},
        {"Save As...", "Save file ass other name", {}, [this] { SaveAsClick(); }},
        {"Properties", "Information about automation", {}, [this] { Waciwoci1Click(); }},
        {"Print", "Print registered courses", QKeySequence("Ctrl+P"), [this] { FilePrintClick(); }},
        {"Print preview", "Change the printer options", {}, [this] { PrintSetupClick(); }},
        {"Close", "Close programme", {}, [this] { FFrame.Exit(); }},
    };
    for (const TItem& item : items) {
        QAction* action = FFileMenu->addAction(item.Text);
        action->setShortcut(item.Keys);
        action->setStatusTip(item.Hint);
        connect(action, &QAction::triggered, this, [action = item.Action] { Guarded(action); });
    }
    FFileMenu->actions().back()->setEnabled(false);

    FGraphMenu = new QMenu("&Graph", this);
    const std::pair<const char*, std::function<void()>> graphItems[] = {
        {"Select All", [this] { Chart().SelectAll(); }},
        {"Copy", [this] { Chart().CopyToClipboard(); }},
        {"Deselect All", [this] { Chart().UnselectAll(); }},
        {"Options", [this] { chart::SetupGraph(Chart(), this); }},
    };
    for (const auto& [text, action] : graphItems)
        connect(FGraphMenu->addAction(text), &QAction::triggered, this, [action] { Guarded(action); });
}

void TChildForm::BuildCommandOutline() {
    FcmdOutline->clear();
    FCommands.clear();
    auto* top = new QTreeWidgetItem(FcmdOutline, QStringList("Save parset"));
    const std::pair<const char*, const char*> commands[] = {{"Save settings - parset 1", "ZNS1_1"},
                                                            {"Save settings - parset 2", "ZNS2_2"},
                                                            {"Save settings - parset 1 to 2", "ZNS1_2"},
                                                            {"Save settings - parset 2 to 1", "ZNS2_1"}};
    for (const auto& [text, word] : commands) {
        FCommands.push_back({[this](const std::string& w) { RunWriteCommand(w); }, word});
        auto* item = new QTreeWidgetItem(top, QStringList(text));
        item->setData(0, kRoleCommand, static_cast<int>(FCommands.size() - 1));
    }
    top->setExpanded(true);
}

bool TChildForm::Busy() const {
    return FDeviceImage->IsReading() || FWriting || TTransferGuard::Holder() == FDeviceImage.get();
}

bool TChildForm::Printing() const {
    return TTransferGuard::Printing() && TTransferGuard::Holder() == FDeviceImage.get();
}

void TChildForm::OptionsToControls() {
    TReadOptions options = FDeviceImage->GetReadOptions();
    if (!FServiceMode) {
        // A document saved with the corrections off was decoded without them.
        const bool decodeAgain = options.CorrectStartTimes != 1 && FDeviceImage->GetEventsLength() > 0;
        options.CorrectStartTimes = 1;
        options.ShowAllEvents = 0;
        FDeviceImage->SetReadOptions(options);
        FchbcorrectIOtimes->hide();
        FChBshowallEvents->hide();
        if (decodeAgain) EventsCompleted();
    }
    const QSignalBlocker blockSpin(FSpinSlaveNo);
    FSpinSlaveNo->setValue(options.DeviceNumber);
    const std::pair<QCheckBox*, uint8_t> boxes[] = {{FchbZestaw1, options.ReadParset1},
                                                    {FchbZestaw2, options.ReadParset2},
                                                    {FchbEventRegister, options.ReadEvents},
                                                    {FchbcorrectIOtimes, options.CorrectStartTimes},
                                                    {FChBshowallEvents, options.ShowAllEvents}};
    for (const auto& [box, flag] : boxes) {
        const QSignalBlocker block(box);
        box->setChecked(flag != 0);
    }
}

void TChildForm::ControlsToOptions() {
    const TReadOptions before = FDeviceImage->GetReadOptions();
    TReadOptions options;
    options.DeviceNumber = static_cast<uint8_t>(FSpinSlaveNo->value());
    options.ReadParset1 = FchbZestaw1->isChecked();
    options.ReadParset2 = FchbZestaw2->isChecked();
    options.ReadEvents = FchbEventRegister->isChecked();
    options.CorrectStartTimes = FchbcorrectIOtimes->isChecked();
    options.ShowAllEvents = FChBshowallEvents->isChecked();
    FDeviceImage->SetReadOptions(options);
    if (options.CorrectStartTimes != before.CorrectStartTimes && FEventLister) FEventLister->Refresh(nullptr);
}

void TChildForm::SetButton(int index, const char* caption, const std::string& hint,
                           std::function<void()> action, bool enabled) {
    FButtons[index]->setText(caption);
    forms::SetHint(*FButtons[index], hint);
    FButtonActions[index] = std::move(action);
    FButtons[index]->setEnabled(enabled);
    FButtons[index]->setVisible(true);
}

void TChildForm::SetPageButtons(int page) {
    const bool service = FServiceMode;
    const bool anyTransfer = TTransferGuard::Busy() || Busy();
    switch (page) {
        case 0:
            FPanel2->setVisible(service);
            FNotebook1->setProperty("HelpContext", kHelpEvents);
            if (service) {
                SetButton(
                    0, "HexList", "Display buffer of events (sort ascendingly)", [this] { ShowHexList(); },
                    true);
                SetButton(
                    1, "Save Buf", "Save events buffer to file", [this] { SaveEventsBuffer(); }, true);
            }
            FButtons[2]->setVisible(false);
            break;
        case 1:
            FPanel2->setVisible(false);
            FNotebook1->setProperty("HelpContext", kHelpSettings);
            break;
        case 2:
            FNotebook1->setProperty("HelpContext", kHelpWriteRead);
            FPanel2->setVisible(true);
            SetButton(
                0, "Reading", "Read data from automation|Read selected position from automation",
                [this] { ReadDevice(); }, !anyTransfer);
            SetButton(
                1, "Execute", "Execute recommendation", [this] { cmdOutlineDblClick(); }, !anyTransfer);
            SetButton(
                2, "Cancel", "Break reading", [this] { CancelReadClick(); }, Busy() && !Printing());
            break;
        default:
            break;
    }
}

void TChildForm::UpdatePageButtons() {
    SetPageButtons(FNotebook1->currentIndex());
}

void TChildForm::UpdateReadingState() {
    FFrame.UpdateControls();
    FNotebook1->setEnabled(!Busy());
    // The chart's setup would change the pages still to print.
    FGraphMenu->setEnabled(!Printing());
    SetPageButtons(FNotebook1->currentIndex());
}

void TChildForm::AddLogLine(const std::string& line) {
    app::AddLogLine(*FMessageLog, line);
}

void TChildForm::ReadDevice() {
    if (Busy() || TTransferGuard::Busy()) return;
    try {
        FDeviceImage->ReadFromHALVO();
    } catch (const platform::Exception& e) {
        AddLogLine("Exception in ReadFromHALVO: " + e.Message());
    }
    UpdateReadingState();
}

void TChildForm::CancelReadClick() {
    // Stopped between frames, a write would leave the device's set half new, half old.
    if (FWriting) {
        // Through the image, which keeps count of the lines added during its transfer.
        FDeviceImage->AddMessage("Writing to device runs to its end - Cancel refused");
        return;
    }
    FDeviceImage->CancelReading();
    UpdateReadingState();
}

void TChildForm::cmdOutlineDblClick() {
    const QTreeWidgetItem* item = FcmdOutline->currentItem();
    if (!item) return;
    const QVariant index = item->data(0, kRoleCommand);
    if (!index.isValid()) return;
    const TOutlineCommand& command = FCommands.at(static_cast<std::size_t>(index.toInt()));
    if (command.Handler) command.Handler(command.Word);
}

void TChildForm::RunWriteCommand(const std::string& word) {
    if (Busy() || TTransferGuard::Busy()) return;
    const QTreeWidgetItem* item = FcmdOutline->currentItem();
    const std::string text = item ? S(item->text(0)) : word;
    if (platform::Prompts().MessageBox(text, "Confirm realization of recommendation",
                                       platform::mbYes | platform::mbNo) != platform::mrYes)
        return;
    const int source = word == "ZNS2_1" || word == "ZNS2_2" ? 2 : 1;
    const int target = word == "ZNS1_2" || word == "ZNS2_2" ? 2 : 1;
    FWriting = true;
    UpdateReadingState();
    const platform::TScopeExit end([this] {
        FWriting = false;
        UpdateReadingState();
    });
    FDeviceImage->WriteParset(source, target);
}

void TChildForm::EventsCompleted() {
    if (FDeviceImage->GetEventsReadDate() != 0)
        FlbBufLoadTime->setText(Q(ShortDate(FDeviceImage->GetEventsReadDate())));
    try {
        FEventLister->Refresh(nullptr);
    } catch (const platform::Exception& e) {
        if (!FOpening) throw;
        DecoderError(e.Message());
    }
    if (FSequenceList->LineCount() > 0 && FSequenceList->ItemIndex() < 0) {
        FSequenceList->SetSelected(0, true);
        EventsListBoxClick(this);
    }
}

void TChildForm::DecoderError(const std::string& message) {
    if (FOpenError.empty()) FOpenError = message;
}

void TChildForm::EventsListBoxClick(const void* sender) {
    if (FLoadingFile) return;
    Chart().UnselectAll();
    try {
        FEventLister->SelectSequence(FSequenceList->ItemIndex() + 1);
    } catch (const platform::Exception& e) {
        if (!FOpening) throw;
        DecoderError(e.Message());
    }
    if (sender == FSequenceList.get()) {
        if (ViewMode == 1) SetViewMode(3);
        if (FEventsListBox->isVisible()) FEventsListBox->setFocus();
    }
}

void TChildForm::SetViewMode(uint8_t mode) {
    ViewMode = mode;
    switch (mode) {
        case 0:
            FEventsListBox->show();
            FMemo->show();
            FChart->show();
            FormResize();
            break;
        case 1:
            FMemo->hide();
            FChart->hide();
            FEventsListBox->show();
            FEventsListBox->setMaximumHeight(QWIDGETSIZE_MAX);
            FEventsListBox->setMinimumHeight(0);
            break;
        case 2:
            FChart->show();
            FMemo->hide();
            FEventsListBox->hide();
            break;
        case 3:
            FChart->hide();
            FEventsListBox->hide();
            FMemo->show();
            FMemo->setMaximumHeight(QWIDGETSIZE_MAX);
            FMemo->setMinimumHeight(0);
            break;
        default:
            break;
    }
    EventsListBoxClick(this);
}

void TChildForm::FormResize() {
    if (ViewMode != 0) return;
    const int quarter = std::max(FPanel3->height() / 4, 1);
    FEventsListBox->setFixedHeight(quarter);
    FMemo->setFixedHeight(quarter);
}

bool TChildForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FPanel3 && event->type() == QEvent::Resize) FormResize();
    return QWidget::eventFilter(watched, event);
}

void TChildForm::FillSettingsGrid() {
    if (FDeviceImage->DeviceType() == 0) return;
    if (FDeviceImage->GetParset1ReadDate() != 0)
        FlbZns1LoadTime->setText(Q(ShortDate(FDeviceImage->GetParset1ReadDate())));
    if (FDeviceImage->GetParset2ReadDate() != 0)
        FlbZns2LoadTime->setText(Q(ShortDate(FDeviceImage->GetParset2ReadDate())));
    app::FillSettingsGrid(FGrid, *FDeviceImage, SelectedParset);
    ShowGrid();
}

void TChildForm::ShowGrid() {
    const QSignalBlocker block(FZnsGrid);
    FShowingGrid = true;
    const platform::TScopeExit shown([this] { FShowingGrid = false; });
    FGrid.ScreenDpiX = FZnsGrid->logicalDpiX();
    FGrid.ScreenDpiY = FZnsGrid->logicalDpiY();
    FZnsGrid->setRowCount(FGrid.RowCount());
    FZnsGrid->setColumnCount(FGrid.ColCount());
    QStringList header;
    for (int c = 0; c < FGrid.ColCount(); ++c) header.push_back(Q(FGrid.Cell(c, 0)));
    FZnsGrid->setHorizontalHeaderLabels(header);
    for (int c = 0; c < FGrid.ColCount(); ++c) FZnsGrid->setColumnWidth(c, FGrid.ColWidth(c));
    for (int r = 0; r < FGrid.RowCount(); ++r) FZnsGrid->setRowHeight(r, FGrid.RowHeight(r));
    for (int r = 0; r < FGrid.FixedRows; ++r) FZnsGrid->setRowHidden(r, true);
    for (int r = 0; r < FGrid.RowCount(); ++r)
        for (int c = 0; c < FGrid.ColCount(); ++c) ShowGridCell(c, r);
    // The names are read whole from the first look, on the screen and on paper.
    FitNameColumns(FGrid, [this](int col) {
        FZnsGrid->resizeColumnToContents(col);
        return FZnsGrid->columnWidth(col);
    });
}

void TChildForm::ShowGridCell(int col, int row) {
    const QSignalBlocker block(FZnsGrid);
    QTableWidgetItem* item = FZnsGrid->item(row, col);
    if (!item) {
        item = new QTableWidgetItem;
        FZnsGrid->setItem(row, col, item);
    }
    item->setText(Q(FGrid.Cell(col, row)));
    const bool fixed = col < FGrid.FixedCols || row < FGrid.FixedRows;
    Qt::ItemFlags flags = Qt::ItemIsEnabled;
    if (!fixed) flags |= Qt::ItemIsSelectable;
    if (IsValueCell(FDeviceImage->Defs(), FGrid, col, row)) flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
    if (fixed) item->setBackground(palette().button());
}

void TChildForm::ZnsGridSetEditText(int col, int row, const std::string& text) {
    ApplyCellEdit(FGrid, *FDeviceImage, SelectedParset, col, row, text);
    ShowGridCell(col, row);
}

void TChildForm::TabSet1Change(int tab) {
    SelectedParset = static_cast<uint8_t>(tab == 1 ? 1 : 0);
    FillSettingsGrid();
}

bool TChildForm::OpenFile(const std::string& name, bool create) {
    FileName = name;
    // The ".set" files lie in the frame's data directory, as for a new window.
    FDeviceImage->SetDataDirectory(FFrame.DataDirectory());
    FOpening = true;
    FOpenError.clear();
    const platform::TScopeExit end([this] { FOpening = false; });
    const bool missing = create && !platform::FileExists(name);
    bool loaded = false;
    if (!missing) {
        bool readFailed = false;
        FLoadingFile = true;
        const platform::TScopeExit loadEnd([this] { FLoadingFile = false; });
        loaded = FDeviceImage->LoadFromFile(name, &readFailed);
        // The image said why; a window of no content must not pass for the document.
        if (readFailed) return false;
    }
    setWindowTitle(Q(name));
    OptionsToControls();
    ControlsToOptions();
    if (FSequenceList->LineCount() > 0) {
        const QSignalBlocker block(FEventsListBox);
        FEventsListBox->clearSelection();
        FEventsListBox->setCurrentRow(0);
        FSequenceList->SetSelected(0, true);
    }
    EventsListBoxClick(nullptr);
    FillSettingsGrid();
    // A file of another format is not this document: saving must not overwrite it.
    HasFileName = loaded || missing;
    FDeviceImage->SetModified(false);
    FOpening = false;
    if (!FOpenError.empty()) platform::Prompts().MessageBox(FOpenError, "Error", platform::mbOK);
    return true;
}

bool TChildForm::SaveDocument(std::string name) {
    if (!HasExtension(name)) name += ".halvo";
    // The window takes the name only once the file holds the document: after a failed
    // save its caption and its next Save still name what is really on disk.
    if (!FDeviceImage->SaveToFile(name)) return false;
    FileName = name;
    HasFileName = true;
    setWindowTitle(Q(FileName));
    return true;
}

void TChildForm::FileSaveClick() {
    if (!HasFileName) {
        SaveAsClick();
        return;
    }
    SaveDocument(FileName);
}

void TChildForm::SaveAsClick() {
    for (;;) {
        const std::optional<std::string> chosen = FFrame.ExecuteSaveDialog(FileName, 1);
        if (!chosen) return;
        if (platform::FileExists(*chosen)) {
            const int answer = platform::Prompts().MessageDlg(
                "File :" + *chosen + " file already exists\nReplace existing file?",
                platform::TMsgDlgType::Warning, platform::mbYes | platform::mbNo | platform::mbCancel);
            if (answer == platform::mrNo) continue;
            if (answer != platform::mrYes) return;
        }
        SaveDocument(*chosen);
        return;
    }
}

void TChildForm::SaveEventsBuffer() {
    const std::optional<std::string> chosen = FFrame.ExecuteSaveDialog(FileName, 2);
    if (!chosen) return;
    SaveBufferToFile(*chosen, FDeviceImage->EventsBuffer(), FDeviceImage->GetEventsLength());
}

void TChildForm::ShowHexList() {
    FEventLister->HexList();
}

void TChildForm::Waciwoci1Click() {
    TFileInfoDlg dialog(this);
    dialog.Execute(*FDeviceImage);
}

void TChildForm::PrintSetupClick() {
    // The printer is not set up again under a running print.
    if (TTransferGuard::Printing()) return;
    FFrame.PrinterSetup();
    Chart().UpdatePageSize(FFrame.PrintTarget());
}

void TChildForm::FilePrintClick(bool fromToolBar) {
    // One print or transfer at a time: each pumps the event loop, and a second print
    // would add its pages to the running job.
    if (TTransferGuard::Busy()) return;
    if (!fromToolBar) {
        TPageDlgFrm& dialog = FFrame.PageDialog();
        dialog.SetPrintFlags(PrintFlags);
        if (!dialog.Execute()) return;
        PrintFlags = dialog.PrintFlags();
    }
    platform::IPrintTarget& printer = FFrame.PrintTarget();
    // After the guard is released, so that the commands come back.
    const platform::TScopeExit refresh([this] { UpdateReadingState(); });
    TTransferGuard guard(*FDeviceImage, TBusyKind::Print);
    if (!guard.Held()) return;
    UpdateReadingState();
    // The parts that a stopped queue holds are told in one box for the whole print.
    platform::TPrintCommand command;
    try {
        PrintDocument(printer);
    } catch (const platform::EInOutError& e) {
        // Held parts print later: the failure's one box says so too.
        if (command.HeldText().empty()) throw;
        throw platform::EInOutError(e.Message() + "\n" + command.HeldText(), e.ErrorCode);
    }
    command.Finish();
}

void TChildForm::PrintDocument(platform::IPrintTarget& printer) {
    const std::string name = platform::ExtractFileName(FileName);
    std::vector<int> selected;
    for (int i = 0; i < FEventsListBox->count(); ++i)
        if (FEventsListBox->item(i)->isSelected()) selected.push_back(i);
    for (const int i : selected) {
        const int n = i + 1;
        FEventLister->SelectSequence(n);
        const std::string sequence = name + "-" + "Sequence " + platform::IntToStr(n);
        if (PrintFlags & kPrintListing) {
            FEventLister->PrintTitle = sequence + "-Listing";
            FEventLister->PrintListing(n, printer);
            QApplication::processEvents();
        }
        if (PrintFlags & kPrintGraph) {
            Chart().PrintTitle = sequence + "-Route";
            // The box has told the user that there is no printer. A chart too long for
            // paper is told on its own, and the rest still prints.
            if (!Chart().Print(1, Chart().GetPages(printer), printer)) return;
            QApplication::processEvents();
        }
    }
    const auto printParset = [&](int tab, const char* title) {
        const int previous = FTabSet1->currentIndex();
        if (previous != tab) FTabSet1->setCurrentIndex(tab);
        QApplication::processEvents();
        PrintGrid(FGrid, printer, title);
        if (FTabSet1->currentIndex() != previous) FTabSet1->setCurrentIndex(previous);
    };
    if (PrintFlags & kPrintParset1) printParset(0, "Settings - parset 1");
    if (PrintFlags & kPrintParset2) printParset(1, "Settings - parset 2");
}

void TChildForm::FormActivate() {
    FFrame.UpdateControls();
    FFrame.SetScaleBoxText(Chart().Autoscale() ? "Fit" : platform::IntToStr(Chart().ScaleX()));
}

void TChildForm::FileCloseClick() {
    // In the frame the window is the content of its sub-window, which closes with it.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

bool TChildForm::FormCloseQuery() {
    // The print uses the window to its end.
    if (Printing()) return false;
    if (FWriting) {
        FDeviceImage->AddMessage("Writing to device runs to its end - window not closed");
        return false;
    }
    if (Busy()) {
        FDeviceImage->CancelReading();
        return false;
    }
    if (!FDeviceImage->Modified()) return true;
    const int answer = platform::Prompts().MessageDlg("File " + FileName + " was modified\nSave changes?",
                                                      platform::TMsgDlgType::Warning,
                                                      platform::mbYes | platform::mbNo | platform::mbCancel);
    if (answer == platform::mrNo) return true;
    if (answer != platform::mrYes) return false;
    FileSaveClick();
    return !FDeviceImage->Modified();
}

void TChildForm::closeEvent(QCloseEvent* event) {
    bool close = false;
    Guarded([&] { close = FormCloseQuery(); });
    if (close)
        event->accept();
    else
        event->ignore();
}

}  // namespace app
