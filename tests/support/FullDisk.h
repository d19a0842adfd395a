#pragma once
// A folder on a small filesystem that is full, as a disk in the field gets: a 64 KiB
// tmpfs mounted on it and filled to the last byte. Mounting needs root; where the test may
// not mount, Mounted() is false and Why() says so, for the test to skip with it.
// TFullFolder stands in where it cannot mount.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace platform_test {

class TFullDisk {
public:
    explicit TFullDisk(std::string dir) : FDir(std::move(dir)) {
        if (::mount("tmpfs", FDir.c_str(), "tmpfs", 0, "size=64k,mode=0777") != 0) {
            FWhy = "cannot mount a small tmpfs on " + FDir + ": " + ::strerror(errno);
            return;
        }
        FMounted = true;
    }
    ~TFullDisk() {
        if (FMounted) ::umount2(FDir.c_str(), MNT_DETACH);
    }
    TFullDisk(const TFullDisk&) = delete;
    TFullDisk& operator=(const TFullDisk&) = delete;

    bool Mounted() const { return FMounted; }
    const std::string& Why() const { return FWhy; }

    static constexpr const char* kFiller = ".filler";

    // Takes every free block but room bytes, so a write that needs more fails with ENOSPC.
    void Fill(std::size_t room = 0) const {
        const int fd = ::open((FDir + "/" + kFiller).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) return;
        const std::vector<char> block(4096, 'f');
        for (std::size_t size = block.size(); size > 0; size /= 2)
            while (::write(fd, block.data(), size) == static_cast<ssize_t>(size)) {
            }
        // Room is given back whole pages at a time, as tmpfs keeps them.
        const off_t size = ::lseek(fd, 0, SEEK_END);
        const off_t keep = size > static_cast<off_t>(room) ? size - static_cast<off_t>(room) : 0;
        [[maybe_unused]] const bool cut = room == 0 || ::ftruncate(fd, keep) == 0;
        ::close(fd);
    }

private:
    std::string FDir;
    bool FMounted = false;
    std::string FWhy;
};

// A folder that is full up to room bytes: a filled TFullDisk where the process may mount
// one (root, as CI runs); else the process's file size limit (RLIMIT_FSIZE, SIGXFSZ
// ignored) stands in, so that no file grows past room (EFBIG instead of ENOSPC). Kind()
// says which one a test had. The folder is made here and goes with its owner.
class TFullFolder {
public:
    TFullFolder(std::string path, std::size_t room) : FPath(std::move(path)) {
        std::filesystem::create_directories(FPath);
        FDisk.emplace(FPath);
        if (FDisk->Mounted()) {
            FDisk->Fill(room);
            return;
        }
        FWhy = FDisk->Why();
        FDisk.reset();
        ::getrlimit(RLIMIT_FSIZE, &FOldLimit);
        FOldSignal = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(room), FOldLimit.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFullFolder() {
        if (!FDisk) {
            ::setrlimit(RLIMIT_FSIZE, &FOldLimit);
            std::signal(SIGXFSZ, FOldSignal);
        }
        FDisk.reset();
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TFullFolder(const TFullFolder&) = delete;
    TFullFolder& operator=(const TFullFolder&) = delete;

    const std::string& Path() const { return FPath; }
    std::string Kind() const {
        return FDisk ? "a full 64 KiB tmpfs" : "the RLIMIT_FSIZE stand-in, as " + FWhy;
    }
    // The system's text for the error a write past the room gives.
    std::string WriteError() const { return ::strerror(FDisk ? ENOSPC : EFBIG); }
    // The files in the folder but the filler.
    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(FPath))
            if (e.path().filename() != TFullDisk::kFiller) names.insert(e.path().filename().string());
        return names;
    }

private:
    std::string FPath;
    std::optional<TFullDisk> FDisk;
    std::string FWhy;
    rlimit FOldLimit{};
    void (*FOldSignal)(int) = SIG_DFL;
};

}  // namespace platform_test
