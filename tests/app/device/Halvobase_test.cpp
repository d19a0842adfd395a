#include "app/device/Halvobase.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "app/device/HalvoFiles.h"
#include "platform/Cp1250.h"
#include "platform/Prompts.h"
#include "tests/app/device/DeviceFixtures.h"
#include "tests/support/Bounded.h"
#include "tests/support/TempDirTest.h"

namespace app {
namespace {

using Lines = std::vector<std::string>;
constexpr std::size_t kSize = THalvo::kImageSize;

using test::Le16;
using test::LeDouble;
using test::Put16;
using test::PutDouble;

std::string Pattern(std::size_t n, int seed) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 7 + static_cast<std::size_t>(seed)) & 0xFF);
    return s;
}

// A document image with every byte set: reserved areas carry a printable pattern.
std::string FullImage() {
    std::string b(kSize, '\0');
    for (std::size_t i = 0; i < kSize; ++i) b[i] = static_cast<char>(0x20 + (i * 13) % 0x5F);
    std::memcpy(b.data(), "VESK-3\0", 7);
    b[THalvo::kIdentificationOffset] = 'V';
    b[THalvo::kIdentificationOffset + 1] = '3';  // no NUL in the whole text area
    Put16(b, THalvo::kEventsLengthOffset, 0xFFFF);
    Put16(b, THalvo::kParset1LengthOffset, 513);
    Put16(b, THalvo::kParset2LengthOffset, 0x0102);
    PutDouble(b, THalvo::kCreationDateOffset, 45000.25);
    return b;
}

// A file of the older format; every field can be set or spoilt.
struct OlderFile {
    uint8_t Type = 2;
    uint8_t Major = 3;
    double Created = 40000.5;
    Lines Note{"first", "", "Łódź"};  // UTF-8; stored as code page 1250
    double EventsRead = 40001, Parset1Read = 40002, Parset2Read = 40003;
    std::string Options{"\x07\x01\x00\x01\x00\x01", 6};
    std::string Events = Pattern(300, 1), Parset1 = Pattern(238, 2), Parset2 = Pattern(100, 3);
    std::string Identification = "X3ABCD";
    uint16_t EventsLength() const { return static_cast<uint16_t>(Events.size()); }

    std::string Bytes() const {
        std::string b(std::max<std::size_t>(260, 16 + Note.size()), '\0');
        b[0] = 5;
        std::memcpy(b.data() + 1, "VESK", 4);
        b[5] = static_cast<char>(Type);
        b[6] = static_cast<char>(Major);
        b[7] = static_cast<char>(Note.size());
        PutDouble(b, 8, Created);
        for (std::size_t i = 0; i < Note.size(); ++i) {
            const std::string line = platform::Utf8ToCp1250(Note[i]);
            b[16 + i] = static_cast<char>(line.size());
        }
        for (const std::string& utf8 : Note) {
            const std::string line = platform::Utf8ToCp1250(utf8);
            b += static_cast<char>(line.size()) + line;
        }
        b += LeDouble(EventsRead) + LeDouble(Parset1Read) + LeDouble(Parset2Read) + Options;
        b += Le16(EventsLength()) + Events;
        b += Le16(static_cast<uint16_t>(Parset1.size())) + Parset1;
        b += Le16(static_cast<uint16_t>(Parset2.size())) + Parset2;
        if (Major > 2) b += Identification + '\0';
        return b;
    }
};

std::string Area(const uint8_t* p, std::size_t n) {
    return std::string(reinterpret_cast<const char*>(p), n);
}

class HalvoTest : public ::testing::Test {
protected:
    HalvoTest() {
        halvo.SetDataDirectory(dir.Path());
        halvo.OnCompleteZestawNastaw1 = [this] { events.push_back("Zestaw1"); };
        halvo.OnCompleteZestawNastaw2 = [this] { events.push_back("Zestaw2"); };
        halvo.OnEvRegCompleted = [this] { events.push_back("EvReg"); };
        halvo.OnCompleteAll = [this] { events.push_back("All"); };
    }
    // The image as a file, which is the image byte for byte.
    std::string Saved() {
        const bool modified = halvo.Modified();
        EXPECT_TRUE(halvo.SaveToFile(dir.File("saved.halvo")));
        halvo.SetModified(modified);
        return test::ReadBytes(dir.File("saved.halvo"));
    }
    bool Open(const std::string& bytes) { return halvo.LoadFromFile(dir.Write("doc.halvo", bytes)); }
    Lines NoteLines() const {
        Lines lines;
        BufferToStrings(lines, halvo.Note(), THalvo::kNoteSize);
        return lines;
    }
    void LoadParams(const std::string& options) { halvo.LoadFromParams(options, ok, message); }

