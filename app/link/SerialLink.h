#pragma once
// What a device transfer needs of a serial link, so tests can script the other end.
#include <cstddef>
#include <cstdint>
#include <string>

namespace app {

class ISerialLink {
public:
    virtual ~ISerialLink() = default;
    // Bytes written; fewer than count (0 included) is a failure. A hang-up or an I/O
    // error of the port, here or in ReadBuffer, also closes the link.
    virtual size_t WriteBuffer(const uint8_t* data, size_t count) = 0;
    // Bytes read within the read time-out; 0 is a time-out. A read ends as soon as the
    // bytes make a whole answer frame (AnswerFrameLength), so an answer never waits out
    // the time-out; bytes behind the frame stay for the next DiscardInput.
    virtual size_t ReadBuffer(uint8_t* data, size_t count) = 0;
    // Drops bytes that arrived unasked (the late tail of an answer that timed out), so
    // they are never read as part of the next answer.
    virtual void DiscardInput() {}
    virtual bool IsOpen() const = 0;
    // A link that closed (a hang-up, an I/O error) or never opened opens again by its
    // configured name; true when it is open.
    virtual bool Reopen() { return IsOpen(); }
    // Closes an open port that went stale while idle: it hung up or failed, or its name
    // now names another device (an adapter plugged in again). Reopen then opens it again.
    virtual void CloseIfStale() {}
    // Why the link is not open, naming the port; empty when nothing failed.
    virtual std::string Failure() const { return {}; }
    // Milliseconds to wait between a request and reading its answer.
    virtual int32_t SilenceTime() const = 0;
    // Milliseconds one ReadBuffer waits at most.
    virtual int32_t ReadTotalTimeoutConstant() const = 0;
};

}  // namespace app
