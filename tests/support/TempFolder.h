// A fresh folder under the test temp dir, removed with everything in it when the fixture ends.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace orvane::testing_support {

class TempFolder {
  public:
    TempFolder() {
        static std::atomic<int> counter{0};
        path_ =
            ::testing::TempDir() + "orvane_" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// UTF-16LE bytes of a text, with the FF FE mark when asked.
inline std::string Utf16Le(std::u16string_view text, bool mark = true) {
    std::string out = mark ? std::string("\xFF\xFE") : std::string();
    for (char16_t ch : text)
        out += static_cast<char>(ch & 0xFF), out += static_cast<char>(ch >> 8);
    return out;
}

}  // namespace orvane::testing_support