    test::TTempDir dir;
    platform::TRecordingPrompts prompts;
    platform::TPromptsScope scope{prompts};
    platform::TFixedClock clock{45356.5};
    platform::TClockScope clockScope{clock};
    THalvo halvo;
    std::vector<std::string> events;
    bool ok = false;
    std::string message;
};

TEST_F(HalvoTest, ANewDocument) {
    EXPECT_EQ(halvo.GetReadOptions(), (TReadOptions{31, 1, 1, 1, 1, 0}));
    EXPECT_EQ(halvo.GetVersionMajor(), 4);
    EXPECT_EQ(halvo.GetVersionMinor(), 0);
    EXPECT_EQ(halvo.DeviceType(), 0);
    EXPECT_EQ(halvo.GetUnitVersion(), "");
    EXPECT_EQ(halvo.GetEventsLength(), 0);
    EXPECT_EQ(halvo.GetParset1Length(), 0);
    EXPECT_EQ(halvo.GetParset2Length(), 0);
    EXPECT_EQ(halvo.GetEventsReadDate(), 0.0);
    EXPECT_EQ(halvo.GetCreationDate(), 45356.5);
    EXPECT_FALSE(halvo.Modified());
    EXPECT_TRUE(halvo.TraceMessages);
    EXPECT_FALSE(halvo.IsReading());
    EXPECT_EQ(halvo.Defs().LoadedFileName, "");

    const std::string file = Saved();
    ASSERT_EQ(file.size(), kSize);
    EXPECT_EQ(file.substr(0, 7), std::string("VESK-0\0", 7));
    EXPECT_EQ(file.substr(10, 6), std::string("\x1F\x01\x01\x01\x01\x00", 6));
    EXPECT_EQ(file.substr(30, 4), std::string("\x04\x00\x00\x00", 4));
    EXPECT_EQ(file.substr(2048), std::string(kSize - 2048, '\0'));
}

TEST_F(HalvoTest, FullImageRoundTripKeepsEveryByte) {
    const std::string image = FullImage();
    ASSERT_TRUE(Open(image));
    EXPECT_EQ(Saved(), image);

    EXPECT_EQ(halvo.DeviceType(), 2);
    // Lengths never reach past their areas; the stored words stay as they were.
    EXPECT_EQ(halvo.GetEventsLength(), THalvo::kEventsCapacity);
    EXPECT_EQ(halvo.GetParset1Length(), THalvo::kParsetCapacity);
    EXPECT_EQ(halvo.GetParset2Length(), 0x0102);
    EXPECT_EQ(halvo.GetCreationDate(), 45000.25);
    EXPECT_EQ(halvo.GetVersionMajor(), static_cast<uint8_t>(image[30]));
    // Texts without a NUL are their first 99 characters.
    EXPECT_EQ(halvo.GetStationInfo(), image.substr(40, 99));
    const std::string id = image.substr(140, 99);
    EXPECT_EQ(halvo.GetUnitVersion(), id.substr(0, 49) + "_" + id.substr(49, 49));
    EXPECT_EQ(Area(halvo.EventsBuffer(), THalvo::kEventsCapacity), image.substr(4098, 15360));
    EXPECT_EQ(Area(halvo.Parset2Data(), 512), image.substr(19974));
}

TEST_F(HalvoTest, OpeningRaisesTheCompletionEventsInOrder) {
    ASSERT_TRUE(Open(FullImage()));
    EXPECT_EQ(events, (std::vector<std::string>{"Zestaw1", "EvReg", "All"}));
    EXPECT_FALSE(halvo.Modified());

    THalvo silent;  // no handlers set
    EXPECT_TRUE(silent.LoadFromFile(dir.File("doc.halvo")));
}

TEST_F(HalvoTest, OpeningClearsTheModifiedFlag) {
    // The older file's device number (7) differs from the new document's (31): taking it
    // over is part of opening, not an edit.
    for (const std::string& file : {FullImage(), OlderFile{}.Bytes()}) {
        halvo.SetModified(true);
        ASSERT_TRUE(Open(file));
        EXPECT_FALSE(halvo.Modified());
    }
}

TEST_F(HalvoTest, Vesk3ImageOpensAsVesk3) {
    std::string image(kSize, '\0');
    std::memcpy(image.data(), "VESK-3", 6);
    ASSERT_TRUE(Open(image));
    EXPECT_EQ(halvo.DeviceType(), 2);
    for (std::size_t code = 0; code < 256; ++code) {
        EXPECT_EQ(halvo.EventTable()[code].Length, EventDescriptions(2)[code].Length) << code;
        EXPECT_EQ(halvo.EventTable()[code].Name, EventDescriptions(2)[code].Name) << code;
    }
}

