#include "platform/Files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "tests/support/Bounded.h"
#include "tests/support/FullDisk.h"
#include "tests/support/TempDirTest.h"

using namespace platform;

class FilesTest : public platform_test::TempDirTest {
protected:
    // The inputs that are no regular file: a FIFO nobody writes to (opening it for
    // reading waits for a writer), a link to it, a directory, a character device.
    std::vector<std::string> SpecialFiles() {
        EXPECT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
        std::filesystem::create_symlink(Path("fifo"), Path("to-fifo"));
        std::filesystem::create_directories(Path("sub"));
        return {Path("fifo"), Path("to-fifo"), Path("sub"), "/dev/null"};
    }
    std::string Target(const std::string& link) const {
        return std::filesystem::read_symlink(Path(link)).string();
    }
    bool IsLink(const std::string& name) const {
        return std::filesystem::is_symlink(std::filesystem::symlink_status(Path(name)));
    }
    std::size_t Entries(const std::string& dir) const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
    }
};

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

TEST_F(FilesTest, OnlyRegularFilesAreReadAndOthersAreRefusedAtOnce) {
    for (const std::string& path : SpecialFiles()) {
        const auto outcome = platform_test::RunBounded(10, [&] {
            std::string bytes = "kept", head = "kept";
            const bool read = ReadWholeFile(path, bytes);
            const bool headRead = ReadFileHead(path, 10, head);
            return std::string(read ? "read " : "refused ") + bytes + (headRead ? " read " : " refused ") +
                   head;
        });
        EXPECT_EQ(outcome, std::string("refused kept refused kept")) << path;
    }
}

