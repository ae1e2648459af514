#include "Common/IniFile.h"

#include <algorithm>

#include "Common/Encoding.h"
#include "Common/FileUtil.h"
#include "Common/Lines.h"
#include "Common/UUtils.h"

namespace skylog {

namespace {
std::string lowerKey(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return out;
}
}  // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
    if (!FileExists(fileName_)) return;
    TDecodedText decoded = DecodeTextFile(ReadFileBytes(fileName_));
    problem_ = std::move(decoded.Problem);
    encoding_ = decoded.Encoding;
    parse(decoded.Text);
}

TIniFile TIniFile::FromText(std::string_view utf8Text, std::string fileName) {
    TIniFile ini("");
    ini.fileName_ = std::move(fileName);
    ini.parse(utf8Text);
    return ini;
}

bool TIniFile::HasPreamble() const {
    return std::any_of(preamble_.begin(), preamble_.end(),
                       [](const Line& line) { return !line.key.empty() || !Trim(line.raw).empty(); });
}

void TIniFile::parse(std::string_view text) {
    Section* current = nullptr;
    ForEachLine(text, [&](std::string_view raw) {
        std::string trimmed = Trim(raw);
        if (!trimmed.empty() && trimmed.front() == '[' && trimmed.back() == ']') {
            std::string name = Trim(std::string_view(trimmed).substr(1, trimmed.size() - 2));
            // A repeated section header continues the first one, as the Windows
            // routines only ever see the first.
            if (auto it = index_.find(lowerKey(name)); it != index_.end()) {
                current = &sections_[it->second];
            } else {
                sections_.push_back(Section{name, {}, false});
                index_[lowerKey(name)] = sections_.size() - 1;
                current = &sections_.back();
            }
            return;
        }
        Line line;
        size_t eq = trimmed.find('=');
        if (eq != std::string::npos && trimmed[0] != ';' && eq > 0) {
            line.key = Trim(std::string_view(trimmed).substr(0, eq));
            line.value = Trim(std::string_view(trimmed).substr(eq + 1));
        } else {
            line.raw = std::string(raw);
        }
        if (current)
            current->lines.push_back(std::move(line));
        else
            preamble_.push_back(std::move(line));
    });
    // Blank lines between sections are written back by ToText itself.
    for (auto& section : sections_)
        while (!section.lines.empty() && section.lines.back().key.empty() &&
               Trim(section.lines.back().raw).empty())
            section.lines.pop_back();
}

const TIniFile::Section* TIniFile::find(std::string_view section) const {
    auto it = index_.find(lowerKey(section));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

TIniFile::Section& TIniFile::findOrAdd(std::string_view section) {
    auto it = index_.find(lowerKey(section));
    if (it != index_.end()) return sections_[it->second];
    // A section erased and written again stays where it stood.
    for (size_t i = 0; i < sections_.size(); ++i) {
        if (!sections_[i].erased || !EqualsNoCase(sections_[i].name, section)) continue;
        sections_[i].erased = false;
        index_[lowerKey(section)] = i;
        return sections_[i];
    }
    sections_.push_back(Section{std::string(section), {}, false});
    index_[lowerKey(section)] = sections_.size() - 1;
    return sections_.back();
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
    if (const Section* s = find(section))
        for (const Line& line : s->lines)
            if (!line.key.empty() && EqualsNoCase(line.key, key)) return line.value;
    return std::string(defaultValue);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                              int32_t defaultValue) const {
    std::string text = ReadString(section, key, "");
    if (auto value = ParseInt32(text)) return *value;
    return defaultValue;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Section& s = findOrAdd(section);
    for (Line& line : s.lines)
        if (!line.key.empty() && EqualsNoCase(line.key, key)) {
            line.value = std::string(value);
            return;
        }
    s.lines.push_back(Line{std::string(key), std::string(value), ""});
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::SectionExists(std::string_view section) const { return find(section) != nullptr; }

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
    if (const Section* s = find(section))
        for (const Line& line : s->lines)
            if (!line.key.empty() && EqualsNoCase(line.key, key)) return true;
    return false;
}

void TIniFile::EraseSection(std::string_view section) {
    auto it = index_.find(lowerKey(section));
    if (it == index_.end()) return;
    sections_[it->second].erased = true;
    sections_[it->second].lines.clear();
    index_.erase(it);
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
    auto it = index_.find(lowerKey(section));
    if (it == index_.end()) return;
    auto& lines = sections_[it->second].lines;
    for (size_t i = 0; i < lines.size(); ++i)
        if (!lines[i].key.empty() && EqualsNoCase(lines[i].key, key)) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

std::vector<std::string> TIniFile::SectionNames() const {
    std::vector<std::string> names;
    for (const auto& s : sections_)
        if (!s.erased) names.push_back(s.name);
    return names;
}

std::vector<std::string> TIniFile::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    if (const Section* s = find(section))
        for (const Line& line : s->lines)
            if (!line.key.empty()) names.push_back(line.key);
    return names;
}

TRecord TIniFile::Record(std::string_view section) const {
    TRecord record;
    if (const Section* s = find(section))
        for (const Line& line : s->lines) record.emplace_back(line.key, line.key.empty() ? line.raw : line.value);
    return record;
}

void TIniFile::SetRecord(std::string_view section, const TRecord& record) {
    Section& s = findOrAdd(section);
    s.lines.clear();
    for (const auto& [key, value] : record)
        s.lines.push_back(key.empty() ? Line{"", "", value} : Line{key, value, ""});
}

std::string TIniFile::ToText() const {
    std::string out;
    auto emit = [&out](const Line& line) {
        if (line.key.empty())
            out += line.raw;
        else
            out += line.key + "=" + line.value;
        out += "\r\n";
    };
    for (const Line& line : preamble_) emit(line);
    bool first = true;
    for (const Section& s : sections_) {
        if (s.erased) continue;
        if (!first) out += "\r\n";  // a blank line between sections
        first = false;
        out += "[" + s.name + "]\r\n";
        for (const Line& line : s.lines) emit(line);
    }
    return out;
}

void TIniFile::UpdateFile() const {
    const std::string dir = ExtractFileDir(fileName_);
    if (!dir.empty()) ForceDirectories(dir);
    RemoveStaleTemporaries(fileName_);
    WriteFileAtomic(fileName_, EncodeTextFile(ToText(), encoding_));
}

}  // namespace skylog
