#pragma once
// The real main window offscreen: its Windows directory and current directory a scratch
// folder, prompts, help and modal dialogs scripted, a recording printer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDialog>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/forms/Child.h"
#include "app/forms/Main.h"
#include "app/forms/MainFrame.h"
#include "platform/Help.h"
#include "platform/PrintTarget.h"
#include "platform/Prompts.h"
#include "tests/app/forms/TestFrame.h"
#include "tests/support/TempDirTest.h"

namespace app::test {

class MainFormTest : public platform_test::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        FOldDir = std::filesystem::current_path();
        // New documents are named after the files of the current directory.
        std::filesystem::current_path(FDir);
        // No port: showing the frame must not open a serial device of the machine.
        Write("halvo.ini", "[Trevolan]\nPort=\n");
    }
    void TearDown() override {
        // The frame writes "halvo.ini" into the Windows directory as it goes.
        Form.reset();
        std::filesystem::current_path(FOldDir);
        TempDirTest::TearDown();
    }

    TMainForm& MakeForm(std::vector<std::string> params = {}) {
        auto printer = std::make_unique<platform::TRecordingPrintTarget>();
        Printer = printer.get();
        Form = std::make_unique<TMainForm>(std::move(params), std::string(HALVO_BIN_DIR) + "/Trevolan",
                                           std::move(printer));
        return *Form;
    }
    // Shown, the queued start-up work done.
    TMainForm& ShowForm(std::vector<std::string> params = {}) {
        MakeForm(std::move(params));
        Form->show();
        QApplication::processEvents();
        return *Form;
    }
    // A copy of the sample document in the scratch folder.
    std::string Sample(const std::string& name) {
        std::filesystem::copy_file(std::string(HALVO_BIN_DIR) + "/sample.halvo", Path(name),
                                   std::filesystem::copy_options::overwrite_existing);
        return name;
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (TChildForm* child : Form->Children()) captions.push_back(child->windowTitle().toStdString());
        return captions;
    }
    static QPushButton* PageButton(TChildForm& child, int page, const char* name) {
        child.findChild<QTabWidget*>("Notebook1")->setCurrentIndex(page);
        return child.findChild<QPushButton*>(name);
    }

    QApplication& App = TestApp();
    platform::TRecordingPrompts Prompts;
    platform::TPromptsScope PromptsScope{Prompts};
    platform::TRecordingHelp Help;
    platform::THelpScope HelpScope{Help};
    // Each modal dialog is seen here; its answer is Rejected unless a test says otherwise.
    std::function<int(QDialog&)> OnModal = [](QDialog&) { return int(QDialog::Rejected); };
    TModalScope Modal{[this](QDialog& dialog) { return OnModal(dialog); }};
    platform::TRecordingPrintTarget* Printer = nullptr;
    std::unique_ptr<TMainForm> Form;

private:
    std::filesystem::path FOldDir;
};

}  // namespace app::test