struct UnknownCase {
    const char* Name;
    std::string Bytes;
    friend void PrintTo(const UnknownCase& c, std::ostream* os) { *os << c.Name; }
};

class UnknownFormatTest : public HalvoTest, public ::testing::WithParamInterface<UnknownCase> {};

TEST_P(UnknownFormatTest, IsRefusedAndTheImageStays) {
    ASSERT_TRUE(Open(FullImage()));
    halvo.SetModified(true);
    const std::string before = Saved();
    events.clear();

    EXPECT_FALSE(Open(GetParam().Bytes));
    ASSERT_EQ(prompts.Log.size(), 1u);
    EXPECT_EQ(prompts.Log[0].Text, "File unknown format");
    EXPECT_EQ(prompts.Log[0].Type, platform::TMsgDlgType::Error);
    EXPECT_EQ(prompts.Log[0].Buttons, unsigned{platform::mbOK});
    EXPECT_EQ(Saved(), before);
    EXPECT_TRUE(events.empty());
}

std::string Truncated(std::size_t keep) {
    return OlderFile{}.Bytes().substr(0, keep);
}

INSTANTIATE_TEST_SUITE_P(Contents, UnknownFormatTest,
                         ::testing::Values(UnknownCase{"OneByteShort", FullImage().substr(0, kSize - 1)},
                                           UnknownCase{"OneByteLong", FullImage() + "x"},
                                           UnknownCase{"Text", std::string("hello world")},
                                           UnknownCase{"HeaderCut", Truncated(100)},
                                           UnknownCase{"InsideTheNoteLines", Truncated(262)},
                                           UnknownCase{"InsideTheDates", Truncated(260 + 6 + 1 + 6 + 10)},
                                           // The events block claims more bytes than the file has.
                                           UnknownCase{"InsideTheEvents", Truncated(260 + 15 + 30 + 100)},
                                           UnknownCase{"InsideParset2",
                                                       [] {
                                                           const std::string b = OlderFile{}.Bytes();
                                                           return b.substr(0, b.size() - 7 - 50);
                                                       }()},
                                           // A note line table longer than the header.
                                           UnknownCase{"LineTablePastHeader",
                                                       [] {
                                                           OlderFile f;
                                                           f.Note.assign(245, "");
                                                           return f.Bytes();
                                                       }()},
                                           UnknownCase{"OverOneMebibyte",
                                                       [] {
                                                           std::string b = OlderFile{}.Bytes();
                                                           b.resize(THalvo::kMaxDocumentFileSize + 1, '\0');
                                                           return b;
                                                       }()}),
                         [](const auto& info) { return std::string(info.param.Name); });

// Nothing read is no document: the user is told which file and why, and the image, its
// events and its modified flag stay as they were.
TEST_F(HalvoTest, AFileThatCannotBeReadIsToldAndLeavesTheImage) {
    ASSERT_TRUE(Open(FullImage()));
    const std::string before = Saved();
    const std::string empty = dir.Write("empty.halvo", "");
    for (const auto& [path, reason] : std::vector<std::pair<std::string, std::string>>{
             {dir.File("missing.halvo"), "No such file or directory"},
             {empty, "the file is empty"},
             {dir.Path(), "not a regular file"}}) {
        events.clear();
        prompts.Log.clear();
        bool readFailed = false;
        EXPECT_FALSE(halvo.LoadFromFile(path, &readFailed)) << path;
        EXPECT_TRUE(readFailed) << path;
        EXPECT_EQ(prompts.Texts(),
                  std::vector<std::string>{"File " + path + " could not be read: " + reason});
        EXPECT_TRUE(events.empty()) << path;
        EXPECT_EQ(Saved(), before) << path;
    }
    bool readFailed = true;
    EXPECT_TRUE(halvo.LoadFromFile(dir.File("saved.halvo"), &readFailed));
    EXPECT_FALSE(readFailed);
}

TEST_F(HalvoTest, ADocumentTheUserMayNotReadIsToldAsSuch) {
    const std::string path = dir.Write("secret.halvo", FullImage());
    ::chmod(dir.Path().c_str(), 0755);
    ::chmod(path.c_str(), 0600);
    // In a child that is an ordinary user where the test runs as root.
    EXPECT_TRUE(platform_test::RunUnprivileged([&] {
        prompts.Log.clear();
        bool readFailed = false;
        return !halvo.LoadFromFile(path, &readFailed) && readFailed &&
               prompts.Texts() ==
                   std::vector<std::string>{"File " + path + " could not be read: Permission denied"};
    }));
}

