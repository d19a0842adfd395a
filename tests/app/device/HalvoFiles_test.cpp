#include "app/device/HalvoFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Prompts.h"
#include "tests/app/device/DeviceFixtures.h"
#include "tests/support/TempDirTest.h"

namespace app {
namespace {

using Lines = std::vector<std::string>;

std::vector<uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

Lines ReadLines(const std::vector<uint8_t>& buffer) {
    Lines lines;
    BufferToStrings(lines, buffer.data(), buffer.size());
    return lines;
}

TEST(NoteBuffer, LinesAndEmptyLinesInTheirLayout) {
    std::vector<uint8_t> buffer(16, 0xEE);
    StringsToBuffer({"x", "", "yz"}, buffer.data(), buffer.size());
    const std::vector<uint8_t> expected{'x', 0, '\r', '\n', 'y', 'z', 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 8), expected);
    EXPECT_EQ(buffer[8], 0xEE);
    EXPECT_EQ(ReadLines(buffer), (Lines{"x", "", "yz"}));
}

TEST(NoteBuffer, EmptyListIsOneNul) {
    std::vector<uint8_t> buffer(4, 0xEE);
    StringsToBuffer({}, buffer.data(), buffer.size());
    EXPECT_EQ(buffer, (std::vector<uint8_t>{0, 0xEE, 0xEE, 0xEE}));
    EXPECT_TRUE(ReadLines(buffer).empty());
}

TEST(NoteBuffer, TextIsCodePage1250InTheBuffer) {
    std::vector<uint8_t> buffer(32);
    StringsToBuffer({"Łódź"}, buffer.data(), buffer.size());
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 5), Bytes(std::string("\xA3\xF3"
                                                                                          "d\x9F\0",
                                                                                          5)));
    EXPECT_EQ(ReadLines(buffer), Lines{"Łódź"});
}

struct ReadCase {
    std::string Buffer;
    Lines Expected;
    friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.Buffer); }
};

class BufferToStringsTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(BufferToStringsTest, ReadsTheLines) {
    const std::vector<uint8_t> buffer = Bytes(GetParam().Buffer);
    const std::vector<uint8_t> before = buffer;
    EXPECT_EQ(ReadLines(buffer), GetParam().Expected);
    EXPECT_EQ(buffer, before);
}

INSTANTIATE_TEST_SUITE_P(Cases, BufferToStringsTest,
                         ::testing::Values(ReadCase{std::string("ab\0cd\0\0zz\0", 10), {"ab", "cd"}},
                                           ReadCase{std::string("\r\n\r\nq\0\0", 7), {"", "", "q"}},
                                           // A line break takes the byte after it along.
                                           ReadCase{std::string("ab\ncd\0\0", 7), {"ab", "d"}},
                                           ReadCase{std::string("\0ab\0", 4), {}},
                                           // The last byte never counts, but the line before it is kept.
                                           ReadCase{"abcdefgh", {"abcdefg"}}, ReadCase{"a", {}}));

TEST(NoteBuffer, NothingFromAnEmptyBuffer) {
    Lines lines{"kept"};
    BufferToStrings(lines, nullptr, 0);
    EXPECT_EQ(lines, Lines{"kept"});
}

struct OverflowCase {
    std::size_t Size;
    Lines Written;
    std::string Bytes;  // the buffer afterwards
    Lines ReadBack;
    friend void PrintTo(const OverflowCase& c, std::ostream* os) {
        *os << c.Size << " " << ::testing::PrintToString(c.Written);
    }
};

class StringsToBufferOverflowTest : public ::testing::TestWithParam<OverflowCase> {};

