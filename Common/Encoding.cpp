#include "Common/Encoding.h"

#include <algorithm>
#include <cstdint>

namespace skylog {

namespace {

// Code points of bytes 0x80..0x9F; 0 marks the five bytes the code page leaves
// undefined, which are kept as the C1 control of the same value so that they
// survive a round trip.
constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

int cp1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == cp) return 0x80 + i;
    return -1;
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes) {
        auto b = static_cast<uint8_t>(ch);
        if (b < 0x80)
            out.push_back(ch);
        else if (b < 0xA0)
            appendUtf8(out, kHigh[b - 0x80]);
        else
            appendUtf8(out, b);
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        auto b = static_cast<uint8_t>(text[i]);
        char32_t cp = 0;
        size_t len = 1;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            len = 3;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            len = 4;
        } else {
            out.push_back('?');  // stray continuation byte
            ++i;
            continue;
        }
        if (i + len > text.size()) {
            out.push_back('?');
            break;
        }
        bool valid = true;
        for (size_t k = 1; k < len; ++k) {
            auto c = static_cast<uint8_t>(text[i + k]);
            if ((c & 0xC0) != 0x80) valid = false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!valid) {
            out.push_back('?');
            ++i;
            continue;
        }
        int byte = cp1252Byte(cp);
        out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
        i += len;
    }
    return out;
}

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Well-formed UTF-8 (no overlong form, no surrogate, nothing above U+10FFFF).
bool isValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<uint8_t>(text[i]);
        size_t len = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            ++i;
            continue;
        }
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + len > text.size()) return false;
        for (size_t k = 1; k < len; ++k) {
            const auto c = static_cast<uint8_t>(text[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += len;
    }
    return true;
}

}  // namespace

TDecodedText DecodeTextFile(std::string_view bytes) {
    TDecodedText decoded;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        decoded.Problem = "fichier en UTF-16 (enregistrez-le en UTF-8 ou en Windows-1252)";
        return decoded;
    }
    if (bytes.find('\0') != std::string_view::npos) {
        decoded.Problem = "le fichier contient des octets nuls : ce n'est pas un fichier texte";
        return decoded;
    }
    if (bytes.starts_with(kUtf8Mark)) {
        decoded.Encoding = TTextEncoding::Utf8WithMark;
        bytes.remove_prefix(kUtf8Mark.size());
        // A mark on bytes that are not UTF-8 is a mistake of the editor: the rest is
        // read, and written back, as the code page it is.
        if (!isValidUtf8(bytes)) {
            decoded.Encoding = TTextEncoding::Cp1252;
            decoded.Text = Cp1252ToUtf8(bytes);
            return decoded;
        }
        decoded.Text = std::string(bytes);
        return decoded;
    }
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
    if (!ascii && isValidUtf8(bytes)) {
        decoded.Encoding = TTextEncoding::Utf8;
        decoded.Text = std::string(bytes);
        return decoded;
    }
    decoded.Text = ascii ? std::string(bytes) : Cp1252ToUtf8(bytes);
    return decoded;
}

std::string EncodeTextFile(std::string_view utf8, TTextEncoding encoding) {
    switch (encoding) {
        case TTextEncoding::Utf8: return std::string(utf8);
        case TTextEncoding::Utf8WithMark: return std::string(kUtf8Mark) + std::string(utf8);
        case TTextEncoding::Cp1252: break;
    }
    return Utf8ToCp1252(utf8);
}

}  // namespace skylog
