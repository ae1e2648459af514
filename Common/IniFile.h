#pragma once
// Sectioned text files ([Section] then Key=Value lines) with the private-profile
// semantics of the Windows routines the .inf files were first written with: section
// and key names compare without regard to case, a missing key gives the caller's
// default, integers are decimal, booleans are written "1"/"0" and any non-zero
// integer reads as true, and writing a key keeps every other line in its place.
//
// The file is held in memory: writes change the memory image and UpdateFile() puts
// it on disk (CR LF), atomically, in the encoding it was read in (Windows-1252 for a
// new file, see Common/Encoding.h).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Common/Encoding.h"

namespace skylog {

// The lines of one section in file order: (key, value) pairs, and (empty key, the line
// as read) for a line that is no Key=Value (a comment). The unit in which the lists
// compare and merge their items (Common/ListMerge.h).
using TRecord = std::vector<std::pair<std::string, std::string>>;

class TIniFile {
public:
    // Loads the file when it exists; a missing file gives an empty image, and so does
    // a file that is no text (Problem says why). Throws FileError when the file
    // cannot be read.
    explicit TIniFile(std::string fileName);
    // An image built from text (UTF-8), for tests and parsers.
    static TIniFile FromText(std::string_view utf8Text, std::string fileName = "");

    [[nodiscard]] const std::string& FileName() const { return fileName_; }
    [[nodiscard]] const std::optional<std::string>& Problem() const { return problem_; }
    [[nodiscard]] TTextEncoding Encoding() const { return encoding_; }
    // Lines before the first section that are more than blank.
    [[nodiscard]] bool HasPreamble() const;

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
    // A section's lines (empty when it is missing); SetRecord replaces them, creating
    // the section at the end when it is missing.
    [[nodiscard]] TRecord Record(std::string_view section) const;
    void SetRecord(std::string_view section, const TRecord& record);

    // The image as UTF-8 text with CR LF line ends.
    [[nodiscard]] std::string ToText() const;
    // Writes the image to FileName (throws FileError on failure), removing first the
    // temporary files that a killed write of it left: the caller keeps every other
    // writer out (the working directory lock).
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
    std::optional<std::string> problem_;
    TTextEncoding encoding_ = TTextEncoding::Cp1252;
    std::vector<Line> preamble_;  // lines before the first section, kept as they are
    std::vector<Section> sections_;
    std::unordered_map<std::string, size_t> index_;  // lower-case name -> live section
};

}  // namespace skylog
