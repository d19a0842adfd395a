// The main window offscreen: its controls with none, one and a busy document, the
// scale box, the tool bar, new and open, closing, the configuration, help, the about
// box, the logo, the command line; the port on a socat pty.
#include "app/forms/Main.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "app/device/TransferGuard.h"
#include "app/forms/MainLogo.h"
#include "chart/Graph.h"
#include "platform/Profile.h"
#include "platform/UniqueFd.h"
#include "platform/qt/QtWaiter.h"
#include "tests/app/forms/MainFixture.h"
#include "tests/support/FullDisk.h"
#include "tests/support/PeerProcess.h"

namespace app::test {
namespace {

using platform::TRecordingHelp;

const char* const kDocumentButtons[] = {"btnSave",       "btnSaveAs",   "btnPrint",     "btnNormView",
                                        "btnEventsView", "btnListView", "btnGraphView", "btnGraphLegend"};

QAction* Action(QObject& form, const char* name) {
    auto* action = form.findChild<QAction*>(name);
    EXPECT_NE(action, nullptr) << name;
    return action;
}

QAction* MenuItem(QMenu& menu, const char* text) {
    for (QAction* action : menu.actions())
        if (action->text() == text) return action;
    ADD_FAILURE() << text;
    return nullptr;
}

std::vector<std::string> MenuTitles(QMainWindow& form) {
    std::vector<std::string> titles;
    for (QAction* action : form.menuBar()->actions()) titles.push_back(action->text().toStdString());
    return titles;
}

std::string LastLogLine(TChildForm& child) {
    const QStringList lines = child.findChild<QPlainTextEdit*>("MemoMessage")->toPlainText().split('\n');
    return lines.back().toStdString();
}

// --- Layout, hints, menus -----------------------------------------------------------------

TEST_F(MainFormTest, TheFrameHasItsCaptionHintsAndMenus) {
    TMainForm& form = MakeForm();
    EXPECT_EQ(form.windowTitle(), "HALVO service");
    struct THint {
        const char* Name;
        const char* Tip;
        const char* Status;
    };
    const THint hints[] = {{"btnLoad", "Open", "Load file"},
                           {"btnSave", "Save", "Save to file"},
                           {"btnSaveAs", "Save Ass...", "Save ass other name"},
                           {"btnPrint", "Print", "Print"},
                           {"btnGraphLegend", "Legend", "Legend"}};
    for (const THint& hint : hints) {
        auto* button = Find<QToolButton>(form, hint.Name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->toolTip(), hint.Tip) << hint.Name;
        EXPECT_EQ(button->statusTip(), hint.Status) << hint.Name;
    }
    auto* box = Find<QComboBox>(form, "cbXScale");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isEditable());
    EXPECT_EQ(box->insertPolicy(), QComboBox::NoInsert);
    ASSERT_EQ(box->count(), 10);
    EXPECT_EQ(box->itemText(0), "Fit");
    EXPECT_EQ(box->itemText(9), "5000");
    EXPECT_EQ(MenuTitles(form), (std::vector<std::string>{"&File", "Opt&ions", "Help", "Window"}));
    EXPECT_EQ(Action(form, "MF_New")->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(Action(form, "MF_Open")->statusTip(), "Open registration file");
    EXPECT_EQ(Action(form, "MF_Exit")->statusTip(), "Finish the programme");
    EXPECT_EQ(Action(form, "CommSetup")->text(), "Serial port");
    EXPECT_EQ(Action(form, "C1")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(Find<QStatusBar>(form, "StatusBar1")->findChild<QLabel*>("StatusPanel0")->width(), 200);

    // Each status tip goes to panel 0.
    QStatusTipEvent tip("Serial port configuration");
    QApplication::sendEvent(&form, &tip);
    EXPECT_EQ(form.findChild<QLabel*>("StatusPanel0")->text(), "Serial port configuration");
}

TEST_F(MainFormTest, AnActiveDocumentsFileMenuReplacesTheFramesAndItsGraphMenuFollows) {
    TMainForm& form = ShowForm();
    Action(form, "MF_New")->trigger();
    ASSERT_EQ(form.Children().size(), 1u);
    TChildForm& child = *form.Children().front();
    EXPECT_EQ(MenuTitles(form), (std::vector<std::string>{"&File", "&Graph", "Opt&ions", "Help", "Window"}));
    EXPECT_EQ(form.menuBar()->actions().front()->menu(), child.FileMenu());

    Form->Client().closeAllSubWindows();
    QApplication::processEvents();
    EXPECT_EQ(MenuTitles(form), (std::vector<std::string>{"&File", "Opt&ions", "Help", "Window"}));
    EXPECT_NE(form.menuBar()->actions().front()->menu()->findChild<QAction*>("MF_Exit"), nullptr);
}

// --- UpdateControls ------------------------------------------------------------------------

TEST_F(MainFormTest, TheDocumentCommandsFollowTheActiveDocumentAndItsTransfer) {
    TMainForm& form = ShowForm();
    const auto enabled = [&](const char* name) { return Find<QWidget>(form, name)->isEnabled(); };
    auto* box = Find<QComboBox>(form, "cbXScale");
    // None: only opening is possible; the box is empty and keeps its items.
    for (const char* name : kDocumentButtons) EXPECT_FALSE(enabled(name)) << name;
    EXPECT_TRUE(enabled("btnLoad"));
    EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(box->currentText(), "");
    EXPECT_EQ(box->count(), 10);

    // One.
    form.MF_NewClick();
    TChildForm& child = *form.ActiveChild();
    for (const char* name : kDocumentButtons) EXPECT_TRUE(enabled(name)) << name;
    EXPECT_TRUE(box->isEnabled());
    EXPECT_EQ(box->currentText(), "Fit");
    EXPECT_TRUE(MenuItem(*child.FileMenu(), "&Save")->isEnabled());
    EXPECT_TRUE(Action(form, "CommSetup")->isEnabled());

    // Its transfer runs: the commands rest, the port's options too.
    {
        TTransferGuard transfer(child.DeviceImage());
        ASSERT_TRUE(transfer.Held());
        form.UpdateControls();
        for (const char* name : kDocumentButtons) EXPECT_FALSE(enabled(name)) << name;
        EXPECT_FALSE(box->isEnabled());
        for (const char* item : {"&Save", "Save As...", "Print"})
            EXPECT_FALSE(MenuItem(*child.FileMenu(), item)->isEnabled()) << item;
        EXPECT_FALSE(Action(form, "CommSetup")->isEnabled());
        EXPECT_FALSE(PageButton(child, 2, "Btn1")->isEnabled());
        EXPECT_TRUE(PageButton(child, 2, "Btn3")->isEnabled());
    }
    form.UpdateControls();
    EXPECT_TRUE(enabled("btnSave"));
    EXPECT_TRUE(Action(form, "CommSetup")->isEnabled());

    // A transfer of another image: the port is still in use.
    THalvo other;
    {
        TTransferGuard transfer(other);
        form.UpdateControls();
        EXPECT_FALSE(Action(form, "CommSetup")->isEnabled());
        EXPECT_FALSE(PageButton(child, 2, "Btn1")->isEnabled());
    }
}

TEST_F(MainFormTest, WhileATransferRunsTheFrameStaysOpenAndAsksNoDocument) {
    TMainForm& form = ShowForm();
    form.MF_NewClick();
    TChildForm& child = *form.ActiveChild();
    child.DeviceImage().SetModified(true);
    {
        TTransferGuard transfer(child.DeviceImage());
        EXPECT_FALSE(form.close());
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.Children().size(), 1u);
        EXPECT_TRUE(Prompts.Log.empty());
    }
    Prompts.Answers = {platform::mrNo};
    EXPECT_TRUE(form.close());
    EXPECT_EQ(Prompts.Log.size(), 1u);
}

// A reading with no port, under the Qt waiter: the windows stay alive meanwhile, so a
// timer can act on them while the reading waits.
class ReadingTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        // A port whose device never answers: the reading waits.
        Ptys = std::make_unique<peers::TSocatPtyPair>(FDir);
        ASSERT_TRUE(Ptys->Ready());
        Write("halvo.ini", "[Trevolan]\nPort=" + Ptys->B() + "\nTime_Out=300\nTimeSilence=300\n");
        ShowForm();
        Form->MF_NewClick();
        Child = Form->ActiveChild();
    }
    // Presses "Reading"; during the reading the timer runs action.
    void ReadWhile(std::function<void()> action) {
        QTimer::singleShot(50, Form.get(), [this, action] {
            ReadingSeen = Child->DeviceImage().IsReading();
            action();
        });
        QTest::mouseClick(PageButton(*Child, 2, "Btn1"), Qt::LeftButton);
        EXPECT_TRUE(ReadingSeen);
        EXPECT_FALSE(Child->DeviceImage().IsReading());
        EXPECT_EQ(LastLogLine(*Child), "Reading canceled");
    }

