#include "platform/Registry.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>

#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Strings.h"
#include "platform/UniqueFd.h"

namespace platform {

namespace {

std::mutex rootMutex;
std::string sysfsTtyRoot;

std::string TtyRoot() {
    std::lock_guard<std::mutex> lock(rootMutex);
    return sysfsTtyRoot.empty() ? std::string("/sys/class/tty") : sysfsTtyRoot;
}

std::string_view TrimBackslashes(std::string_view s) {
    while (!s.empty() && s.front() == '\\') s.remove_prefix(1);
    while (!s.empty() && s.back() == '\\') s.remove_suffix(1);
    return s;
}

bool IsLinkOrDirectory(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && (S_ISLNK(st.st_mode) || S_ISDIR(st.st_mode));
}

std::string DriverName(const std::string& entry) {
    char buf[4096];
    const ssize_t n = ::readlink(JoinPath(entry, "device/driver").c_str(), buf, sizeof buf);
    return n > 0 ? ExtractFileName(std::string_view(buf, static_cast<size_t>(n))) : std::string();
}

// The legacy 8250 driver registers every possible port; only those with a UART type exist.
bool IsSerialDevice(const std::string& root, const std::string& name) {
    const std::string entry = JoinPath(root, name);
    if (!IsLinkOrDirectory(JoinPath(entry, "device"))) return false;
    if (!StartsWith(name, "ttyS") && DriverName(entry) != "serial8250") return true;
    std::string type;
    if (!ReadWholeFile(JoinPath(entry, "type"), type)) return false;
    type = Trim(type);
    return !type.empty() && type != "0";
}

// "ttyS2" before "ttyS10".
bool NaturalLess(const std::string& a, const std::string& b) {
    const auto split = [](const std::string& s) {
        size_t i = s.size();
        while (i > 0 && s[i - 1] >= '0' && s[i - 1] <= '9') --i;
        return std::make_pair(s.substr(0, i), s.substr(i));
    };
    const auto [pa, na] = split(a);
    const auto [pb, nb] = split(b);
    if (pa != pb) return pa < pb;
    if (na.size() != nb.size()) return na.size() < nb.size();
    return na < nb;
}

bool ReadSerialComm(std::vector<std::pair<std::string, std::string>>& values) {
    const std::string root = TtyRoot();
    std::vector<std::string> names;
    {
        const TUniqueDir dir(::opendir(root.c_str()));
        if (!dir) return false;
        while (const dirent* e = ::readdir(dir.Get())) {
            const std::string name = e->d_name;
            if (name != "." && name != ".." && IsSerialDevice(root, name)) names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    for (const std::string& name : names) values.emplace_back("\\Device\\" + name, "/dev/" + name);
    return true;
}

}  // namespace

void SetSysfsTtyRoot(std::string root) {
    std::lock_guard<std::mutex> lock(rootMutex);
    sysfsTtyRoot = std::move(root);
}

bool RegReadValues(HKEY root, std::string_view keyPath,
                   std::vector<std::pair<std::string, std::string>>& values) {
    values.clear();
    const std::string_view path = TrimBackslashes(keyPath);
    if (root == HKEY::LocalMachine && SameText(path, "HARDWARE\\DEVICEMAP\\SERIALCOMM"))
        return ReadSerialComm(values);
    const std::string section =
        std::string(root == HKEY::LocalMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") +
        std::string(path);
    return ReadProfileSection(section, "registry.ini", values);
}

bool RegReadString(HKEY root, std::string_view keyPath, std::string_view valueName, std::string& value) {
    std::vector<std::pair<std::string, std::string>> values;
    if (!RegReadValues(root, keyPath, values)) return false;
    for (const auto& [name, data] : values) {
        if (SameText(name, valueName)) {
            value = data;
            return true;
        }
    }
    return false;
}

}  // namespace platform
