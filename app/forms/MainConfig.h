#pragma once
// The main window's configuration: the seven keys of "halvo.ini" under the section named
// after the program, the serial port rule and where the ".set" files lie.
#include <cstdint>
#include <string>
#include <string_view>

#include "app/device/LinkSettings.h"
#include "app/link/RsdUnit.h"

namespace app {

inline constexpr const char* kIniFileName = "halvo.ini";

struct TMainConfig {
    bool UseModbusTcp = false;  // "TALVOComm" exactly 1
    std::string TcpAddress = "127.0.0.1";
    uint16_t TcpPort = 502;
    std::string CommPort = "COM1";
    TBaudRate Speed = br9600;
    int32_t TimeOutMs = 500;
    int32_t TimeSilenceMs = 300;
    bool operator==(const TMainConfig&) const = default;
};

// "TALVOIP" keeps this many characters: a whole dotted IPv4 address.
inline constexpr std::size_t kTcpAddressLength = 15;

// The executable's file name up to its first ".", first character as it is, the rest in
// lower case: "/opt/x/SERVICE.EXE" gives "Service".
std::string ApplicationTitle(std::string_view executablePath);

// A "Port" value that reads as a positive integer n is "COMn"; any other text is the
// port's name as it stands (empty: no port).
std::string CommPortFromProfile(std::string_view value);

// Missing keys and values out of range take the defaults above.
TMainConfig ReadMainConfig(std::string_view section, std::string_view fileName = kIniFileName);
// All seven keys; false when the file cannot be written, errno then saying why.
bool WriteMainConfig(const TMainConfig& config, std::string_view section,
                     std::string_view fileName = kIniFileName);

// Port, speed, read time-out and silence time go to the link at start, so the serial
// road waits as configured before the options dialog was ever confirmed.
void ApplyToLink(const TMainConfig& config, TRsdHan& link);
TLinkSettings LinkSettingsOf(const TMainConfig& config, ISerialLink* serialLink);

// The program's directory when it exists, else the registry's "INSTALLDIR" of the
// program's key when it has one, else the program's directory all the same.
std::string ChooseDataDirectory(std::string_view programDirectory);

}  // namespace app
