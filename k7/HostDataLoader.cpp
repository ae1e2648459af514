#include "k7/HostDataLoader.h"

#include <charconv>
#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

#include "Common/FileUtil.h"
#include "Common/Lines.h"
#include "Common/UUtils.h"

namespace skylog {

namespace {

constexpr char kFieldSeparator = '|';
constexpr char kEscape = '\\';
constexpr char kComment = '#';

struct Line {
    int number = 0;
    std::vector<std::string> fields;  // fields[0] is the keyword
};

// One parse: the file name and current line for error messages.
class Reader {
public:
    explicit Reader(std::string_view fileName) : fileName_(fileName) {}

    [[noreturn]] void Fail(int line, const std::string& what) const {
        throw HostDataError(fileName_, line, what);
    }

    std::vector<Line> Lines(std::string_view text) const {
        if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        std::vector<Line> lines;
        int number = 0;
        ForEachLine(text, [&](std::string_view raw) {
            ++number;
            const std::string trimmed = Trim(raw);
            if (trimmed.empty() || trimmed[0] == kComment) return;
            lines.push_back({number, Fields(trimmed, number)});
        });
        return lines;
    }

    int32_t Integer(const Line& line, size_t index, std::string_view what) const {
        const std::optional<int32_t> value = ParseInt32(Field(line, index, what));
        if (!value) Fail(line.number, std::string(what) + " : nombre entier attendu, lu « " + line.fields[index] + " »");
        return *value;
    }

    uint8_t HexByte(const Line& line, size_t index, std::string_view what) const {
        std::string_view text = Field(line, index, what);
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
        unsigned value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
        if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 0xFF)
            Fail(line.number, std::string(what) + " : octet hexadécimal attendu, lu « " + line.fields[index] + " »");
        return static_cast<uint8_t>(value);
    }

    double Real(const Line& line, size_t index, std::string_view what) const {
        return RealOf(line, Field(line, index, what), what);
    }

    double RealOf(const Line& line, std::string_view field, std::string_view what) const {
        std::string text(field);
        for (char& c : text)
            if (c == ',') c = '.';
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        if (text.empty() || end != text.c_str() + text.size())
            Fail(line.number, std::string(what) + " : nombre attendu, lu « " + std::string(field) + " »");
        return value;
    }

    bool Boolean(const Line& line, size_t index, std::string_view what) const {
        const std::string text = ToUpperAscii(Field(line, index, what));
        if (text == "1" || text == "TRUE" || text == "OUI") return true;
        if (text == "0" || text == "FALSE" || text == "NON") return false;
        Fail(line.number, std::string(what) + " : 0 ou 1 attendu, lu « " + line.fields[index] + " »");
    }

    const std::string& Field(const Line& line, size_t index, std::string_view what) const {
        if (index >= line.fields.size())
            Fail(line.number, "« " + line.fields[0] + " » : champ manquant (" + std::string(what) + ")");
        return line.fields[index];
    }

    void ExpectAtMost(const Line& line, size_t count) const {
        if (line.fields.size() > count)
            Fail(line.number, "« " + line.fields[0] + " » : " + std::to_string(line.fields.size() - 1) +
                                  " champs, au plus " + std::to_string(count - 1) + " attendus");
    }

private:
    // Splits on unescaped '|', trims each field, then resolves the escapes, so that
    // "\s" keeps a space that trimming would have removed.
    std::vector<std::string> Fields(std::string_view text, int number) const {
        std::vector<std::string> raw(1);
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == kEscape && i + 1 < text.size()) {
                raw.back() += text[i];
                raw.back() += text[++i];
            } else if (text[i] == kFieldSeparator) {
                raw.emplace_back();
            } else {
                raw.back() += text[i];
            }
        }
        std::vector<std::string> fields;
        for (const std::string& field : raw) fields.push_back(Unescape(Trim(field), number));
        return fields;
    }

    std::string Unescape(std::string_view text, int number) const {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != kEscape) {
                out += text[i];
                continue;
            }
            if (i + 1 == text.size()) Fail(number, "barre oblique inverse en fin de champ");
            switch (text[++i]) {
                case 't': out += '\t'; break;
                case 's': out += ' '; break;
                case '|': out += '|'; break;
                case '\\': out += '\\'; break;
                default: Fail(number, std::string("séquence inconnue \\") + text[i]);
            }
        }
        return out;
    }

    std::string fileName_;
};

InstrumentFilter ParseFilter(const Reader& reader, const Line& line) {
    reader.ExpectAtMost(line, 6);
    InstrumentFilter filter;
    filter.Number = reader.Integer(line, 1, "numéro de filtre");
    filter.Wavelength = reader.Real(line, 2, "longueur d'onde");
    filter.Name = reader.Field(line, 3, "groupe");
    const std::string polar = line.fields.size() > 4 ? line.fields[4] : std::string();
    if (!polar.empty() && polar != "-") {
        const std::optional<int32_t> channel =
            (polar[0] == 'P' || polar[0] == 'p') ? ParseInt32(std::string_view(polar).substr(1)) : std::nullopt;
        if (!channel) reader.Fail(line.number, "polarisation : « - » ou P<n> attendu, lu « " + polar + " »");
        filter.Polarized = true;
        filter.PolarNumber = *channel;
    }
    if (line.fields.size() > 5) filter.Comment = line.fields[5];
    return filter;
}

