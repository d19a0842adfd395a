#include "app/device/TransferGuard.h"

namespace app {

namespace {
THalvo* holder = nullptr;
int depth = 0;
}  // namespace

TTransferGuard::TTransferGuard(THalvo& owner) {
    if (holder != nullptr && holder != &owner) return;
    holder = &owner;
    ++depth;
    held_ = true;
}

TTransferGuard::~TTransferGuard() {
    if (held_ && --depth == 0) holder = nullptr;
}

bool TTransferGuard::Busy() {
    return holder != nullptr;
}

THalvo* TTransferGuard::Holder() {
    return holder;
}

}  // namespace app
