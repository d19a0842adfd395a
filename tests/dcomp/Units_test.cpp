#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>
#include <thread>
#include <vector>

#include "dcomp/DcompInit.h"
#include "dcomp/RBTools.h"
#include "dcomp/VersionListUnit.h"
#include "dcomp/XmlLight/PwStrUtils.h"
#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "dcomp/uDateTimeEx.h"
#include "dcomp/uWin32Tools.h"
#include "platform/Cp1250.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "tests/dcomp/DcompTest.h"

using namespace dcomp;
using dcomp_test::TUnitsTest;

namespace {

// The header lines without their last two characters, in initialisation order.
std::vector<std::string> Units(const std::vector<std::string>& list) {
    std::vector<std::string> names;
    for (const std::string& line : list) {
        const size_t slash = line.rfind('/', line.find(".cpp"));
        names.push_back(line.substr(slash + 1, line.find(".cpp") - slash - 1));
    }
    return names;
}

}  // namespace

TEST_F(TUnitsTest, VersionListInInitialisationOrder) {
    const std::vector<std::string> expected = {
        "VersionListUnit", "uWin32Tools", "uDateTimeEx",   "uMappedFile",    "RBTools",     "PwStrUtils",
        "XmlLight2Unit",   "ObjectXUnit", "ComTrade3Unit", "ExtIniFileUnit", "MeasListUnit"};
    EXPECT_EQ(Units(VersionList()), expected);
    for (const std::string& line : VersionList()) {
        EXPECT_EQ(line.rfind("$Header: /", 0), 0u) << line;
        EXPECT_NE(line.back(), '$') << line;  // " $" is cut off
        EXPECT_NE(line.back(), ' ') << line;
        // path, revision, date, time, author, state
        EXPECT_EQ(std::count(line.begin(), line.end(), ' '), 6) << line;
    }
}