    std::unique_ptr<peers::TSocatPtyPair> Ptys;
    platform::TQtWaiter Waiter;
    platform::TWaiterScope WaiterScope{Waiter};
    TChildForm* Child = nullptr;
    bool ReadingSeen = false;
};

TEST_F(ReadingTest, ACancelClickedDuringAReadingEndsIt) {
    bool portOptionsEnabled = true, cancelEnabled = false;
    ReadWhile([&] {
        portOptionsEnabled = Action(*Form, "CommSetup")->isEnabled();
        auto* cancel = Child->findChild<QPushButton*>("Btn3");
        cancelEnabled = cancel->isEnabled();
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    EXPECT_FALSE(portOptionsEnabled);
    EXPECT_TRUE(cancelEnabled);
    EXPECT_TRUE(Action(*Form, "CommSetup")->isEnabled());
}

TEST_F(ReadingTest, ClosingTheFrameDuringAReadingCancelsItAndTheFrameStays) {
    bool closed = true;
    ReadWhile([&] { closed = Form->close(); });
    EXPECT_FALSE(closed);
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Form->Children().size(), 1u);
}

// --- Scale box -----------------------------------------------------------------------------

TEST_F(MainFormTest, ActivationPutsFitOrTheChartsScaleIntoTheBox) {
    TMainForm& form = ShowForm();
    form.MF_NewClick();
    TChildForm& first = *form.ActiveChild();
    form.MF_NewClick();
    TChildForm& second = *form.ActiveChild();
    first.Chart().SetScaleX(200);
    first.Chart().SetAutoscale(false);
    auto* box = Find<QComboBox>(form, "cbXScale");
    EXPECT_EQ(box->currentText(), "Fit");

    form.Client().setActiveSubWindow(form.Client().subWindowList().front());
    EXPECT_EQ(form.ActiveChild(), &first);
    EXPECT_EQ(box->currentText(), "200");
    form.Client().setActiveSubWindow(form.Client().subWindowList().back());
    EXPECT_EQ(form.ActiveChild(), &second);
    EXPECT_EQ(box->currentText(), "Fit");
    // Putting the text in applies nothing.
    EXPECT_TRUE(second.Chart().Autoscale());
    EXPECT_EQ(first.Chart().ScaleX(), 200);
}

TEST_F(MainFormTest, ATypedScaleAppliesAtEnterAndAnItemAtOnce) {
    TMainForm& form = ShowForm();
    form.MF_NewClick();
    chart::TGraph& chart = form.ActiveChild()->Chart();
    auto* box = Find<QComboBox>(form, "cbXScale");
    struct TRow {
        const char* Typed;
        bool Auto;
        int Scale;  // when not Auto
    };
    const TRow rows[] = {
        {"20", false, 20}, {"5", true, 0}, {"60000", true, 0}, {"x", true, 0}, {"30000", false, 30000}};
    for (const TRow& row : rows) {
        chart.SetScaleX(300);
        chart.SetAutoscale(false);
        box->lineEdit()->clear();
        QTest::keyClicks(box->lineEdit(), row.Typed);
        // Still typing: nothing yet.
        EXPECT_FALSE(chart.Autoscale()) << row.Typed;
        EXPECT_EQ(chart.ScaleX(), 300) << row.Typed;
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(chart.Autoscale(), row.Auto) << row.Typed;
        if (row.Auto) {
            EXPECT_EQ(box->currentText(), "Fit") << row.Typed;
        } else {
            EXPECT_EQ(chart.ScaleX(), row.Scale) << row.Typed;
        }
    }
    // Emptied: nothing changes.
    box->lineEdit()->clear();
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(chart.ScaleX(), 30000);

    // An item chosen applies at once; "Fit" is the automatic scale.
    box->setCurrentIndex(box->findText("1000"));
    EXPECT_FALSE(chart.Autoscale());
    EXPECT_EQ(chart.ScaleX(), 1000);
    box->setCurrentIndex(0);
    EXPECT_TRUE(chart.Autoscale());
}

// --- Tool bar ------------------------------------------------------------------------------

TEST_F(MainFormTest, TheToolBarWorksOnTheActiveDocument) {
    TMainForm& form = ShowForm();
    form.OpenDialogFileName = Sample("a.halvo");
    form.MF_OpenClick(false);
    TChildForm& child = *form.ActiveChild();
    const std::pair<const char*, int> views[] = {
        {"btnEventsView", 1}, {"btnListView", 3}, {"btnGraphView", 2}, {"btnNormView", 0}};
    for (const auto& [name, mode] : views) {
        QTest::mouseClick(Find<QToolButton>(form, name), Qt::LeftButton);
        EXPECT_EQ(child.ViewMode, mode) << name;
    }

    // Printing from the tool bar takes the document's flags and shows no dialog.
    int modals = 0;
    OnModal = [&](QDialog&) { return ++modals, int(QDialog::Rejected); };
    QTest::mouseClick(Find<QToolButton>(form, "btnPrint"), Qt::LeftButton);
    EXPECT_EQ(modals, 0);
    EXPECT_FALSE(form.HasPageDialog());
    ASSERT_EQ(Printer->Jobs.size(), 2u);
    EXPECT_EQ(Printer->Jobs[0].Title, "a.halvo-Sequence 1-Listing");
    EXPECT_EQ(Printer->Jobs[1].Title, "a.halvo-Sequence 1-Route");

    QTest::mouseClick(Find<QToolButton>(form, "btnGraphLegend"), Qt::LeftButton);
    EXPECT_EQ(child.Chart().PrintTitle, "Legend");

    // Save: the document's own name.
    child.DeviceImage().SetModified(true);
    QTest::mouseClick(Find<QToolButton>(form, "btnSave"), Qt::LeftButton);
    EXPECT_FALSE(child.DeviceImage().Modified());
    // Save As: the frame's save dialog, on the document's name.
    Prompts.FileAnswers = {std::nullopt};
    QTest::mouseClick(Find<QToolButton>(form, "btnSaveAs"), Qt::LeftButton);
    ASSERT_EQ(Prompts.Log.size(), 1u);
    EXPECT_EQ(Prompts.Log[0].Kind, "SaveFileName");
    EXPECT_EQ(Prompts.Log[0].Filter, "Registration file|*.halvo|All files|*.*");
    EXPECT_EQ(Prompts.Log[0].FilterIndex, 1);
    EXPECT_EQ(Prompts.Log[0].Initial, "a.halvo");
}

// --- New, open, close ----------------------------------------------------------------------

TEST_F(MainFormTest, NewDocumentsAreNumberedSkippingExistingFiles) {
    TMainForm& form = ShowForm();
    Action(form, "MF_New")->trigger();
    Action(form, "MF_New")->trigger();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"File 1", "File 2"}));
    EXPECT_EQ(form.Children().back()->FileName, "File 2.halvo");

    // With every window closed counting starts again, past the files that exist.
    form.Client().closeAllSubWindows();
    QApplication::processEvents();
    ASSERT_TRUE(form.Children().empty());
    Write("File 1.halvo", "x");
    Action(form, "MF_New")->trigger();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"File 2"}));
}