TEST_F(FilesTest, ReadFileHeadStopsAtItsLimit) {
    Write("f", "0123456789");
    for (const auto& [limit, head] : std::vector<std::pair<std::size_t, std::string>>{
             {0, ""}, {4, "0123"}, {10, "0123456789"}, {11, "0123456789"}}) {
        std::string bytes = "kept";
        EXPECT_TRUE(ReadFileHead(Path("f"), limit, bytes)) << limit;
        EXPECT_EQ(bytes, head) << limit;
    }
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

TEST_F(FilesTest, WriteFileAtomicFailuresLeaveNoTraceAndSayWhy) {
    std::filesystem::create_directories(Path("sub/inner"));
    for (const auto& [path, error] :
         std::vector<std::pair<std::string, int>>{{Path("no/such/dir/a.ini"), ENOENT},
                                                  {"", ENOENT},
                                                  {Path("sub"), EISDIR},  // a directory is not replaced
                                                  {Path(std::string(250, 'n') + ".halvo"), ENAMETOOLONG}}) {
        errno = 0;
        EXPECT_FALSE(WriteFileAtomic(path, "x")) << path;
        EXPECT_EQ(errno, error) << path << ": " << ErrnoText(errno);
    }
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
    // The same writer succeeds once the directory and the file let it.
    ::chmod(Path("ro").c_str(), 0777);
    ::chmod(Path("ro/a.ini").c_str(), 0666);
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

TEST_F(FilesTest, WriteFileAtomicWritesThroughLinksAndKeepsThem) {
    struct Case {
        std::string link;
        std::vector<std::pair<std::string, std::string>> links;  // name, target as stored
        std::string target;                                      // the file that takes the bytes
    };
    const std::vector<Case> cases{
        {"abs.ini", {{"abs.ini", Path("real/abs.ini")}}, "real/abs.ini"},
        {"rel.ini", {{"rel.ini", "real/rel.ini"}}, "real/rel.ini"},
        {"in/up.ini", {{"in/up.ini", "../real/up.ini"}}, "real/up.ini"},
        {"chain.ini", {{"chain.ini", "mid.ini"}, {"mid.ini", "real/chain.ini"}}, "real/chain.ini"},
    };
    std::filesystem::create_directories(Path("in"));
    for (const Case& c : cases) {
        Write(c.target, "old");
        ::chmod(Path(c.target).c_str(), 0604);
        for (const auto& [name, target] : c.links) std::filesystem::create_symlink(target, Path(name));
    }
    const std::size_t here = Entries(FDir), real = Entries(Path("real"));
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFileAtomic(Path(c.link), "new")) << c.link;
        for (const auto& [name, target] : c.links) {
            EXPECT_TRUE(IsLink(name)) << name;
            EXPECT_EQ(Target(name), target) << name;
        }
        EXPECT_EQ(Read(c.target), "new") << c.link;
        struct stat st {};
        ASSERT_EQ(::stat(Path(c.target).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0604u) << c.link;
    }
    // No temporary left behind, beside the links or beside their targets.
    EXPECT_EQ(Entries(FDir), here);
    EXPECT_EQ(Entries(Path("real")), real);
}

TEST_F(FilesTest, WriteFileAtomicRefusesLinksThatLeadNowhere) {
    struct Case {
        std::string link;
        int error;
    };
    std::filesystem::create_symlink(Path("gone/a.ini"), Path("dangling.ini"));
    std::filesystem::create_symlink("loop-b.ini", Path("loop-a.ini"));
    std::filesystem::create_symlink("loop-a.ini", Path("loop-b.ini"));
    for (const Case& c : {Case{"dangling.ini", ENOENT}, Case{"loop-a.ini", ELOOP}}) {
        errno = 0;
        EXPECT_FALSE(WriteFileAtomic(Path(c.link), "new")) << c.link;
        EXPECT_EQ(errno, c.error) << c.link;
        EXPECT_TRUE(IsLink(c.link)) << c.link;
    }
    EXPECT_EQ(Target("dangling.ini"), Path("gone/a.ini"));
    EXPECT_EQ(Target("loop-a.ini"), "loop-b.ini");
    EXPECT_FALSE(std::filesystem::exists(Path("gone")));
    EXPECT_EQ(Entries(FDir), 3u);
}

TEST_F(FilesTest, WriteFileAtomicSavesEveryNameTheFilesystemTakes) {
    std::string polish;
    for (int i = 0; i < 124; ++i) polish += "ż";  // 248 bytes
    for (const std::string& name : {polish, polish + ".halvo", std::string(255, 'n')}) {
        ASSERT_TRUE(WriteFileAtomic(Path(name), "new")) << name.size() << ": " << ErrnoText(errno);
        ASSERT_TRUE(WriteFileAtomic(Path(name), "again")) << name.size() << ": " << ErrnoText(errno);
        EXPECT_EQ(Read(name), "again") << name.size();
    }
    EXPECT_EQ(Entries(FDir), 3u);
}

TEST_F(FilesTest, WriteFileAtomicRefusesAFileTheUserMayNotWrite) {
    // The folder lets anyone write, so only the file's own permission can refuse.
    ::chmod(FDir.c_str(), 0777);
    const auto refused = [&](const char* name, mode_t mode, bool unprivileged) {
        Write(name, "old");
        ::chmod(Path(name).c_str(), mode);
        const auto save = [&] {
            errno = 0;
            return !WriteFileAtomic(Path(name), "new") && errno == EACCES;
        };
        const bool result = unprivileged ? platform_test::RunUnprivileged(save) : save();
        EXPECT_EQ(Read(name), "old") << name;
        return result;
    };
    // A read-only file, as an ordinary user and as the test runs (root in CI, refused too).
    EXPECT_TRUE(refused("ro-user.halvo", 0444, true));
    EXPECT_TRUE(refused("ro.halvo", 0444, false));
    if (::geteuid() != 0) GTEST_SKIP() << "not root: there is no other user's file to refuse";
    // Root's own file, which the ordinary user may not write.
    EXPECT_TRUE(refused("others.halvo", 0644, true));
    EXPECT_EQ(Entries(FDir), 3u);
}

TEST_F(FilesTest, WriteFileAtomicGivesANewFileTheModeOfTheUmask) {
    for (const auto& [mask, mode] :
         std::vector<std::pair<mode_t, mode_t>>{{077, 0600}, {022, 0644}, {0, 0666}}) {
        const std::string name = "new" + std::to_string(mask) + ".halvo";
        const mode_t previous = ::umask(mask);
        const bool written = WriteFileAtomic(Path(name), "x");
        ::umask(previous);
        ASSERT_TRUE(written) << name;
        struct stat st {};
        ASSERT_EQ(::stat(Path(name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode) << name;
    }
}

TEST_F(FilesTest, WriteFileAtomicKeepsTheOwnerOfAReplacedFile) {
    if (::geteuid() != 0) GTEST_SKIP() << "not root: only root may keep another user's file theirs";
    Write("user.halvo", "old");
    ASSERT_EQ(::chown(Path("user.halvo").c_str(), 65534, 65534), 0);
    ::chmod(Path("user.halvo").c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomic(Path("user.halvo"), "new"));
    struct stat st {};
    ASSERT_EQ(::stat(Path("user.halvo").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Read("user.halvo"), "new");
}

TEST_F(FilesTest, WriteFileAtomicOnAFullDiskKeepsTheOldFileAndSaysWhy) {
    std::filesystem::create_directories(Path("disk"));
    const platform_test::TFullDisk disk(Path("disk"));
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    ASSERT_TRUE(WriteFileAtomic(Path("disk/a.halvo"), "old"));
    disk.Fill();
    errno = 0;
    EXPECT_FALSE(WriteFileAtomic(Path("disk/a.halvo"), std::string(20486, 'n')));
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(Read("disk/a.halvo"), "old");
    EXPECT_EQ(Entries(Path("disk")), 2u);  // the file and the filler, no temporary
}

TEST_F(FilesTest, AFileThatCannotBeReadSaysWhy) {
    Write("secret", "x");
    ::chmod(FDir.c_str(), 0755);
    ::chmod(Path("secret").c_str(), 0600);
    std::vector<std::pair<std::string, std::string>> cases{{Path("missing"), "No such file or directory"}};
    for (const std::string& path : SpecialFiles()) cases.emplace_back(path, "not a regular file");
    for (const auto& [path, why] : cases) {
        std::string bytes = "kept", reason;
        EXPECT_FALSE(ReadWholeFile(path, bytes, &reason)) << path;
        EXPECT_EQ(reason, why) << path;
        EXPECT_EQ(bytes, "kept") << path;
    }
    EXPECT_TRUE(platform_test::RunUnprivileged([&] {
        std::string bytes, reason;
        return !ReadWholeFile(Path("secret"), bytes, &reason) && reason == "Permission denied";
    }));
}
