#include "app/device/LinkSettings.h"

namespace app {

namespace {
ILinkSettingsProvider* provider = nullptr;
}

TLinkSettings CurrentLinkSettings() {
    return provider ? provider->LinkSettings() : TLinkSettings{};
}

ILinkSettingsProvider* SetLinkSettingsProvider(ILinkSettingsProvider* p) {
    ILinkSettingsProvider* previous = provider;
    provider = p;
    return previous;
}

}  // namespace app
