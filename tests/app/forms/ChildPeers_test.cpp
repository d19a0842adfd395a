// The document window's reading and writing against the Vesk simulator, over a socat pty
// pair through the serial link and over Modbus TCP through libtalvo.so.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "app/device/LinkSettings.h"
#include "app/link/RsdUnit.h"
#include "platform/Waiter.h"
#include "tests/app/device/ScriptedDevice.h"
#include "tests/app/forms/ChildFixture.h"
#include "tests/support/PeerProcess.h"

namespace app::test {
namespace {

constexpr int kParset2Field = 2432;  // register 2433

enum class TRoad { Rtu, Tcp };

std::string Text(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

// The device's events register: the events, then zeros to the end of its page.
Bytes Events() {
    Bytes events = kEvents;
    events.resize(250);
    return events;
}

class ChildPeerTest : public ChildTest, public testing::WithParamInterface<TRoad> {
protected:
    void SetUp() override {
        std::vector<std::string> args{HALVO_BIN_DIR "/vesk_sim",
                                      "--dump",
                                      Dir.File("dump.bin"),
                                      "--ident",
                                      "V3SIM-0123456789",
                                      "--parset1",
                                      Dir.Write("p1.bin", Text(Pattern(238, 1))),
                                      "--parset2",
                                      Dir.Write("p2.bin", Text(Pattern(238, 2))),
                                      "--events",
                                      Dir.Write("ev.bin", Text(Events()))};
        TLinkSettings s;
        if (GetParam() == TRoad::Rtu) {
            Ptys = std::make_unique<peers::TSocatPtyPair>(std::filesystem::path(Dir.File("")));
            ASSERT_TRUE(Ptys->Ready()) << "socat made no pty pair";
            args.insert(args.end(), {"--rtu", Ptys->A()});
            Sim = std::make_unique<peers::TPeerProcess>(args);
            ASSERT_EQ(Sim->FirstLine(), "READY");
            Link.SetCommPort(Ptys->B());
            Link.SetBaudRate(br115200);
            Link.SetReadTotalTimeoutConstant(400);
            ASSERT_EQ(Link.Open(), TRsdHan::kOpenOk);
            s.TimeSilence = 20;
            s.SerialLink = &Link;
        } else {
            args.push_back("--tcp");
            Sim = std::make_unique<peers::TPeerProcess>(args);
            const std::string line = Sim->FirstLine();
            ASSERT_TRUE(line.starts_with("PORT ")) << line;
            s.TALVOComm = true;
            s.TALVOIP = "127.0.0.1";
            s.TALVOPort = static_cast<uint16_t>(std::stoi(line.substr(5)));
            s.TimeOut = 1000;
            s.TimeSilence = 5;
        }
        Settings = std::make_unique<TFixedLinkSettings>(s);
        Scope = std::make_unique<TLinkSettingsScope>(*Settings);
    }
    void TearDown() override { Link.Close(); }

    // A window on its "Write/Read" page.
    TChildForm* ReadWindow() {
        TChildForm* child = Frame.NewWindow();
        Find<QTabWidget>(*child, "Notebook1")->setCurrentIndex(2);
        return child;
    }
    static QPushButton* Button(TChildForm& child, const char* name) { return Find<QPushButton>(child, name); }
    static std::string Log(TChildForm& child) {
        return Find<QPlainTextEdit>(child, "MemoMessage")->toPlainText().toStdString();
    }
    void SelectCommand(TChildForm& child, const char* text) {
        auto* outline = Find<QTreeWidget>(child, "cmdOutline");
        const auto items = outline->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(items.size(), 1);
        outline->setCurrentItem(items[0]);
    }

    std::unique_ptr<peers::TSocatPtyPair> Ptys;
    std::unique_ptr<peers::TPeerProcess> Sim;
    TRsdHan Link;
    std::unique_ptr<TFixedLinkSettings> Settings;
    std::unique_ptr<TLinkSettingsScope> Scope;
};

TEST_P(ChildPeerTest, ReadingFillsTheImageWithExactlyTheDevicesData) {
    TChildForm* child = ReadWindow();
    Button(*child, "Btn1")->click();
    THalvo& image = child->DeviceImage();
    EXPECT_EQ(image.GetUnitVersion(), "V3SIM-01_23456789");
    EXPECT_EQ(image.DeviceType(), 2);
    EXPECT_EQ(Area(image.Parset1Data(), image.GetParset1Length()), Pattern(238, 1));
    EXPECT_EQ(Area(image.Parset2Data(), image.GetParset2Length()), Pattern(238, 2));
    EXPECT_EQ(Area(image.EventsBuffer(), image.GetEventsLength()), Events());
    const std::string log = Log(*child);
    EXPECT_NE(log.find("Identification of device:VESK-3"), std::string::npos) << log;
    EXPECT_EQ(log.find("Exception"), std::string::npos) << log;
    EXPECT_EQ(Find<QListWidget>(*child, "EventsListBox")->count(), 2);
    EXPECT_EQ(Cell(*Find<QTableWidget>(*child, "ZnsGrid"), 0, 0), "def: Vesk3.set");
    EXPECT_TRUE(Button(*child, "Btn1")->isEnabled());
    EXPECT_FALSE(Button(*child, "Btn3")->isEnabled());
    EXPECT_TRUE(Find<QTabWidget>(*child, "Notebook1")->isEnabled());
}

TEST_P(ChildPeerTest, ExecuteWritesTheSetOnYesOnly) {
    TChildForm* child = ReadWindow();
    THalvo& image = child->DeviceImage();
    image.SetDeviceType(2);
    const Bytes written = Pattern(238, 40);
    std::copy(written.begin(), written.end(), image.Parset1Data());
    image.SetParset1Length(238);
    const std::string before = ReadBytes(Dir.File("dump.bin"));
    ASSERT_EQ(before.size(), 2u * 0x10000);
    SelectCommand(*child, "Save settings - parset 1 to 2");

    Prompts.Answers = {platform::mrNo};
    Button(*child, "Btn2")->click();
    ASSERT_EQ(Prompts.Log.size(), 1u);
    EXPECT_EQ(Prompts.Log[0].Text, "Save settings - parset 1 to 2");
    EXPECT_EQ(Prompts.Log[0].Caption, "Confirm realization of recommendation");
    EXPECT_TRUE(ReadBytes(Dir.File("dump.bin")) == before);

    Prompts.Answers = {platform::mrYes};
    Button(*child, "Btn2")->click();
    std::string expected = before;
    expected.replace(2 * kParset2Field, written.size(), Text(written));
    EXPECT_TRUE(ReadBytes(Dir.File("dump.bin")) == expected);
    EXPECT_NE(Log(*child).find("Save of parset1 do 2: OK"), std::string::npos) << Log(*child);
}

TEST_P(ChildPeerTest, CancelStopsTheReadingAndEveryOtherWindowWaits) {
    TChildForm* other = ReadWindow();
    TChildForm* child = ReadWindow();
    platform::TScriptedWaiter waiter;
    bool checked = false;
    waiter.OnWait = [&](int number, uint32_t) {
        if (number != 3) return;
        checked = true;
        EXPECT_TRUE(child->Busy());
        EXPECT_FALSE(Find<QTabWidget>(*child, "Notebook1")->isEnabled());
        EXPECT_FALSE(Button(*child, "Btn1")->isEnabled());
        EXPECT_FALSE(Button(*other, "Btn1")->isEnabled());
        EXPECT_FALSE(Button(*other, "Btn2")->isEnabled());
        EXPECT_FALSE(Button(*other, "Btn3")->isEnabled());
        // A click that would start another transfer does nothing.
        other->ReadDevice();
        EXPECT_TRUE(Button(*child, "Btn3")->isEnabled());
        Button(*child, "Btn3")->click();
    };
    platform::TWaiterScope scope(waiter);
    Button(*child, "Btn1")->click();
    EXPECT_TRUE(checked);
    EXPECT_NE(Log(*child).find("Reading canceled"), std::string::npos) << Log(*child);
    EXPECT_EQ(Log(*other), "");
    EXPECT_TRUE(Button(*other, "Btn1")->isEnabled());
    EXPECT_TRUE(Button(*child, "Btn1")->isEnabled());
    EXPECT_FALSE(Button(*child, "Btn3")->isEnabled());
}

TEST_P(ChildPeerTest, ClosingDuringATransferIsRefusedAndCancelsIt) {
    TChildForm* child = ReadWindow();
    THalvo& image = child->DeviceImage();
    image.SetDeviceType(2);
    const Bytes written = Pattern(238, 40);
    std::copy(written.begin(), written.end(), image.Parset1Data());
    image.SetParset1Length(238);
    SelectCommand(*child, "Save settings - parset 1 to 2");
    Prompts.Answers = {platform::mrYes};
    platform::TScriptedWaiter waiter;
    bool refused = false;
    waiter.OnWait = [&](int number, uint32_t) {
        if (number != 1) return;
        EXPECT_TRUE(child->Busy());
        EXPECT_TRUE(Button(*child, "Btn3")->isEnabled());
        refused = !child->parentWidget()->close();
    };
    platform::TWaiterScope scope(waiter);
    Button(*child, "Btn2")->click();
    EXPECT_TRUE(refused);
    EXPECT_EQ(Frame.WindowCount(), 1);
    EXPECT_FALSE(child->Busy());
    EXPECT_TRUE(child->parentWidget()->close());
}

// Cancel and closing between the frames of a write: both refused with the reason, and
// the write goes on to its last frame.
TEST_P(ChildPeerTest, CancelAndClosingWaitForAWritesLastFrame) {
    TChildForm* child = ReadWindow();
    THalvo& image = child->DeviceImage();
    Dir.Write("map/Vesk3.set", "[GLOBAL]\nZNS_SEND_STEP=50\n");
    image.SetDataDirectory(Dir.File("map"));
    image.SetDeviceType(2);
    const Bytes written = Pattern(238, 41);
    std::copy(written.begin(), written.end(), image.Parset1Data());
    image.SetParset1Length(238);
    SelectCommand(*child, "Save settings - parset 1 to 2");
    Prompts.Answers = {platform::mrYes};
    platform::TScriptedWaiter waiter;
    // The wait after the first frame's answer (the serial road also waits before it).
    const int afterFirstFrame = GetParam() == TRoad::Rtu ? 2 : 1;
    bool closed = true;
    waiter.OnWait = [&](int number, uint32_t) {
        if (number != afterFirstFrame) return;
        Button(*child, "Btn3")->click();
        closed = child->parentWidget()->close();
    };
    platform::TWaiterScope scope(waiter);
    Button(*child, "Btn2")->click();
    EXPECT_FALSE(closed);
    EXPECT_EQ(Frame.WindowCount(), 1);
    const std::string dump = ReadBytes(Dir.File("dump.bin"));
    ASSERT_EQ(dump.size(), 2u * 0x10000);
    EXPECT_EQ(dump.substr(2 * kParset2Field, written.size()), Text(written));
    const std::string log = Log(*child);
    EXPECT_NE(log.find("Writing to device runs to its end - Cancel refused\n"
                       "Writing to device runs to its end - window not closed"),
              std::string::npos)
        << log;
    EXPECT_TRUE(log.ends_with("Save of parset1 do 2: OK")) << log;
    EXPECT_FALSE(child->Busy());
    EXPECT_TRUE(child->parentWidget()->close());
}

INSTANTIATE_TEST_SUITE_P(Roads, ChildPeerTest, testing::Values(TRoad::Rtu, TRoad::Tcp),
                         [](const testing::TestParamInfo<TRoad>& i) {
                             return i.param == TRoad::Rtu ? "Rtu" : "Tcp";
                         });

}  // namespace
}  // namespace app::test