TEST_F(TUnitsTest, AddToVersionListCutsTwoCharacters) {
    const struct {
        std::string line, entry;
    } cases[] = {
        {"$Header: /x.cpp 1.1 2009/01/01 00:00:00 a Exp $", "$Header: /x.cpp 1.1 2009/01/01 00:00:00 a Exp"},
        {"ab", ""},
        {"a", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        AddToVersionList(c.line);
        EXPECT_EQ(VersionList().back(), c.entry) << c.line;
    }
}

TEST(UnitInit, CountedInitAndFinalize) {
    FinalizeUnits();  // unbalanced: nothing happens
    EXPECT_TRUE(VersionList().empty());
    InitUnits();
    InitUnits();
    EXPECT_EQ(VersionList().size(), 11u);
    FinalizeUnits();
    EXPECT_EQ(VersionList().size(), 11u);  // still one InitUnits open
    EXPECT_NO_THROW(XmlClassRegistry());
    FinalizeUnits();
    EXPECT_TRUE(VersionList().empty());
    EXPECT_THROW(XmlClassRegistry(), platform::Exception);
}

TEST(UnitInit, OtherThreadFailsAndIsUndoneThenMainThreadWorks) {
    std::string message;
    bool threw = false;
    std::thread other([&] {
        try {
            InitUnits();
        } catch (const platform::Exception& e) {
            threw = true;
            message = e.what();
        }
    });
    other.join();
    ASSERT_TRUE(threw);
    EXPECT_EQ(message, "MainThreadID <> GetCurrentThreadID()");
    // The units before the failing one were finalised again, the ones after never ran.
    EXPECT_TRUE(VersionList().empty());
    EXPECT_THROW(XmlClassRegistry(), platform::Exception);

    InitUnits();
    EXPECT_EQ(VersionList().size(), 11u);
    // XNODE, XOBJECT, LANG_ITEM, LANG_GROUP, LANG_CFG, ITEM, GROUP
    EXPECT_EQ(XmlClassRegistry().Count(), 7);
    EXPECT_EQ(PolishFoldTable()[0xB9], 'a');
    FinalizeUnits();
    EXPECT_TRUE(VersionList().empty());
}

TEST_F(TUnitsTest, SysErrorText) {
    EXPECT_EQ(SysErrorText(ENOENT), "No such file or directory [SysErr: 2]");
    EXPECT_EQ(SysErrorText(EACCES), "Permission denied [SysErr: 13]");
    EXPECT_EQ(SysErrorText(99999), "");
    EXPECT_EQ(SysErrorText(-1), "");
    errno = EBADF;
    EXPECT_EQ(LastSysErrorText(), "Bad file descriptor [SysErr: 9]");
}

TEST_F(TUnitsTest, WindowsVersionClass) {
    const struct {
        TWinPlatform platform;
        int major, minor;
        const char* servicePack;
        int expected;
    } cases[] = {
        {TWinPlatform::Windows9x, 4, 0, "", 1},
        {TWinPlatform::Windows9x, 4, 10, "", 2},
        {TWinPlatform::Windows9x, 4, 10, " B ", 2},
        {TWinPlatform::Windows9x, 4, 10, " A ", 3},
        {TWinPlatform::Windows9x, 4, 10, "a", 2},
        {TWinPlatform::Windows9x, 4, 90, "", 4},
        {TWinPlatform::Windows9x, 4, 3, "", 0},
        {TWinPlatform::NT, 4, 0, "", 5},
        {TWinPlatform::NT, 4, 7, "", 5},
        {TWinPlatform::NT, 5, 0, "", 6},
        {TWinPlatform::NT, 5, 1, "Service Pack 3", 7},
        {TWinPlatform::NT, 5, 2, "", 8},
        {TWinPlatform::NT, 5, 3, "", 0},
        {TWinPlatform::NT, 6, 0, "", 9},
        {TWinPlatform::NT, 6, 1, "", 10},
        {TWinPlatform::NT, 6, 2, "", 0},
        {TWinPlatform::NT, 10, 0, "", 0},
        {TWinPlatform::NT, 3, 51, "", 0},
        {TWinPlatform::Win32s, 4, 0, "", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowsVersionClass(c.platform, c.major, c.minor, c.servicePack), c.expected)
            << c.major << "." << c.minor << " '" << c.servicePack << "'";
    EXPECT_EQ(WinVersion(), 0);
    EXPECT_EQ(TimerResolution(), 19);
    EXPECT_EQ(InitialTimerResolution(), 19);
}

TEST_F(TUnitsTest, PolishFoldTableAgainstTheCodePage) {
    const struct {
        uint8_t code;
        const char* letter;
        char ascii;
    } letters[] = {
        {0x8C, "Ś", 'S'}, {0x8F, "Ź", 'Z'}, {0x9C, "ś", 's'}, {0x9F, "ź", 'z'}, {0xA3, "Ł", 'L'},
        {0xA5, "Ą", 'A'}, {0xAF, "Ż", 'Z'}, {0xB3, "ł", 'l'}, {0xB9, "ą", 'a'}, {0xBF, "ż", 'z'},
        {0xC6, "Ć", 'C'}, {0xCA, "Ę", 'E'}, {0xD1, "Ń", 'N'}, {0xD3, "Ó", 'O'}, {0xE6, "ć", 'c'},
        {0xEA, "ę", 'e'}, {0xF1, "ń", 'n'}, {0xF3, "ó", 'o'},
    };
    std::array<uint8_t, 256> expected{};
    for (int i = 0; i < 256; ++i) expected[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    for (const auto& l : letters) {
        EXPECT_EQ(platform::Cp1250ToUtf8(std::string(1, static_cast<char>(l.code))), l.letter);
        expected[l.code] = static_cast<uint8_t>(l.ascii);
    }
    EXPECT_EQ(PolishFoldTable(), expected);
}

TEST_F(TUnitsTest, TextToDateTime) {
    using platform::EncodeDate;
    using platform::EncodeTime;
    const double noValue = -12345;
    const struct {
        const char* text;
        bool ok;
        double expected;
    } cases[] = {
        {"2024.01.02 10:11", true, EncodeDate(2024, 1, 2) + EncodeTime(10, 11, 0, 0)},
        {"2024-01-02 10:11:12.5", true, EncodeDate(2024, 1, 2) + EncodeTime(10, 11, 12, 5)},
        {"2024/02/29 23:59:59.999", true, EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 59, 999)},
        {"2024,01,02 10,11,12,013", true, EncodeDate(2024, 1, 2) + EncodeTime(10, 11, 12, 13)},
        {"2024.01.02 10:11:5x", true, EncodeDate(2024, 1, 2) + EncodeTime(10, 11, 5, 0)},
        {"2024.01.02 10:11:xx.123", true, EncodeDate(2024, 1, 2) + EncodeTime(10, 11, 0, 123)},
        {"2024.01.02 10:11 12.345", true, EncodeDate(2024, 1, 2) + EncodeTime(10, 11, 0, 0)},
        {"2024.01.02 10:11:12 345", true, EncodeDate(2024, 1, 2) + EncodeTime(10, 11, 12, 0)},
        {"  24.01.02 10:11", true, EncodeDate(24, 1, 2) - EncodeTime(10, 11, 0, 0)},
        {"1899.12.29 12:00", true, -1.5},  // before the origin the time counts away from zero
        {"2024.01.02T10:11", false, 0},
        {"2024.13.02 10:11", false, 0},
        {"2024.1.02 10:11", false, 0},
        {"", false, 0},
        {"2023.02.29 10:11", false, 0},
        {"2024.01.02 24:00", false, 0},
        {"2024.01.02 10:60", false, 0},
        {"2024.01.02 10:11:60", false, 0},
        {"0000.01.02 10:11", false, 0},
        {"abcd.01.02 10:11", false, 0},
        {"2024.0x.02 10:11", false, 0},
        {"2024.-1.02 10:11", false, 0},
        {"2024.01.02 1 :11", false, 0},
    };
    for (const auto& c : cases) {
        double value = noValue;
        EXPECT_EQ(TryTextToDateTime(c.text, value), c.ok) << c.text;
        EXPECT_DOUBLE_EQ(value, c.expected) << c.text;
        EXPECT_DOUBLE_EQ(TextToDateTime(c.text), c.expected) << c.text;
    }
}

TEST_F(TUnitsTest, DateTimeToText) {
    const double value = platform::EncodeDate(2024, 1, 1) + platform::EncodeTime(10, 11, 12, 13);
    EXPECT_EQ(DateTimeToText(0), "????.??.?? ??:??:??.???");
    EXPECT_EQ(DateTimeToText(value), "2024.01.01 10:11:12.013");
    double back = 0;
    ASSERT_TRUE(TryTextToDateTime(DateTimeToText(value), back));
    EXPECT_EQ(DateTimeToText(back), "2024.01.01 10:11:12.013");

    // The colon is the application's time separator; the points stay.
    platform::TFormatSettings dashes = platform::AppFormatSettings();
    dashes.TimeSeparator = '-';
    platform::TAppFormatSettingsScope scope(dashes);
    EXPECT_EQ(DateTimeToText(value), "2024.01.01 10-11-12.013");
}

TEST_F(TUnitsTest, TextToIPv4) {
    const uint32_t untouched = 0xDEADBEEF;
    const struct {
        const char* text;
        bool ok;
        uint32_t expected;
    } cases[] = {
        {"192.168.1.20", true, 0x1401A8C0},
        {"0.0.0.0", true, 0},
        {"255.255.255.255", true, 0xFFFFFFFF},
        {"1.2.3.4.5", true, 0x04030201},
        {"1.2.3.4.", true, 0x04030201},
        {" 1.2.3.4", true, 0x04030201},
        {"1.2.3", false, untouched},
        {"1..2.3", false, untouched},
        {"1.2.3.256", false, untouched},
        {"1.2.3.-1", false, untouched},
        {"1.2.3.x", false, untouched},
        {"1.2.3.4 ", false, untouched},
        {"", false, untouched},
        {"99999999999.1.1.1", false, untouched},
    };
    for (const auto& c : cases) {
        uint32_t address = untouched;
        EXPECT_EQ(TextToIPv4(c.text, address), c.ok) << c.text;
        EXPECT_EQ(address, c.expected) << c.text;
    }
}
