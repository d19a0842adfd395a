#include "platform/Profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

#include "platform/Cp1250.h"
#include "platform/Strings.h"
#include "tests/support/Bounded.h"
#include "tests/support/TempDirTest.h"

using namespace platform;

namespace {

class ProfileTest : public platform_test::TempDirTest {};

// Sets or clears one environment variable for a scope.
class TEnvScope {
public:
    TEnvScope(const char* name, const char* value) : FName(name) {
        if (const char* old = ::getenv(name)) FOld = old;
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~TEnvScope() {
        if (FOld) {
            ::setenv(FName, FOld->c_str(), 1);
        } else {
            ::unsetenv(FName);
        }
    }

private:
    const char* FName;
    std::optional<std::string> FOld;
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
    ::chmod(FDir.c_str(), 0755);
    ::chmod(Path("ro").c_str(), 0555);
    EXPECT_FALSE(platform_test::RunUnprivileged(
        [&] { return WritePrivateProfileString("Main", "Port", "COM2", Path("ro/halvo.ini")); }));
    EXPECT_EQ(Read("ro/halvo.ini"), "[Main]\r\nPort=COM1\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("ro")), {}), 1);
}

TEST_F(ProfileTest, AnIniThatIsNoRegularFileReadsAsMissingAndIsNotReplaced) {
    ASSERT_EQ(::mkfifo(Path("halvo.ini").c_str(), 0644), 0);
    std::filesystem::create_directories(Path("dir.ini"));
    // A device is only read: a failing test must not replace it.
    for (const std::string name : {"halvo.ini", "dir.ini", "/dev/null"}) {
        const bool device = name[0] == '/';
        const auto outcome = platform_test::RunBounded(10, [&] {
            const TProfileFile file(name);
            std::string result =
                (file.Exists() ? "read " : "missing ") + file.ReadString("Main", "Port", "COM1");
            if (!device)
                result += WritePrivateProfileString("Main", "Port", "COM2", name) ? " written" : " refused";
            return result;
        });
        EXPECT_EQ(outcome, std::string(device ? "missing COM1" : "missing COM1 refused")) << name;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(Path("halvo.ini")));
    EXPECT_TRUE(std::filesystem::is_directory(Path("dir.ini")));
}

TEST_F(ProfileTest, WritingALinkedIniChangesItsTargetAndKeepsTheLink) {
    Write("conf/halvo.ini", "[Main]\r\nPort=COM1\r\n");
    std::filesystem::create_symlink("conf/halvo.ini", Path("halvo.ini"));
    ASSERT_TRUE(WritePrivateProfileString("Main", "Port", "COM2", "halvo.ini"));
    EXPECT_TRUE(std::filesystem::is_symlink(std::filesystem::symlink_status(Path("halvo.ini"))));
    EXPECT_EQ(Read("conf/halvo.ini"), "[Main]\r\nPort=COM2\r\n");
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

namespace {

struct TTestLine {
    std::string Text, Ending;
    bool operator==(const TTestLine&) const = default;
};

// The reader's line rule: LF, CR LF or a lone CR ends a line; a leading UTF-8 mark
// belongs to no line.
std::vector<TTestLine> SplitWithEndings(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    std::vector<TTestLine> lines;
    while (!bytes.empty()) {
        const size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
        size_t ending = end == bytes.size() ? 0 : 1;
        if (ending == 1 && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ending = 2;
        lines.push_back({std::string(bytes.substr(0, end)), std::string(bytes.substr(end, ending))});
        bytes.remove_prefix(end + ending);
    }
    return lines;
}

std::string Unquoted(std::string v) {
    return v.size() >= 2 && v.front() == '"' && v.back() == '"' ? v.substr(1, v.size() - 2) : v;
}

// The first-match rule walked line by line, as a reader without an index does it: the
// first key of that name in the first section of that name. `all` gets every key of
// that section; false when there is no such section.
bool WalkSection(const std::string& bytes, std::string_view section,
                 std::vector<std::pair<std::string, std::string>>& all) {
    const bool utf8 = bytes.starts_with("\xEF\xBB\xBF");
    bool inside = false, found = false;
    all.clear();
    for (const TTestLine& line : SplitWithEndings(bytes)) {
        const std::string text = Trim(utf8 ? CleanUtf8(line.Text) : Cp1250ToUtf8(line.Text));
        if (text.starts_with('[')) {
            if (inside) break;  // the first section of that name ends here
            const size_t close = text.find(']');
            inside = SameText(Trim(text.substr(1, close == std::string::npos ? close : close - 1)), section);
            found = found || inside;
            continue;
        }
        const size_t eq = text.find('=');
        if (inside && !text.starts_with(';') && eq != std::string::npos && eq > 0)
            all.emplace_back(Trim(text.substr(0, eq)), Unquoted(Trim(text.substr(eq + 1))));
    }
    return found;
}

std::optional<std::string> WalkRead(const std::string& bytes, std::string_view section,
                                    std::string_view key) {
    std::vector<std::pair<std::string, std::string>> all;
    WalkSection(bytes, section, all);
    for (const auto& [name, value] : all)
        if (SameText(name, key)) return value;
    return std::nullopt;
}

// After writing section/key, the file must differ from before only in that key's line:
// replaced in place with its own ending, or inserted (with its section when new), an
// inserted line taking the ending of the line it follows. A last line without an ending
// may gain one. Returns what is wrong, or empty.
std::string OnlyTheKeyChanged(const std::string& before, const std::string& after, std::string_view section,
                              std::string_view key, std::string_view value) {
    const std::vector<TTestLine> b = SplitWithEndings(before), a = SplitWithEndings(after);
    size_t prefix = 0;
    while (prefix < b.size() && prefix < a.size() && b[prefix] == a[prefix]) ++prefix;
    size_t suffix = 0;
    while (prefix + suffix < b.size() && prefix + suffix < a.size() &&
           b[b.size() - 1 - suffix] == a[a.size() - 1 - suffix])
        ++suffix;
    std::vector<TTestLine> removed(b.begin() + prefix, b.end() - suffix);
    std::vector<TTestLine> added(a.begin() + prefix, a.end() - suffix);
    // Names here are ASCII; the value lies in the file's own encoding.
    const std::string encodedValue =
        before.starts_with("\xEF\xBB\xBF") ? std::string(value) : Utf8ToCp1250(value);
    const std::string keyLine = Trim(key) + "=" + encodedValue;
    if (removed.empty() && added.empty()) return {};  // the same line written again
    if (removed.size() == 1 && added.size() == 1) {
        const std::string old = Trim(removed[0].Text);
        const size_t eq = old.find('=');
        if (eq != std::string::npos && eq > 0 && !old.starts_with(';') && !old.starts_with('[') &&
            SameText(Trim(old.substr(0, eq)), Trim(key)))
            return added[0].Text == Trim(old.substr(0, eq)) + "=" + encodedValue &&
                           added[0].Ending == removed[0].Ending
                       ? ""
                       : "the key's line was not replaced in place";
    }
    // A last line without an ending that gained one counts as kept.
    if (removed.size() == 1 && removed[0].Ending.empty() && prefix + 1 == b.size() && !added.empty() &&
        added[0].Text == removed[0].Text && !added[0].Ending.empty()) {
        removed.clear();
        added.erase(added.begin());
        ++prefix;
    }
    if (!removed.empty()) return "a line other than the key changed: \"" + removed[0].Text + "\"";
    const bool keyOnly = added.size() == 1 && added[0].Text == keyLine;
    const bool withSection =
        added.size() == 2 && SameText(added[0].Text, "[" + Trim(section) + "]") && added[1].Text == keyLine;
    if (!keyOnly && !withSection) return "unexpected lines inserted";
    for (size_t i = 0; i < added.size(); ++i) {
        const std::string expected = prefix + i == 0 ? std::string("\r\n") : a[prefix + i - 1].Ending;
        if (added[i].Ending != expected) return "inserted line \"" + added[i].Text + "\" has another ending";
    }
    return {};
}

}  // namespace

TEST_F(ProfileTest, InsertedLineTakesTheEndingOfTheLineItFollows) {
    struct Case {
        const char* name;
        std::string before;
        const char* section;
        const char* key;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"LF", "[A]\nk=1\n\n[B]\nx=2\n", "A", "j", "[A]\nk=1\nj=v\n\n[B]\nx=2\n"},
        {"CR LF", "[A]\r\nk=1\r\n\r\n[B]\r\n", "A", "j", "[A]\r\nk=1\r\nj=v\r\n\r\n[B]\r\n"},
        {"lone CR", "[A]\rk=1\r\r[B]\r", "A", "j", "[A]\rk=1\rj=v\r\r[B]\r"},
        // A lone CR before an empty LF line would read as one CR LF: the blank line lost.
        {"lone CR first, empty line next", "[A]\rk=1\n\n[B]\nx=2\n", "A", "j", "[A]\rk=1\nj=v\n\n[B]\nx=2\n"},
        {"comment ends with CR", "; c\r[A]\nx=1\r\n\n", "A", "j", "; c\r[A]\nx=1\r\nj=v\r\n\n"},
        {"mixed, follows LF", "[A]\r\nk=1\n", "a", "j", "[A]\r\nk=1\nj=v\n"},
        {"blank lines before the next section stay", "[A]\n\nk=1\r\n\n\n[B]\n", "A", "j",
         "[A]\n\nk=1\r\nj=v\r\n\n\n[B]\n"},
        {"after a header", "[A]\r\n\n[B]\n", "A", "j", "[A]\r\nj=v\r\n\n[B]\n"},
        {"no final ending, CR LF above", "[A]\r\nk=1", "A", "j", "[A]\r\nk=1\r\nj=v\r\n"},
        {"no final ending, lone CR above", "[A]\rk=1", "A", "j", "[A]\rk=1\rj=v\r"},
        {"no ending anywhere", "k=0", "A", "j", "k=0\n[A]\nj=v\n"},
        {"header without ending", "[A]", "A", "j", "[A]\nj=v\n"},
        {"new section after a lone CR", "[A]\nk=1\r", "B", "j", "[A]\nk=1\r[B]\rj=v\r"},
        {"replaced line keeps its ending", "[A]\rk=1\n\n", "A", "K", "[A]\rk=v\n\n"},
        {"empty file", "", "A", "j", "[A]\r\nj=v\r\n"},
        {"mark only", "\xEF\xBB\xBF", "A", "j", "\xEF\xBB\xBF[A]\r\nj=v\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write("e.ini", c.before);
        ASSERT_TRUE(WritePrivateProfileString(c.section, c.key, "v", "e.ini"));
        const std::string after = Read("e.ini");
        EXPECT_EQ(after, c.expected);
        EXPECT_EQ(OnlyTheKeyChanged(c.before, after, c.section, c.key, "v"), "");
        EXPECT_EQ(GetPrivateProfileString(c.section, c.key, "def", "e.ini"), "v");
        for (const char* key : {"k", "x"}) {
            for (const char* section : {"A", "B"}) {
                if (SameText(section, c.section) && SameText(key, c.key)) continue;
                EXPECT_EQ(GetPrivateProfileString(section, key, "def", "e.ini"),
                          WalkRead(c.before, section, key).value_or("def"))
                    << section << "/" << key;
            }
        }
    }
}

namespace {

// Random profile files of every line kind and ending mix, from a fixed seed.
class TRandomProfiles {
public:
    const std::vector<std::string> Sections = {"A", "a", "B", " b ", "Main", "New", "SECTION_1"};
    const std::vector<std::string> Keys = {"k", "K", "j", " x ", "X1_NAME", "y"};
    const std::vector<std::string> Values = {"v", "1 2", "", "\xC5\x81\xC3\xB3\x64\xC5\xBA", "a=b", "[x]"};

    std::string Pick(const std::vector<std::string>& from) { return from[FRng() % from.size()]; }

    std::string File() {
        std::string file = FRng() % 8 == 0 ? "\xEF\xBB\xBF" : "";
        const int lines = static_cast<int>(FRng() % 14);
        for (int i = 0; i < lines; ++i) {
            switch (FRng() % 3) {
                case 0:
                    file += "[" + Pick(Sections) + "]";
                    break;
                case 1:
                    file += Pick(Keys) + (FRng() % 2 ? "=" : " = ") + Pick(Values);
                    break;
                default:
                    file += Pick(kOthers);
                    break;
            }
            if (i + 1 < lines || FRng() % 3 != 0) file += Pick(kEndings);  // the last line may have none
        }
        return file;
    }

private:
    const std::vector<std::string> kOthers = {
        "",          "   ",  "\t",       "; k=1",     "  ;j=2",      "=x",
        "no equals", "[A",   "[b] tail", " [ Main ]", "\xB3=\x9C",   "k = \"q\" ",
        "k=\"",      "j==2", "x=a=b",    "K=",        "\x01k=1\x01", "y=\xA3\xF3"};
    const std::vector<std::string> kEndings = {"\n", "\r\n", "\r"};
    std::mt19937 FRng{20261210};
};

}  // namespace

// The index answers every question as a walk through the lines does.
TEST(ProfileIndex, RandomFilesReadAsWalked) {
    TRandomProfiles random;
    for (int round = 0; round < 2000; ++round) {
        const std::string file = random.File();
        SCOPED_TRACE(::testing::PrintToString(file));
        const TProfileFile read = TProfileFile::FromBytes(file);
        for (const std::string& s : random.Sections) {
            std::vector<std::pair<std::string, std::string>> walked, listed;
            const bool found = WalkSection(file, s, walked);
            ASSERT_EQ(read.ReadSection(s, listed), found) << s;
            if (found) {
                ASSERT_EQ(listed, walked) << s;
            }
            for (const std::string& k : random.Keys) {
                const auto first = std::find_if(walked.begin(), walked.end(),
                                                [&](const auto& v) { return SameText(v.first, k); });
                ASSERT_EQ(read.ReadString(s, k, "\x01"), first == walked.end() ? "\x01" : first->second)
                    << s << "/" << k;
            }
        }
    }
}

// Random writes into random files: the key's line changes and nothing else, and every
// other key reads as before. (Fewer rounds: each write syncs the disk.)
TEST_F(ProfileTest, RandomWritesKeepEveryOtherLine) {
    TRandomProfiles random;
    for (int round = 0; round < 200; ++round) {
        const std::string before = random.File();
        const std::string section = random.Pick(random.Sections), key = random.Pick(random.Keys),
                          value = random.Pick(random.Values);
        SCOPED_TRACE(::testing::PrintToString(before) + " <- " + section + "/" + key + "=" + value);
        std::ofstream(Path("r.ini"), std::ios::binary | std::ios::trunc) << before;

        ASSERT_TRUE(WritePrivateProfileString(section, key, value, "r.ini"));
        const std::string after = Read("r.ini");
        ASSERT_EQ(OnlyTheKeyChanged(before, after, section, key, value), "")
            << ::testing::PrintToString(after);
        // The writer trims the names it is given; the reader takes them as they come.
        const TProfileFile old = TProfileFile::FromBytes(before), written("r.ini");
        ASSERT_EQ(written.ReadString(Trim(section), Trim(key), "\x01"), Trim(value));
        for (const std::string& s : random.Sections) {
            for (const std::string& k : random.Keys) {
                if (SameText(Trim(s), Trim(section)) && SameText(Trim(k), Trim(key))) continue;
                ASSERT_EQ(written.ReadString(s, k, "\x01"), old.ReadString(s, k, "\x01")) << s << "/" << k;
            }
        }
    }
}

TEST_F(ProfileTest, BadBytesOfAUtf8FileReadAsReplacementCharacters) {
    // Texts reach the program as UTF-8 even when the file breaks its own mark.
    const std::string before =
        "\xEF\xBB\xBF[Opisy\xFF]\nK\xC3=\xA3\xF3"
        "d\xBC\nK2=\xE2\x82\n";
    Write("bad.ini", before);
    const std::string bad = "\xEF\xBF\xBD";
    EXPECT_EQ(GetPrivateProfileString("Opisy" + bad, "K" + bad, "", "bad.ini"), bad + bad + "d" + bad);
    EXPECT_EQ(GetPrivateProfileString("Opisy" + bad, "K2", "", "bad.ini"), bad + bad);
    // Writing another key leaves the bad bytes of the other lines as they were.
    ASSERT_TRUE(WritePrivateProfileString("Opisy" + bad, "K3", "x", "bad.ini"));
    EXPECT_EQ(Read("bad.ini"), before + "K3=x\n");
}
