#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end of a test.

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace clinova::test {

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("clinova-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &path() const { return path_; }
    std::string File(const std::string &name) const { return (path_ / name).string(); }
    // The folder with its final separator, as the import keeps its source folder.
    std::string Folder() const { return (path_ / "").string(); }

    void Write(const std::string &name, const std::string &bytes) const {
        std::ofstream out(path_ / name, std::ios::binary);
        out << bytes;
    }

    std::string Read(const std::string &name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path path_;
};

} // namespace clinova::test
