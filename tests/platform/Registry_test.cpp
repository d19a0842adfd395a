#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TempDirTest.h"

using namespace platform;
namespace fs = std::filesystem;
using Values = std::vector<std::pair<std::string, std::string>>;

namespace {

class RegistryTest : public platform_test::TempDirTest {
protected:
    void TearDown() override {
        SetSysfsTtyRoot("");
        TempDirTest::TearDown();
    }
    // One tty entry of a fake sysfs tree.
    void Tty(const std::string& name, bool device, const char* type = nullptr, const char* driver = nullptr) {
        const fs::path entry = fs::path(Path("tty")) / name;
        fs::create_directories(entry);
        if (device && driver) {
            fs::create_directories(entry / "device");
            fs::create_symlink(fs::path("../../bus/drivers") / driver, entry / "device" / "driver");
        } else if (device) {
            fs::create_directory_symlink("../../devices/" + name, entry / "device");  // dangling is fine
        }
        if (type) Write("tty/" + name + "/type", std::string(type) + "\n");
    }
};

}  // namespace

TEST_F(RegistryTest, SerialCommListsTheSerialDevices) {
    Tty("tty0", false);
    Tty("console", false);
    Tty("ttyUSB0", true);
    Tty("ttyACM0", true, nullptr, "cdc_acm");
    Tty("ttyS0", true, "4");
    Tty("ttyS1", true, "0");
    Tty("ttyS2", true);
    Tty("ttyS10", true, "4");
    Tty("ttyMX3", true, "1", "serial8250");
    Tty("ttyMX4", true, "0", "serial8250");
    Write("tty/stray", "not a directory");
    SetSysfsTtyRoot(Path("tty"));

    Values values;
    ASSERT_TRUE(RegReadValues(HKEY::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM", values));
    EXPECT_EQ(values, (Values{{"\\Device\\ttyACM0", "/dev/ttyACM0"},
                              {"\\Device\\ttyMX3", "/dev/ttyMX3"},
                              {"\\Device\\ttyS0", "/dev/ttyS0"},
                              {"\\Device\\ttyS10", "/dev/ttyS10"},
                              {"\\Device\\ttyUSB0", "/dev/ttyUSB0"}}));
    Values again;
    ASSERT_TRUE(RegReadValues(HKEY::LocalMachine, "hardware\\DeviceMap\\SerialComm\\", again));
    EXPECT_EQ(again, values);
    std::string data;
    ASSERT_TRUE(
        RegReadString(HKEY::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM", "\\device\\ttyusb0", data));
    EXPECT_EQ(data, "/dev/ttyUSB0");
    EXPECT_FALSE(
        RegReadString(HKEY::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM", "\\Device\\ttyS1", data));
}

TEST_F(RegistryTest, SerialCommWithoutSysfsIsNoKey) {
    SetSysfsTtyRoot(Path("missing"));
    Values values = {{"old", "value"}};
    EXPECT_FALSE(RegReadValues(HKEY::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM", values));
    EXPECT_TRUE(values.empty());
    fs::create_directories(Path("empty"));
    SetSysfsTtyRoot(Path("empty"));
    EXPECT_TRUE(RegReadValues(HKEY::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM", values));
    EXPECT_TRUE(values.empty());
}

TEST_F(RegistryTest, OtherKeysComeFromRegistryIni) {
    Write("registry.ini",
          "[HKEY_LOCAL_MACHINE\\Software\\Quarnel\\TREVOLAN]\r\n"
          "InstallDir=/opt/trevolan\r\n"
          "Version=\"2.1\"\r\n"
          "[HKEY_CURRENT_USER\\Software\\Quarnel\\TREVOLAN]\r\n"
          "InstallDir=/home/u/trevolan\r\n"
          "[HKEY_CURRENT_USER\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\r\n"
          "\\Device\\Fake=/dev/fake\r\n"
          "[HKEY_LOCAL_MACHINE\\Software\\Empty]\r\n");
    SetSysfsTtyRoot(Path("missing"));
    struct Case {
        HKEY root;
        std::string key, name;
        bool found;
        std::string data;
    };
    const std::vector<Case> cases = {
        {HKEY::LocalMachine, "Software\\Quarnel\\TREVOLAN", "InstallDir", true, "/opt/trevolan"},
        {HKEY::LocalMachine, "SOFTWARE\\quarnel\\Trevolan", "installdir", true, "/opt/trevolan"},
        {HKEY::LocalMachine, "Software\\Quarnel\\TREVOLAN", "Version", true, "2.1"},
        {HKEY::CurrentUser, "Software\\Quarnel\\TREVOLAN", "InstallDir", true, "/home/u/trevolan"},
        {HKEY::CurrentUser, "HARDWARE\\DEVICEMAP\\SERIALCOMM", "\\Device\\Fake", true, "/dev/fake"},
        {HKEY::LocalMachine, "Software\\Quarnel\\TREVOLAN", "Missing", false, ""},
        {HKEY::LocalMachine, "Software\\Quarnel", "InstallDir", false, ""},
        {HKEY::LocalMachine, "Software\\Empty", "x", false, ""},
    };
    for (const auto& c : cases) {
        std::string data = "unchanged";
        EXPECT_EQ(RegReadString(c.root, c.key, c.name, data), c.found) << c.key << " " << c.name;
        EXPECT_EQ(data, c.found ? c.data : "unchanged") << c.key << " " << c.name;
    }
    Values values;
    EXPECT_TRUE(RegReadValues(HKEY::LocalMachine, "Software\\Empty", values));
    EXPECT_TRUE(values.empty());
    EXPECT_FALSE(RegReadValues(HKEY::CurrentUser, "Software\\Empty", values));
    fs::remove(Path("registry.ini"));
    EXPECT_FALSE(RegReadValues(HKEY::LocalMachine, "Software\\Quarnel\\TREVOLAN", values));
}
