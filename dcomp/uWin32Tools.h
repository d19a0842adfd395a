#pragma once
// System error texts and the classification of the running Windows version.
#include <string>
#include <string_view>

namespace dcomp {

// The system's message for an errno code + " [SysErr: " + code + "]"; empty when the
// system knows no message for it.
std::string SysErrorText(int code);
// SysErrorText of the calling thread's errno.
std::string LastSysErrorText();

enum class TWinPlatform { Win32s, Windows9x, NT };

// 1 Windows 95, 2 Windows 98, 3 Windows 98 SE, 4 Windows Me, 5 NT 4.0, 6 2000, 7 XP,
// 8 Server 2003, 9 Vista, 10 Windows 7; 0 for everything else.
int WindowsVersionClass(TWinPlatform platform, int major, int minor, std::string_view servicePack);
// Computed at initialisation; 0 here, as no Windows runs underneath.
int WinVersion();

void InitWin32Tools();

}  // namespace dcomp
