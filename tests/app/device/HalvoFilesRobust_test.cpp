// Documents and command-line files on damaged and random input, with fixed seeds.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/device/HalvoFiles.h"
#include "app/device/Halvobase.h"
#include "platform/Cp1250.h"
#include "platform/Prompts.h"
#include "tests/app/device/DeviceFixtures.h"

namespace app {
namespace {

constexpr std::size_t kSize = THalvo::kImageSize;
constexpr int kCases = 200;

using Rng = std::mt19937;

// Plain modulo keeps the cases the same on every standard library.
std::size_t Below(Rng& rng, std::size_t n) {
    return n == 0 ? 0 : rng() % n;
}

std::string RandomBytes(Rng& rng, std::size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}

using test::Le16;
using test::LeDouble;
using test::Put16;

// A consistent Vesk-2 image with every area in use.
std::string ValidImage() {
    Rng rng(7);
    std::string b(kSize, '\0');
    std::memcpy(b.data(), "VESK-2\0", 7);
    const std::string options("\x1F\x01\x01\x01\x01\x00", 6);
    b.replace(THalvo::kReadOptionsOffset, 6, options);
    Put16(b, THalvo::kVersionMajorOffset, 4);
    b.replace(THalvo::kStationInfoOffset, 7, "Station");
    b.replace(THalvo::kIdentificationOffset, 8, "V2ABCDEF");
    b.replace(THalvo::kCreationDateOffset, 8, LeDouble(45000.25));
    b.replace(THalvo::kNoteOffset, 9, std::string("one\0\r\ntwo\0", 10).substr(0, 9));
    Put16(b, THalvo::kEventsLengthOffset, 4000);
    b.replace(THalvo::kEventsOffset, 4000, RandomBytes(rng, 4000));
    Put16(b, THalvo::kParset1LengthOffset, 512);
    b.replace(THalvo::kParset1Offset, 512, RandomBytes(rng, 512));
    Put16(b, THalvo::kParset2LengthOffset, 100);
    b.replace(THalvo::kParset2Offset, 100, RandomBytes(rng, 100));
    return b;
}

// Offsets of the older format's fields, for spoiling them.
struct OlderLayout {
    std::size_t EventsLength = 0, Parset1Length = 0, Parset2Length = 0, Identification = 0;
};

std::string OlderFile(OlderLayout* layout = nullptr, uint8_t major = 3) {
    Rng rng(11);
    const std::vector<std::string> note{"first", "",
                                        "\xA3\xF3"
                                        "d\x9F"};
    std::string b(260, '\0');
    b[0] = 5;
    std::memcpy(b.data() + 1, "VESK", 4);
    b[5] = 2;
    b[6] = static_cast<char>(major);
    b[7] = static_cast<char>(note.size());
    b.replace(8, 8, LeDouble(40000.5));
    for (std::size_t i = 0; i < note.size(); ++i) b[16 + i] = static_cast<char>(note[i].size());
    for (const std::string& line : note) b += static_cast<char>(line.size()) + line;
    b += LeDouble(40001) + LeDouble(40002) + LeDouble(40003) + std::string("\x07\x01\x00\x01\x00\x01", 6);
    OlderLayout l;
    l.EventsLength = b.size();
    b += Le16(300) + RandomBytes(rng, 300);
    l.Parset1Length = b.size();
    b += Le16(238) + RandomBytes(rng, 238);
    l.Parset2Length = b.size();
    b += Le16(100) + RandomBytes(rng, 100);
    l.Identification = b.size();
    if (major > 2) b += std::string("X3ABCD") + '\0';
    if (layout) *layout = l;
    return b;
}

std::string Mutate(Rng& rng, std::string b) {
    const std::size_t edits = 1 + Below(rng, 8);
    for (std::size_t e = 0; e < edits && !b.empty(); ++e) {
        const std::size_t at = Below(rng, b.size());
        switch (rng() % 6) {
            case 0:
                b[at] = static_cast<char>(rng());
                break;
            case 1:
                b[at] = static_cast<char>(b[at] ^ (1 << (rng() % 8)));
                break;
            case 2:
                if (at + 1 < b.size()) Put16(b, at, static_cast<uint16_t>(rng()));
                break;
            case 3:
                if (at + 1 < b.size()) Put16(b, at, 0xFFFF);
                break;
            case 4:
                b.erase(at, 1 + Below(rng, 16));
                break;
            default:
                b.insert(at, RandomBytes(rng, 1 + Below(rng, 16)));
                break;
        }
    }
    return b;
}

class DocumentRobustTest : public ::testing::Test {
protected:
    DocumentRobustTest() { halvo.SetDataDirectory(dir.Path()); }

