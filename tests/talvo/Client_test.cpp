// The table and one-shot calls against a scripted peer whose answers are literal bytes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "talvo.h"
#include "talvo/SimpSock.h"
#include "tests/talvo/Peers.h"

namespace talvo {
namespace {

using namespace talvo::test;

constexpr int32_t kIndex = 7;
constexpr uint8_t kUnit = 0x11;

// A PDU of 1017 bytes: a read answer of two registers, then filler.
Bytes LongPdu() {
    Bytes pdu(1017, 0xEE);
    const uint8_t head[] = {0x03, 0x04, 0x00, 0x01, 0x00, 0x02};
    std::copy(std::begin(head), std::end(head), pdu.begin());
    return pdu;
}

Bytes Concat(const Bytes& a, const Bytes& b) {
    Bytes out(a.size() + b.size());
    std::copy(a.begin(), a.end(), out.begin());
    std::copy(b.begin(), b.end(), out.begin() + static_cast<std::ptrdiff_t>(a.size()));
    return out;
}

class TalvoTable : public testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(TALVOCloseAll()); }

    void Add(const ScriptedPeer& peer, int32_t index = kIndex) {
        ASSERT_EQ(TALVOAdd(index, "127.0.0.1", peer.Port()), 0);
    }
};

struct ReadCase {
    const char* name;
    std::vector<Step> answer;  // after the request was read
    int32_t expected;
};

const Bytes kGood{0x01, 0x00, 0x00, 0x00, 0x00, 0x07, 0x11, 0x03, 0x04, 0x00, 0x01, 0x00, 0x02};
// A whole read answer of another protocol than Modbus (identifier 1), and of other values.
const Bytes kOtherProtocol{0x01, 0x00, 0x00, 0x01, 0x00, 0x07, 0x11, 0x03, 0x04, 0x0B, 0x0B, 0x0B, 0x0B};
const Bytes kOtherValues{0x01, 0x00, 0x00, 0x00, 0x00, 0x07, 0x11, 0x03, 0x04, 0x0B, 0x0B, 0x0B, 0x0B};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class TalvoReadAnswers : public TalvoTable, public testing::WithParamInterface<ReadCase> {};

