#pragma once
// Sectioned text files ([Section] then Key=Value lines) with the private-profile
// semantics of the Windows routines the .inf files were first written with: section
// and key names compare without regard to case, a missing key gives the caller's
// default, integers are decimal, booleans are written "1"/"0" and any non-zero
// integer reads as true, and writing a key keeps every other line in its place.
//
// The file is held in memory: writes change the memory image and UpdateFile() puts
// it on disk (Windows-1252, CR LF), atomically.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace skylog {

class TIniFile {
public:
    // Loads the file when it exists; a missing file gives an empty image.
    explicit TIniFile(std::string fileName);
    // An image built from text (UTF-8), for tests and parsers.
    static TIniFile FromText(std::string_view utf8Text, std::string fileName = "");

    [[nodiscard]] const std::string& FileName() const { return fileName_; }

    [[nodiscard]] std::string ReadString(std::string_view section, std::string_view key,
                                         std::string_view defaultValue) const;
    [[nodiscard]] int32_t ReadInteger(std::string_view section, std::string_view key,
                                      int32_t defaultValue) const;
    [[nodiscard]] bool ReadBool(std::string_view section, std::string_view key,
                                bool defaultValue) const;
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    [[nodiscard]] bool SectionExists(std::string_view section) const;
    [[nodiscard]] bool ValueExists(std::string_view section, std::string_view key) const;
    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view key);
    [[nodiscard]] std::vector<std::string> SectionNames() const;
    [[nodiscard]] std::vector<std::string> KeyNames(std::string_view section) const;

    // The image as UTF-8 text with CR LF line ends.
    [[nodiscard]] std::string ToText() const;
    // Writes the image to FileName (throws FileError on failure).
    void UpdateFile() const;

private:
    struct Line {
        std::string key;    // empty for a line that is not Key=Value (comment, blank)
        std::string value;
        std::string raw;    // the line as read, for lines that are not Key=Value
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
        bool erased = false;
    };

    void parse(std::string_view utf8Text);
    [[nodiscard]] const Section* find(std::string_view section) const;
    Section& findOrAdd(std::string_view section);

    std::string fileName_;
    std::vector<Line> preamble_;  // lines before the first section, kept as they are
    std::vector<Section> sections_;
    std::unordered_map<std::string, size_t> index_;  // lower-case name -> live section
};

}  // namespace skylog