TEST_F(MainFormTest, OpeningRunsTheOpenDialogOnTheLastName) {
    TMainForm& form = ShowForm();
    Prompts.FileAnswers = {Path(Sample("a.halvo")), std::nullopt};
    QTest::mouseClick(Find<QToolButton>(form, "btnLoad"), Qt::LeftButton);
    ASSERT_EQ(Captions(), (std::vector<std::string>{Path("a.halvo")}));
    EXPECT_EQ(form.ActiveChild()->EventLister().SequenceCount(), 3);
    Action(form, "MF_Open")->trigger();  // cancelled
    EXPECT_EQ(form.Children().size(), 1u);
    ASSERT_EQ(Prompts.Log.size(), 2u);
    EXPECT_EQ(Prompts.Log[0].Kind, "OpenFileName");
    EXPECT_EQ(Prompts.Log[0].Filter, "Registration file|*.halvo|All files|*.*");
    EXPECT_EQ(Prompts.Log[0].Initial, "");
    EXPECT_EQ(Prompts.Log[1].Initial, Path("a.halvo"));
}

// A document that cannot be read, from the dialog or from the command line: one box names
// the file and why, and no window is left that could pass for an empty document. The
// command line takes names in lower case; the dialog takes /dev/null itself.
TEST_F(MainFormTest, ADocumentThatCannotBeReadIsToldAndLeavesNoWindow) {
    ::chmod(FDir.c_str(), 0755);
    Write("secret.halvo", "x");
    ::chmod(Path("secret.halvo").c_str(), 0600);
    Write("empty.halvo", "");
    ASSERT_EQ(::mkfifo(Path("fifo.halvo").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/null", Path("device.halvo"));
    struct Case {
        std::string name;
        const char* reason;
        bool unprivileged;
    };
    const Case cases[] = {{"secret.halvo", "Permission denied", true},
                          {"empty.halvo", "the file is empty", false},
                          {"fifo.halvo", "not a regular file", false},
                          {"device.halvo", "not a regular file", false},
                          {"/dev/null", "not a regular file", false}};
    ShowForm();
    for (const Case& c : cases) {
        for (const bool fromDialog : {true, false}) {
            if (!fromDialog && c.name.starts_with("/")) continue;
            SCOPED_TRACE(c.name + (fromDialog ? " from the dialog" : " from the command line"));
            const std::string path = c.name.starts_with("/") ? c.name : Path(c.name);
            // The frame before goes as root: it writes "halvo.ini" as it ends.
            if (!fromDialog) Form.reset();
            Prompts.Log.clear();
            {
                std::optional<platform_test::TUnprivilegedScope> user;
                if (c.unprivileged) {
                    user.emplace();
                    ASSERT_TRUE(user->Dropped()) << user->Why();
                }
                if (fromDialog) {
                    Prompts.FileAnswers = {path};
                    Action(*Form, "MF_Open")->trigger();
                } else {
                    MakeForm({c.name});
                    Form->show();
                    QApplication::processEvents();
                }
            }
            EXPECT_TRUE(Form->Children().empty());
            std::vector<std::string> boxes;
            for (const auto& shown : Prompts.Log)
                if (shown.Kind != "OpenFileName") boxes.push_back(shown.Text);
            EXPECT_EQ(boxes, std::vector<std::string>{"File " + (fromDialog ? path : c.name) +
                                                      " could not be read: " + c.reason});
        }
    }
}

// A name the open dialog gives that does not exist: only a Yes makes an empty document of
// that name; No goes back to the dialog.
TEST_F(MainFormTest, TheOpenDialogOffersToCreateAMissingFile) {
    TMainForm& form = ShowForm();
    const std::string missing = Path("mistyped.halvo");
    Prompts.FileAnswers = {missing, std::nullopt};
    Prompts.Answers = {platform::mrNo};
    Action(form, "MF_Open")->trigger();
    EXPECT_TRUE(form.Children().empty());
    ASSERT_EQ(Prompts.Log.size(), 3u);
    EXPECT_EQ(Prompts.Log[1].Text, "File " + missing + " does not exist.\nCreate it?");
    EXPECT_EQ(Prompts.Log[1].Buttons, platform::mbYes | platform::mbNo);
    EXPECT_EQ(Prompts.Log[2].Kind, "OpenFileName");
    EXPECT_EQ(Prompts.Log[2].Initial, missing);

    Prompts.Log.clear();
    Prompts.FileAnswers = {missing};
    Prompts.Answers = {platform::mrYes};
    Action(form, "MF_Open")->trigger();
    ASSERT_EQ(Captions(), std::vector<std::string>{missing});
    EXPECT_EQ(Prompts.Log.size(), 2u);
    TChildForm& child = *form.Children().front();
    EXPECT_TRUE(child.HasFileName);
    EXPECT_EQ(child.FileName, missing);
    EXPECT_FALSE(std::filesystem::exists(missing));
    child.FileSaveClick();
    EXPECT_EQ(std::filesystem::file_size(missing), THalvo::kImageSize);
}

TEST_F(MainFormTest, ClosingAsksEveryModifiedDocumentAndOneCancelKeepsThemAll) {
    TMainForm& form = ShowForm();
    form.MF_NewClick();
    form.MF_NewClick();
    form.MF_NewClick();
    form.Children()[0]->DeviceImage().SetModified(true);
    form.Children()[2]->DeviceImage().SetModified(true);

    Prompts.Answers = {platform::mrNo, platform::mrCancel};
    Action(form, "MF_Exit")->trigger();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Children().size(), 3u);
    ASSERT_EQ(Prompts.Texts(), (std::vector<std::string>{"File File 1.halvo was modified\nSave changes?",
                                                         "File File 3.halvo was modified\nSave changes?"}));

    Prompts.Log.clear();
    Prompts.Answers = {platform::mrNo, platform::mrNo};
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Prompts.Log.size(), 2u);
    // The windows go with the frame without being asked again.
    Form.reset();
    EXPECT_EQ(Prompts.Log.size(), 2u);
}

