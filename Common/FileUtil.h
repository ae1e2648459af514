#pragma once
// Thin file-system wrappers. Parsers take bytes; these read and write them.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace skylog {

// An unexpected file failure; reaches the front end, which reports it.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[nodiscard]] bool FileExists(std::string_view path);
[[nodiscard]] bool DirectoryExists(std::string_view path);
// Creates the folder with every missing parent; true when it exists afterwards.
bool ForceDirectories(std::string_view path);
bool DeleteFile(std::string_view path);

// Whole file as bytes; throws FileError when it cannot be read.
[[nodiscard]] std::string ReadFileBytes(std::string_view path);
// The same into a buffer used again from file to file: its size only grows, so that
// reading many files neither clears nor allocates memory for each. Returns the file's
// size: the bytes are the buffer's first ones.
[[nodiscard]] size_t ReadFileInto(std::string_view path, std::string& buffer);

// Writes to a temporary file in the same folder, flushes it to disk and renames it
// over the target, so that a crash or a full disk never leaves a truncated file.
// Throws FileError when the file cannot be written; the old file is then intact.
void WriteFileAtomic(std::string_view path, std::string_view bytes);

// Directory part of a path, without the trailing separator ("" when there is none).
[[nodiscard]] std::string ExtractFileDir(std::string_view path);
[[nodiscard]] std::string ExtractFileName(std::string_view path);

}  // namespace skylog
