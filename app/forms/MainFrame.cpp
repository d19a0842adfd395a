#include "app/forms/MainFrame.h"

#include <QDialog>

#include "app/forms/Pagedlg.h"

namespace app {

namespace {

TModalRunner& Runner() {
    static TModalRunner runner;
    return runner;
}

}  // namespace

IMainFrame::IMainFrame() = default;
IMainFrame::~IMainFrame() = default;

TPageDlgFrm& IMainFrame::PageDialog() {
    if (!FPageDialog) FPageDialog = std::make_unique<TPageDlgFrm>();
    return *FPageDialog;
}

int ExecModal(QDialog& dialog) {
    if (Runner()) return Runner()(dialog);
    return dialog.exec();
}

TModalScope::TModalScope(TModalRunner runner) : FPrevious(std::exchange(Runner(), std::move(runner))) {}

TModalScope::~TModalScope() {
    Runner() = std::move(FPrevious);
}

}  // namespace app
