#include "import/HeaderLines.h"


#include "import/GroundStationFormat.h"
#include "import/ScanCursor.h"

namespace skylog {

namespace {

size_t SkipSpaces(std::string_view line, size_t pos) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    return pos;
}

size_t FieldEnd(std::string_view line, size_t pos) {
    const size_t end = line.find(' ', pos);
    return end == std::string_view::npos ? line.size() : end;
}

// DEL (0x7F) is not among them: it is the 6-bit character of the value 63, a cyclic
// number a body may start with.
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view TrimLeftControl(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && IsBlankOrControl(text[pos])) ++pos;
    return text.substr(pos);
}

}  // namespace

void SplitFields(std::string_view line, std::vector<std::string_view>& fields) {
    fields.clear();
    // One pass over the line: its fields are a few characters each, too short for a
    // call to look for the next space to pay.
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* start = nullptr;  // of the field being read
    for (const char* p = begin; p != end; ++p) {
        if (*p == ' ') {
            if (start != nullptr) fields.emplace_back(start, static_cast<size_t>(p - start));
            start = nullptr;
        } else if (start == nullptr) {
            start = p;
        }
    }
    if (start != nullptr) fields.emplace_back(start, static_cast<size_t>(end - start));
}

bool IsAtHeaderCandidate(std::string_view line) {
    // Most lines are message bodies without any space: the first find() settles them.
    size_t pos = SkipSpaces(line, 0);
    for (int skipped = 0; skipped < 2; ++skipped) {
        const size_t end = line.find(' ', pos);
        if (end == std::string_view::npos) return false;
        pos = SkipSpaces(line, end);
        if (pos == line.size()) return false;
    }
    return line.substr(pos, FieldEnd(line, pos) - pos) == kAtWord;
}

bool IsStationNameLine(std::string_view line) {
    return line.starts_with(kStationNamePrefix) &&
           (line.find(kStationNameMarkF) != std::string_view::npos ||
            line.find(kStationNameMarkNasa) != std::string_view::npos);
}

std::optional<TGoesHeader> ScanGoesHeader(std::string_view line) {
    TScanCursor in(line);
    TGoesHeader h;
    int32_t unusedInt = 0;
    char unusedChar = 0;
    std::string_view unusedText;
    const bool ok = in.String(8, h.Address) && in.Int(2, h.Year) && in.Int(3, h.DayOfYear) &&
                    in.Int(2, h.Hour) && in.Int(2, h.Minute) && in.Int(2, h.Second) &&
                    in.Char(h.Reception) && in.Int(2, unusedInt) && in.Int(2, unusedInt) &&
                    in.Char(unusedChar) && in.Char(unusedChar) && in.Int(3, unusedInt) &&
                    in.Char(unusedChar) && in.String(2, unusedText) && in.Int(5, h.Length);
    if (!ok) return std::nullopt;
    return h;
}

bool HasGoesStatusText(std::string_view line) {
    for (std::string_view status : kGoesStatusTexts) {
        if (line.find(status) != std::string_view::npos) return true;
    }
    return false;
}

std::string_view GoesHeaderBodyText(std::string_view line) {
    if (line.size() <= kGoesHeaderLength) return {};
    std::string_view text = TrimLeftControl(line.substr(kGoesHeaderLength));
    if (text.starts_with(kVgtm)) text = TrimLeftControl(text.substr(kVgtm.size()));
    return text;
}

std::string_view FramedGoesBody(std::string_view afterHeader, int32_t announced) {
    const auto length = static_cast<size_t>(announced);
    if (announced >= 0 && length < afterHeader.size() &&
        kGoesFrameEnds.find(afterHeader[length]) != std::string_view::npos)
        return afterHeader.substr(0, length);
    return afterHeader.substr(0, afterHeader.find_first_of(kGoesFrameEnds));
}

namespace {

// Characters written into a fixed buffer, then appended at once.
class TCharBuffer {
public:
    void Put(char c) { text_[size_++] = c; }
    void Put(std::string_view text) {
        for (char c : text) Put(c);
    }
    // value as printf's "%0<width>d" writes it (width at most 2): zeros after the sign
    // up to the width.
    void PutPadded(int32_t value, int width) {
        char digits[16];
        int count = 0;
        auto magnitude = static_cast<uint32_t>(value);
        if (value < 0) magnitude = 0u - magnitude;
        do {
            digits[count++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0) Put('-');
        for (int pad = width - count - (value < 0 ? 1 : 0); pad > 0; --pad) Put('0');
        while (count > 0) Put(digits[--count]);
    }
    [[nodiscard]] std::string_view View() const { return {text_, size_}; }

private:
    // Room for the fields of a header: seven numbers of at most eleven characters
    // (sign and ten digits) with their separators and words.
    char text_[128];
    size_t size_ = 0;
};

}  // namespace

// Formatted by hand into a fixed buffer, as printf would: a header is built for every
// GOES and BRU message (docs/benchmarks.md).
std::string BuildAtHeader(std::string_view number, int32_t year, int32_t month, int32_t day,
                          int32_t hour, int32_t minute, int32_t second, bool dayFirst,
                          int32_t length, bool goodReception) {
    TCharBuffer fields;
    fields.PutPadded(dayFirst ? day : month, 2);
    fields.Put('/');
    fields.PutPadded(dayFirst ? month : day, 2);
    fields.Put('/');
    fields.PutPadded(year % 100, 2);
    fields.Put(' ');
    fields.PutPadded(hour, 2);
    fields.Put(':');
    fields.PutPadded(minute, 2);
    fields.Put(':');
    fields.PutPadded(second, 2);
    fields.Put(" UTC ");
    fields.PutPadded(length, 1);
    fields.Put("BT ");
    fields.Put(goodReception ? 'o' : 'x');
    std::string header;
    header.reserve(number.size() + kBuiltHeaderMiddle.size() + fields.View().size());
    header.append(number).append(kBuiltHeaderMiddle).append(fields.View());
    return header;
}

}  // namespace skylog
