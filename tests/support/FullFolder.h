#pragma once
// A folder on a small disk that is full up to a few bytes, as the field meets it: a
// 64 KiB tmpfs mounted on it and filled where the process may mount one (root, as CI
// runs); else the process's file size limit (RLIMIT_FSIZE, SIGXFSZ ignored) stands in, so
// that no file grows past the room left (EFBIG instead of ENOSPC). Kind() says which one
// a test had; the folder goes with its owner.
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace platform_test {

class TFullFolder {
public:
    static constexpr const char* kFiller = ".filler";

    // path is made here and must not exist yet; room: the bytes still free.
    TFullFolder(std::string path, size_t room) : FPath(std::move(path)) {
        std::filesystem::create_directories(FPath);
        if (::mount("tmpfs", FPath.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0777") == 0) {
            FMounted = true;
            Fill(room);
            return;
        }
        FMountError = std::strerror(errno);
        ::getrlimit(RLIMIT_FSIZE, &FOldLimit);
        FOldSignal = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(room), FOldLimit.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFullFolder() {
        std::error_code ec;
        if (FMounted) {
            ::umount2(FPath.c_str(), MNT_DETACH);
        } else {
            ::setrlimit(RLIMIT_FSIZE, &FOldLimit);
            std::signal(SIGXFSZ, FOldSignal);
        }
        std::filesystem::remove_all(FPath, ec);
    }
    TFullFolder(const TFullFolder&) = delete;
    TFullFolder& operator=(const TFullFolder&) = delete;

    const std::string& Path() const { return FPath; }
    bool Mounted() const { return FMounted; }
    std::string Kind() const {
        return FMounted ? "a full 64 KiB tmpfs"
                        : "the RLIMIT_FSIZE stand-in, as no tmpfs could be mounted (" + FMountError + ")";
    }
    // The system's text for the error a write past the room gives.
    std::string WriteError() const { return std::strerror(FMounted ? ENOSPC : EFBIG); }
    // The files in the folder but the filler.
    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(FPath))
            if (e.path().filename() != kFiller) names.insert(e.path().filename().string());
        return names;
    }

private:
    void Fill(size_t room) {
        const std::string filler = FPath + "/" + kFiller;
        {
            std::ofstream out(filler, std::ios::binary);
            const std::vector<char> block(4096, 'x');
            while (out.write(block.data(), static_cast<std::streamsize>(block.size())) && out.flush()) {
            }
        }
        std::error_code ec;
        const auto size = std::filesystem::file_size(filler, ec);
        if (!ec) std::filesystem::resize_file(filler, size > room ? size - room : 0, ec);
    }

    std::string FPath;
    bool FMounted = false;
    std::string FMountError;
    rlimit FOldLimit{};
    void (*FOldSignal)(int) = SIG_DFL;
};

}  // namespace platform_test
