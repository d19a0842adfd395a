#pragma once
// A unique scratch directory that goes with its owner; tests, fuzz targets and benches
// share it, so it needs neither gtest nor the platform library.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform_test {

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
    std::string Write(const std::string& name, std::string_view bytes) const {
        const std::string path = File(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) throw std::runtime_error("cannot write " + path);
        return path;
    }

private:
    std::string FPath;
};

}  // namespace platform_test
