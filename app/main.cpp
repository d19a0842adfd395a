// The program: its units, the application object, the process's services, the main
// window and the two dialogs made at start, then the event loop.
#include "app/forms/Main.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ProgramUnits.h"
#include "app/forms/Fileprop.h"
#include "chart/qt/Graphdlg.h"
#include "platform/Help.h"
#include "platform/UnitTable.h"
#include "platform/Waiter.h"
#include "platform/qt/PagedPrintTarget.h"
#include "platform/qt/QtPrompts.h"
#include "platform/qt/QtWaiter.h"

int main(int argc, char* argv[]) {
    const platform::TUnitsRun units(app::ProgramUnits());
    QApplication application(argc, argv);
    if (!units.Started()) {
        std::fprintf(stderr, "%s\n", units.Error().c_str());
        QMessageBox::critical(nullptr, "Error", QString::fromStdString(units.Error()));
        return 1;
    }

    platform::TQtWaiter waiter;
    const platform::TWaiterScope waiterScope(waiter);
    platform::TQtPrompts prompts;
    const platform::TPromptsScope promptsScope(prompts);
    platform::TNullHelp help;
    const platform::THelpScope helpScope(help);

    std::vector<std::string> params;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) params.push_back(arguments[i].toStdString());
    app::TMainForm form(params, QCoreApplication::applicationFilePath().toStdString());
    prompts.SetPrintTarget(dynamic_cast<platform::TPagedPrintTarget*>(&form.PrintTarget()));
    // Made at start as the program always has; the commands make dialogs of their own.
    const app::TFileInfoDlg fileInfo;
    const chart::TGraphSetup graphSetup;
    form.show();
    return QApplication::exec();
}