TEST_P(TalvoReadAnswers, GiveTheirResult) {
    std::vector<Step> script{Read()};
    for (const Step& s : GetParam().answer) script.push_back(s);
    ScriptedPeer peer({script});
    Add(peer);
    uint16_t values[2] = {0xDEAD, 0xDEAD};
    const uint64_t start = TickMs();
    EXPECT_EQ(TALVOReadRegs(kIndex, kUnit, 0x0010, 2, 400, values, true), GetParam().expected);
    EXPECT_LT(TickMs() - start, 5000u);
    if (GetParam().expected == 0) {
        EXPECT_EQ(values[0], 1);
        EXPECT_EQ(values[1], 2);
    } else {
        EXPECT_EQ(values[0], 0xDEAD) << "values written on failure";
    }
    const auto requests = peer.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], (Bytes{0x01, 0x00, 0x00, 0x00, 0x00, 0x06, 0x11, 0x03, 0x00, 0x10, 0x00, 0x02}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TalvoReadAnswers,
    testing::Values(
        ReadCase{"Complete", {Send(kGood)}, 0}, ReadCase{"OneByteAtATime", {Trickle(kGood)}, 0},
        ReadCase{"Length1018", {Send(Concat({0x01, 0x00, 0x00, 0x00, 0x03, 0xFA, 0x11}, LongPdu()))}, 0},
        ReadCase{"ClosedWithoutAnswer", {Close()}, -11},
        ReadCase{"HeaderThenStall", {Send({0x01, 0x00, 0x00, 0x00, 0x00, 0x07, 0x11})}, -11},
        ReadCase{"PartialPdu", {Send({0x01, 0x00, 0x00, 0x00, 0x00, 0x07, 0x11, 0x03, 0x04, 0x00})}, -11},
        ReadCase{"OtherTransId",
                 {Send({0x02, 0x00, 0x00, 0x00, 0x00, 0x07, 0x11, 0x03, 0x04, 0x00, 0x01, 0x00, 0x02})},
                 -3},
        ReadCase{"OtherUnit",
                 {Send({0x01, 0x00, 0x00, 0x00, 0x00, 0x07, 0x12, 0x03, 0x04, 0x00, 0x01, 0x00, 0x02})},
                 -4},
        ReadCase{"Length0", {Send({0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x11, 0x03})}, -13},
        ReadCase{"Length2", {Send({0x01, 0x00, 0x00, 0x00, 0x00, 0x02, 0x11, 0x03})}, -13},
        ReadCase{"Length1019", {Send({0x01, 0x00, 0x00, 0x00, 0x03, 0xFB, 0x11, 0x03})}, -13},
        ReadCase{"LengthFFFF", {Send({0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x11, 0x03})}, -13},
        ReadCase{
            "ShortAnswer", {Send({0x01, 0x00, 0x00, 0x00, 0x00, 0x05, 0x11, 0x03, 0x02, 0x00, 0x01})}, -5},
        ReadCase{"Exception", {Send({0x01, 0x00, 0x00, 0x00, 0x00, 0x03, 0x11, 0x83, 0x02})}, 2},
        ReadCase{"ExceptionWithoutCode", {Send({0x01, 0x00, 0x00, 0x00, 0x00, 0x03, 0x11, 0x83, 0x00})}, -5},
        ReadCase{"OtherProtocolOnly", {Send(kOtherProtocol)}, -11},
        ReadCase{"OtherProtocolThenAnswer", {Send(kOtherProtocol), Send(kGood)}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TalvoTable, IndexIsJudgedBeforeEntryBeforeArguments) {
    // An entry whose connect failed still holds its object.
    Listener refusing(-1);
    ASSERT_EQ(TALVOAdd(3, "127.0.0.1", refusing.Port()), -8);
    uint16_t values[128] = {};
    uint8_t response[1017];
    int32_t responseLen = 0;
    const uint8_t request[254] = {};
    struct Case {
        int32_t index;
        uint16_t count;
        int32_t read, write, raw;
    };
    const std::vector<Case> cases{
        {101, 0, -6, -6, -6}, {-1, 0, -6, -6, -6},  {4, 0, -10, -10, -10},
        {3, 0, -9, -9, -9},   {3, 128, -9, -9, -9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "index " << c.index << " count " << c.count);
        EXPECT_EQ(TALVOReadRegs(c.index, kUnit, 0, c.count, 100, values, true), c.read);
        EXPECT_EQ(TALVOWriteRegs(c.index, kUnit, 0, c.count, 100, values), c.write);
        EXPECT_EQ(TALVOSendAndWait(c.index, kUnit, request, response, 100, 254, &responseLen), c.raw);
    }
    EXPECT_EQ(TALVOPresetReg(101, kUnit, 0, 0, 100), -6);
    EXPECT_EQ(TALVOPresetReg(4, kUnit, 0, 0, 100), -10);
    EXPECT_EQ(TALVOClose(-1), -6);
    EXPECT_EQ(TALVOClose(4), -10);
    EXPECT_EQ(TALVOReinit(101), -6);
}

TEST_F(TalvoTable, FailedConnectKeepsTheEntryUntilClosed) {
    Listener refusing(-1);
    const int before = CountOpenFds();
    EXPECT_EQ(TALVOAdd(0, "127.0.0.1", refusing.Port()), -8);
    EXPECT_EQ(TALVOAdd(0, "127.0.0.1", refusing.Port()), -7);
    EXPECT_EQ(TALVOClose(0), 0);
    EXPECT_EQ(CountOpenFds(), before);
    EXPECT_EQ(TALVOAdd(0, "", refusing.Port()), -8);
    EXPECT_EQ(TALVOClose(0), 0);
    EXPECT_EQ(TALVOAdd(101, "127.0.0.1", refusing.Port()), -6);
}

TEST_F(TalvoTable, ReinitConnectsAgainWithTransactionOne) {
    ScriptedPeer peer({{}, {Read(), Send(kGood)}});
    Add(peer);
    EXPECT_EQ(TALVOReinit(kIndex), 0);
    uint16_t values[2];
    EXPECT_EQ(TALVOReadRegs(kIndex, kUnit, 0x0010, 2, 2000, values, true), 0);
    EXPECT_EQ(peer.Accepted(), 2);
    // An empty entry has no host: the connect fails, and the entry is then in use.
    EXPECT_EQ(TALVOReinit(kIndex + 1), -8);
    EXPECT_EQ(TALVOAdd(kIndex + 1, "127.0.0.1", peer.Port()), -7);
}

TEST_F(TalvoTable, LateAnswerIsNotTakenForTheNextOne) {
    ScriptedPeer peer(
        {{Read(), Await(),
          Send({0x01, 0x00, 0x00, 0x00, 0x00, 0x07, 0x11, 0x03, 0x04, 0x0B, 0x0B, 0x0B, 0x0B}), Flush(),
          Read(), Send({0x02, 0x00, 0x00, 0x00, 0x00, 0x07, 0x11, 0x03, 0x04, 0x00, 0x01, 0x00, 0x02})}});
    Add(peer);
    uint16_t values[2] = {};
    EXPECT_EQ(TALVOReadRegs(kIndex, kUnit, 0x0010, 2, 150, values, true), -11);
    peer.Release();
    ASSERT_TRUE(peer.WaitSteps(4));  // the late answer is in our socket
    EXPECT_EQ(TALVOReadRegs(kIndex, kUnit, 0x0010, 2, 2000, values, true), 0);
    EXPECT_EQ(values[0], 1);
    EXPECT_EQ(values[1], 2);
    const auto requests = peer.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1][0], 0x02) << "the unanswered request's identifier was used again";
    EXPECT_EQ(requests[1][1], 0x00);
}