// --- Configuration -------------------------------------------------------------------------

TEST_F(MainFormTest, TheConfigurationReachesTheLinkAtStartAndIsWrittenAtTheEnd) {
    Write("halvo.ini",
          "[Trevolan]\nPort=3\nSpeed=12\nTime_Out=700\nTimeSilence=40\nTALVOComm=1\n"
          "TALVOIP=192.168.100.200\nTALVOPort=1502\n");
    TMainForm& form = MakeForm();
    EXPECT_EQ(form.Section(), "Trevolan");
    EXPECT_EQ(form.Link().CommPort(), "COM3");
    EXPECT_EQ(form.Link().BaudRate(), br115200);
    // Before the options dialog was ever confirmed.
    EXPECT_EQ(form.Link().ReadTotalTimeoutConstant(), 700);
    EXPECT_EQ(form.Link().SilenceTime(), 40);
    const TLinkSettings s = CurrentLinkSettings();
    EXPECT_TRUE(s.TALVOComm);
    EXPECT_EQ(s.TALVOIP, "192.168.100.200");
    EXPECT_EQ(s.TALVOPort, 1502);
    EXPECT_EQ(s.TimeOut, 700);
    EXPECT_EQ(s.TimeSilence, 40);
    EXPECT_EQ(s.SerialLink, &form.Link());
    EXPECT_EQ(form.DataDirectory(), HALVO_BIN_DIR);

    form.Link().SetCommPort("/dev/ttyUSB0");
    Form.reset();
    EXPECT_EQ(CurrentLinkSettings().SerialLink, nullptr);
    const platform::TProfileFile ini(Path("halvo.ini"));
    EXPECT_EQ(ini.ReadString("Trevolan", "Port", ""), "/dev/ttyUSB0");
    EXPECT_EQ(ini.ReadString("Trevolan", "Speed", ""), "12");
    EXPECT_EQ(ini.ReadString("Trevolan", "Time_Out", ""), "700");
    EXPECT_EQ(ini.ReadString("Trevolan", "TimeSilence", ""), "40");
    EXPECT_EQ(ini.ReadString("Trevolan", "TALVOComm", ""), "1");
    EXPECT_EQ(ini.ReadString("Trevolan", "TALVOIP", ""), "192.168.100.200");
    EXPECT_EQ(ini.ReadString("Trevolan", "TALVOPort", ""), "1502");
}

