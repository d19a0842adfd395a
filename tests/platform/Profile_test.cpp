#include "platform/Profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/TempDir.h"

using namespace platform;

namespace {

class ProfileTest : public platform_test::TempDirTest {};

// Sets or clears one environment variable for a scope.
class TEnvScope {
public:
    TEnvScope(const char* name, const char* value) : name_(name) {
        if (const char* old = ::getenv(name)) old_ = old;
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~TEnvScope() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

const char* const kSample =
    "top=outside\r\n"
    "[Main]\r\n"
    "; Port=COM9\r\n"
    "Port = COM2 \r\n"
    "port=COM7\r\n"
    "Quoted=\"  spaced  \"\r\n"
    "Half=\"open\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    "  [ other ]  \r\n"
    "Port=COM5\r\n"
    "[MAIN]\r\n"
    "Later=1\r\n"
    "Port=COM8\r\n";

}  // namespace

TEST_F(ProfileTest, ReadsNamesWithoutCaseFirstMatchWins) {
    Write("halvo.ini", kSample);
    struct Case {
        const char* section;
        const char* key;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"Main", "Port", "COM2"},  // trimmed; the commented and the duplicate key lose
        {"main", "PORT", "COM2"},    {"Main", "Quoted", "  spaced  "},
        {"Main", "Half", "\"open"},  {"Main", "Empty", ""},
        {"Main", "NoEquals", "def"}, {"Main", "Later", "def"},  // only in the second [MAIN]
        {"Other", "port", "COM5"},   {"Main", "top", "def"},    // before any section
        {"Missing", "Port", "def"},  {"Main", "; Port", "def"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetPrivateProfileString(c.section, c.key, "def", "halvo.ini"), c.expected)
            << c.section << "/" << c.key;
    EXPECT_EQ(GetPrivateProfileString("Main", "Port", "COM2", Path("halvo.ini")), "COM2");  // full path too
    EXPECT_EQ(GetPrivateProfileString("Main", "Port", "none", "missing.ini"), "none");
    EXPECT_EQ(GetPrivateProfileInt("Main", "Port", 4, "missing.ini"), 4);
}

TEST_F(ProfileTest, ReadsASection) {
    Write("halvo.ini", kSample);
    std::vector<std::pair<std::string, std::string>> values;
    ASSERT_TRUE(ReadProfileSection("OTHER", "halvo.ini", values));
    EXPECT_EQ(values, (std::vector<std::pair<std::string, std::string>>{{"Port", "COM5"}}));
    ASSERT_TRUE(ReadProfileSection("main", "halvo.ini", values));
    EXPECT_EQ(values.size(), 5u);
    EXPECT_EQ(values[0], (std::pair<std::string, std::string>{"Port", "COM2"}));
    EXPECT_FALSE(ReadProfileSection("Missing", "halvo.ini", values));
    EXPECT_FALSE(ReadProfileSection("Main", "missing.ini", values));
}

TEST_F(ProfileTest, ReadsIntegers) {
    struct Case {
        std::string text;
        int expected;
    };
    const std::vector<Case> cases = {
        {"12", 12},
        {" -5 ", -5},
        {"+7", 7},
        {"12abc", 12},
        {"0x1F", 31},
        {"0X1f", 31},
        {"0xFFFFFFFF", -1},
        {"abc", -99},
        {"", -99},
        {"-", -99},
        {"0x", -99},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", -99},
        {"99999999999999999999", -99},
        {"0x1FFFFFFFF", -99},
    };
    for (const auto& c : cases) {
        Write("n.ini", "[S]\nv=" + c.text + "\n");
        EXPECT_EQ(GetPrivateProfileInt("s", "V", -99, "n.ini"), c.expected) << c.text;
    }
}

TEST_F(ProfileTest, WriteKeepsEveryOtherLineByteForByte) {
    const std::string before =
        "; HALVO settings\r\n"
        "\r\n"
        "[Other]\r\n"
        "Port=COM1\r\n"
        "\r\n"
        "[Main]\r\n"
        "  ; keep me  \r\n"
        "PORT = COM2\r\n"
        "Port=COM3\r\n"
        "Speed=9600\r\n"
        "\r\n"
        "[Last]\r\n"
        "x=1";
    Write("halvo.ini", before);
    ASSERT_TRUE(WritePrivateProfileString("main", "port", "COM4", "halvo.ini"));
    std::string expected = before;
    expected.replace(expected.find("PORT = COM2"), 11, "PORT=COM4");
    EXPECT_EQ(Read("halvo.ini"), expected);

    ASSERT_TRUE(WritePrivateProfileString("Main", "Parity", "N", "halvo.ini"));
    expected.insert(expected.find("\r\n[Last]"), "Parity=N\r\n");
    EXPECT_EQ(Read("halvo.ini"), expected);

    ASSERT_TRUE(WritePrivateProfileString("Last", "y", "2", "halvo.ini"));
    expected += "\r\ny=2\r\n";
    EXPECT_EQ(Read("halvo.ini"), expected);

    ASSERT_TRUE(WritePrivateProfileString("New", "k", "v", "halvo.ini"));
    expected += "[New]\r\nk=v\r\n";
    EXPECT_EQ(Read("halvo.ini"), expected);
    EXPECT_EQ(GetPrivateProfileString("Main", "Port", "", "halvo.ini"), "COM4");
}

TEST_F(ProfileTest, WriteKeepsLfEndings) {
    Write("a.ini", "[A]\nk=1\n");
    ASSERT_TRUE(WritePrivateProfileString("B", "k", "2", "a.ini"));
    ASSERT_TRUE(WritePrivateProfileString("A", "j", "3", "a.ini"));
    EXPECT_EQ(Read("a.ini"), "[A]\nk=1\nj=3\n[B]\nk=2\n");
}

TEST_F(ProfileTest, WriteCreatesTheFileAndItsDirectory) {
    const std::string winDir = Path("deep/er");
    ::setenv("HALVO_WINDIR", winDir.c_str(), 1);
    ASSERT_TRUE(WritePrivateProfileString("Main", "Port", "COM1", "halvo.ini"));
    EXPECT_EQ(Read("deep/er/halvo.ini"), "[Main]\r\nPort=COM1\r\n");
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "v", Path("x/y/z.set")));
    EXPECT_EQ(Read("x/y/z.set"), "[S]\r\nk=v\r\n");
}