TEST_F(TalvoTable, ClosedPeerGivesAFailureNotASignal) {
    ScriptedPeer peer({{Close()}});
    Add(peer);
    ASSERT_TRUE(peer.WaitSteps(1));
    uint16_t values[2];
    int32_t rc = 0;
    for (int i = 0; i < 20 && rc != -12; ++i) {
        rc = TALVOReadRegs(kIndex, kUnit, 0, 2, 300, values, true);
        EXPECT_TRUE(rc == -11 || rc == -12) << rc;
    }
    EXPECT_EQ(rc, -12);
}

TEST_F(TalvoTable, WriteOf127RegistersGoesOutWhole) {
    ScriptedPeer peer(
        {{Read(), Send({0x01, 0x00, 0x00, 0x00, 0x00, 0x06, 0x11, 0x10, 0x00, 0x20, 0x00, 0x7F})}});
    Add(peer);
    std::vector<uint16_t> values(127);
    for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<uint16_t>(0xA000 + i);
    EXPECT_EQ(TALVOWriteRegs(kIndex, kUnit, 0x0020, 127, 2000, values.data()), 0);
    const auto requests = peer.Requests();
    ASSERT_EQ(requests.size(), 1u);
    ASSERT_EQ(requests[0].size(), 267u);
    EXPECT_EQ(Bytes(requests[0].begin(), requests[0].begin() + 13),
              (Bytes{0x01, 0x00, 0x00, 0x00, 0x01, 0x05, 0x11, 0x10, 0x00, 0x20, 0x00, 0x7F, 0xFE}));
    EXPECT_EQ(Bytes(requests[0].end() - 2, requests[0].end()), (Bytes{0xA0, 0x7E}));
}

TEST_F(TalvoTable, RawRequestOf253BytesAndAnswerOf1017) {
    Bytes request(253);
    for (size_t i = 0; i < request.size(); ++i) request[i] = static_cast<uint8_t>(i);
    ScriptedPeer peer({{Read(), Send(Concat({0x01, 0x00, 0x00, 0x00, 0x03, 0xFA, 0x11}, LongPdu()))}});
    Add(peer);
    // Exactly the documented size, so that AddressSanitizer sees a byte written beyond it.
    std::vector<uint8_t> response(1017);
    int32_t responseLen = 0;
    EXPECT_EQ(TALVOSendAndWait(kIndex, kUnit, request.data(), response.data(), 2000, 253, &responseLen), 0);
    EXPECT_EQ(responseLen, 1017);
    EXPECT_EQ(response, LongPdu());
    const auto requests = peer.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], Concat({0x01, 0x00, 0x00, 0x00, 0x00, 0xFE, 0x11}, request));
}

TEST_F(TalvoTable, RawAnswerOfOtherTransactionIsRejected) {
    ScriptedPeer peer({{Read(), Send({0x05, 0x00, 0x00, 0x00, 0x00, 0x03, 0x11, 0x03, 0x00})}});
    Add(peer);
    const uint8_t request[] = {0x03, 0x00, 0x00, 0x00, 0x01};
    uint8_t response[1017];
    int32_t responseLen = -1;
    EXPECT_EQ(TALVOSendAndWait(kIndex, kUnit, request, response, 2000, 5, &responseLen), -3);
    EXPECT_EQ(responseLen, 1);
}

