#pragma once
// A fresh temporary folder per test, removed afterwards, and small file helpers.

#include <string>
#include <string_view>

namespace skylog::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, with a trailing "/".
    [[nodiscard]] const std::string& Path() const { return path_; }
    [[nodiscard]] std::string File(std::string_view relative) const { return path_ + std::string(relative); }

private:
    std::string path_;
};

void WriteText(const std::string& path, std::string_view bytes);
[[nodiscard]] std::string ReadText(const std::string& path);

}  // namespace skylog::test
