#include "platform/Files.h"

#include <fcntl.h>
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
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Opens a regular file for reading. A FIFO would wait in open() for a writer that may
// never come, and a device may never end, so only regular files are opened: the stat
// spares devices the side effects of an open, the fstat closes the gap between the two.
TUniqueFd OpenRegularFile(const std::string& path, struct stat& st) {
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    TUniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file || ::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    const int flags = ::fcntl(file.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return {};
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

}  // namespace

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    return ReadFileHead(path, SIZE_MAX, bytes);
}

bool ReadFileHead(const std::string& path, std::size_t limit, std::string& bytes) {
    struct stat st {};
    const TUniqueFd file = OpenRegularFile(path, st);
    if (!file) return false;
    try {
        std::string data;
        // The size is only a hint: files under /proc and /sys say 0, others grow while read.
        if (st.st_size > 0) data.reserve(std::min(static_cast<std::size_t>(st.st_size), limit));
        std::vector<char> chunk(1 << 16);
        while (data.size() < limit) {
            const ssize_t n = ::read(file.Get(), chunk.data(), std::min(chunk.size(), limit - data.size()));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return false;
            if (n == 0) break;
            data.append(chunk.data(), static_cast<std::size_t>(n));
        }
        bytes = std::move(data);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes) {
    if (path.empty() || path.back() == '/') return false;
    std::string target;
    if (!SaveTarget(path, target)) return false;
    std::string dir = ExtractFileDir(target);
    std::string temp = JoinPath(dir.empty() ? "." : dir, "." + ExtractFileName(target) + ".XXXXXX");
    TUniqueFd file(::mkstemp(temp.data()));
    if (!file) return false;
    struct stat old {};
    const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = ::fchmod(file.Get(), mode) == 0 && WriteAll(file.Get(), bytes) && ::fsync(file.Get()) == 0;
    // A file whose close fails may not hold what was written: it must not replace the old one.
    ok = file.Close() && ok;
    if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        const int error = errno;
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
