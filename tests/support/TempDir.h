#pragma once
// A unique temporary directory for one test, also made the Windows directory.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/Files.h"

namespace platform_test {

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "halvo-platform-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        if (const char* old = ::getenv("HALVO_WINDIR")) oldWinDir_ = old;
        ::setenv("HALVO_WINDIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        if (oldWinDir_) {
            ::setenv("HALVO_WINDIR", oldWinDir_->c_str(), 1);
        } else {
            ::unsetenv("HALVO_WINDIR");
        }
        std::error_code ec;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        for (auto& e : std::filesystem::recursive_directory_iterator(dir_, ec))
            if (e.is_directory(ec))
                std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(dir_, ec);
    }
    std::string Path(const std::string& name) const { return platform::JoinPath(dir_, name); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
        ASSERT_TRUE(platform::WriteFileAtomic(Path(name), bytes));
    }
    std::string Read(const std::string& name) const {
        std::string bytes;
        EXPECT_TRUE(platform::ReadWholeFile(Path(name), bytes)) << name;
        return bytes;
    }

    std::string dir_;

private:
    std::optional<std::string> oldWinDir_;
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

}  // namespace platform_test
