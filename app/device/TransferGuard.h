#pragma once
// One device transfer at a time in the whole process, reading or writing. A second
// command during a transfer's waits (the GUI pumps its event loop there) is refused,
// also on the same document. A window asks before it closes a document or reopens the
// port, and cancels the holder's transfer instead of freeing what it uses.
namespace app {

class THalvo;

class TTransferGuard {
public:
    // Takes the guard when no transfer runs; otherwise Held() is false and the caller
    // must not transfer.
    explicit TTransferGuard(THalvo& owner);
    ~TTransferGuard();
    TTransferGuard(const TTransferGuard&) = delete;
    TTransferGuard& operator=(const TTransferGuard&) = delete;

    bool Held() const { return FHeld; }

    static bool Busy();
    // The image whose transfer runs, or nullptr.
    static THalvo* Holder();

private:
    bool FHeld = false;
};

}  // namespace app
