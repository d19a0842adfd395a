#pragma once
// A small main window for the document windows: a QMdiArea whose sub-windows hold them,
// the save dialog through the prompts (so tests script it) and the process's printer
// unless a test gives it its own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "app/forms/Child.h"
#include "app/forms/MainFrame.h"
#include "platform/PrintTarget.h"
#include "platform/Prompts.h"
#include "tests/support/QtTestApp.h"

namespace app::test {

inline QApplication& TestApp() {
    return platform_test::QtTestApp<QApplication>();
}

class TTestFrame : public IMainFrame {
public:
    TTestFrame(bool service, std::string dataDirectory)
        : Service(service), DataDir(std::move(dataDirectory)) {
        Area.resize(900, 650);
        QObject::connect(&Area, &QMdiArea::subWindowActivated, [this](QMdiSubWindow* sub) {
            if (auto* child = sub ? dynamic_cast<TChildForm*>(sub->widget()) : nullptr) child->FormActivate();
        });
    }

    bool ServiceMode() const override { return Service; }
    std::string DataDirectory() const override { return DataDir; }
    void UpdateControls() override {
        ++Updates;
        for (QMdiSubWindow* sub : Area.subWindowList())
            if (auto* child = dynamic_cast<TChildForm*>(sub->widget())) child->UpdatePageButtons();
    }
    std::optional<std::string> ExecuteSaveDialog(const std::string& fileName, int filterIndex) override {
        return platform::Prompts().SaveFileName("Save As", "Halvo files|*.halvo|All files|*.*", fileName,
                                                &filterIndex);
    }
    void FileNew() override { Calls.push_back("FileNew"); }
    void FileOpen() override { Calls.push_back("FileOpen"); }
    void Exit() override { Calls.push_back("Exit"); }
    void SetScaleBoxText(const std::string& text) override { ScaleBoxText = text; }
    void PrinterSetup() override {
        Calls.push_back("PrinterSetup");
        platform::Prompts().PrinterSetup();
    }
    platform::IPrintTarget& PrintTarget() override { return Target ? *Target : platform::Printer(); }

    // A new document window in its own sub-window, shown.
    TChildForm* NewWindow() {
        auto* child = new TChildForm(*this);
        QMdiSubWindow* sub = Area.addSubWindow(child);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->resize(800, 560);
        sub->show();
        return child;
    }
    int WindowCount() const { return static_cast<int>(Area.subWindowList().size()); }

    bool Service;
    std::string DataDir;
    // The frame's own printer; the process's while none is set.
    platform::IPrintTarget* Target = nullptr;
    QApplication& App = TestApp();  // before the first widget
    QMdiArea Area;
    int Updates = 0;
    std::vector<std::string> Calls;
    std::string ScaleBoxText;
};

template <typename T>
T* Find(QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

}  // namespace app::test
