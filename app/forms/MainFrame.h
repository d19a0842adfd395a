#pragma once
// What the document windows and their dialogs ask of the main window, and the one way
// the windows run their own dialogs modally (tests script it, so nothing waits on a modal).
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/ServiceScope.h"

class QDialog;

namespace platform {
class IPrintTarget;
}

namespace app {

class TPageDlgFrm;

class IMainFrame {
public:
    IMainFrame();
    virtual ~IMainFrame();
    IMainFrame(const IMainFrame&) = delete;
    IMainFrame& operator=(const IMainFrame&) = delete;

    virtual bool ServiceMode() const = 0;
    // Where the ".set" files lie.
    virtual std::string DataDirectory() const = 0;
    // Refreshes the frame's commands and every document window's page buttons.
    virtual void UpdateControls() = 0;
    // The save dialog on fileName with its filter filterIndex (1 documents, 2 all files)
    // selected; the chosen name, or nothing when cancelled.
    virtual std::optional<std::string> ExecuteSaveDialog(const std::string& fileName, int filterIndex) = 0;
    virtual void FileNew() = 0;
    virtual void FileOpen() = 0;
    virtual void Exit() = 0;
    // The chart scale box of the tool bar: "Fit" or a percentage.
    virtual void SetScaleBoxText(const std::string& text) = 0;
    virtual void PrinterSetup() = 0;
    virtual platform::IPrintTarget& PrintTarget() = 0;

    // The print options dialog: one for the process, made at the first print command
    // and kept by the frame.
    TPageDlgFrm& PageDialog();
    bool HasPageDialog() const { return FPageDialog != nullptr; }

private:
    std::unique_ptr<TPageDlgFrm> FPageDialog;
};

// Runs one of the windows' own dialogs modally and gives its QDialog::DialogCode.
using TModalRunner = std::function<int(QDialog&)>;
int ExecModal(QDialog& dialog);

class IModalRunner {
public:
    virtual ~IModalRunner() = default;
    virtual int Run(QDialog& dialog) = 0;
};
// Process-wide; without one installed, QDialog::exec.
struct TExecModalRunner {
    static IModalRunner& Get();
};
using TModalService = platform::TProcessService<IModalRunner, TExecModalRunner>;

// Installs a runner (a test's script) and puts the previous one back.
class TModalScope {
public:
    explicit TModalScope(TModalRunner runner) : FRunner(std::move(runner)), FScope(FRunner) {}

private:
    struct TFunctionRunner : IModalRunner {
        explicit TFunctionRunner(TModalRunner run) : FRun(std::move(run)) {}
        int Run(QDialog& dialog) override { return FRun(dialog); }
        TModalRunner FRun;
    };
    TFunctionRunner FRunner;
    TModalService::TScope FScope;
};

}  // namespace app