// Options confirmed with Modbus TCP at 10.1.2.3, then the program ends where "halvo.ini"
// cannot be written: the old file stays whole and the user is told which file and why.
TEST_F(MainFormTest, SettingsThatCannotBeWrittenAtExitAreTold) {
    struct Case {
        const char* name;
        const char* reason;
    };
    for (const Case& c :
         {Case{"read-only folder", "Permission denied"}, Case{"full disk", "No space left on device"}}) {
        SCOPED_TRACE(c.name);
        const std::string windir = Path(c.name);
        std::filesystem::create_directories(windir);
        ::setenv("HALVO_WINDIR", windir.c_str(), 1);
        const std::string old = "[Trevolan]\nPort=\nTALVOIP=127.0.0.1\n";
        ASSERT_TRUE(platform::WriteFileAtomic(windir + "/halvo.ini", old));
        std::optional<platform_test::TFullDisk> disk;
        if (std::string_view(c.name) == "full disk") {
            disk.emplace(windir);
            if (!disk->Mounted()) GTEST_SKIP() << disk->Why();
            ASSERT_TRUE(platform::WriteFileAtomic(windir + "/halvo.ini", old));
            disk->Fill();
        } else {
            // The user's own file in a folder the user may not write.
            ::chmod(FDir.c_str(), 0755);
            if (::geteuid() == 0) {
                ASSERT_EQ(::chown((windir + "/halvo.ini").c_str(), 65534, 65534), 0);
            }
            ::chmod(windir.c_str(), 0555);
        }
        TMainForm& form = ShowForm();
        OnModal = [](QDialog& d) {
            d.findChild<QCheckBox*>("cbxTALVOComm")->click();
            d.findChild<QLineEdit*>("edtTALVOIP")->setText("10.1.2.3");
            d.findChild<QPushButton*>("OKBtn")->click();
            return d.result();
        };
        Action(form, "CommSetup")->trigger();
        Prompts.Log.clear();
        if (disk) {
            Form.reset();
        } else {
            // As an ordinary user: root could write into the read-only folder.
            const platform_test::TUnprivilegedScope user;
            ASSERT_TRUE(user.Dropped()) << user.Why();
            Form.reset();
        }
        ASSERT_EQ(Prompts.Log.size(), 1u);
        EXPECT_EQ(Prompts.Log[0].Text,
                  "The settings could not be saved to " + windir + "/halvo.ini: " + std::string(c.reason));
        EXPECT_EQ(Prompts.Log[0].Type, platform::TMsgDlgType::Error);
        std::string bytes;
        ASSERT_TRUE(platform::ReadWholeFile(windir + "/halvo.ini", bytes));
        EXPECT_EQ(bytes, old);
        ::chmod(windir.c_str(), 0755);
    }
    ::setenv("HALVO_WINDIR", FDir.c_str(), 1);
}

TEST_F(MainFormTest, WithoutAnIniFileTheDefaultsAreUsedAndAllSevenKeysWritten) {
    std::filesystem::remove(Path("halvo.ini"));
    TMainForm& form = MakeForm();
    EXPECT_EQ(form.Link().CommPort(), "COM1");
    EXPECT_EQ(form.Link().BaudRate(), br9600);
    EXPECT_EQ(form.Link().ReadTotalTimeoutConstant(), 500);
    EXPECT_EQ(form.Link().SilenceTime(), 300);
    EXPECT_FALSE(CurrentLinkSettings().TALVOComm);
    Form.reset();
    EXPECT_EQ(Read("halvo.ini"),
              "[Trevolan]\r\nTALVOComm=0\r\nTALVOIP=127.0.0.1\r\nTALVOPort=502\r\nPort=COM1\r\n"
              "Speed=6\r\nTime_Out=500\r\nTimeSilence=300\r\n");
    EXPECT_EQ(Help.Requests, (std::vector<TRecordingHelp::TRequest>{{TRecordingHelp::TKind::Quit}}));
}