// Inputs that are no regular file: a FIFO nobody writes to, a directory, a device.
std::vector<std::string> SpecialFiles(const test::TTempDir& dir) {
    EXPECT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    std::filesystem::create_directories(dir.File("folder"));
    return {dir.File("fifo"), dir.File("folder"), "/dev/null"};
}

TEST_F(HalvoTest, ADocumentThatIsNoRegularFileIsRefusedAtOnceAsUnreadable) {
    ASSERT_TRUE(Open(FullImage()));
    auto outcome = [&](const std::string& path) {
        return platform_test::RunBounded(10, [&] {
            events.clear();
            prompts.Log.clear();
            const bool loaded = halvo.LoadFromFile(path);
            return std::to_string(loaded) + " " + std::to_string(prompts.Log.size()) + " " +
                   std::to_string(events.size()) + " " + std::to_string(Saved() == FullImage());
        });
    };
    const auto unreadable = outcome(dir.File("missing.halvo"));
    ASSERT_EQ(unreadable, std::string("0 1 0 1"));
    for (const std::string& path : SpecialFiles(dir)) EXPECT_EQ(outcome(path), unreadable) << path;
}

TEST_F(HalvoTest, ParamsRefuseRawFilesThatAreNoRegularFile) {
    for (const std::string& path : SpecialFiles(dir)) {
        for (const std::string option : {"-buffile ", "-zns1file ", "-zns2file "}) {
            const auto outcome = platform_test::RunBounded(10, [&] {
                LoadParams(option + path + " -halvotype vesk3");
                return std::to_string(ok) + " " + message;
            });
            EXPECT_EQ(outcome, "0 Cant load the file: " + path + ": not a regular file") << option << path;
        }
    }
}

TEST_F(HalvoTest, OlderFormatFillsTheImage) {
    halvo.SetStationInfo("kept");
    const OlderFile f;
    ASSERT_TRUE(Open(f.Bytes()));
    EXPECT_TRUE(prompts.Log.empty());
    EXPECT_EQ(events, (std::vector<std::string>{"Zestaw1", "EvReg", "All"}));

    EXPECT_EQ(halvo.GetUnitVersion(), "X3A_BCD");
    EXPECT_EQ(halvo.DeviceType(), 2);
    EXPECT_EQ(halvo.GetVersionMajor(), 3);
    EXPECT_EQ(halvo.GetVersionMinor(), 0);
    EXPECT_EQ(halvo.GetCreationDate(), 40000.5);
    EXPECT_EQ(halvo.GetEventsReadDate(), 40001);
    EXPECT_EQ(halvo.GetParset1ReadDate(), 40002);
    EXPECT_EQ(halvo.GetParset2ReadDate(), 40003);
    EXPECT_EQ(halvo.GetReadOptions(), (TReadOptions{7, 1, 0, 1, 0, 1}));
    EXPECT_EQ(NoteLines(), f.Note);
    EXPECT_EQ(halvo.GetEventsLength(), 300);
    EXPECT_EQ(Area(halvo.EventsBuffer(), 300), f.Events);
    EXPECT_EQ(halvo.GetParset1Length(), 238);
    EXPECT_EQ(Area(halvo.Parset1Data(), 238), f.Parset1);
    EXPECT_EQ(halvo.GetParset2Length(), 100);
    EXPECT_EQ(Area(halvo.Parset2Data(), 100), f.Parset2);
    EXPECT_EQ(halvo.GetStationInfo(), "kept");  // the older format has none
    EXPECT_EQ(Saved().substr(0, 7), std::string("VESK-3\0", 7));
}

TEST_F(HalvoTest, OlderFormatVersion2HasNoIdentification) {
    OlderFile f;
    f.Major = 2;
    f.Type = 1;
    ASSERT_TRUE(Open(f.Bytes()));
    EXPECT_EQ(halvo.GetUnitVersion(), "");
    EXPECT_EQ(halvo.DeviceType(), 1);
}

TEST_F(HalvoTest, OlderFormatOversizedBlocksKeepTheAreasFirstBytes) {
    OlderFile f;
    f.Events = Pattern(16000, 9);
    f.Parset1 = Pattern(600, 4);
    ASSERT_TRUE(Open(f.Bytes()));
    EXPECT_EQ(halvo.GetEventsLength(), THalvo::kEventsCapacity);
    EXPECT_EQ(Area(halvo.EventsBuffer(), THalvo::kEventsCapacity),
              f.Events.substr(0, THalvo::kEventsCapacity));
    EXPECT_EQ(halvo.GetParset1Length(), 512);
    EXPECT_EQ(Area(halvo.Parset1Data(), 512), f.Parset1.substr(0, 512));
    // The blocks after an oversized one are still found.
    EXPECT_EQ(Area(halvo.Parset2Data(), 100), f.Parset2);
    EXPECT_EQ(halvo.GetUnitVersion(), "X3A_BCD");
}

