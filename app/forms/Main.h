#pragma once
// The program's frame "HALVO service": the configuration of "halvo.ini", the one serial
// link, the tool bar and menus that work on the active document window, the logo on the
// empty client area, and the command line, run once after the first show.
#include <QImage>
#include <QMainWindow>
#include <QMdiArea>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/device/LinkSettings.h"
#include "app/forms/FrameSize.h"
#include "app/forms/MainConfig.h"
#include "app/forms/MainFrame.h"
#include "app/link/RsdUnit.h"
#include "platform/PrintTarget.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QMdiSubWindow;
class QToolButton;

namespace app {

class TChildForm;

// The client area: the MDI background with the logo composited on it. A document window
// that lay inside it stays inside when the area shrinks.
class TMdiClient : public QMdiArea {
public:
    explicit TMdiClient(QWidget* frame);
    void SetLogo(QImage mask, QImage picture);
    const QImage& LogoMask() const { return FMask; }
    const QImage& LogoPicture() const { return FPicture; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    void PaintLogo();
    QWidget* FFrame;
    QImage FMask, FPicture;
};

class TMainForm : public QMainWindow, public IMainFrame, public ILinkSettingsProvider {
public:
    // params: the command line without the program's name. A null printer takes the
    // program's (PDF files when $HALVO_PDF_DIR is set, else the default printer).
    TMainForm(std::vector<std::string> params, std::string executablePath,
              std::unique_ptr<platform::IPrintTarget> printer = nullptr);
    ~TMainForm() override;

    // What the document windows ask of the frame.
    bool ServiceMode() const override { return FServiceMode; }
    std::string DataDirectory() const override { return FDataDirectory; }
    void UpdateControls() override;
    std::optional<std::string> ExecuteSaveDialog(const std::string& fileName, int filterIndex) override;
    void FileNew() override { MF_NewClick(); }
    void FileOpen() override { MF_OpenClick(true); }
    void Exit() override { MF_ExitClick(); }
    void SetScaleBoxText(const std::string& text) override;
    void PrinterSetup() override;
    platform::IPrintTarget& PrintTarget() override { return *FPrinter; }

    // What every transfer takes at each transaction.
    TLinkSettings LinkSettings() override;

    // Commands.
    void MF_NewClick();
    // withSender: from the menu or the button (the dialog runs); without, the open
    // dialog's current name is opened (the command line).
    void MF_OpenClick(bool withSender);
    void MF_ExitClick();
    void btnSaveClick();
    void btnSaveAsClick();
    void btnPrintClick();
    void btnNormViewClick();
    void btnEventsViewClick();
    void btnListViewClick();
    void btnGraphViewClick();
    void btnGraphLegendClick();
    void cbXScaleChange();
    void cbXScaleKeyPress();
    void CommSetupClick();
    void C1Click();
    void Oprogramie1Click();
    void ile1Click();

    void ApplyXScale();
    std::string NewFileName();
    TChildForm* NewChildWindow(const std::string& name);
    void ProcessCommandLine();
    TChildForm* NewFromParams(const std::string& options);

    TChildForm* ActiveChild() const;
    std::vector<TChildForm*> Children() const;
    TRsdHan& Link() { return *FLink; }
    const TMainConfig& Config() const { return FConfig; }
    const std::string& Section() const { return FSection; }
    // The name the open dialog keeps between runs.
    std::string OpenDialogFileName;
    TMdiClient& Client() { return *FClient; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool event(QEvent* event) override;

private:
    void BuildToolBar();
    void BuildMenus();
    // A document window in a sub-window of the designed size, deleted when closed.
    struct TChildWindow {
        TChildForm* Child;
        QMdiSubWindow* Sub;
    };
    TChildWindow AddChildWindow();
    void FormShow();
    // The designed size where the screen's available area holds it, else maximised.
    void FitToScreen();
    // Once the window system has framed the window: maximised where the frame with its
    // decorations does not lie inside the available area.
    void CheckFrameOnScreen();
    void SubWindowActivated();
    void MergeMenus();
    void FillWindowMenu();
    // A transfer or a print runs in any document window, or the busy guard is held.
    bool AnyTransfer() const;
    void ShowAppHint(const QString& hint);

    std::vector<std::string> FParams;
    std::string FExecutablePath;
    std::string FSection;
    std::string FDataDirectory;
    TMainConfig FConfig;
    bool FServiceMode = false;
    bool FShown = false;
    bool FAwaitingFrame = false;  // shown, its decorations not known yet
    bool FDestroying = false;
    bool FCommandLinePending = true;
    uint16_t FNewNameCounter = 0;
    std::unique_ptr<TRsdHan> FLink;
    std::unique_ptr<platform::IPrintTarget> FPrinter;
    std::unique_ptr<TLinkSettingsScope> FLinkScope;
    std::unique_ptr<platform::TPrinterScope> FPrinterScope;

    TMdiClient* FClient;
    QComboBox* FcbXScale;
    std::vector<QToolButton*> FDocumentButtons;
    QLabel* FStatusPanels[2];
    QMenu* FFileMenu;
    QMenu* FOptionsMenu;
    QMenu* FHelpMenu;
    QMenu* FWindowMenu;
    QAction* FCommSetup;
};

}  // namespace app
