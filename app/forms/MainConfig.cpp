#include "app/forms/MainConfig.h"

#include <cerrno>
#include <cstdint>

#include "platform/Files.h"
#include "platform/FormatSettings.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/Strings.h"

namespace app {

namespace {

constexpr const char* kInstallKey = "Software\\Quarnel\\TREVOLAN\\";

int32_t PositiveOr(int value, int32_t def) {
    return value >= 1 ? value : def;
}

std::string WithoutTrailingSlash(std::string_view dir) {
    while (dir.size() > 1 && dir.back() == '/') dir.remove_suffix(1);
    return std::string(dir);
}

}  // namespace

std::string ApplicationTitle(std::string_view executablePath) {
    std::string name = platform::ExtractFileName(executablePath);
    name = name.substr(0, name.find('.'));
    if (name.size() > 1) name = name.substr(0, 1) + platform::LowerCase(std::string_view(name).substr(1));
    return name;
}

std::string CommPortFromProfile(std::string_view value) {
    int64_t number = 0;
    if (platform::TryStrToInt(value, number) && number > 0 && number <= INT32_MAX)
        return "COM" + platform::IntToStr(number);
    return std::string(value);
}

TMainConfig ReadMainConfig(std::string_view section, std::string_view fileName) {
    const platform::TProfileFile ini(fileName);
    const TMainConfig def;
    TMainConfig c;
    c.UseModbusTcp = ini.ReadInteger(section, "TALVOComm", 0) == 1;
    c.TcpAddress = std::string(
        platform::Utf8Prefix(ini.ReadString(section, "TALVOIP", def.TcpAddress), kTcpAddressLength));
    // A port out of range would wrap to some other port; the default is the Modbus one.
    const int port = ini.ReadInteger(section, "TALVOPort", def.TcpPort);
    c.TcpPort = port >= 0 && port <= 65535 ? static_cast<uint16_t>(port) : def.TcpPort;
    c.CommPort = CommPortFromProfile(ini.ReadString(section, "Port", def.CommPort));
    c.Speed = BaudRateFromOrdinal(ini.ReadInteger(section, "Speed", def.Speed));
    // No wait at all would fail every transaction; such a value takes the default.
    c.TimeOutMs = PositiveOr(ini.ReadInteger(section, "Time_Out", def.TimeOutMs), def.TimeOutMs);
    c.TimeSilenceMs =
        PositiveOr(ini.ReadInteger(section, "TimeSilence", def.TimeSilenceMs), def.TimeSilenceMs);
    return c;
}

bool WriteMainConfig(const TMainConfig& config, std::string_view section, std::string_view fileName) {
    using platform::IntToStr;
    const std::pair<const char*, std::string> keys[] = {
        {"TALVOComm", config.UseModbusTcp ? "1" : "0"},
        {"TALVOIP", config.TcpAddress},
        {"TALVOPort", IntToStr(config.TcpPort)},
        {"Port", config.CommPort},
        {"Speed", IntToStr(config.Speed)},
        {"Time_Out", IntToStr(config.TimeOutMs)},
        {"TimeSilence", IntToStr(config.TimeSilenceMs)},
    };
    // Every key is tried; the first failure's reason is the one told.
    int error = 0;
    for (const auto& [key, value] : keys)
        if (!platform::WritePrivateProfileString(section, key, value, fileName) && error == 0)
            error = errno != 0 ? errno : EIO;
    errno = error;
    return error == 0;
}

void ApplyToLink(const TMainConfig& config, TRsdHan& link) {
    link.SetCommPort(config.CommPort);
    link.SetBaudRate(config.Speed);
    link.SetReadTotalTimeoutConstant(config.TimeOutMs);
    link.SetSilenceTime(config.TimeSilenceMs);
}

TLinkSettings LinkSettingsOf(const TMainConfig& config, ISerialLink* serialLink) {
    TLinkSettings s;
    s.TALVOComm = config.UseModbusTcp;
    s.TALVOIP = config.TcpAddress;
    s.TALVOPort = config.TcpPort;
    s.TimeOut = config.TimeOutMs;
    s.TimeSilence = config.TimeSilenceMs;
    s.SerialLink = serialLink;
    return s;
}

std::string ChooseDataDirectory(std::string_view programDirectory) {
    const std::string own = WithoutTrailingSlash(programDirectory);
    if (platform::DirectoryExists(own)) return own;
    std::string installDir;
    if (platform::RegReadString(platform::HKEY::LocalMachine, kInstallKey, "INSTALLDIR", installDir))
        return WithoutTrailingSlash(installDir);
    return own;
}

}  // namespace app