TEST_F(HalvoTest, OlderFormatIdentificationMayEndWithTheFile) {
    std::string b = OlderFile{}.Bytes();
    b.pop_back();  // its NUL
    ASSERT_TRUE(Open(b));
    EXPECT_EQ(halvo.GetUnitVersion(), "X3A_BCD");
}

TEST_F(HalvoTest, OlderFormatLongNoteIsCutToTheNoteArea) {
    OlderFile f;
    f.Note.assign(40, std::string(100, 'n'));
    ASSERT_TRUE(Open(f.Bytes()));
    const Lines lines = NoteLines();
    ASSERT_EQ(lines.size(), 21u);  // 20 whole lines of 101 bytes, then what still fits
    EXPECT_EQ(lines[0], std::string(100, 'n'));
    EXPECT_EQ(lines[20], std::string(2048 - 20 * 101 - 1, 'n'));
    EXPECT_EQ(Area(halvo.EventsBuffer(), 300), f.Events);
}

struct DeviceTypeCase {
    int Type;  // given to SetDeviceType
    const char* Identification;
    int Expected;
    friend void PrintTo(const DeviceTypeCase& c, std::ostream* os) {
        *os << c.Type << " " << c.Identification;
    }
};

class DeviceTypeTest : public HalvoTest, public ::testing::WithParamInterface<DeviceTypeCase> {};

