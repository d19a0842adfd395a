#include "app/device/TransferGuard.h"

namespace app {

namespace {
THalvo* holder = nullptr;
}  // namespace

TTransferGuard::TTransferGuard(THalvo& owner) {
    if (holder != nullptr) return;
    holder = &owner;
    FHeld = true;
}

TTransferGuard::~TTransferGuard() {
    if (FHeld) holder = nullptr;
}

bool TTransferGuard::Busy() {
    return holder != nullptr;
}

THalvo* TTransferGuard::Holder() {
    return holder;
}

}  // namespace app
