// The socket classes against real loopback sockets.
#include "talvo/SimpSock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "platform/UniqueFd.h"
#include "tests/talvo/Peers.h"

namespace talvo {
namespace {

using namespace talvo::test;

void Aim(TSimpTcp& s, uint16_t port, int32_t timeout) {
    s.Host = "127.0.0.1";
    s.Port = port;
    s.RecvTimeout = timeout;
    s.ConnectTimeout = timeout;
}

TEST(TalvoSimpTcp, OpenSetsNonBlockingAndBufferSizes) {
    TSimpTcp s;
    EXPECT_EQ(s.RecvTimeout, 1000);
    ASSERT_EQ(s.Open(), 0);
    EXPECT_NE(fcntl(s.Handle(), F_GETFL) & O_NONBLOCK, 0);
    // The kernel reports at least what was asked.
    EXPECT_GE(s.RecvBufSize(), 131328);
    EXPECT_GE(s.SendBufSize(), 131328);
}

TEST(TalvoSimpTcp, CloseReleasesASocketThatNeverConnected) {
    const int before = CountOpenFds();
    TSimpTcp s;
    ASSERT_EQ(s.Open(), 0);
    EXPECT_EQ(CountOpenFds(), before + 1);
    // The base class's close: shutdown fails on an unconnected socket.
    EXPECT_EQ(s.TSimpSock::Close(), 0);
    EXPECT_EQ(s.Handle(), -1);
    EXPECT_EQ(CountOpenFds(), before);
    EXPECT_EQ(s.Close(), 0);
}

TEST(TalvoSimpTcp, DestroyingClosesAnOpenSocket) {
    const int before = CountOpenFds();
    {
        TSimpTcp s;
        ASSERT_EQ(s.Open(), 0);
        s.Open();  // reopening closes the first socket
        EXPECT_EQ(CountOpenFds(), before + 1);
    }
    EXPECT_EQ(CountOpenFds(), before);
}

TEST(TalvoSimpTcp, ConnectFailures) {
    Listener refusing(-1);
    Listener any(16, true);
    struct Case {
        const char* host;
        uint16_t port;
        int error;
    };
    const std::vector<Case> cases{
        {"127.0.0.1", refusing.Port(), WSAECONNREFUSED},
        // The empty host, or 0.0.0.0, would reach this machine's listener.
        {"", any.Port(), WSAEADDRNOTAVAIL},
        {"0.0.0.0", any.Port(), WSAEADDRNOTAVAIL},
        {"127.0.0", any.Port(), WSAEFAULT},
    };
    for (const Case& c : cases) {
        TSimpTcp s;
        Aim(s, c.port, 2000);
        s.Host = c.host;
        ASSERT_EQ(s.Open(), 0);
        const uint64_t start = TickMs();
        EXPECT_EQ(s.Connect(), c.error) << c.host;
        EXPECT_EQ(s.LastError(), c.error);
        EXPECT_LT(TickMs() - start, 1500u) << c.host;
    }
    pollfd p{any.Fd(), POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 0), 0) << "a connection reached the wildcard listener";
}

// The texts a caller shows for the failures of a connection.
TEST(TalvoSimpTcp, WinsockErrorsHaveTheSystemsTexts) {
    const std::pair<int, const char*> cases[] = {
        {WSAECONNREFUSED, "Connection refused"},
        {WSAEHOSTUNREACH, "No route to host"},
        {WSAECONNRESET, "Connection reset by peer"},
        {WSAETIMEDOUT, "Connection timed out"},
        {WSAEACCES, "Permission denied"},
        {0, ""},
        {WSASYSCALLFAILURE, "socket error 10107"},
    };
    for (const auto& [error, text] : cases) EXPECT_EQ(WinsockErrorText(error), text) << error;
    EXPECT_EQ(WinsockErrorText(WinsockError(EPIPE)), "Connection reset by peer");
}

TEST(TalvoSimpTcp, ConnectToAFullBacklogTimesOut) {
    FullListener full;
    TSimpTcp s;
    Aim(s, full.Port(), 300);
    ASSERT_EQ(s.Open(), 0);
    const uint64_t start = TickMs();
    EXPECT_EQ(s.Connect(), WSAETIMEDOUT);
    const uint64_t elapsed = TickMs() - start;
    EXPECT_GE(elapsed, 290u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(TalvoSimpTcp, ReceiveExactTimesOutOnASilentPeer) {
    ScriptedPeer peer;
    TSimpTcp s;
    Aim(s, peer.Port(), 150);
    ASSERT_EQ(s.Open(), 0);
    ASSERT_EQ(s.Connect(), 0);
    uint8_t buffer[7];
    const uint64_t start = TickMs();
    EXPECT_EQ(s.ReceiveExact(TickMs(), buffer, sizeof buffer), WSAETIMEDOUT);
    const uint64_t elapsed = TickMs() - start;
    EXPECT_EQ(WSAGetLastError(), WSAETIMEDOUT);
    EXPECT_GE(elapsed, 140u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(TalvoSimpTcp, ReceiveExactReportsProgressAndStopsWhenAborted) {
    ScriptedPeer peer({{Send({1, 2, 3, 4, 5})}});
    TSimpTcp s;
    Aim(s, peer.Port(), 3000);
    std::vector<double> progress;
    s.OnProgress = [&](TSimpSock& sender, double value) {
        progress.push_back(value);
        if (value >= 3) sender.Aborted = true;
    };
    ASSERT_EQ(s.Open(), 0);
    ASSERT_EQ(s.Connect(), 0);
    uint8_t buffer[10];
    const uint64_t start = TickMs();
    EXPECT_EQ(s.ReceiveExact(start, buffer, sizeof buffer), kAborted);
    EXPECT_LT(TickMs() - start, 2500u);
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.front(), 0);
    EXPECT_GE(progress.back(), 3);
}

TEST(TalvoSimpTcp, SendDeliversABlockLargerThanTheSocketBuffers) {
    std::vector<uint8_t> block(8 << 20);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7 + i / 251);
    ScriptedPeer peer({{Read(block.size())}});
    TSimpTcp s;
    Aim(s, peer.Port(), 10000);
    ASSERT_EQ(s.Open(), 0);
    ASSERT_EQ(s.Connect(), 0);
    EXPECT_EQ(s.Send(block.data(), block.size()), 0);
    ASSERT_TRUE(peer.WaitSteps(1, 10000));
    const auto requests = peer.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0] == block);
}

TEST(TalvoSimpTcp, SendToAPeerThatDoesNotReadTimesOut) {
    std::vector<uint8_t> block(64 << 20);
    ScriptedPeer peer;
    TSimpTcp s;
    Aim(s, peer.Port(), 200);
    ASSERT_EQ(s.Open(), 0);
    ASSERT_EQ(s.Connect(), 0);
    const uint64_t start = TickMs();
    EXPECT_EQ(s.Send(block.data(), block.size()), WSAETIMEDOUT);
    EXPECT_LT(TickMs() - start, 5000u);
}

TEST(TalvoSimpTcp, SendToAClosedPeerFailsWithoutSignal) {
    ScriptedPeer peer({{Close()}});
    TSimpTcp s;
    Aim(s, peer.Port(), 1000);
    ASSERT_EQ(s.Open(), 0);
    ASSERT_EQ(s.Connect(), 0);
    ASSERT_TRUE(peer.WaitSteps(1));
    const uint8_t byte = 0;
    int rc = 0;
    // The first send draws the peer's reset, a later one fails on it.
    for (int i = 0; i < 50 && rc == 0; ++i) {
        rc = s.Send(&byte, 1);
        usleep(2000);
    }
    EXPECT_EQ(rc, WSAECONNRESET);
}

}  // namespace
}  // namespace talvo
