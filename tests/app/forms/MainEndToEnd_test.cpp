// The program's road from "halvo.ini" to a saved document: the Vesk simulator serves the
// sample's inputs on a socat pty pair or over Modbus TCP; the frame reads its settings,
// "&New", "Write/Read", "Reading", "Save As..." write the reading, and the file holds the
// simulator's identification, parameter sets and events at their places.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <memory>

#include "app/device/Halvobase.h"
#include "platform/qt/QtWaiter.h"
#include "tests/app/forms/MainFixture.h"
#include "tests/support/PeerProcess.h"

namespace app::test {
namespace {

enum class TRoad { Rtu, Tcp };

const std::string kInputs = std::string(HALVO_TEST_DATA) + "/../../../data/sample/";

std::string Bytes(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(platform::ReadWholeFile(path, bytes)) << path;
    return bytes;
}

class MainEndToEnd : public MainFormTest, public testing::WithParamInterface<TRoad> {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        std::vector<std::string> args{HALVO_BIN_DIR "/vesk_sim",
                                      "--dump",
                                      Path("dump.bin"),
                                      "--ident",
                                      Ident(),
                                      "--parset1",
                                      kInputs + "parset1.bin",
                                      "--parset2",
                                      kInputs + "parset2.bin",
                                      "--events",
                                      kInputs + "events.bin"};
        if (GetParam() == TRoad::Rtu) {
            Ptys = std::make_unique<peers::TSocatPtyPair>(FDir);
            ASSERT_TRUE(Ptys->Ready()) << "socat made no pty pair";
            args.insert(args.end(), {"--rtu", Ptys->A()});
            Sim = std::make_unique<peers::TPeerProcess>(args);
            ASSERT_EQ(Sim->FirstLine(), "READY");
            // A read ends with its answer's frame; the wait only bounds an answer that
            // never comes, generous for a loaded machine.
            Write("halvo.ini",
                  "[Trevolan]\nPort=" + Ptys->B() + "\nSpeed=12\nTime_Out=1000\nTimeSilence=20\n");
        } else {
            args.push_back("--tcp");
            Sim = std::make_unique<peers::TPeerProcess>(args);
            const std::string line = Sim->FirstLine();
            ASSERT_TRUE(line.starts_with("PORT ")) << line;
            Write("halvo.ini", "[Trevolan]\nPort=\nTALVOComm=1\nTALVOIP=127.0.0.1\nTALVOPort=" +
                                   line.substr(5) + "\nTime_Out=1000\nTimeSilence=5\n");
        }
    }

    static std::string Ident() {
        std::string ident = Bytes(kInputs + "ident.txt");
        while (!ident.empty() && (ident.back() == '\n' || ident.back() == '\r')) ident.pop_back();
        return ident;
    }

    std::unique_ptr<peers::TSocatPtyPair> Ptys;
    std::unique_ptr<peers::TPeerProcess> Sim;
    platform::TQtWaiter Waiter;
    platform::TWaiterScope WaiterScope{Waiter};
};

TEST_P(MainEndToEnd, ANewReadingSavedHoldsTheDevicesBytes) {
    TMainForm& form = ShowForm();
    form.findChild<QAction*>("MF_New")->trigger();
    ASSERT_EQ(form.Children().size(), 1u);
    TChildForm& child = *form.ActiveChild();
    child.findChild<QTabWidget*>("Notebook1")->setCurrentIndex(2);
    auto* reading = child.findChild<QPushButton*>("Btn1");
    ASSERT_EQ(reading->text(), "Reading");
    QTest::mouseClick(reading, Qt::LeftButton);
    const std::string log = child.findChild<QPlainTextEdit*>("MemoMessage")->toPlainText().toStdString();
    ASSERT_FALSE(child.DeviceImage().ErrorFlag()) << log;

    Prompts.FileAnswers = {Path("read.halvo")};
    for (QAction* action : child.FileMenu()->actions())
        if (action->text() == "Save As...") action->trigger();
    ASSERT_TRUE(std::filesystem::exists(Path("read.halvo"))) << log;

    const std::string document = Bytes(Path("read.halvo"));
    ASSERT_EQ(document.size(), THalvo::kImageSize);
    THalvo saved;
    saved.SetDataDirectory(HALVO_BIN_DIR);
    ASSERT_TRUE(saved.LoadFromFile(Path("read.halvo")));
    EXPECT_EQ(saved.DeviceType(), 2);
    EXPECT_EQ(saved.GetUnitVersion(), "V3-SAMPL_E-2006-1");
    const std::string events = Bytes(kInputs + "events.bin");
    const std::string parset1 = Bytes(kInputs + "parset1.bin");
    const std::string parset2 = Bytes(kInputs + "parset2.bin");
    EXPECT_EQ(document.substr(THalvo::kEventsOffset, events.size()), events);
    EXPECT_EQ(saved.GetParset1Length(), parset1.size());
    EXPECT_EQ(document.substr(THalvo::kParset1Offset, parset1.size()), parset1);
    EXPECT_EQ(saved.GetParset2Length(), parset2.size());
    EXPECT_EQ(document.substr(THalvo::kParset2Offset, parset2.size()), parset2);
    // The window shows the reading it holds.
    EXPECT_EQ(child.EventLister().SequenceCount(), 3);
    EXPECT_EQ(child.windowTitle(), QString::fromStdString(Path("read.halvo")));
}

INSTANTIATE_TEST_SUITE_P(Roads, MainEndToEnd, testing::Values(TRoad::Rtu, TRoad::Tcp),
                         [](const testing::TestParamInfo<TRoad>& i) {
                             return i.param == TRoad::Rtu ? "Rtu" : "Tcp";
                         });

}  // namespace
}  // namespace app::test