// --- Help, about, tile ---------------------------------------------------------------------

TEST_F(MainFormTest, HelpAsksTheFocusedNotebookPagesContextOrTheContents) {
    TMainForm& form = ShowForm();
    QAction* help = Action(form, "C1");
    help->trigger();
    form.MF_NewClick();
    TChildForm& child = *form.ActiveChild();
    auto* notebook = child.findChild<QTabWidget*>("Notebook1");
    const std::pair<int, const char*> pages[] = {{0, "EventsListBox"}, {1, "ZnsGrid"}, {2, "SpinSlaveNo"}};
    for (const auto& [page, control] : pages) {
        notebook->setCurrentIndex(page);
        child.findChild<QWidget*>(control)->setFocus();
        help->trigger();
    }
    PageButton(child, 2, "Btn1")->setFocus();
    help->trigger();
    using K = TRecordingHelp::TKind;
    EXPECT_EQ(Help.Requests,
              (std::vector<TRecordingHelp::TRequest>{
                  {K::Contents}, {K::Context, 10}, {K::Context, 134}, {K::Context, 6}, {K::Context, 0}}));
}

TEST_F(MainFormTest, AboutShowsTheAboutBoxModally) {
    TMainForm& form = MakeForm();
    QString caption, line, button;
    OnModal = [&](QDialog& dialog) {
        caption = dialog.windowTitle();
        line = dialog.findChild<QLabel*>()->text();
        button = dialog.findChild<QPushButton*>()->text();
        return int(QDialog::Accepted);
    };
    Action(form, "Oprogramie1")->trigger();
    EXPECT_EQ(caption, "Informacje");
    EXPECT_EQ(line, "Program for unit type VESK-2 i VESK-3 ");
    EXPECT_EQ(button, "OK");
}

TEST_F(MainFormTest, TileLaysTheDocumentsSideBySide) {
    TMainForm& form = ShowForm();
    form.MF_NewClick();
    form.MF_NewClick();
    Action(form, "ile1")->trigger();
    const QList<QMdiSubWindow*> windows = form.Client().subWindowList();
    ASSERT_EQ(windows.size(), 2);
    EXPECT_FALSE(windows[0]->geometry().intersects(windows[1]->geometry()));
}

// Every document window lies inside the visible client area; its document fills it.
void ExpectInsideTheArea(TMainForm& form) {
    QApplication::processEvents();
    const QRect area = form.Client().viewport()->rect();
    for (QMdiSubWindow* sub : form.Client().subWindowList()) {
        EXPECT_TRUE(area.contains(sub->geometry()))
            << sub->windowTitle().toStdString() << " at " << sub->x() << "," << sub->y() << " "
            << sub->width() << "x" << sub->height() << " in " << area.width() << "x" << area.height();
        EXPECT_TRUE(sub->contentsRect().contains(sub->widget()->geometry()))
            << sub->windowTitle().toStdString();
    }
}

TEST_F(MainFormTest, NewAndOpenedDocumentsCascadeFromTheTopLeftInsideTheArea) {
    TMainForm& form = ShowForm();
    form.OpenDialogFileName = Sample("a.halvo");
    form.MF_OpenClick(false);
    for (int i = 0; i < 8; ++i) form.MF_NewClick();
    form.MF_OpenClick(false);
    ExpectInsideTheArea(form);
    const QList<QMdiSubWindow*> windows = form.Client().subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(windows.size(), 10);
    EXPECT_EQ(windows[0]->pos(), QPoint(0, 0));
    // Each one a step down and right of the one before, until the next would not fit.
    EXPECT_GT(windows[1]->x(), 0);
    EXPECT_EQ(windows[1]->x(), windows[1]->y());
    for (int i = 2; i < windows.size(); ++i) {
        if (windows[i]->x() != 0) {
            EXPECT_EQ(windows[i]->pos(), windows[i - 1]->pos() + windows[1]->pos()) << i;
        }
    }
    EXPECT_FALSE(form.Client().horizontalScrollBar()->isVisible());
    EXPECT_FALSE(form.Client().verticalScrollBar()->isVisible());

    // A frame smaller than a document window: the windows shrink to the area.
    form.Client().closeAllSubWindows();
    form.resize(500, 400);
    QApplication::processEvents();
    form.MF_NewClick();
    form.MF_OpenClick(false);
    ExpectInsideTheArea(form);
}

TEST_F(MainFormTest, TileLaysEveryDocumentInsideTheArea) {
    TMainForm& form = ShowForm();
    form.OpenDialogFileName = Sample("a.halvo");
    for (const int count : {4, 9}) {
        form.Client().closeAllSubWindows();
        form.MF_OpenClick(false);
        while (static_cast<int>(form.Children().size()) < count) form.MF_NewClick();
        Action(form, "ile1")->trigger();
        ExpectInsideTheArea(form);
        const QList<QMdiSubWindow*> windows = form.Client().subWindowList();
        for (int i = 0; i < windows.size(); ++i)
            for (int j = i + 1; j < windows.size(); ++j)
                EXPECT_FALSE(windows[i]->geometry().intersects(windows[j]->geometry()))
                    << count << ": " << i << "," << j;
    }
}

// --- Logo ----------------------------------------------------------------------------------

