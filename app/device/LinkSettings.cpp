#include "app/device/LinkSettings.h"

namespace app {

namespace {

class TDefaults : public ILinkSettingsProvider {
public:
    TLinkSettings LinkSettings() override { return {}; }
};

}  // namespace

ILinkSettingsProvider& TDefaultLinkSettings::Get() {
    static TDefaults defaults;
    return defaults;
}

}  // namespace app
