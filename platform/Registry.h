#pragma once
// Read-only registry lookups. HKLM "HARDWARE\DEVICEMAP\SERIALCOMM" lists the machine's
// serial devices from sysfs; every other key comes from "registry.ini" in the Windows
// directory (section = key path, e.g. [HKEY_LOCAL_MACHINE\Software\Quarnel\TREVOLAN]).
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

enum class HKEY { LocalMachine, CurrentUser };

// All values of a key as (name, data); false when the key does not exist.
bool RegReadValues(HKEY root, std::string_view keyPath,
                   std::vector<std::pair<std::string, std::string>>& values);
// One value; false when the key or the value does not exist.
bool RegReadString(HKEY root, std::string_view keyPath, std::string_view valueName, std::string& value);

// Tests point this at a fake tree; empty restores /sys/class/tty.
void SetSysfsTtyRoot(std::string root);

}  // namespace platform