// The client area's pixels at the logo: the background ANDed with the mask, ORed with
// the picture; near the bottom, following the frame's height.
TEST_F(MainFormTest, TheLogoIsCompositedOnTheBackgroundAndFollowsTheFramesHeight) {
    TMainForm& form = ShowForm();
    const QImage mask = form.Client().LogoMask();
    const QImage picture = form.Client().LogoPicture();
    ASSERT_FALSE(mask.isNull());
    ASSERT_EQ(mask.size(), picture.size());
    const QRgb background = form.Client().background().color().rgb();
    for (const int height : {640, 560}) {
        form.resize(900, height);
        QApplication::processEvents();
        const QImage shown = form.Client().viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const TLogoOrigin at = LogoOrigin(form.height(), mask.height());
        ASSERT_LE(at.Y + mask.height(), shown.height());
        int differing = 0, picturePixels = 0;
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x) {
                const QRgb expected = (background & mask.pixel(x, y)) | picture.pixel(x, y);
                differing += shown.pixel(at.X + x, at.Y + y) != expected;
                picturePixels += (picture.pixel(x, y) & 0xFFFFFF) != 0;
            }
        EXPECT_EQ(differing, 0) << height;
        EXPECT_GT(picturePixels, 100);
        // Above the logo, the background alone.
        EXPECT_EQ(shown.pixel(at.X + 5, at.Y - 5), background);
    }
}

// --- Command line --------------------------------------------------------------------------

struct TCommandRow {
    const char* Name;
    std::vector<std::string> Params;
    std::vector<std::string> Captions;
    std::vector<std::pair<std::string, std::string>> Boxes;  // text, caption ("" text: any)
};

void PrintTo(const TCommandRow& row, std::ostream* os) {
    *os << row.Name;
}

class CommandLineTest : public MainFormTest, public testing::WithParamInterface<TCommandRow> {};

TEST_P(CommandLineTest, TheWindowsAndBoxesOfTheCommandLine) {
    Sample("a.halvo");
    Sample("B.HALVO");
    std::filesystem::create_directories(Path("Ev-Data"));
    std::filesystem::copy_file(std::string(HALVO_TEST_DATA) + "/../../../data/sample/events.bin",
                               Path("Ev-Data/EV.BIN"));
    std::filesystem::copy_file(std::string(HALVO_TEST_DATA) + "/../../../data/sample/parset1.bin",
                               Path("p1.bin"));
    std::filesystem::copy_file(Path("Ev-Data/EV.BIN"), Path("ev.bin"));
    ShowForm(GetParam().Params);
    EXPECT_EQ(Captions(), GetParam().Captions);
    std::vector<std::pair<std::string, std::string>> boxes;
    for (const auto& shown : Prompts.Log) {
        EXPECT_EQ(shown.Kind, "MessageBox");
        boxes.emplace_back(shown.Text, shown.Caption);
    }
    ASSERT_EQ(boxes.size(), GetParam().Boxes.size());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (!GetParam().Boxes[i].first.empty()) {
            EXPECT_EQ(boxes[i].first, GetParam().Boxes[i].first);
        }
        EXPECT_EQ(boxes[i].second, GetParam().Boxes[i].second);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandLineTest,
    testing::Values(
        TCommandRow{"TwoDocuments", {"a.halvo", "B.HALVO"}, {"a.halvo", "B.HALVO"}, {}},
        TCommandRow{"MissingDocumentEndsTheScan",
                    {"x.halvo", "-buffile", "ev.bin"},
                    {},
                    {{"file: x.halvodoes not exists", "Error"}}},
        TCommandRow{"MissingDocumentBetweenTwo",
                    {"a.halvo", "x.halvo", "b.halvo"},
                    {"a.halvo"},
                    {{"file: x.halvodoes not exists", "Error"}}},
        TCommandRow{"EventsBufferAndType", {"-buffile", "ev.bin", "-halvotype", "vesk3"}, {"ev.bin"}, {}},
        TCommandRow{"NameRunsToTheEnd", {"-halvotype", "vesk2", "-zns1file", "p1.bin"}, {"p1.bin"}, {}},
        TCommandRow{"NoFileOptionTakesANewName", {"-halvotype", "vesk2"}, {"File 1.halvo"}, {}},
        TCommandRow{"HelpText", {"-h"}, {"File 1.halvo"}, {{"", "Information:"}}},
        TCommandRow{"WordWithoutDash", {"word"}, {"File 1.halvo"}, {{"", "Error"}}},
        // Paths keep their case and a "-" inside them.
        TCommandRow{"MixedCasePathWithDash",
                    {"-BUFFILE", "Ev-Data/EV.BIN", "-HALVOTYPE", "VESK3"},
                    {"Ev-Data/EV.BIN"},
                    {}},
        TCommandRow{"UnreadableFile",
                    {"-buffile", "missing.bin", "-halvotype", "vesk3"},
                    {"missing.bin"},
                    {{"", "Error"}}}),
    [](const testing::TestParamInfo<TCommandRow>& i) { return std::string(i.param.Name); });

TEST_F(MainFormTest, TheCommandLineRunsOnceQueuedAfterTheFirstShow) {
    Sample("a.halvo");
    TMainForm& form = MakeForm({"a.halvo"});
    QApplication::processEvents();
    EXPECT_TRUE(form.Children().empty());
    form.show();
    EXPECT_TRUE(form.Children().empty());
    QApplication::processEvents();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"a.halvo"}));
    form.hide();
    form.show();
    QApplication::processEvents();
    form.ProcessCommandLine();
    EXPECT_EQ(form.Children().size(), 1u);
}

