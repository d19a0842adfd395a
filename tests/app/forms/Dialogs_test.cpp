// The print options dialog and the communication options on a socat pty pair, offscreen,
// run through a scripted modal runner.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <filesystem>
#include <functional>

#include "app/forms/Pagedlg.h"
#include "app/forms/Params.h"
#include "app/link/RsdUnit.h"
#include "platform/Prompts.h"
#include "tests/app/forms/TestFrame.h"
#include "tests/support/PeerProcess.h"
#include "tests/support/TempDir.h"

namespace app::test {
namespace {

using platform_test::TTempDir;

int Click(QDialog& dialog, const char* button) {
    Find<QPushButton>(dialog, button)->click();
    return dialog.result();
}

class PageDlgTest : public testing::Test {
protected:
    // Types into a margin box and leaves it.
    void Type(const char* edit, const char* text) {
        auto* box = Find<QLineEdit>(Dialog, edit);
        box->setText(text);
        emit box->editingFinished();
    }
    QString Text(const char* edit) { return Find<QLineEdit>(Dialog, edit)->text(); }

    QApplication& App = TestApp();  // before the dialog
    platform::TRecordingPrompts Prompts;
    platform::TPromptsScope Scope{Prompts};
    TPageDlgFrm Dialog;
};

TEST_F(PageDlgTest, LayoutTextsAndDefaults) {
    EXPECT_EQ(Dialog.windowTitle(), "Print options");
    EXPECT_EQ(Find<QPushButton>(Dialog, "HelpBtn")->text(), "Hel&p");
    auto* tabs = Find<QTabBar>(Dialog, "TabSet");
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "Zakres wydruku");
    EXPECT_EQ(tabs->tabText(1), "Margins");
    tabs->setCurrentIndex(1);
    EXPECT_EQ(Find<QStackedWidget>(Dialog, "Notebook")->currentIndex(), 1);
    EXPECT_EQ(Find<QCheckBox>(Dialog, "cbPrintZns1")->text(), "Settings - parset 1");
    EXPECT_EQ(Find<QLabel>(Dialog, "Label2")->text(), "Down");
    for (const char* edit : {"editTopMargin", "editBottomMargin", "editLeftMargin", "editRightMargin"})
        EXPECT_EQ(Text(edit), "2,50 cm") << edit;
    EXPECT_EQ(Dialog.PrintFlags(), 3);
    EXPECT_TRUE(Find<QCheckBox>(Dialog, "cbPrintListing")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(Dialog, "cbPrintGraph")->isChecked());
}

TEST_F(PageDlgTest, FlagsCheckTheirBoxesOkTakesTheBoxesCancelKeepsTheFlags) {
    Dialog.SetPrintFlags(5);
    EXPECT_TRUE(Find<QCheckBox>(Dialog, "cbPrintListing")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(Dialog, "cbPrintGraph")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(Dialog, "cbPrintZns1")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(Dialog, "cbPrintZns2")->isChecked());
    {
        TModalScope modal([](QDialog& d) { return Click(d, "OKBtn"); });
        EXPECT_TRUE(Dialog.Execute());
        EXPECT_EQ(Dialog.PrintFlags(), 5);
    }
    Dialog.SetPrintFlags(2);
    TModalScope modal([](QDialog& d) {
        Find<QCheckBox>(d, "cbPrintZns2")->setChecked(true);
        return Click(d, "CancelBtn");
    });
    EXPECT_FALSE(Dialog.Execute());
    EXPECT_EQ(Dialog.PrintFlags(), 2);
}

TEST_F(PageDlgTest, MarginsAreReadWhenABoxIsLeft) {
    Type("editTopMargin", "3,7 cm");
    EXPECT_EQ(Dialog.PageSetup().Top, 37);
    EXPECT_EQ(Text("editTopMargin"), "3,70 cm");
    Type("editLeftMargin", "-1");
    EXPECT_EQ(Dialog.PageSetup().Left, 0);
    EXPECT_EQ(Text("editLeftMargin"), "0,00 cm");
    // An empty box shows its margin again, without a message.
    Type("editBottomMargin", "");
    EXPECT_EQ(Text("editBottomMargin"), "2,50 cm");
    EXPECT_TRUE(Prompts.Log.empty());
    // Text that is no number is refused, the margin stays.
    Type("editRightMargin", "abc");
    EXPECT_EQ(Dialog.PageSetup().Right, 25);
    ASSERT_EQ(Prompts.Log.size(), 1u);
    EXPECT_EQ(Prompts.Log[0].Text, "'abc' is not a valid floating point value");
    EXPECT_EQ(Prompts.Log[0].Caption, "Error");
}

TEST_F(PageDlgTest, SpinButtonsShowTheNextMillimetreWithoutStoringIt) {
    auto* spin = Find<QWidget>(Dialog, "SpinButton1");
    Find<QToolButton>(*spin, "UpButton")->click();
    EXPECT_EQ(Text("editTopMargin"), "2,60 cm");
    EXPECT_EQ(Dialog.PageSetup().Top, 25);
    Find<QToolButton>(*Find<QWidget>(Dialog, "SpinButton4"), "DownButton")->click();
    EXPECT_EQ(Text("editRightMargin"), "2,40 cm");
    emit Find<QLineEdit>(Dialog, "editTopMargin")->editingFinished();
    EXPECT_EQ(Dialog.PageSetup().Top, 26);
}

// The link of the main window on one end of a socat pty pair.
class CommDlgTest : public testing::Test {
protected:
    void SetUp() override {
        TestApp();
        ptys = std::make_unique<peers::TSocatPtyPair>(std::filesystem::path(dir.Path()));
        ASSERT_TRUE(ptys->Ready()) << "socat made no pty pair";
        link.SetCommPort(ptys->B());
        link.SetBaudRate(br19200);
        settings.TcpAddress = "10.0.0.5";
        settings.TcpPort = 1502;
        settings.TimeOutMs = 400;
        settings.TimeSilenceMs = 20;
    }
    void TearDown() override { link.Close(); }