TEST_P(DeviceTypeTest, IdentificationOrTypeDigit) {
    halvo.SetDeviceType(GetParam().Type);
    halvo.SetUnitVersion(GetParam().Identification);
    EXPECT_EQ(halvo.DeviceType(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, DeviceTypeTest,
                         ::testing::Values(DeviceTypeCase{1, "", 1}, DeviceTypeCase{2, "", 2},
                                           DeviceTypeCase{0, "", 0}, DeviceTypeCase{3, "", 0},
                                           // The identification's second character decides.
                                           DeviceTypeCase{1, "V3-1.07", 2}, DeviceTypeCase{2, "V2-1.07", 1},
                                           DeviceTypeCase{2, "ABCDEFGH", 0},
                                           // Short identifications: three and two characters still
                                           // count, one leaves it to the type digit.
                                           DeviceTypeCase{0, "V3x", 2}, DeviceTypeCase{0, "V2", 1},
                                           DeviceTypeCase{2, "V", 2}));

TEST_F(HalvoTest, ThreeCharacterIdentificationKeepsItsTypeWhenReopened) {
    halvo.SetUnitVersion("V3x");
    halvo.SetDeviceType(2);
    Saved();
    THalvo reopened;
    ASSERT_TRUE(reopened.LoadFromFile(dir.File("saved.halvo")));
    EXPECT_EQ(reopened.DeviceType(), 2);
}

TEST_F(HalvoTest, UnitVersionIsTheIdentificationInTwoHalves) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", ""}, {"ABCDEFGH", "ABCD_EFGH"}, {"ABCDEFG", "ABC_DEF"}, {"A", "_"}, {"Łódź12", "Łód_ź12"}};
    for (const auto& [id, shown] : cases) {
        halvo.SetUnitVersion(id);
        EXPECT_EQ(halvo.GetUnitVersion(), shown) << id;
    }
}

TEST_F(HalvoTest, TextsAreCutTo99CodePage1250Characters) {
    halvo.SetStationInfo(std::string(150, 's'));
    EXPECT_EQ(halvo.GetStationInfo(), std::string(99, 's'));
    halvo.SetStationInfo("Stacja Łódź");
    halvo.SetUnitVersion(std::string(120, 'i'));
    EXPECT_EQ(halvo.GetStationInfo(), "Stacja Łódź");
    const std::string file = Saved();
    EXPECT_EQ(file.substr(40, 12), std::string("Stacja \xA3\xF3"
                                               "d\x9F\0",
                                               12));
    EXPECT_EQ(file.substr(140, 100), std::string(99, 'i') + '\0');
}

TEST_F(HalvoTest, SettingTheDeviceTypeStampsTheImageAndTakesItsTable) {
    const std::vector<std::pair<int, char>> cases{{1, '2'}, {2, '3'}, {0, '0'}, {7, '0'}};
    for (const auto& [type, digit] : cases) {
        halvo.SetDeviceType(type);
        const std::string file = Saved();
        EXPECT_EQ(file.substr(0, 7), std::string("VESK-") + digit + '\0') << type;
        const TEventTable expected = (type == 1 || type == 2) ? EventDescriptions(type) : TEventTable{};
        for (std::size_t code = 0; code < 256; ++code) {
            EXPECT_EQ(halvo.EventTable()[code].Length, expected[code].Length) << type << "/" << code;
            EXPECT_EQ(halvo.EventTable()[code].Name, expected[code].Name) << type << "/" << code;
        }
    }
}

TEST_F(HalvoTest, AccessorsAreLittleEndianAtTheirOffsets) {
    halvo.SetEventsLength(0x1234);
    halvo.SetParset1Length(0x0102);
    halvo.SetParset2Length(0x01F0);
    halvo.SetVersionMajor(0x0305);
    halvo.SetVersionMinor(0x0A0B);
    halvo.SetCreationDate(1.5);
    halvo.SetEventsReadDate(2.5);
    halvo.SetParset1ReadDate(3.5);
    halvo.SetParset2ReadDate(-4.25);
    const std::string file = Saved();
    EXPECT_EQ(file.substr(4096, 2), Le16(0x1234));
    EXPECT_EQ(file.substr(19458, 2), Le16(0x0102));
    EXPECT_EQ(file.substr(19972, 2), Le16(0x01F0));
    EXPECT_EQ(file.substr(30, 4), Le16(0x0305) + Le16(0x0A0B));
    EXPECT_EQ(file.substr(300, 8), LeDouble(1.5));
    EXPECT_EQ(file.substr(316, 8), LeDouble(2.5));
    EXPECT_EQ(file.substr(332, 8), LeDouble(3.5));
    EXPECT_EQ(file.substr(348, 8), LeDouble(-4.25));
    EXPECT_EQ(halvo.GetVersionMajor(), 5);  // its low byte
    EXPECT_EQ(halvo.GetVersionMinor(), 0x0A0B);
    EXPECT_EQ(halvo.GetEventsLength(), 0x1234);
    EXPECT_EQ(halvo.GetParset2ReadDate(), -4.25);
    EXPECT_EQ(halvo.EventsBuffer() - halvo.Note(), 2050);
    EXPECT_EQ(halvo.Parset2Data() - halvo.Parset1Data(), 514);
}

TEST_F(HalvoTest, OnlyANewDeviceNumberMarksTheDocumentModified) {
    TReadOptions o;
    o.ReadEvents = 0;
    o.ShowAllEvents = 1;
    halvo.SetReadOptions(o);
    EXPECT_FALSE(halvo.Modified());
    EXPECT_EQ(halvo.GetReadOptions(), o);
    o.DeviceNumber = 5;
    halvo.SetReadOptions(o);
    EXPECT_TRUE(halvo.Modified());
    EXPECT_EQ(Saved().substr(10, 6), std::string("\x05\x01\x01\x00\x01\x01", 6));
}

TEST_F(HalvoTest, SaveReplacesTheFileAndClearsModified) {
    const std::string path = dir.Write("doc.halvo", "old");
    halvo.SetModified(true);
    EXPECT_TRUE(halvo.SaveToFile(path));
    EXPECT_FALSE(halvo.Modified());
    EXPECT_EQ(test::ReadBytes(path).size(), kSize);
}

TEST_F(HalvoTest, SavingADocumentOpenedThroughALinkChangesItsTargetAndKeepsTheLink) {
    ASSERT_TRUE(Open(FullImage()));
    std::filesystem::create_directories(dir.File("store"));
    std::filesystem::rename(dir.File("doc.halvo"), dir.File("store/doc.halvo"));
    std::filesystem::create_symlink("store/doc.halvo", dir.File("doc.halvo"));
    ASSERT_TRUE(halvo.LoadFromFile(dir.File("doc.halvo")));
    halvo.SetStationInfo("edited");
    EXPECT_TRUE(halvo.SaveToFile(dir.File("doc.halvo")));
    EXPECT_TRUE(std::filesystem::is_symlink(std::filesystem::symlink_status(dir.File("doc.halvo"))));
    EXPECT_EQ(std::filesystem::read_symlink(dir.File("doc.halvo")), "store/doc.halvo");
    THalvo reopened;
    ASSERT_TRUE(reopened.LoadFromFile(dir.File("store/doc.halvo")));
    EXPECT_EQ(reopened.GetStationInfo(), "edited");
}

TEST_F(HalvoTest, FailedSaveKeepsModified) {
    halvo.SetModified(true);
    const std::string path = dir.File("missing/dir/doc.halvo");
    EXPECT_FALSE(halvo.SaveToFile(path));
    EXPECT_TRUE(halvo.Modified());
    EXPECT_EQ(prompts.Texts(),
              std::vector<std::string>{"Error Not saved.\n" + path + ": No such file or directory"});
}

class DefinitionsTest : public HalvoTest {
protected:
    DefinitionsTest() {
        dir.Write("Vesk2.set", "[GLOBAL]\nZNS_SIZE=2\n");
        dir.Write("Vesk3.set", "[GLOBAL]\nZNS_SIZE=3\n");
        dir.Write("ABCD_EFGH.set", "[GLOBAL]\nZNS_SIZE=8\n");
        dir.Write("V3A_BCD.set", "[GLOBAL]\nZNS_SIZE=7\n");
        dir.Write("ABC_DEFGH.set", "[GLOBAL]\nZNS_SIZE=5\n");
    }
};

TEST_F(DefinitionsTest, TheIdentificationsFileComesFirst) {
    const std::vector<std::tuple<int, std::string, int>> cases{
        {1, "", 2},            // by type
        {2, "", 3},            //
        {2, "V3ABCD", 7},      // the identification's own file
        {0, "ABCDEFGH", 8},    // even without a device type
        {2, "V3ABC", 3},       // "V3_AB.set" does not exist
        {0, "./ABCDEFGH", 3},  // an identification is not a path: nothing loaded
    };
    for (const auto& [type, id, size] : cases) {
        halvo.SetUnitVersion(id);
        halvo.SetDeviceType(type);
        EXPECT_EQ(halvo.Defs().ZnsSize, size) << id;
    }
}

TEST_F(DefinitionsTest, ADefinitionsFileThatIsNoRegularFileGivesTheDefaults) {
    for (const std::string name : {"ABCD_EFGH.set", "Vesk3.set"}) {
        std::filesystem::remove(dir.File(name));
        ASSERT_EQ(::mkfifo(dir.File(name).c_str(), 0644), 0);
    }
    const auto outcome = platform_test::RunBounded(10, [&] {
        std::string sizes;
        for (const auto& [type, id] : std::vector<std::pair<int, std::string>>{{0, "ABCDEFGH"}, {2, ""}}) {
            halvo.SetUnitVersion(id);
            halvo.SetDeviceType(type);
            sizes += std::to_string(halvo.Defs().ZnsSize) + " ";
        }
        return sizes;
    });
    EXPECT_EQ(outcome, std::string("119 119 "));
}

TEST_F(DefinitionsTest, TypeZeroKeepsTheDefinitions) {
    halvo.SetDeviceType(2);
    halvo.SetDeviceType(0);
    EXPECT_EQ(halvo.Defs().ZnsSize, 3);
    EXPECT_EQ(halvo.Defs().LoadedFileName, dir.File("Vesk3.set"));
}

TEST_F(DefinitionsTest, ADataDirectoryWithATrailingSlashNamesTheSameFile) {
    halvo.SetDeviceType(1);
    dir.Write("Vesk2.set", "[GLOBAL]\nZNS_SIZE=22\n");
    halvo.SetDataDirectory(dir.Path() + "/");
    halvo.SetDeviceType(1);
    EXPECT_EQ(halvo.Defs().ZnsSize, 2);  // not read again
    EXPECT_EQ(halvo.Defs().LoadedFileName, dir.File("Vesk2.set"));
}

TEST_F(DefinitionsTest, OpeningADocumentLoadsItsDefinitions) {
    std::string image(kSize, '\0');
    std::memcpy(image.data(), "VESK-2", 6);
    ASSERT_TRUE(Open(image));
    EXPECT_EQ(halvo.Defs().ZnsSize, 2);
}

struct ParamsCase {
    std::string Options;
    bool Ok;
    std::string Message;
    friend void PrintTo(const ParamsCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.Options); }
};