TEST_F(ProfileTest, WriteIntoReadOnlyDirectoryFailsAndKeepsTheFile) {
    Write("ro/halvo.ini", "[Main]\r\nPort=COM1\r\n");
    ::chmod(dir_.c_str(), 0755);
    ::chmod(Path("ro").c_str(), 0555);
    EXPECT_FALSE(platform_test::RunUnprivileged(
        [&] { return WritePrivateProfileString("Main", "Port", "COM2", Path("ro/halvo.ini")); }));
    EXPECT_EQ(Read("ro/halvo.ini"), "[Main]\r\nPort=COM1\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("ro")), {}), 1);
}

TEST_F(ProfileTest, WriteRefusesWhatWouldBreakTheLines) {
    const std::string before = "[Main]\r\nPort=COM1\r\n";
    Write("halvo.ini", before);
    struct Case {
        std::string section, key, value;
    };
    const std::vector<Case> cases = {
        {"Main", "Port", "COM2\r\n[Evil]"},
        {"Main", "a=b", "1"},
        {"Main", "", "1"},
        {"Main", ";x", "1"},
        {"Main", "[x", "1"},
        {"Ma]in", "k", "1"},
        {"Ma\nin", "k", "1"},
        {" ", "k", "1"},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(WritePrivateProfileString(c.section, c.key, c.value, "halvo.ini"))
            << c.section << "/" << c.key;
    EXPECT_EQ(Read("halvo.ini"), before);
}

TEST_F(ProfileTest, CodePage1250TextRoundTrips) {
    // "Wyjście" and "Łódź" in code page 1250.
    const std::string before =
        "[Opisy]\r\nK1=Wyj\x9C"
        "cie\r\nK2=\xA3\xF3"
        "d\x9F\r\n";
    Write("pl.set", before);
    EXPECT_EQ(GetPrivateProfileString("Opisy", "K1", "", "pl.set"), "Wyjście");
    const std::string k2 = GetPrivateProfileString("Opisy", "K2", "", "pl.set");
    EXPECT_EQ(k2, "Łódź");
    ASSERT_TRUE(WritePrivateProfileString("Opisy", "K2", k2, "pl.set"));
    EXPECT_EQ(Read("pl.set"), before);
    ASSERT_TRUE(WritePrivateProfileString("Opisy", "K3", "Żółw", "pl.set"));
    EXPECT_EQ(Read("pl.set"), before + "K3=\xAF\xF3\xB3w\r\n");
}

TEST_F(ProfileTest, Utf8FileStaysUtf8) {
    const std::string before = "\xEF\xBB\xBF[Opisy]\nK1=Łódź\n";
    Write("u.ini", before);
    EXPECT_EQ(GetPrivateProfileString("opisy", "k1", "", "u.ini"), "Łódź");
    ASSERT_TRUE(WritePrivateProfileString("Opisy", "K2", "Żółw", "u.ini"));
    EXPECT_EQ(Read("u.ini"), before + "K2=Żółw\n");
}

TEST(Profile, WindowsDirectoryRule) {
    {
        TEnvScope w("HALVO_WINDIR", "/opt/halvo"), x("XDG_CONFIG_HOME", "/x");
        EXPECT_EQ(WindowsDirectory(), "/opt/halvo");
        EXPECT_EQ(ProfilePath("halvo.ini"), "/opt/halvo/halvo.ini");
        EXPECT_EQ(ProfilePath("./a.set"), "./a.set");
    }
    {
        TEnvScope w("HALVO_WINDIR", nullptr), x("XDG_CONFIG_HOME", "/x/cfg"), h("HOME", "/home/u");
        EXPECT_EQ(WindowsDirectory(), "/x/cfg/halvo");
    }
    {
        TEnvScope w("HALVO_WINDIR", ""), x("XDG_CONFIG_HOME", nullptr), h("HOME", "/home/u");
        EXPECT_EQ(WindowsDirectory(), "/home/u/.config/halvo");
    }
}
