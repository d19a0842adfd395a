#pragma once
// Owners of the operating system's handles: a file descriptor or socket, a directory
// stream. Header-only, so that libtalvo uses it without the platform library.
#include <dirent.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

// Holds one handle and closes it with `Closer` (0 on success), kNone when empty.
template <typename THandle, THandle kNone, int (*Closer)(THandle)>
class TUniqueHandle {
public:
    TUniqueHandle() noexcept = default;
    explicit TUniqueHandle(THandle handle) noexcept : FHandle(handle) {}
    TUniqueHandle(TUniqueHandle&& other) noexcept : FHandle(other.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    ~TUniqueHandle() { Reset(); }

    THandle Get() const noexcept { return FHandle; }
    bool IsValid() const noexcept { return FHandle != kNone; }
    explicit operator bool() const noexcept { return IsValid(); }

    // Gives the handle up without closing it.
    THandle Release() noexcept {
        const THandle handle = FHandle;
        FHandle = kNone;
        return handle;
    }

    // Closes the handle held (its result dropped, errno kept for the caller's own report)
    // and takes `handle`.
    void Reset(THandle handle = kNone) noexcept {
        if (handle == FHandle) return;
        const int savedErrno = errno;
        Close();
        errno = savedErrno;
        FHandle = handle;
    }

    // Closes now; false when closing failed, errno telling why. The handle is gone
    // either way: a failed close is never repeated.
    bool Close() noexcept {
        if (FHandle == kNone) return true;
        return Closer(Release()) == 0;
    }

private:
    THandle FHandle = kNone;
};

namespace unique_handle_detail {
inline int CloseFd(int fd) {
    return ::close(fd);
}
inline int CloseDir(DIR* dir) {
    return ::closedir(dir);
}
}  // namespace unique_handle_detail

// A file descriptor or socket; -1 when none.
using TUniqueFd = TUniqueHandle<int, -1, unique_handle_detail::CloseFd>;
// A directory stream of opendir.
using TUniqueDir = TUniqueHandle<DIR*, nullptr, unique_handle_detail::CloseDir>;

}  // namespace platform
