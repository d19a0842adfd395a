#include "platform/Files.h"

#include <fcntl.h>
#include <string.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "platform/UniqueFd.h"

namespace platform {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

constexpr const char* kNotRegularFile = "not a regular file";

// Opens a regular file for reading. A FIFO would wait in open() for a writer that may
// never come, and a device may never end, so only regular files are opened: the stat
// spares devices the side effects of an open, the fstat closes the gap between the two.
TUniqueFd OpenRegularFile(const std::string& path, struct stat& st, std::string& reason) {
    const auto fail = [&](std::string why) {
        reason = std::move(why);
        return TUniqueFd();
    };
    if (::stat(path.c_str(), &st) != 0) return fail(ErrnoText(errno));
    if (!S_ISREG(st.st_mode)) return fail(kNotRegularFile);
    TUniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file || ::fstat(file.Get(), &st) != 0) return fail(ErrnoText(errno));
    if (!S_ISREG(st.st_mode)) return fail(kNotRegularFile);
    const int flags = ::fcntl(file.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return fail(ErrnoText(errno));
    return file;
}

// The file a save replaces: the path itself, or the end of its chain of links, so that
// the links stay and their target takes the new content.
bool SaveTarget(const std::string& path, std::string& target) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        target = path;
        return true;
    }
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved) return false;
    target = resolved.get();
    return true;
}

// A short name of its own beside the target, so that every name the filesystem takes can
// be saved. Made with 0666 so that the umask (and a default ACL) shape a new file.
TUniqueFd CreateTemporary(const std::string& dir, std::string& temp) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[8];
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) return {};
        std::string name = ".halvo-";
        for (const unsigned char r : random) name += kLetters[r % (sizeof kLetters - 1)];
        temp = JoinPath(dir, name);
        TUniqueFd file(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (file || errno != EEXIST) return file;
    }
    return {};
}

// A file the process may not write is not replaced, though the folder would let the
// rename through; a file without any write permission is read-only for root as well.
bool MayReplace(const std::string& target, const struct stat& st) {
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return false;
    if (S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0) {
        errno = EACCES;
        return false;
    }
    return true;
}

}  // namespace

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* reason) {
    return ReadFileHead(path, SIZE_MAX, bytes, reason);
}

bool ReadFileHead(const std::string& path, std::size_t limit, std::string& bytes, std::string* reason) {
    std::string why;
    const auto fail = [&](std::string text) {
        if (reason) *reason = std::move(text);
        return false;
    };
    struct stat st {};
    const TUniqueFd file = OpenRegularFile(path, st, why);
    if (!file) return fail(why);
    try {
        std::string data;
        // The size is only a hint: files under /proc and /sys say 0, others grow while read.
        if (st.st_size > 0) data.reserve(std::min(static_cast<std::size_t>(st.st_size), limit));
        std::vector<char> chunk(1 << 16);
        while (data.size() < limit) {
            const ssize_t n = ::read(file.Get(), chunk.data(), std::min(chunk.size(), limit - data.size()));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return fail(ErrnoText(errno));
            if (n == 0) break;
            data.append(chunk.data(), static_cast<std::size_t>(n));
        }
        bytes = std::move(data);
        return true;
    } catch (const std::bad_alloc&) {
        return fail(ErrnoText(ENOMEM));
    } catch (const std::length_error&) {
        return fail(ErrnoText(EFBIG));
    }
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes) {
    if (path.empty() || path.back() == '/') {
        errno = path.empty() ? ENOENT : EISDIR;
        return false;
    }
    std::string target;
    if (!SaveTarget(path, target)) return false;
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && !MayReplace(target, old)) return false;
    const std::string dir = ExtractFileDir(target);
    std::string temp;
    TUniqueFd file = CreateTemporary(dir.empty() ? "." : dir, temp);
    if (!file) return false;
    bool ok = true;
    if (replacing) {
        // The owner first: a change of owner clears the set-id bits that the mode restores.
        const bool owned = ::fchown(file.Get(), old.st_uid, old.st_gid) == 0 ||
                           ::fchown(file.Get(), static_cast<uid_t>(-1), old.st_gid) == 0;
        static_cast<void>(owned);  // best effort: an ordinary user may not give a file away
        ok = ::fchmod(file.Get(), old.st_mode & 07777) == 0;
    }
    if (ok) ok = WriteAll(file.Get(), bytes) && ::fsync(file.Get()) == 0;
    int error = errno;
    // A file whose close fails may not hold what was written: it must not replace the old one.
    if (!file.Close() && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        errno = error;
        return false;
    }
    // Make the rename itself durable; the file is in place whatever this says.
    const TUniqueFd directory(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory) ::fsync(directory.Get());
    return true;
}

std::string NormalisePath(std::string_view path) {
    std::string p(path);
    for (char& c : p)
        if (c == '\\') c = '/';
    const bool absolute = !p.empty() && p[0] == '/';
    const bool trailing = p.size() > 1 && p.back() == '/';
    std::string out = absolute ? "/" : "";
    size_t start = 0;
    bool anyPart = false;
    while (start <= p.size()) {
        size_t end = p.find('/', start);
        if (end == std::string::npos) end = p.size();
        const std::string_view part(p.data() + start, end - start);
        if (!part.empty() && part != ".") {
            if (anyPart) out += '/';
            out += part;
            anyPart = true;
        }
        start = end + 1;
    }
    if (!anyPart) return absolute ? "/" : (p.empty() ? "" : ".");
    if (trailing) out += '/';
    return out;
}

std::string JoinPath(std::string_view dir, std::string_view name) {
    if (dir.empty()) return std::string(name);
    while (!name.empty() && name.front() == '/') name.remove_prefix(1);
    std::string out(dir);
    if (out.back() != '/') out += '/';
    out += name;
    return out;
}

std::string ExtractFileDir(std::string_view path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return "";
    if (slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

std::string ExtractFileName(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    const size_t stemEnd = (dot != std::string_view::npos && dot >= nameStart) ? dot : path.size();
    return std::string(path.substr(0, stemEnd)) + std::string(ext);
}

std::string ProgramDirectory() {
    std::vector<char> buf(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return ".";
        if (static_cast<size_t>(n) < buf.size())
            return ExtractFileDir(std::string_view(buf.data(), static_cast<size_t>(n)));
        if (buf.size() >= (1u << 20)) return ".";
        buf.resize(buf.size() * 2);
    }
}

}  // namespace platform
