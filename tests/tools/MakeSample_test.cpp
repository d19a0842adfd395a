// The sample document: scripts/make-sample made afresh in a scratch folder equals the
// checked-in one but for its dates, and the document holds the simulator's inputs.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/device/Halvobase.h"
#include "app/lister/Lister.h"
#include "tests/app/device/DeviceFixtures.h"
#include "tests/app/lister/ListerFixtures.h"
#include "tests/support/PeerProcess.h"

namespace app::test {
namespace {

const std::string kRoot = std::string(HALVO_TEST_DATA) + "/../..";

std::string Area(const std::string& document, std::size_t offset, std::size_t length) {
    return document.substr(offset, length);
}

TEST(MakeSample, AFreshSampleEqualsTheCheckedInOneButForItsFourDates) {
    TTempDir dir;
    const std::string command = "HALVO_BIN='" + std::string(HALVO_BIN_DIR) + "' '" + kRoot +
                                "/scripts/make-sample' '" + dir.Path() + "' >'" + dir.File("log.txt") +
                                "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadBytes(dir.File("log.txt"));

    for (const char* input : {"events.bin", "parset1.bin", "parset2.bin", "ident.txt"})
        EXPECT_EQ(ReadBytes(dir.File(std::string("sample/") + input)),
                  ReadBytes(kRoot + "/data/sample/" + input))
            << input;
    std::string fresh = ReadBytes(dir.File("sample.halvo"));
    std::string checkedIn = ReadBytes(kRoot + "/data/sample.halvo");
    ASSERT_EQ(fresh.size(), THalvo::kImageSize);
    ASSERT_EQ(checkedIn.size(), THalvo::kImageSize);
    for (const std::size_t date : {THalvo::kCreationDateOffset, THalvo::kEventsReadDateOffset,
                                   THalvo::kParset1ReadDateOffset, THalvo::kParset2ReadDateOffset}) {
        fresh.replace(date, 8, 8, '\0');
        checkedIn.replace(date, 8, 8, '\0');
    }
    EXPECT_TRUE(fresh == checkedIn);
}

// A port no one listens on just now.
uint16_t FreePort() {
    const platform::TUniqueFd s(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    if (::bind(s.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::getsockname(s.Get(), reinterpret_cast<sockaddr*>(&a), &length) != 0)
        return 0;
    return ntohs(a.sin_port);
}

TEST(MakeSample, TheSimulatorServesAtTheGivenPortAndTheToolReadsThere) {
    TTempDir dir;
    const std::string bin = HALVO_BIN_DIR;
    ASSERT_EQ(std::system(("'" + bin + "/make_sample' inputs '" + dir.Path() + "'").c_str()), 0);
    const uint16_t port = FreePort();
    ASSERT_NE(port, 0);
    peers::TPeerProcess sim({bin + "/vesk_sim", "--tcp", "--port", std::to_string(port), "--dump",
                             dir.File("dump.bin"), "--ident", ReadBytes(dir.File("ident.txt")), "--events",
                             dir.File("events.bin")});
    ASSERT_EQ(sim.FirstLine(), "PORT " + std::to_string(port));
    const std::string command = "'" + bin + "/make_sample' read " + std::to_string(port) + " '" + bin +
                                "' '" + dir.File("read.halvo") + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    THalvo halvo;
    halvo.SetDataDirectory(bin);
    ASSERT_TRUE(halvo.LoadFromFile(dir.File("read.halvo")));
    EXPECT_EQ(halvo.GetUnitVersion(), "V3-SAMPL_E-2006-1");
    const std::string events = ReadBytes(dir.File("events.bin"));
    ASSERT_GE(halvo.GetEventsLength(), events.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(halvo.EventsBuffer()), events.size()), events);
}

TEST(MakeSample, TheSampleHoldsTheSimulatorsInputsAndDecodes) {
    THalvo halvo;
    halvo.SetDataDirectory(HALVO_BIN_DIR);
    ASSERT_TRUE(halvo.LoadFromFile(kRoot + "/data/sample.halvo"));
    const std::string events = ReadBytes(kRoot + "/data/sample/events.bin");
    const std::string parset1 = ReadBytes(kRoot + "/data/sample/parset1.bin");
    const std::string parset2 = ReadBytes(kRoot + "/data/sample/parset2.bin");
    const std::string document = ReadBytes(kRoot + "/data/sample.halvo");

    EXPECT_EQ(halvo.DeviceType(), 2);
    EXPECT_EQ(halvo.GetUnitVersion(), "V3-SAMPL_E-2006-1");
    // The events register is read in whole pages: the inputs, then the page's padding.
    ASSERT_GE(halvo.GetEventsLength(), events.size());
    EXPECT_EQ(Area(document, THalvo::kEventsOffset, events.size()), events);
    EXPECT_EQ(Area(document, THalvo::kEventsOffset + events.size(), halvo.GetEventsLength() - events.size()),
              std::string(halvo.GetEventsLength() - events.size(), '\0'));
    EXPECT_EQ(halvo.GetParset1Length(), parset1.size());
    EXPECT_EQ(Area(document, THalvo::kParset1Offset, parset1.size()), parset1);
    EXPECT_EQ(halvo.GetParset2Length(), parset2.size());
    EXPECT_EQ(Area(document, THalvo::kParset2Offset, parset2.size()), parset2);

    TEvLister lister;
    TRecordingListBox listBox;
    TRecordingView view;
    lister.SetHalvo(&halvo);
    lister.SetListBox(&listBox);
    lister.SetRichEdit(&view);
    lister.Refresh(nullptr);
    EXPECT_EQ(listBox.Lines, (std::vector<std::string>{
                                 "Sequence no.1 (Normal) Date: 2006-03-14 hour: 10:22:00:005",
                                 "Sequence no.2 (Restart) Date: 2006-03-15 hour: 08:00:00:000",
                                 "Sequence no.3 (Normal) Date: 2006-03-16 hour: 13:45:00:005",
                             }));
}

}  // namespace
}  // namespace app::test