// A guard area after the buffer shows any byte written past its end.
TEST_P(StringsToBufferOverflowTest, StaysInsideTheBuffer) {
    const OverflowCase& c = GetParam();
    std::vector<uint8_t> memory(c.Size + 8, 0xEE);
    StringsToBuffer(c.Written, memory.data(), c.Size);
    const std::vector<uint8_t> buffer(memory.begin(), memory.begin() + static_cast<std::ptrdiff_t>(c.Size));
    EXPECT_EQ(buffer, Bytes(c.Bytes));
    EXPECT_EQ(std::vector<uint8_t>(memory.begin() + static_cast<std::ptrdiff_t>(c.Size), memory.end()),
              std::vector<uint8_t>(8, 0xEE));
    EXPECT_EQ(ReadLines(buffer), c.ReadBack);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StringsToBufferOverflowTest,
    ::testing::Values(OverflowCase{1, {"abc"}, std::string(1, '\0'), {}},
                      OverflowCase{4, {"abcdef"}, std::string("abc\0", 4), {"abc"}},
                      OverflowCase{5, {"ab", "cd"}, std::string("ab\0c\0", 5), {"ab", "c"}},
                      OverflowCase{4, {"ab", "", "x"}, std::string("ab\0\0", 4), {"ab"}},
                      OverflowCase{5, {"ab", "", "x"}, std::string("ab\0\r\n", 5), {"ab", ""}},
                      OverflowCase{3, {"", "", ""}, std::string("\r\n\0", 3), {""}}));

class SaveBufferToFileTest : public ::testing::Test {
protected:
    test::TTempDir dir;
    platform::TRecordingPrompts prompts;
    platform::TPromptsScope scope{prompts};
};

TEST_F(SaveBufferToFileTest, WritesExactlyCountBytesOverAnOldFile) {
    const std::string path = dir.Write("out.bin", std::string(100, 'o'));
    const std::string data("ab\0cd", 5);
    EXPECT_TRUE(SaveBufferToFile(path, reinterpret_cast<const uint8_t*>(data.data()), 4));
    EXPECT_EQ(test::ReadBytes(path), data.substr(0, 4));
    EXPECT_TRUE(prompts.Log.empty());
}

// The box names the file and the system's reason, as root and as an ordinary user. The
// folder lets anyone write, so a refusal is the file's own; the old files stay.
TEST_F(SaveBufferToFileTest, FailureShowsErrorNotSavedWithTheFileAndWhy) {
    const uint8_t data[3] = {1, 2, 3};
    ::chmod(dir.Path().c_str(), 0777);
    const std::string readOnly = dir.Write("read-only.bin", "old");
    ::chmod(readOnly.c_str(), 0444);
    const std::string locked = dir.Write("locked.bin", "old");
    ::chmod(locked.c_str(), 0000);
    const std::string folder = dir.File("folder");
    std::filesystem::create_directories(folder + "/inner");
    ::chmod(folder.c_str(), 0777);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir.File("no/such/dir/out.bin"), "No such file or directory"},
        {std::string(), "No such file or directory"},
        {folder, "Is a directory"},
        {readOnly, "Permission denied"},
        {locked, "Permission denied"},
        {dir.File(std::string(250, 'n') + ".halvo"), "File name too long"},
    };
    for (const auto& [path, reason] : cases) {
        const std::string expected = "Error Not saved.\n" + path + ": " + reason;
        const auto told = [&] {
            prompts.Log.clear();
            return !SaveBufferToFile(path, data, sizeof data) && prompts.Log.size() == 1 &&
                   prompts.Log[0].Text == expected && prompts.Log[0].Type == platform::TMsgDlgType::Error &&
                   prompts.Log[0].Buttons == unsigned{platform::mbOK};
        };
        EXPECT_TRUE(told()) << expected << "\nshown: " << testing::PrintToString(prompts.Texts());
        EXPECT_TRUE(platform_test::RunUnprivileged(told)) << expected;
    }
    EXPECT_EQ(test::ReadBytes(readOnly), "old");
    EXPECT_EQ(test::ReadBytes(locked), "old");
    EXPECT_TRUE(std::filesystem::is_directory(folder + "/inner"));
    // No temporary is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
}

TEST_F(SaveBufferToFileTest, ANewFileGetsTheModeOfTheUmask) {
    const uint8_t data[1] = {1};
    const mode_t previous = ::umask(077);
    const bool saved = SaveBufferToFile(dir.File("buf.bin"), data, sizeof data);
    ::umask(previous);
    ASSERT_TRUE(saved);
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("buf.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace app