TEST(TalvoOneShot, RawRequestOf254BytesNeverConnects) {
    Bytes request(254, 0x42);
    const Bytes answer{0x01, 0x00, 0x00, 0x00, 0x00, 0x04, 0x22, 0x2B, 0x0E, 0x01};
    ScriptedPeer peer({{Read(), Reply(answer)}});
    uint8_t response[1017];
    int32_t responseLen = -1;
    EXPECT_FALSE(UniversalTALVOSendAndWait("127.0.0.1", peer.Port(), 0x22, request.data(), response, 2000,
                                           254, &responseLen));
    EXPECT_TRUE(UniversalTALVOSendAndWait("127.0.0.1", peer.Port(), 0x22, request.data(), response, 2000, 253,
                                          &responseLen));
    EXPECT_EQ(responseLen, 3);
    EXPECT_EQ(Bytes(response, response + 3), (Bytes{0x2B, 0x0E, 0x01}));
    EXPECT_EQ(peer.Accepted(), 1);
    const auto requests = peer.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].size(), 260u);
}

TEST(TalvoOneShot, EachCallSendsATransactionOfItsOwn) {
    const std::vector<Step> script{Read(), Reply(kGood)};
    ScriptedPeer peer({script, script, script});
    uint16_t values[2];
    const uint8_t request[] = {0x03, 0x00, 0x10, 0x00, 0x02};
    uint8_t response[1017];
    int32_t responseLen = 0;
    EXPECT_TRUE(UniversalTALVOReadRegs("127.0.0.1", peer.Port(), kUnit, 0x0010, 2, 2000, values, true));
    EXPECT_TRUE(UniversalTALVOSendAndWait("127.0.0.1", peer.Port(), kUnit, request, response, 2000,
                                          sizeof request, &responseLen));
    EXPECT_TRUE(UniversalTALVOWriteRegs("127.0.0.1", peer.Port(), kUnit, 0x0010, 2, 2000, values));
    const auto requests = peer.Requests();
    ASSERT_EQ(requests.size(), 3u);
    std::vector<uint16_t> ids;
    for (const Bytes& r : requests) ids.push_back(static_cast<uint16_t>(r[0] | r[1] << 8));
    EXPECT_EQ(ids[1], static_cast<uint16_t>(ids[0] + 1));
    EXPECT_EQ(ids[2], static_cast<uint16_t>(ids[0] + 2));
}

struct SkipCase {
    const char* name;
    std::vector<Step> answers;  // after the request was read
    bool taken;
};

void PrintTo(const SkipCase& c, std::ostream* os) {
    *os << c.name;
}

class TalvoOneShotAnswers : public testing::TestWithParam<SkipCase> {};

