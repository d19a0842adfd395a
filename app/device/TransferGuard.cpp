#include "app/device/TransferGuard.h"

namespace app {

namespace {
THalvo* holder = nullptr;
TBusyKind holderKind = TBusyKind::Transfer;
}  // namespace

TTransferGuard::TTransferGuard(THalvo& owner, TBusyKind kind) {
    if (holder != nullptr) return;
    holder = &owner;
    holderKind = kind;
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

bool TTransferGuard::Printing() {
    return holder != nullptr && holderKind == TBusyKind::Print;
}

}  // namespace app