class ParamsMessageTest : public HalvoTest, public ::testing::WithParamInterface<ParamsCase> {};

TEST_P(ParamsMessageTest, ReportsOptionErrors) {
    const ParamsCase& c = GetParam();
    LoadParams(c.Options);
    EXPECT_EQ(ok, c.Ok);
    EXPECT_EQ(message, c.Message);
}

const char* const kHelp =
    "Starting parammeters programme:\n-buffile buffilename\n-zns1file zns1filename\n-zns2file zns2filename\n"
    "-halvotype [vesk2|vesk3|eproms string]\n-h -szhow this message";

INSTANTIATE_TEST_SUITE_P(
    Cases, ParamsMessageTest,
    ::testing::Values(ParamsCase{"-h", true, kHelp}, ParamsCase{"  -h  ", true, kHelp},
                      ParamsCase{"", true, ""}, ParamsCase{"-halvotype vesk2 -h", true, kHelp},
                      ParamsCase{"buffile x", false, " then expected character was: \"-\" :buffile x"},
                      ParamsCase{"-h x -y", false, "Unknown command: y"},
                      ParamsCase{"-BUFFILE x", false, "Unknown command: BUFFILE"},
                      ParamsCase{"-", false, "Unknown command: "},
                      ParamsCase{"-buffile /no/such/a-b.bin", false,
                                 "Cant load the file: /no/such/a-b.bin: No such file or directory"},
                      ParamsCase{"-zns2file", false, "Cant load the file: : No such file or directory"}));

