#pragma once
// A test fixture whose scratch directory is the Windows directory, and a way to run code
// without root's power over read-only folders.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/Files.h"
#include "tests/support/TempDir.h"

namespace platform_test {

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = ::getenv("HALVO_WINDIR")) FOldWinDir = old;
        ::setenv("HALVO_WINDIR", FDir.c_str(), 1);
    }
    void TearDown() override {
        if (FOldWinDir) {
            ::setenv("HALVO_WINDIR", FOldWinDir->c_str(), 1);
        } else {
            ::unsetenv("HALVO_WINDIR");
        }
    }
    std::string Path(const std::string& name) const { return platform::JoinPath(FDir, name); }
    // Through the platform's own writer, which the tests of its readers rely on.
    void Write(const std::string& name, const std::string& bytes) const {
        std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
        ASSERT_TRUE(platform::WriteFileAtomic(Path(name), bytes));
    }
    std::string Read(const std::string& name) const {
        std::string bytes;
        EXPECT_TRUE(platform::ReadWholeFile(Path(name), bytes)) << name;
        return bytes;
    }

    TTempDir FTemp;
    const std::string FDir = FTemp.Path();

private:
    std::optional<std::string> FOldWinDir;
};

// Runs `action` without the power to write into read-only directories: as it is for an
// ordinary user, in a child process that gives up root for root. True when it succeeded.
inline bool RunUnprivileged(const std::function<bool()>& action) {
    if (::geteuid() != 0) return action();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped && action() ? 0 : 1);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The rest of a scope as an ordinary user (nobody) where the test runs as root, inside this
// process, for work that cannot go to a forked child (windows). Only the effective ids
// change, so root comes back at the end of the scope.
class TUnprivilegedScope {
public:
    TUnprivilegedScope() {
        if (::geteuid() != 0) return;
        FRoot = true;
        if (::setegid(65534) != 0 || ::seteuid(65534) != 0)
            FWhy = std::string("cannot become nobody: ") + ::strerror(errno);
    }
    ~TUnprivilegedScope() {
        if (FRoot && (::seteuid(0) != 0 || ::setegid(0) != 0)) ::abort();
    }
    TUnprivilegedScope(const TUnprivilegedScope&) = delete;
    TUnprivilegedScope& operator=(const TUnprivilegedScope&) = delete;

    bool Dropped() const { return FWhy.empty(); }
    const std::string& Why() const { return FWhy; }

private:
    bool FRoot = false;
    std::string FWhy;
};

}  // namespace platform_test