// Only the answer to the call's own request is taken; whatever else comes is read past
// and leaves nothing behind, and the call ends with its time-out.
TEST_P(TalvoOneShotAnswers, OnlyTheCallsOwnAnswerIsTaken) {
    std::vector<Step> script{Read()};
    for (const Step& s : GetParam().answers) script.push_back(s);
    ScriptedPeer peer({script, script});
    const uint64_t start = TickMs();
    uint16_t values[2] = {0xDEAD, 0xDEAD};
    EXPECT_EQ(UniversalTALVOReadRegs("127.0.0.1", peer.Port(), kUnit, 0x0010, 2, 300, values, true),
              GetParam().taken);
    const uint8_t request[] = {0x03, 0x00, 0x10, 0x00, 0x02};
    std::vector<uint8_t> response(1017, 0xEE);
    int32_t responseLen = -1;
    EXPECT_EQ(UniversalTALVOSendAndWait("127.0.0.1", peer.Port(), kUnit, request, response.data(), 300,
                                        sizeof request, &responseLen),
              GetParam().taken);
    EXPECT_LT(TickMs() - start, 5000u);
    if (GetParam().taken) {
        EXPECT_EQ(values[0], 1);
        EXPECT_EQ(values[1], 2);
        ASSERT_EQ(responseLen, 6);
        EXPECT_EQ(Bytes(response.begin(), response.begin() + 6), (Bytes{0x03, 0x04, 0x00, 0x01, 0x00, 0x02}));
    } else {
        EXPECT_EQ(values[0], 0xDEAD) << "values written on failure";
        EXPECT_EQ(values[1], 0xDEAD) << "values written on failure";
        EXPECT_EQ(responseLen, 0);
        EXPECT_EQ(std::count(response.begin(), response.end(), 0xEE), 1017) << "response written on failure";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TalvoOneShotAnswers,
    testing::Values(SkipCase{"Own", {Reply(kGood)}, true},
                    SkipCase{"PreviousThenOwn", {Reply(kOtherValues, -1), Reply(kGood)}, true},
                    SkipCase{"NextThenOwn", {Reply(kOtherValues, 1), Reply(kGood)}, true},
                    SkipCase{"OtherProtocolThenOwn", {Reply(kOtherProtocol), Reply(kGood)}, true},
                    SkipCase{"PreviousOnly", {Reply(kOtherValues, -1)}, false},
                    SkipCase{"OtherProtocolOnly", {Reply(kOtherProtocol)}, false},
                    SkipCase{"PreviousWithoutEnd", {Flood(kOtherValues, -1)}, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct OutcomeCase {
    const char* name;
    uint16_t port;
    int32_t code;
    std::string reason;
};

// Beside its bool, what the thread's last one-shot call met: a connection that was never
// made sent nothing (-8); a peer that went away is named with the system's reason; a
// peer that is there and keeps silent has none.
TEST(TalvoOneShot, TheLastErrorSaysWhatTheCallMetAndWhy) {
    Listener refusing(-1);
    FullListener full;
    ScriptedPeer closing({{Close()}});
    ScriptedPeer readsAndCloses({{Read(), Close()}});
    ScriptedPeer silent;
    ScriptedPeer answering({{Read(), Reply(kGood)}});
    const std::vector<OutcomeCase> cases{
        {"Refused", refusing.Port(), -8, "Connection refused"},
        {"ConnectTimedOut", full.Port(), -8, "Connection timed out"},
        {"ClosedAtOnce", closing.Port(), -11, "Connection reset by peer"},
        {"ClosedAfterTheRequest", readsAndCloses.Port(), -11, "Connection reset by peer"},
        {"Silent", silent.Port(), -11, ""},
        {"Answered", answering.Port(), 0, ""},
    };
    const uint8_t request[] = {0x03, 0x00, 0x10, 0x00, 0x02};
    uint8_t response[1017];
    for (const OutcomeCase& c : cases) {
        int32_t responseLen = 0;
        EXPECT_EQ(UniversalTALVOSendAndWait("127.0.0.1", c.port, kUnit, request, response, 300,
                                            sizeof request, &responseLen),
                  c.code == 0)
            << c.name;
        char reason[64];
        std::fill(std::begin(reason), std::end(reason), 'x');
        EXPECT_EQ(UniversalTALVOLastError(reason, sizeof reason - 1), c.code) << c.name;
        EXPECT_EQ(std::string(reason), c.reason) << c.name;
    }
    // Refused before connecting; the reason is cut to the room given, and may be left out.
    uint16_t values[2];
    EXPECT_FALSE(UniversalTALVOReadRegs("127.0.0.1", refusing.Port(), kUnit, 0, 0, 300, values, true));
    EXPECT_EQ(UniversalTALVOLastError(nullptr, 0), -9);
    EXPECT_FALSE(UniversalTALVOWriteRegs("127.0.0.1", refusing.Port(), kUnit, 0, 1, 300, values));
    char shortReason[11];
    EXPECT_EQ(UniversalTALVOLastError(shortReason, 10), -8);
    EXPECT_EQ(std::string(shortReason), "Connection");
}

TEST(TalvoOneShot, FailuresGiveFalseAndLeaveNoDescriptor) {
    Listener refusing(-1);
    const uint8_t request[] = {0x03, 0x00, 0x00, 0x00, 0x01};
    uint8_t response[1017];
    int32_t responseLen = -1;
    uint16_t values[1];
    const int before = CountOpenFds();
    EXPECT_FALSE(
        UniversalTALVOSendAndWait("127.0.0.1", refusing.Port(), 1, request, response, 500, 5, &responseLen));
    EXPECT_EQ(responseLen, 0);
    EXPECT_FALSE(UniversalTALVOReadRegs("127.0.0.1", refusing.Port(), 1, 0, 1, 500, values, true));
    EXPECT_FALSE(UniversalTALVOWriteRegs("127.0.0.1", refusing.Port(), 1, 0, 1, 500, values));
    EXPECT_FALSE(UniversalTALVOReadRegs(nullptr, refusing.Port(), 1, 0, 1, 500, values, true));
    EXPECT_EQ(CountOpenFds(), before);
    {
        // A peer that never answers.
        ScriptedPeer silent;
        EXPECT_FALSE(UniversalTALVOReadRegs("127.0.0.1", silent.Port(), 1, 0, 1, 100, values, true));
    }
    EXPECT_EQ(CountOpenFds(), before);
    EXPECT_FALSE(UniversalTALVOReadRegs("127.0.0.1", refusing.Port(), 1, 0, 0, 500, values, true));
    EXPECT_FALSE(UniversalTALVOWriteRegs("127.0.0.1", refusing.Port(), 1, 0, 128, 500, values));
}

}  // namespace
}  // namespace talvo
