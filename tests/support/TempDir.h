#pragma once
// Scratch directories: a unique temporary directory that goes with its owner, and a test
// fixture that also makes it the Windows directory.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/Files.h"

namespace platform_test {

// Removed with everything in it, folders a test made read-only included, when it ends.
// Needs nothing of the platform library.
class TTempDir {
public:
    TTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "halvo-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        FPath = pattern;
    }
    ~TTempDir() {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::permissions(FPath, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto& e : fs::recursive_directory_iterator(FPath, ec))
            if (e.is_directory(ec))
                fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(FPath, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::string& Path() const { return FPath; }
    std::string File(const std::string& name) const { return FPath + "/" + name; }
    // Writes the file (its folders made as needed) and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string path = File(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream out(path, std::ios::binary);
        out << bytes;
        if (!out.flush()) throw std::runtime_error("cannot write " + path);
        return path;
    }

private:
    std::string FPath;
};

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

}  // namespace platform_test
