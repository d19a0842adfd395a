#pragma once
// A scratch directory per test, and raw file access for building and checking files.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace app::test {

class TTempDir {
public:
    TTempDir() {
        std::string templ = (std::filesystem::temp_directory_path() / "halvo-device-XXXXXX").string();
        if (::mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        FPath = templ;
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::string& Path() const { return FPath; }
    std::string File(const std::string& name) const { return FPath + "/" + name; }
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string path = File(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

private:
    std::string FPath;
};

// Little-endian fields of the document files.
inline void Put16(std::string& b, std::size_t at, uint16_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}

inline void PutDouble(std::string& b, std::size_t at, double v) {
    auto bits = std::bit_cast<uint64_t>(v);
    for (std::size_t i = 0; i < 8; ++i, bits >>= 8) b[at + i] = static_cast<char>(bits & 0xFF);
}

inline std::string Le16(uint16_t v) {
    std::string s(2, '\0');
    Put16(s, 0, v);
    return s;
}

inline std::string LeDouble(double v) {
    std::string s(8, '\0');
    PutDouble(s, 0, v);
    return s;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace app::test