TEST_F(HalvoTest, ParamsBuildAVesk3DocumentFromAParameterSet) {
    const std::string p1 = dir.Write("p-1.bin", Pattern(238, 5));
    LoadParams("-halvotype vesk3 -zns1file " + p1);
    EXPECT_TRUE(ok);
    EXPECT_EQ(message, "");
    EXPECT_EQ(halvo.DeviceType(), 2);
    EXPECT_EQ(halvo.GetParset1Length(), 238);
    EXPECT_EQ(Area(halvo.Parset1Data(), 238), Pattern(238, 5));
    EXPECT_EQ(halvo.GetEventsLength(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"Zestaw1", "EvReg", "All"}));
}

TEST_F(HalvoTest, ParamsTakeAtMostTheAreasFromRawFiles) {
    const std::string ev = dir.Write("ev.bin", Pattern(20000, 1));
    const std::string p2 = dir.Write("p2.bin", Pattern(600, 2));
    LoadParams("-buffile " + ev + " -zns2file " + p2 + " -halvotype vesk2");
    EXPECT_TRUE(ok) << message;
    EXPECT_EQ(halvo.DeviceType(), 1);
    EXPECT_EQ(halvo.GetEventsLength(), THalvo::kEventsCapacity);
    EXPECT_EQ(Area(halvo.EventsBuffer(), THalvo::kEventsCapacity), Pattern(20000, 1).substr(0, 15360));
    EXPECT_EQ(halvo.GetParset2Length(), 512);
    EXPECT_EQ(Area(halvo.Parset2Data(), 512), Pattern(600, 2).substr(0, 512));
}

TEST_F(HalvoTest, ParamsIdentificationIsTakenInCapitals) {
    dir.Write("X3A_BCZ.set", "[GLOBAL]\nZNS_SIZE=9\n");
    LoadParams("-halvotype x3abcz");
    EXPECT_TRUE(ok);
    EXPECT_EQ(halvo.GetUnitVersion(), "X3A_BCZ");
    EXPECT_EQ(halvo.DeviceType(), 2);
    EXPECT_EQ(halvo.Defs().ZnsSize, 9);
}

TEST_F(HalvoTest, ParamsWithAnErrorBuildNothing) {
    const std::string ev = dir.Write("ev.bin", Pattern(50, 1));
    LoadParams("-buffile " + ev + " -zz");
    EXPECT_FALSE(ok);
    EXPECT_EQ(halvo.GetEventsLength(), 0);
    EXPECT_TRUE(events.empty());
}

TEST_F(HalvoTest, ParamsStopAtTheFirstFileThatCannotBeRead) {
    const std::string ev = dir.Write("ev.bin", Pattern(50, 1));
    const std::string empty = dir.Write("empty.bin", "");
    LoadParams("-zns1file " + empty + " -buffile " + ev);
    EXPECT_FALSE(ok);
    EXPECT_EQ(message, "Cant load the file: " + empty + ": the file is empty");
    EXPECT_EQ(halvo.GetEventsLength(), 50);  // the events file is taken first
    EXPECT_EQ(halvo.GetParset1Length(), 0);
    EXPECT_TRUE(events.empty());
}

// Each raw file option names the file and why it cannot be read, as an ordinary user
// where the test runs as root (root reads a file of mode 000).
TEST_F(HalvoTest, ParamsTellWhyARawFileCannotBeLoaded) {
    ::chmod(dir.Path().c_str(), 0755);
    const std::string locked = dir.Write("locked.bin", Pattern(50, 1));
    ::chmod(locked.c_str(), 0000);
    const std::string missing = dir.File("missing.bin");
    for (const std::string option : {"-buffile ", "-zns1file ", "-zns2file "}) {
        for (const auto& [path, reason] : std::vector<std::pair<std::string, std::string>>{
                 {locked, "Permission denied"}, {missing, "No such file or directory"}}) {
            const std::string expected = "Cant load the file: " + path + ": " + reason;
            EXPECT_TRUE(platform_test::RunUnprivileged([&] {
                LoadParams(option + path + " -halvotype vesk3");
                return !ok && message == expected && events.empty();
            })) << expected;
        }
    }
}

}  // namespace
}  // namespace app
