// The .inf layer: an image from any text (as read from disk: Windows-1252 bytes, or
// UTF-8 text), reads of every section and key, writes chosen by the input, then the
// text written and read again: every key written reads back, erased sections and
// deleted keys stay gone, and the text is stable after one round.

#include <string>
#include <vector>

#include "Common/Encoding.h"
#include "Common/IniFile.h"
#include "Common/UUtils.h"
#include "fuzz/FuzzSupport.h"

namespace skylog::fuzz {
namespace {

// Names made of letters and digits only, so that none can be taken for a section
// header, a comment or a key with an equals sign in it.
std::string NameFrom(std::string_view bytes) {
    std::string name;
    for (char c : bytes)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) name += c;
    return name.empty() ? std::string("K") : name;
}

// A value as it can be stored: one line, without the white space reading trims.
std::string ValueFrom(std::string_view bytes) {
    std::string value;
    for (char c : bytes)
        if (c != '\r' && c != '\n') value += c;
    return Trim(value);
}

enum class Op { Write, Erase, Delete };
struct Step {
    Op op;
    std::string section, key, value;
};

// True when a step after `index` touches the same key (or erases its section).
bool TouchedLater(const std::vector<Step>& steps, size_t index, bool sectionOnly) {
    const Step& s = steps[index];
    for (size_t j = index + 1; j < steps.size(); ++j) {
        if (!EqualsNoCase(steps[j].section, s.section)) continue;
        if (steps[j].op == Op::Erase || sectionOnly || EqualsNoCase(steps[j].key, s.key)) return true;
    }
    return false;
}

}  // namespace
}  // namespace skylog::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace skylog;
    using namespace skylog::fuzz;
    InputCursor input(data, size);
    const uint8_t mode = input.Byte();
    const std::string_view script = input.Take(input.Byte());
    const std::string_view body = input.Rest();
    const std::string text = (mode & 1) != 0 ? Cp1252ToUtf8(body) : std::string(body);

    TIniFile ini = TIniFile::FromText(text, "fuzz.inf");
    const std::vector<std::string> sections = ini.SectionNames();
    for (const std::string& section : sections) {
        Check(ini.SectionExists(section), "a listed section does not exist");
        for (const std::string& key : ini.KeyNames(section)) {
            Check(ini.ValueExists(section, key), "a listed key has no value");
            static_cast<void>(ini.ReadInteger(section, key, 0) + ini.ReadBool(section, key, false));
        }
    }

    // The script: groups of four bytes (operation, section, key, value).
    std::vector<Step> steps;
    for (size_t k = 0; k + 4 <= script.size(); k += 4) {
        const uint8_t op = static_cast<uint8_t>(script[k]);
        const std::string section = !sections.empty() && (op & 0x80) != 0
                                        ? sections[static_cast<uint8_t>(script[k + 1]) % sections.size()]
                                        : NameFrom(script.substr(k + 1, 1)) + "S";
        const std::string key = NameFrom(script.substr(k + 2, 1));
        const int8_t number = static_cast<int8_t>(script[k + 3]);
        switch (op % 5) {
            case 0: {
                const std::string value = ValueFrom(body.substr(0, static_cast<uint8_t>(number) % 40));
                ini.WriteString(section, key, value);
                steps.push_back({Op::Write, section, key, value});
                break;
            }
            case 1:
                ini.WriteInteger(section, key, number);
                steps.push_back({Op::Write, section, key, std::to_string(number)});
                break;
            case 2:
                ini.WriteBool(section, key, (op & 8) != 0);
                steps.push_back({Op::Write, section, key, (op & 8) != 0 ? "1" : "0"});
                break;
            case 3:
                ini.EraseSection(section);
                steps.push_back({Op::Erase, section, "", ""});
                break;
            default:
                ini.DeleteKey(section, key);
                steps.push_back({Op::Delete, section, key, ""});
                break;
        }
    }

    const std::string out = ini.ToText();
    static_cast<void>(Utf8ToCp1252(out));
    const TIniFile again = TIniFile::FromText(out, "fuzz.inf");
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        if (s.op == Op::Write && !TouchedLater(steps, i, false)) {
            Check(ini.ReadString(s.section, s.key, "\x01") == s.value, "a written key reads otherwise");
            Check(again.ReadString(s.section, s.key, "\x01") == s.value, "a written key reads otherwise after ToText");
        }
        if (s.op == Op::Erase && !TouchedLater(steps, i, true))
            Check(!ini.SectionExists(s.section) && !again.SectionExists(s.section), "an erased section came back");
    }
    for (const std::string& section : ini.SectionNames())
        for (const std::string& key : ini.KeyNames(section))
            Check(again.ReadString(section, key, "\x01") == ini.ReadString(section, key, "\x01"),
                  "a key reads otherwise after ToText");
    Check(again.ToText() == out, "ToText is not stable");
    return 0;
}
