#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "dcomp/DcompInit.h"
#include "dcomp/uFileAccess.h"
#include "tests/support/TempDirTest.h"

using namespace dcomp;

namespace {

// A file kind of our own: it opens its descriptor and moves its position itself.
class TTestFile : public TBaseFile {
public:
    TTestFile(const std::string& name, int flags) : TBaseFile(name) {
        SetHandle(::open(name.c_str(), flags | O_CLOEXEC));
    }
    using TBaseFile::SetHandle;
    using TBaseFile::SetPosition;
};

std::vector<std::string>& Reports() {
    static std::vector<std::string> reports;
    return reports;
}

void Collect(const char* text, int32_t code, int32_t extra) {
    Reports().push_back(std::string(text) + "|" + std::to_string(code) + "|" + std::to_string(extra));
}

int64_t FileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

class FileAccessTest : public platform_test::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        InitUnits();
        Reports().clear();
        FFile = Path("data.bin");
        Write("data.bin", std::string(100, 'x'));
    }
    void TearDown() override {
        FinalizeUnits();
        TempDirTest::TearDown();
    }
    std::string FFile;
};

}  // namespace

TEST_F(FileAccessTest, SetSizeMovesEndAndKeepsPositionInside) {
    const struct {
        int64_t position, newSize, size, positionAfter;
    } cases[] = {
        {80, 50, 50, 50},    // shrunk below the position: the position follows
        {20, 50, 50, 20},    // shrunk above it: kept
        {10, 200, 200, 10},  // grown: kept, the pointer goes back to it
        {60, 60, 60, 60},    // at the new end
        {0, 0, 0, 0},
    };
    TBaseFile::SetErrorCallback(Collect);
    for (const auto& c : cases) {
        Write("data.bin", std::string(100, 'x'));
        TTestFile f(FFile, O_RDWR);
        ASSERT_NE(f.Handle(), -1);
        f.SetPosition(c.position);
        f.SetSize(c.newSize);
        EXPECT_EQ(f.Size(), c.size) << c.newSize;
        EXPECT_EQ(f.Position(), c.positionAfter) << c.newSize;
        EXPECT_EQ(::lseek(f.Handle(), 0, SEEK_CUR), c.position < c.size ? c.position : c.newSize)
            << c.newSize;
        EXPECT_EQ(FileSize(FFile), c.newSize);
    }
    EXPECT_TRUE(Reports().empty());
}

TEST_F(FileAccessTest, NegativeSizeReportsOnceAndChangesNothing) {
    TBaseFile::SetErrorCallback(Collect);
    TTestFile f(FFile, O_RDWR);
    f.SetSize(100);
    f.SetPosition(30);
    f.SetSize(-1);
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0], "Invalid argument [SysErr: 22]: " + FFile + "|0|0");
    EXPECT_EQ(f.Size(), 100);
    EXPECT_EQ(f.Position(), 30);
    EXPECT_EQ(FileSize(FFile), 100);
}

TEST_F(FileAccessTest, ReadOnlyFileKeepsItsSize) {
    TBaseFile::SetErrorCallback(Collect);
    TTestFile f(FFile, O_RDWR);
    f.SetSize(100);
    f.CloseFileHandle();
    f.SetHandle(::open(FFile.c_str(), O_RDONLY | O_CLOEXEC));
    f.SetPosition(40);
    f.SetSize(10);
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0].substr(Reports()[0].rfind("]: ")), "]: " + FFile + "|0|0");
    EXPECT_NE(Reports()[0].find("[SysErr: "), std::string::npos);
    EXPECT_EQ(f.Size(), 100);
    EXPECT_EQ(f.Position(), 40);
    EXPECT_EQ(::lseek(f.Handle(), 0, SEEK_CUR), 40);
    EXPECT_EQ(FileSize(FFile), 100);
}

TEST_F(FileAccessTest, FailingCloseWritesOneLineWithTheDefaultCallback) {
    EXPECT_EQ(TBaseFile::ErrorCallback(), &DebugOutputCallback);
    TTestFile f(FFile, O_RDWR);
    const int real = f.Handle();
    f.SetHandle(1 << 20);                   // beyond any descriptor limit
    EXPECT_EQ(::fcntl(real, F_GETFD), -1);  // the replaced descriptor was closed, not leaked
    testing::internal::CaptureStderr();
    f.Close();
    f.Close();  // finds no handle: nothing to report
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out, "Bad file descriptor [SysErr: 9]: " + FFile + "\n");
    EXPECT_EQ(f.Handle(), -1);
    EXPECT_EQ(f.Size(), 0);
}

TEST_F(FileAccessTest, ErrorCallbackIsSharedByEveryFile) {
    TTestFile a(FFile, O_RDWR), b(FFile, O_RDONLY);
    TBaseFile::SetErrorCallback(Collect);
    EXPECT_EQ(TBaseFile::ErrorCallback(), &Collect);
    a.ReportError("first", 1, 2);
    b.ReportError("second", 3, 4);
    EXPECT_EQ(Reports(), (std::vector<std::string>{"first: " + FFile + "|1|2", "second: " + FFile + "|3|4"}));
    EXPECT_EQ(a.Description(), "");
}

TEST_F(FileAccessTest, DestructorClosesTheDescriptor) {
    int fd = -1;
    {
        TTestFile f(FFile, O_RDWR);
        fd = f.Handle();
        ASSERT_GE(fd, 0);
    }
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
    EXPECT_EQ(errno, EBADF);
}
