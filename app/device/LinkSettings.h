#pragma once
// What a transfer takes from the main window at every transaction: the Modbus TCP
// switch, address and port, the time-outs and the serial link. The main window is the
// process's one provider; tests set their own.
#include <cstdint>
#include <string>

#include "app/link/SerialLink.h"
#include "platform/ServiceScope.h"

namespace app {

struct TLinkSettings {
    bool TALVOComm = false;  // Modbus over TCP when set
    std::string TALVOIP = "127.0.0.1";
    uint16_t TALVOPort = 502;
    int32_t TimeOut = 500;              // Time_Out, ms; the TCP road waits twice as long
    int32_t TimeSilence = 300;          // ms between a request and its answer, and between frames
    ISerialLink* SerialLink = nullptr;  // none: every serial transaction times out
};

class ILinkSettingsProvider {
public:
    virtual ~ILinkSettingsProvider() = default;
    virtual TLinkSettings LinkSettings() = 0;
};

// While none is set, the defaults above.
struct TDefaultLinkSettings {
    static ILinkSettingsProvider& Get();
};
using TLinkSettingsService = platform::TProcessService<ILinkSettingsProvider, TDefaultLinkSettings>;
using TLinkSettingsScope = TLinkSettingsService::TScope;
inline TLinkSettings CurrentLinkSettings() {
    return TLinkSettingsService::Current().LinkSettings();
}

}  // namespace app
