#pragma once
// The document window: one device reading or one opened document. It owns the device
// image, the event decoder and the chart, shows the events, the settings of both
// parameter sets in an editable grid and the reading options, runs the reading and the
// parameter-set writes, and saves, prints and closes the document.
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/device/Halvobase.h"
#include "app/forms/PageOptions.h"
#include "app/forms/SettingsGrid.h"
#include "app/lister/Lister.h"

class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabBar;
class QTabWidget;
class QTableWidget;
class QTableWidgetItem;
class QTextEdit;
class QTreeWidget;

namespace platform {
class IPrintTarget;
}

namespace chart {
class TGraph;
class TGraphWidget;
}  // namespace chart

namespace app {

class IMainFrame;
namespace forms {
class TMemoLog;
class TListingEdit;
class TSequenceList;
}  // namespace forms

// One command of the command outline: its handler and its word.
struct TOutlineCommand {
    std::function<void(const std::string&)> Handler;
    std::string Word;
};

class TChildForm : public QWidget {
public:
    // The window of a new document (FormCreate); the frame outlives it.
    TChildForm(IMainFrame& frame, QWidget* parent = nullptr);
    ~TChildForm() override;

    // Operations the main window uses.
    // False, the window left without the document, when the file could not be read (the
    // image told why). With create a name that does not exist gives an empty document.
    bool OpenFile(const std::string& name, bool create = false);
    void OptionsToControls();
    void ControlsToOptions();
    void FillSettingsGrid();
    void SetViewMode(uint8_t mode);
    void FileSaveClick();
    void SaveAsClick();
    // The print command; fromToolBar prints with the document's flags without the dialog.
    void FilePrintClick(bool fromToolBar = false);
    void EventsListBoxClick(const void* sender);
    void FormActivate();
    void FileCloseClick();

    void SetPageButtons(int page);
    // The buttons of the page shown.
    void UpdatePageButtons();
    void UpdateReadingState();
    void ReadDevice();
    void CancelReadClick();
    void RunWriteCommand(const std::string& word);
    void cmdOutlineDblClick();
    void SaveEventsBuffer();
    void ShowHexList();
    void Waciwoci1Click();
    void PrintSetupClick();
    void TabSet1Change(int tab);
    // A typed cell text committed: stored into the selected set (see ApplyCellEdit).
    void ZnsGridSetEditText(int col, int row, const std::string& text);

    // The window works on a transfer (its reading, or its write holding the guard) or
    // prints.
    bool Busy() const;
    // The window's print runs.
    bool Printing() const;

    THalvo& DeviceImage() { return *FDeviceImage; }
    TEvLister& EventLister() { return *FEventLister; }
    chart::TGraph& Chart();
    chart::TGraphWidget& ChartWidget() { return *FChart; }
    const TGridModel& Grid() const { return FGrid; }
    QMenu* FileMenu() const { return FFileMenu; }
    QMenu* GraphMenu() const { return FGraphMenu; }

    std::string FileName;
    bool HasFileName = false;
    uint8_t ViewMode = 0;
    uint8_t PrintFlags = kDefaultPrintFlags;
    uint8_t SelectedParset = 0;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void BuildMenus();
    void BuildCommandOutline();
    void EventsCompleted();
    void FormResize();
    // The selected sequences' listings and charts and the grids, as PrintFlags choose.
    void PrintDocument(platform::IPrintTarget& printer);
    bool FormCloseQuery();
    // Saves under name (".halvo" added to a bare one); the window takes the name on success.
    bool SaveDocument(std::string name);
    void ShowGrid();
    void ShowGridCell(int col, int row);
    void AddLogLine(const std::string& line);
    void SetButton(int index, const char* caption, const std::string& hint, std::function<void()> action,
                   bool enabled);
    // A decoder error while a document opens is shown once, when it is open.
    void DecoderError(const std::string& message);

    IMainFrame& FFrame;
    // The frame's service mode when the window was made: a later "service" on the command
    // line is for the windows after it.
    const bool FServiceMode;
    TGridModel FGrid = MakeSettingsGrid();
    bool FWriting = false;
    // The grid's widths are being set from the model, not by the user.
    bool FShowingGrid = false;
    bool FOpening = false;
    // The image is being loaded: the sequence is shown once the window has its options.
    bool FLoadingFile = false;
    std::string FOpenError;
    std::vector<TOutlineCommand> FCommands;
    std::function<void()> FButtonActions[3];

    QFrame* FPanel2;
    QPushButton* FButtons[3];
    QTabWidget* FNotebook1;
    QFrame* FPanel3;
    QListWidget* FEventsListBox;
    QTextEdit* FMemo;
    chart::TGraphWidget* FChart;
    QTableWidget* FZnsGrid;
    QTabBar* FTabSet1;
    QSpinBox* FSpinSlaveNo;
    QCheckBox* FchbZestaw1;
    QCheckBox* FchbZestaw2;
    QCheckBox* FchbEventRegister;
    QCheckBox* FchbcorrectIOtimes;
    QCheckBox* FChBshowallEvents;
    QCheckBox* FChbTraceMessages;
    QLabel* FlbZns1LoadTime;
    QLabel* FlbZns2LoadTime;
    QLabel* FlbBufLoadTime;
    QTreeWidget* FcmdOutline;
    QPlainTextEdit* FMemoMessage;
    QMenu* FFileMenu;
    QMenu* FGraphMenu;

    std::unique_ptr<forms::TMemoLog> FMessageLog;
    std::unique_ptr<forms::TListingEdit> FListingView;
    std::unique_ptr<forms::TSequenceList> FSequenceList;
    std::unique_ptr<THalvo> FDeviceImage;
    std::unique_ptr<TEvLister> FEventLister;
};

}  // namespace app
