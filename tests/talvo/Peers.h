// Peers for the talvo tests: a scripted raw TCP peer in a thread, the libmodbus server
// process, and small socket helpers.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/UniqueFd.h"
#include "tests/support/PeerProcess.h"

namespace talvo::test {

using Bytes = std::vector<uint8_t>;

// What the scripted peer does on one accepted connection, step by step. After the last
// step it keeps the connection open (a stalled peer) unless the step was Close().
struct Step {
    enum Kind { Read, Send, Reply, Flood, Trickle, Flush, Await, Close } kind;
    Bytes bytes;
    size_t count = 0;  // Read: bytes to read, 0 = one Modbus TCP request
    int idOffset = 0;  // Reply, Flood: added to the transaction identifier
};
Step Read(size_t count = 0);
Step Send(Bytes bytes);
// Sends the bytes under the transaction identifier of the last request read on this
// connection, plus idOffset.
Step Reply(Bytes bytes, int idOffset = 0);
// Replies as above, again and again, until the client goes away.
Step Flood(Bytes bytes, int idOffset);
// One byte at a time, 1 ms apart.
Step Trickle(Bytes bytes);
// Waits until the client's kernel has acknowledged everything sent.
Step Flush();
// Waits for ScriptedPeer::Release().
Step Await();
Step Close();

class ScriptedPeer {
public:
    // One script per connection, in the order they are accepted; later connections are
    // accepted and held.
    explicit ScriptedPeer(std::vector<std::vector<Step>> scripts);
    // Accepts and holds every connection.
    ScriptedPeer() : ScriptedPeer(std::vector<std::vector<Step>>{}) {}
    ~ScriptedPeer();

    uint16_t Port() const { return FPort; }
    int Accepted() const { return FAccepted; }
    // The requests read so far, each a whole frame.
    std::vector<Bytes> Requests();
    void Release();
    // Waits until `count` steps of all scripts have been done; false on time-out.
    bool WaitSteps(int count, int timeoutMs = 5000);

private:
    void Run();
    bool RunStep(int fd, const Step& step, uint16_t& transId);
    bool ReadFully(int fd, uint8_t* p, size_t count);

    std::vector<std::vector<Step>> FScripts;
    platform::TUniqueFd FListener;
    uint16_t FPort = 0;
    std::atomic<bool> FStop{false};
    std::atomic<int> FAccepted{0};
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::vector<Bytes> FRequests;
    int FStepsDone = 0;
    bool FReleased = false;
    std::thread FThread;
};

// The libmodbus server of tests/peers, started on an ephemeral port; killed when destroyed.
// A late server is a gateway that answers the first request of each connection only after
// it has sent there the answer to the request before it (of an earlier connection).
class ModbusServer {
public:
    explicit ModbusServer(bool late = false);
    ~ModbusServer();
    uint16_t Port() const { return FPort; }
    // The value the server starts register `reg` with.
    static uint16_t Initial(uint16_t reg) { return static_cast<uint16_t>(reg * 3 + 0x1000); }

private:
    std::unique_ptr<peers::TPeerProcess> FProcess;
    uint16_t FPort = 0;
};

// A socket bound to 127.0.0.1 (or to every address) on an ephemeral port; listening when
// backlog >= 0, which makes connections to it be refused otherwise.
class Listener {
public:
    explicit Listener(int backlog, bool anyAddress = false);
    uint16_t Port() const { return FPort; }
    int Fd() const { return FFd.Get(); }

private:
    platform::TUniqueFd FFd;
    uint16_t FPort = 0;
};

// A listener that nobody accepts on, its backlog filled: a connection to it times out.
class FullListener {
public:
    FullListener();
    uint16_t Port() const { return FListener.Port(); }

private:
    Listener FListener{0};
    std::vector<platform::TUniqueFd> FFillers;
};

// Open descriptors of this process.
int CountOpenFds();

}  // namespace talvo::test