    std::string Saved(THalvo& h, const std::string& name = "saved.halvo") {
        const bool modified = h.Modified();
        EXPECT_TRUE(h.SaveToFile(dir.File(name)));
        h.SetModified(modified);
        return test::ReadBytes(dir.File(name));
    }

    // Opens the bytes over a known image and checks what every load must keep.
    void Check(const std::string& bytes, const std::string& label) {
        SCOPED_TRACE(label + ", " + std::to_string(bytes.size()) + " bytes");
        ASSERT_TRUE(halvo.LoadFromFile(base));
        const std::string before = Saved(halvo);
        const bool loaded = halvo.LoadFromFile(dir.Write("case.halvo", bytes));
        EXPECT_LE(halvo.GetEventsLength(), THalvo::kEventsCapacity);
        EXPECT_LE(halvo.GetParset1Length(), THalvo::kParsetCapacity);
        EXPECT_LE(halvo.GetParset2Length(), THalvo::kParsetCapacity);
        std::vector<std::string> note;
        BufferToStrings(note, halvo.Note(), THalvo::kNoteSize);
        const std::string after = Saved(halvo, "first.halvo");
        if (!loaded) {
            EXPECT_EQ(after, before) << "a refused file changed the image";
            return;
        }
        if (bytes.size() == kSize && bytes.starts_with("VESK-")) {
            EXPECT_EQ(after.substr(7), bytes.substr(7)) << "the image is not the file";
        }
        THalvo again;
        again.SetDataDirectory(dir.Path());
        ASSERT_TRUE(again.LoadFromFile(dir.File("first.halvo")));
        EXPECT_EQ(Saved(again, "second.halvo"), after) << "a saved document reads back otherwise";
    }

