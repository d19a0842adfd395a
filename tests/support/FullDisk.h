#pragma once
// A folder on a small filesystem that is full, as a disk in the field gets: a 64 KiB
// tmpfs mounted on it and filled to the last byte. Mounting needs root; where the test may
// not mount, Mounted() is false and Why() says so, for the test to skip with it.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/mount.h>
#include <unistd.h>

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

    // Takes every free block, so the next write that needs one fails with ENOSPC.
    void Fill() const {
        const int fd = ::open((FDir + "/.filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) return;
        const std::vector<char> block(4096, 'f');
        for (std::size_t size = block.size(); size > 0; size /= 2)
            while (::write(fd, block.data(), size) == static_cast<ssize_t>(size)) {
            }
        ::close(fd);
    }

private:
    std::string FDir;
    bool FMounted = false;
    std::string FWhy;
};

}  // namespace platform_test
