#pragma once
// One device transfer at a time in the whole process, reading or writing. A second
// command during a transfer's waits (the GUI pumps its event loop there) is refused,
// also on the same document. A window asks before it closes a document or reopens the
// port, and cancels the holder's transfer instead of freeing what it uses.
// A document's print pumps the event loop too and holds the same guard: while it runs,
// no transfer and no other print starts, and its window does not close.
#include <cstdint>

namespace app {

class THalvo;

enum class TBusyKind : uint8_t { Transfer, Print };

class TTransferGuard {
public:
    // Takes the guard when nothing holds it; otherwise Held() is false and the caller
    // must not go on.
    explicit TTransferGuard(THalvo& owner, TBusyKind kind = TBusyKind::Transfer);
    ~TTransferGuard();
    TTransferGuard(const TTransferGuard&) = delete;
    TTransferGuard& operator=(const TTransferGuard&) = delete;

    bool Held() const { return FHeld; }

    static bool Busy();
    // The image whose transfer or print runs, or nullptr.
    static THalvo* Holder();
    // The holder prints.
    static bool Printing();

private:
    bool FHeld = false;
};

}  // namespace app