void SetOption(const Reader& reader, const Line& line, TextFormatOptions& options) {
    reader.ExpectAtMost(line, 3);
    const std::string name = reader.Field(line, 1, "nom de l'option");
    const std::map<std::string, bool*> flags = {{"FOURDIGITYEAR", &options.FourDigitYear},
                                                {"QUOTED", &options.Quoted},
                                                {"ZEROPADDED", &options.ZeroPadded},
                                                {"RAWVALUES", &options.RawValues}};
    const std::map<std::string, std::string*> texts = {{"DECIMALSEPARATOR", &options.DecimalSeparator},
                                                       {"TIMESEPARATOR", &options.TimeSeparator},
                                                       {"DATESEPARATOR", &options.DateSeparator},
                                                       {"ELEMENTSEPARATOR", &options.ElementSeparator}};
    const std::string key = ToUpperAscii(name);
    if (auto flag = flags.find(key); flag != flags.end()) {
        *flag->second = reader.Boolean(line, 2, name);
    } else if (auto text = texts.find(key); text != texts.end()) {
        *text->second = line.fields.size() > 2 ? line.fields[2] : std::string();
    } else {
        reader.Fail(line.number, "option inconnue « " + name + " »");
    }
}

ElementDescriptor ParseElement(const Reader& reader, const Line& line, const HostDataSet& set) {
    ElementDescriptor element;
    const std::string& code = reader.Field(line, 1, "code du type d'élément");
    for (const auto& type : set.ElementTypes)
        if (type->Code == code) element.ElementType = type.get();
    if (element.ElementType == nullptr && code != "-")
        reader.Fail(line.number, "type d'élément inconnu « " + code + " »");
    element.Offset = reader.Integer(line, 2, "position");
    element.ValueCode = reader.Integer(line, 3, "code de valeur");
    element.Format = reader.Integer(line, 4, "format");
    element.Decimals = reader.Integer(line, 5, "décimales");
    for (size_t i = 6; i < line.fields.size(); ++i) {
        const std::string& field = line.fields[i];
        const size_t equals = field.find('=');
        const std::string key = ToUpperAscii(Trim(field.substr(0, equals)));
        const std::string value = equals == std::string::npos ? std::string() : Trim(field.substr(equals + 1));
        if (equals == std::string::npos) reader.Fail(line.number, "clé=valeur attendu, lu « " + field + " »");
        if (key == "FILTER") {
            const std::optional<int32_t> number = ParseInt32(value);
            if (!number) reader.Fail(line.number, "filter : nombre entier attendu, lu « " + value + " »");
            element.FilterNumber = *number;
        } else if (key == "GROUP") {
            element.FilterGroup = value;
        } else if (key == "SOURCE") {
            element.FilterSource = value;
        } else if (key == "ANGLE") {
            element.HasAngle = true;
            element.Angle = static_cast<float>(reader.RealOf(line, value, "angle"));
        } else {
            reader.Fail(line.number, "clé inconnue « " + field.substr(0, equals) + " »");
        }
    }
    return element;
}

}  // namespace

HostDataError::HostDataError(std::string fileName, int line, const std::string& what)
    : std::runtime_error(fileName + ":" + std::to_string(line) + ": " + what),
      fileName_(std::move(fileName)),
      line_(line) {}

void ParseInstrumentTypes(std::string_view text, std::string_view fileName, HostDataSet& into) {
    const Reader reader(fileName);
    std::vector<InstrumentType>& types = into.InstrumentTypes.Types;
    for (const Line& line : reader.Lines(text)) {
        const std::string keyword = ToUpperAscii(line.fields[0]);
        if (keyword == "TYPE") {
            reader.ExpectAtMost(line, 2);
            InstrumentType type;
            type.Name = reader.Field(line, 1, "nom du type");
            types.push_back(std::move(type));
            continue;
        }
        if (keyword != "IDENT" && keyword != "FILTER")
            reader.Fail(line.number, "mot-clé inconnu « " + line.fields[0] + " »");
        if (types.empty()) reader.Fail(line.number, "« " + line.fields[0] + " » avant toute ligne « type »");
        if (keyword == "IDENT") {
            reader.Field(line, 1, "identification");
            for (size_t i = 1; i < line.fields.size(); ++i) types.back().Idents.push_back(line.fields[i]);
        } else {
            types.back().Filters.push_back(ParseFilter(reader, line));
        }
    }
}