TEST_F(MainFormTest, ServiceInCapitalsSwitchesServiceModeForTheWindowsAfterIt) {
    Sample("a.halvo");
    Sample("b.halvo");
    TMainForm& form = MakeForm({"a.halvo", "SERVICE", "b.halvo"});
    EXPECT_FALSE(form.ServiceMode());
    form.show();
    QApplication::processEvents();
    ASSERT_EQ(form.Children().size(), 2u);
    EXPECT_TRUE(form.ServiceMode());
    EXPECT_TRUE(form.Children()[0]->findChild<QCheckBox*>("ChbTraceMessages")->isHidden());
    EXPECT_FALSE(form.Children()[1]->findChild<QCheckBox*>("ChbTraceMessages")->isHidden());
    // The creation-time check takes "service" exactly.
    Form.reset();
    EXPECT_TRUE(MakeForm({"service"}).ServiceMode());
}

// The frame refreshes every window's page buttons; each window shows the mode it was
// opened with, whatever the frame's is now.
TEST_F(MainFormTest, EachWindowKeepsTheServiceModeItWasOpenedWith) {
    Sample("a.halvo");
    Sample("b.halvo");
    TMainForm& form = ShowForm({"a.halvo", "SERVICE", "b.halvo"});
    ASSERT_EQ(form.Children().size(), 2u);
    TChildForm& a = *form.Children()[0];
    TChildForm& b = *form.Children()[1];
    const auto eventsPage = [](TChildForm& child) {
        PageButton(child, 2, "Btn1");
        const QPushButton* btn1 = PageButton(child, 0, "Btn1");
        return std::make_pair(!child.findChild<QFrame*>("Panel2")->isHidden(), btn1->text().toStdString());
    };
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(eventsPage(a), std::make_pair(false, std::string("Reading"))) << round;
        EXPECT_EQ(eventsPage(b), std::make_pair(true, std::string("HexList"))) << round;
        EXPECT_TRUE(a.findChild<QCheckBox*>("chbcorrectIOtimes")->isHidden());
        // Another window and its refresh of every window's buttons.
        form.MF_NewClick();
    }
    EXPECT_EQ(eventsPage(*form.Children().back()), std::make_pair(true, std::string("HexList")));
}

TEST_F(MainFormTest, AMixedCasePathIsReadAsGiven) {
    std::filesystem::create_directories(Path("Ev-Data"));
    std::filesystem::copy_file(std::string(HALVO_TEST_DATA) + "/../../../data/sample/events.bin",
                               Path("Ev-Data/EV.BIN"));
    TMainForm& form = ShowForm({"-BufFile", "Ev-Data/EV.BIN", "-HalvoType", "Vesk3"});
    ASSERT_EQ(form.Children().size(), 1u);
    TChildForm& child = *form.Children().front();
    EXPECT_EQ(child.DeviceImage().DeviceType(), 2);
    EXPECT_EQ(child.EventLister().SequenceCount(), 3);
    EXPECT_FALSE(child.DeviceImage().Modified());
}

// --- The port ------------------------------------------------------------------------------

class MainPeers : public MainFormTest {};

// Qt shows the frame again after minimising; the port opened at the first show stays.
TEST_F(MainPeers, ThePortOpensAtTheFirstShowOnly) {
    peers::TSocatPtyPair ptys(FDir);
    ASSERT_TRUE(ptys.Ready());
    Write("halvo.ini", "[Trevolan]\nPort=" + ptys.B() + "\nSpeed=12\n");
    TMainForm& form = MakeForm();
    int opened = 0;
    form.Link().OnOpen = [&] { ++opened; };
    EXPECT_FALSE(form.Link().IsOpen());
    form.show();
    EXPECT_TRUE(form.Link().IsOpen());
    form.showMinimized();
    QApplication::processEvents();
    form.showNormal();
    form.hide();
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(form.Link().IsOpen());
}

// The port is given back when the program ends. A pty keeps the exclusive hold while
// its other side stays open, as socat keeps it for the simulator, so without that the
// next start finds its own port "busy, held by another program". As an ordinary user,
// whom the hold binds: socat runs as that user too, so that the user may open the pty.
TEST_F(MainPeers, ThePortIsFreeForTheNextStartOnceTheProgramHasEnded) {
    namespace fs = std::filesystem;
    fs::permissions(FDir, fs::perms::all);
    const std::string a = Path("a"), b = Path("b");
    std::vector<std::string> socat{"socat", "pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b};
    if (::geteuid() == 0)
        socat.insert(socat.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    const peers::TPeerProcess pair(socat);
    ASSERT_TRUE(peers::WaitForPath(a, pair) && peers::WaitForPath(b, pair)) << "socat made no pty pair";
    Write("halvo.ini", "[Trevolan]\nPort=" + b + "\n");
    fs::permissions(Path("halvo.ini"), fs::perms::all);  // written back at each end
    const platform_test::TUnprivilegedScope user;
    ASSERT_TRUE(user.Why().empty()) << user.Why();
    for (int start = 1; start <= 2; ++start) {
        ShowForm();
        EXPECT_TRUE(Form->Link().IsOpen()) << "start " << start << ": " << Form->Link().FailReason();
        Form.reset();
    }
    const platform::TUniqueFd terminal(::open(b.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK));
    EXPECT_TRUE(terminal) << std::strerror(errno);
    for (const auto& shown : Prompts.Log) ADD_FAILURE() << shown.Text;
}

TEST_F(MainFormTest, APortThatCannotOpenLeavesTheProgramRunning) {
    Write("halvo.ini", "[Trevolan]\nPort=" + Path("no-such-tty") + "\n");
    TMainForm& form = ShowForm();
    EXPECT_FALSE(form.Link().IsOpen());
    EXPECT_EQ(form.Link().Status(), TRsdHan::kOpenFailed);
    form.MF_NewClick();
    EXPECT_EQ(form.Children().size(), 1u);
}

}  // namespace
}  // namespace app::test