    // Runs the "Serial port" command with the script as the user.
    void Setup(const std::function<int(QDialog&)>& script) {
        TModalScope modal(script);
        CommSetup(link, settings);
    }

    TTempDir dir;
    std::unique_ptr<peers::TSocatPtyPair> ptys;
    TRsdHan link;
    TCommSettings settings;
    platform::TRecordingPrompts prompts;
    platform::TPromptsScope scope{prompts};
};

TEST_F(CommDlgTest, ShowingOpensThePortAndOkTakesTheTimes) {
    Setup([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Options");
        auto* tabs = Find<QTabBar>(d, "TabSet");
        EXPECT_EQ(tabs->tabText(0), "Port setup");
        EXPECT_EQ(tabs->tabText(1), "Times");
        auto* port = Find<QComboBox>(d, "PortComboBox");
        EXPECT_EQ(port->itemText(0), "None");
        EXPECT_EQ(port->currentText().toStdString(), ptys->B());
        EXPECT_EQ(port->toolTip(), "Comm port selection");
        EXPECT_EQ(Find<QComboBox>(d, "SpeedComboBox")->currentText(), "19200");
        EXPECT_EQ(Find<QLabel>(d, "lbStatus")->text(), "Connected");
        EXPECT_TRUE(link.IsOpen());
        EXPECT_EQ(Find<QLineEdit>(d, "edtTALVOIP")->text(), "10.0.0.5");
        EXPECT_FALSE(Find<QLineEdit>(d, "edtTALVOIP")->isEnabled());
        EXPECT_EQ(Find<QLineEdit>(d, "edtTALVOPort")->text(), "1502");
        EXPECT_EQ(Find<QSpinBox>(d, "tbTimeOut")->value(), 400);
        Find<QSpinBox>(d, "tbTimeOut")->setValue(1200);
        Find<QSpinBox>(d, "tbTimeSilence")->setValue(35);
        return Click(d, "OKBtn");
    });
    EXPECT_EQ(settings.TimeOutMs, 1200);
    EXPECT_EQ(settings.TimeSilenceMs, 35);
    EXPECT_EQ(link.ReadTotalTimeoutConstant(), 1200);
    EXPECT_EQ(link.SilenceTime(), 35);
    EXPECT_TRUE(link.IsOpen());
}

TEST_F(CommDlgTest, NoneLeavesTheLinkWithoutAPortAndCancelRestoresIt) {
    Setup([&](QDialog& d) {
        auto* port = Find<QComboBox>(d, "PortComboBox");
        port->setCurrentIndex(0);
        emit port->activated(0);
        EXPECT_EQ(link.CommPort(), "");
        EXPECT_FALSE(link.IsOpen());
        EXPECT_EQ(Find<QLabel>(d, "lbStatus")->text(), "Not connected");
        auto* speed = Find<QComboBox>(d, "SpeedComboBox");
        speed->setCurrentIndex(2);
        emit speed->activated(2);
        EXPECT_EQ(link.BaudRate(), br600);
        return Click(d, "CancelBtn");
    });
    EXPECT_EQ(link.CommPort(), ptys->B());
    EXPECT_EQ(link.BaudRate(), br19200);
    EXPECT_TRUE(link.IsOpen());
}

TEST_F(CommDlgTest, ATypedPortAppliesWhenConfirmedNotPerKeystroke) {
    Setup([&](QDialog& d) {
        auto* port = Find<QComboBox>(d, "PortComboBox");
        port->setEditText("/dev/tty");
        EXPECT_EQ(link.CommPort(), ptys->B());  // not yet
        EXPECT_TRUE(link.IsOpen());
        port->setEditText(QString::fromStdString(ptys->A()));
        emit port->lineEdit()->editingFinished();
        EXPECT_EQ(link.CommPort(), ptys->A());
        EXPECT_TRUE(link.IsOpen());
        port->setEditText(QString::fromStdString(dir.File("missing")));
        emit port->lineEdit()->editingFinished();
        EXPECT_FALSE(link.IsOpen());
        EXPECT_EQ(Find<QLabel>(d, "lbStatus")->text(), "Not connected (No such file or directory)");
        return Click(d, "OKBtn");
    });
    EXPECT_EQ(link.CommPort(), dir.File("missing"));
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(CommDlgTest, ModbusOverTcpCancelledRestoresTheRoadAndConfirmedClosesThePort) {
    Setup([&](QDialog& d) {
        Find<QCheckBox>(d, "cbxTALVOComm")->click();
        EXPECT_TRUE(settings.UseModbusTcp);
        EXPECT_FALSE(Find<QComboBox>(d, "PortComboBox")->isEnabled());
        EXPECT_TRUE(Find<QLineEdit>(d, "edtTALVOIP")->isEnabled());
        Find<QLineEdit>(d, "edtTALVOIP")->setText("192.168.100.2001");
        Find<QLineEdit>(d, "edtTALVOPort")->setText("70000");
        EXPECT_EQ(settings.TcpAddress, "192.168.100.200");  // 15 characters
        EXPECT_EQ(settings.TcpPort, 502);
        Find<QLineEdit>(d, "edtTALVOPort")->setText("x");
        EXPECT_EQ(settings.TcpPort, 502);
        Find<QLineEdit>(d, "edtTALVOPort")->setText("5020");
        EXPECT_EQ(settings.TcpPort, 5020);
        return Click(d, "CancelBtn");
    });
    EXPECT_FALSE(settings.UseModbusTcp);
    EXPECT_EQ(settings.TcpAddress, "10.0.0.5");
    EXPECT_EQ(settings.TcpPort, 1502);
    EXPECT_TRUE(link.IsOpen());

    Setup([&](QDialog& d) {
        Find<QCheckBox>(d, "cbxTALVOComm")->click();
        return Click(d, "OKBtn");
    });
    EXPECT_TRUE(settings.UseModbusTcp);
    EXPECT_FALSE(link.IsOpen());
    // Shown with Modbus TCP on, the dialog leaves the serial port closed.
    Setup([&](QDialog& d) {
        EXPECT_EQ(Find<QLabel>(d, "lbStatus")->text(), "Not connected");
        return Click(d, "CancelBtn");
    });
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(CommDlgTest, APortThatCannotBeConfiguredShowsItsErrorAndNotConnected) {
    Setup([&](QDialog& d) {
        auto* port = Find<QComboBox>(d, "PortComboBox");
        port->setEditText("/dev/null");  // opens, but is no terminal
        emit port->lineEdit()->editingFinished();
        EXPECT_FALSE(link.IsOpen());
        EXPECT_EQ(Find<QLabel>(d, "lbStatus")->text(), "Not connected (Unable to set com state: 25)");
        return Click(d, "CancelBtn");
    });
    ASSERT_FALSE(prompts.Log.empty());
    EXPECT_EQ(prompts.Log[0].Kind, "MessageBox");
    EXPECT_EQ(prompts.Log[0].Caption, "Error");
    EXPECT_FALSE(prompts.Log[0].Text.empty());
    EXPECT_TRUE(link.IsOpen());  // the restored port
}

TEST_F(CommDlgTest, APortAnotherProgramHoldsIsShownBusy) {
    TRsdHan other;
    other.SetCommPort(ptys->A());
    ASSERT_EQ(other.Open(), TRsdHan::kOpenOk);
    Setup([&](QDialog& d) {
        auto* port = Find<QComboBox>(d, "PortComboBox");
        port->setEditText(QString::fromStdString(ptys->A()));
        emit port->lineEdit()->editingFinished();
        EXPECT_FALSE(link.IsOpen());
        EXPECT_EQ(Find<QLabel>(d, "lbStatus")->text(), "Not connected (busy, locked by another program)");
        return Click(d, "CancelBtn");
    });
}

TEST_F(CommDlgTest, ASpeedTheListLacksIsKept) {
    link.SetBaudRate(br115200);
    Setup([&](QDialog& d) {
        EXPECT_EQ(Find<QComboBox>(d, "SpeedComboBox")->currentIndex(), -1);
        auto* port = Find<QComboBox>(d, "PortComboBox");
        port->setEditText(QString::fromStdString(ptys->A()));
        emit port->lineEdit()->editingFinished();
        return Click(d, "OKBtn");
    });
    EXPECT_EQ(link.BaudRate(), br115200);
    EXPECT_TRUE(link.IsOpen());
}

}  // namespace
}  // namespace app::test