void ParseEventDictionary(std::string_view text, std::string_view fileName, HostDataSet& into) {
    const Reader reader(fileName);
    std::vector<EventDescriptor>& descriptors = into.Dictionary.Descriptors;
    auto currentEvent = [&](const Line& line) -> EventDescriptor& {
        if (descriptors.empty()) reader.Fail(line.number, "« " + line.fields[0] + " » avant toute ligne « event »");
        return descriptors.back();
    };
    for (const Line& line : reader.Lines(text)) {
        const std::string keyword = ToUpperAscii(line.fields[0]);
        if (keyword == "OPTION") {
            SetOption(reader, line, into.Dictionary.Options);
        } else if (keyword == "ELEMENTTYPE") {
            reader.ExpectAtMost(line, 5);
            auto type = std::make_unique<ElementType>();
            type->Code = reader.Field(line, 1, "code");
            type->ElementClassKind = reader.Integer(line, 2, "classe");
            type->ImageIndex = reader.Integer(line, 3, "image");
            type->Name = reader.Field(line, 4, "nom");
            for (const auto& existing : into.ElementTypes)
                if (existing->Code == type->Code)
                    reader.Fail(line.number, "type d'élément « " + type->Code + " » déjà défini");
            into.ElementTypes.push_back(std::move(type));
        } else if (keyword == "EVENT") {
            reader.ExpectAtMost(line, 6);
            EventDescriptor descriptor;
            descriptor.Type = reader.HexByte(line, 1, "type d'évènement");
            descriptor.Length = reader.Integer(line, 2, "longueur");
            descriptor.StatusCode = reader.Integer(line, 3, "code de scénario");
            descriptor.Symbol = reader.Field(line, 4, "symbole");
            descriptor.Description = reader.Field(line, 5, "description");
            descriptors.push_back(std::move(descriptor));
        } else if (keyword == "IDENTS") {
            reader.ExpectAtMost(line, 3);
            EventDescriptor& descriptor = currentEvent(line);
            descriptor.IdentRanges.push_back(reader.Field(line, 1, "borne basse"));
            descriptor.IdentRanges.push_back(reader.Field(line, 2, "borne haute"));
        } else if (keyword == "CONDITION") {
            reader.ExpectAtMost(line, 5);
            EventDescriptor& descriptor = currentEvent(line);
            EventCondition condition;
            condition.Index = reader.Integer(line, 1, "index");
            condition.Value = reader.HexByte(line, 2, "valeur");
            const std::string mode = ToUpperAscii(reader.Field(line, 3, "mandatory ou optional"));
            if (mode != "MANDATORY" && mode != "OPTIONAL")
                reader.Fail(line.number, "mandatory ou optional attendu, lu « " + line.fields[3] + " »");
            condition.Mandatory = mode == "MANDATORY";
            if (line.fields.size() > 4) condition.Kind = reader.Integer(line, 4, "sorte");
            descriptor.Conditions.push_back(condition);
        } else if (keyword == "ELEMENT") {
            EventDescriptor& descriptor = currentEvent(line);
            descriptor.Elements.push_back(ParseElement(reader, line, into));
        } else if (keyword == "LABEL") {
            reader.ExpectAtMost(line, 3);
            EventDescriptor& descriptor = currentEvent(line);
            if (descriptor.Elements.empty())
                reader.Fail(line.number, "« label » avant toute ligne « element » de l'évènement");
            ValueLabel label;
            label.Value = reader.Integer(line, 1, "valeur");
            label.Text = reader.Field(line, 2, "texte");
            descriptor.Elements.back().ValueLabels.push_back(std::move(label));
        } else {
            reader.Fail(line.number, "mot-clé inconnu « " + line.fields[0] + " »");
        }
    }
}

std::unique_ptr<HostDataSet> ParseHostData(std::string_view instrumentsText, std::string_view eventsText) {
    auto set = std::make_unique<HostDataSet>();
    ParseInstrumentTypes(instrumentsText, kInstrumentsFileName, *set);
    ParseEventDictionary(eventsText, kEventsFileName, *set);
    return set;
}

std::unique_ptr<HostDataSet> LoadHostData(const std::string& folder) {
    const std::string base = IncludeBackslash(folder);
    auto set = std::make_unique<HostDataSet>();
    ParseInstrumentTypes(ReadFileBytes(base + kInstrumentsFileName), base + kInstrumentsFileName, *set);
    ParseEventDictionary(ReadFileBytes(base + kEventsFileName), base + kEventsFileName, *set);
    return set;
}

THostData HostDataOf(const HostDataSet& data) {
    THostData host{&data.InstrumentTypes, &data.Dictionary};
    const std::string& separator = data.Dictionary.Options.DecimalSeparator;
    if (!separator.empty() && static_cast<unsigned char>(separator[0]) < 0x80) host.DecimalSeparator = separator[0];
    return host;
}

}  // namespace skylog
