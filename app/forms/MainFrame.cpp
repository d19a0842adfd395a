#include "app/forms/MainFrame.h"

#include <QDialog>

#include "app/forms/Pagedlg.h"

namespace app {

IMainFrame::IMainFrame() = default;
IMainFrame::~IMainFrame() = default;

TPageDlgFrm& IMainFrame::PageDialog() {
    if (!FPageDialog) FPageDialog = std::make_unique<TPageDlgFrm>();
    return *FPageDialog;
}

IModalRunner& TExecModalRunner::Get() {
    struct TExec : IModalRunner {
        int Run(QDialog& dialog) override { return dialog.exec(); }
    };
    static TExec exec;
    return exec;
}

int ExecModal(QDialog& dialog) {
    return TModalService::Current().Run(dialog);
}

}  // namespace app