    test::TTempDir dir;
    platform::TRecordingPrompts prompts;
    platform::TPromptsScope scope{prompts};
    THalvo halvo;
    const std::string base = dir.Write("base.halvo", ValidImage());
};

TEST_F(DocumentRobustTest, MutatedImagesAndOlderFiles) {
    const std::string image = ValidImage();
    const std::string older = OlderFile();
    for (int seed = 1; seed <= kCases; ++seed) {
        Rng rng(static_cast<Rng::result_type>(seed));
        Check(Mutate(rng, image), "image seed " + std::to_string(seed));
        Check(Mutate(rng, older), "older seed " + std::to_string(seed));
        if (HasFatalFailure()) return;
    }
}

TEST_F(DocumentRobustTest, TruncationsAtEveryFieldOfAnOlderFile) {
    for (const uint8_t major : {2, 3}) {
        OlderLayout l;
        const std::string older = OlderFile(&l, major);
        std::set<std::size_t> lengths{0, 1, 4, 5, 6, 7, 8, 15, 16, 17, 259, older.size() - 1, older.size()};
        // Every length through the note lines, dates and options; each block's edges.
        for (std::size_t n = 260; n <= l.EventsLength + 3; ++n) lengths.insert(n);
        for (const std::size_t at : {l.Parset1Length, l.Parset2Length, l.Identification})
            for (std::size_t n = at - 1; n <= at + 3 && n <= older.size(); ++n) lengths.insert(n);
        for (const std::size_t keep : lengths) {
            Check(older.substr(0, keep), "major " + std::to_string(major) + " kept " + std::to_string(keep));
            if (HasFatalFailure()) return;
        }
    }
}

TEST_F(DocumentRobustTest, TruncatedAndOverlongImages) {
    const std::string image = ValidImage();
    for (const std::size_t keep :
         {std::size_t{0}, std::size_t{1}, std::size_t{5}, std::size_t{6}, std::size_t{259}, std::size_t{260},
          std::size_t{4098}, kSize / 2, kSize - 1})
        Check(image.substr(0, keep), "kept " + std::to_string(keep));
    Check(image + '\0', "one byte more");
    Check(image + image, "twice");
}

TEST_F(DocumentRobustTest, HugeLengthFields) {
    OlderLayout l;
    const std::string older = OlderFile(&l);
    struct Case {
        const char* Name;
        std::size_t At;
        uint16_t Value;
    };
    const Case cases[] = {
        {"events 0xFFFF", l.EventsLength, 0xFFFF},   {"events 15361", l.EventsLength, 15361},
        {"parset1 0xFFFF", l.Parset1Length, 0xFFFF}, {"parset1 513", l.Parset1Length, 513},
        {"parset2 0xFFFF", l.Parset2Length, 0xFFFF}, {"parset2 513", l.Parset2Length, 513},
    };
    for (const Case& c : cases) {
        std::string b = older;
        Put16(b, c.At, c.Value);
        Check(b, c.Name);
    }
    // Blocks above the areas that the file does hold are cut to the areas.
    std::string big = older.substr(0, l.EventsLength) + Le16(20000) + std::string(20000, '\x11') + Le16(600) +
                      std::string(600, '\x22') + Le16(700) + std::string(700, '\x33');
    Check(big, "blocks above the areas");
    ASSERT_TRUE(halvo.LoadFromFile(dir.Write("big.halvo", big)));
    EXPECT_EQ(halvo.GetEventsLength(), THalvo::kEventsCapacity);
    EXPECT_EQ(halvo.GetParset1Length(), THalvo::kParsetCapacity);
    EXPECT_EQ(halvo.GetParset2Length(), THalvo::kParsetCapacity);
    EXPECT_EQ(halvo.Parset2Data()[511], 0x33);

    std::string image = ValidImage();
    Put16(image, THalvo::kEventsLengthOffset, 0xFFFF);
    Put16(image, THalvo::kParset1LengthOffset, 0xFFFF);
    Put16(image, THalvo::kParset2LengthOffset, 513);
    Check(image, "image lengths above the areas");
}

TEST_F(DocumentRobustTest, RandomBytesOfRandomSizes) {
    for (int seed = 1; seed <= kCases; ++seed) {
        Rng rng(static_cast<Rng::result_type>(seed));
        std::string bytes = RandomBytes(rng, Below(rng, 70001));
        // Some carry a header, so the parsers go past their first check.
        switch (seed % 4) {
            case 1:
                if (bytes.size() >= 5) bytes.replace(1, 4, "VESK");
                break;
            case 2:
                if (bytes.size() >= 8) {
                    bytes.replace(1, 4, "VESK");
                    bytes[7] = static_cast<char>(rng() % 8);
                }
                break;
            case 3:
                bytes.resize(kSize);
                bytes.replace(0, 5, "VESK-");
                break;
            default:
                break;
        }
        Check(bytes, "seed " + std::to_string(seed));
        if (HasFatalFailure()) return;
    }
}

class ParamsRobustTest : public DocumentRobustTest {};

TEST_F(ParamsRobustTest, RandomOptionTextsAndRawFiles) {
    const char* const keys[] = {"-buffile", "-zns1file", "-zns2file", "-halvotype", "-h", "-", "--", "-x"};
    for (int seed = 1; seed <= kCases; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Rng rng(static_cast<Rng::result_type>(seed));
        THalvo h;
        h.SetDataDirectory(dir.Path());
        std::string text;
        std::size_t eventsSize = 0;  // of the last events file named
        const std::size_t parts = Below(rng, 6);
        for (std::size_t p = 0; p < parts; ++p) {
            const std::string key = keys[Below(rng, std::size(keys))];
            // Without a blank before it, a "-" stays inside the value before it.
            const bool separate = rng() % 5 != 0 || text.empty();
            text += (separate ? " " : "") + key + " ";
            if (key.ends_with("file")) {
                const std::size_t size = Below(rng, 3) == 0 ? 0 : Below(rng, 20000);
                const std::string name = "raw" + std::to_string(p) + (rng() % 8 == 0 ? "-missing" : "");
                if (!name.ends_with("missing")) dir.Write(name, RandomBytes(rng, size));
                text += dir.File(name);
                if (key == "-buffile" && separate) eventsSize = name.ends_with("missing") ? 0 : size;
            } else if (key == "-halvotype") {
                const char* const values[] = {"vesk2", "vesk3", "v3abcdef", ""};
                text += rng() % 2 ? std::string(values[Below(rng, 4)]) : RandomBytes(rng, Below(rng, 300));
            } else if (rng() % 3 == 0) {
                text += RandomBytes(rng, Below(rng, 40));
            }
        }
        if (rng() % 6 == 0) text = RandomBytes(rng, Below(rng, 200));
        bool ok = false;
        std::string message;
        h.LoadFromParams(text, ok, message);
        EXPECT_LE(h.GetEventsLength(), THalvo::kEventsCapacity);
        EXPECT_LE(h.GetParset1Length(), THalvo::kParsetCapacity);
        EXPECT_LE(h.GetParset2Length(), THalvo::kParsetCapacity);
        EXPECT_LE(h.GetUnitVersion().size(), 3 * THalvo::kMaxTextLength + 1);  // UTF-8 of 99 characters
        EXPECT_TRUE(ok || !message.empty());
        if (ok && eventsSize > 0) {
            EXPECT_EQ(h.GetEventsLength(), std::min(eventsSize, THalvo::kEventsCapacity))
                << ::testing::PrintToString(text);
        }
    }
}

}  // namespace
}  // namespace app
