#include "platform/Files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/TempDirTest.h"

using namespace platform;

class FilesTest : public platform_test::TempDirTest {};

TEST(Files, PathHelpers) {
    struct Case {
        std::string in, out;
    };
    const std::vector<Case> normal = {
        {"", ""},
        {"a\\b\\c.set", "a/b/c.set"},
        {"//x///y", "/x/y"},
        {"./a/./b", "a/b"},
        {"a/b/", "a/b/"},
        {"/./", "/"},
        {".", "."},
        {"../a//./b", "../a/b"},
        {"a/.b/c.", "a/.b/c."},
    };
    for (const auto& c : normal) EXPECT_EQ(NormalisePath(c.in), c.out) << c.in;

    EXPECT_EQ(JoinPath("/etc", "halvo.ini"), "/etc/halvo.ini");
    EXPECT_EQ(JoinPath("/etc/", "/halvo.ini"), "/etc/halvo.ini");
    EXPECT_EQ(JoinPath("", "halvo.ini"), "halvo.ini");

    const std::vector<Case> dirs = {{"/a/b/c.set", "/a/b"}, {"/c.set", "/"}, {"c.set", ""}, {"a/", "a"}};
    for (const auto& c : dirs) EXPECT_EQ(ExtractFileDir(c.in), c.out) << c.in;
    EXPECT_EQ(ExtractFileName("/a/b/c.set"), "c.set");
    EXPECT_EQ(ExtractFileName("c.set"), "c.set");
    EXPECT_EQ(ExtractFileName("/a/"), "");

    const std::vector<Case> ext = {
        {"/a/b/c.set", "/a/b/c.xml"}, {"/a.d/c", "/a.d/c.xml"}, {"c", "c.xml"}, {"c.tar.gz", "c.tar.xml"}};
    for (const auto& c : ext) EXPECT_EQ(ChangeFileExt(c.in, ".xml"), c.out) << c.in;
}

TEST(Files, ProgramDirectoryHoldsTheTests) {
    EXPECT_TRUE(FileExists(JoinPath(ProgramDirectory(), "platform_tests")));
}

TEST_F(FilesTest, ExistenceTellsFilesFromDirectories) {
    Write("f", "x");
    EXPECT_TRUE(FileExists(Path("f")));
    EXPECT_FALSE(DirectoryExists(Path("f")));
    EXPECT_TRUE(DirectoryExists(FDir));
    EXPECT_FALSE(FileExists(FDir));
    EXPECT_FALSE(FileExists(Path("missing")));
    EXPECT_FALSE(DirectoryExists(Path("missing")));
}

TEST_F(FilesTest, ReadWholeFile) {
    std::string big(5 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    Write("big", big);
    Write("empty", "");
    EXPECT_EQ(Read("big"), big);
    EXPECT_EQ(Read("empty"), "");

    std::string bytes = "kept";
    EXPECT_FALSE(ReadWholeFile(Path("missing"), bytes));
    EXPECT_FALSE(ReadWholeFile(FDir, bytes));
    EXPECT_EQ(bytes, "kept");
    // Files that give their size as 0 are still read to the end.
    ASSERT_TRUE(ReadWholeFile("/proc/self/status", bytes));
    EXPECT_NE(bytes.find("Name:"), std::string::npos);
}

TEST_F(FilesTest, WriteFileAtomicReplacesAndKeepsTheMode) {
    ASSERT_TRUE(WriteFileAtomic(Path("a.ini"), "one"));
    ::chmod(Path("a.ini").c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomic(Path("a.ini"), "two"));
    EXPECT_EQ(Read("a.ini"), "two");
    struct stat st {};
    ASSERT_EQ(::stat(Path("a.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FDir), {}), 1);
}

TEST_F(FilesTest, WriteFileAtomicFailuresLeaveNoTrace) {
    EXPECT_FALSE(WriteFileAtomic(Path("no/such/dir/a.ini"), "x"));
    EXPECT_FALSE(WriteFileAtomic("", "x"));
    std::filesystem::create_directories(Path("sub/inner"));
    EXPECT_FALSE(WriteFileAtomic(Path("sub"), "x"));  // a directory is not replaced
    EXPECT_TRUE(DirectoryExists(Path("sub/inner")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FDir), {}), 1);
}

TEST_F(FilesTest, WriteFileAtomicIntoReadOnlyDirectoryKeepsTheOldFile) {
    Write("ro/a.ini", "old");
    ::chmod(FDir.c_str(), 0755);
    ::chmod(Path("ro").c_str(), 0555);
    EXPECT_FALSE(platform_test::RunUnprivileged([&] { return WriteFileAtomic(Path("ro/a.ini"), "new"); }));
    EXPECT_EQ(Read("ro/a.ini"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("ro")), {}), 1);
    // The same writer succeeds once the directory lets it.
    ::chmod(Path("ro").c_str(), 0777);
    EXPECT_TRUE(platform_test::RunUnprivileged([&] { return WriteFileAtomic(Path("ro/a.ini"), "new"); }));
    EXPECT_EQ(Read("ro/a.ini"), "new");
}

TEST_F(FilesTest, WriteFileAtomicFailingMidWayKeepsTheOldFile) {
    Write("a.ini", "old");
    // The file size limit makes the write itself fail after the temporary exists.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteFileAtomic(Path("a.ini"), std::string(5000, 'n'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_EQ(Read("a.ini"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FDir), {}), 1);
}
