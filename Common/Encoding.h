#pragma once
// Text is UTF-8 inside the program. The .inf files and the settings file are
// Windows-1252 on disk, as earlier installations wrote them; a file that a Linux editor
// saved in UTF-8 (with or without its byte-order mark) is read as UTF-8 and written
// back as it was read.

#include <optional>
#include <string>
#include <string_view>

namespace skylog {

[[nodiscard]] std::string Cp1252ToUtf8(std::string_view bytes);
// Characters with no Windows-1252 form are written as '?'.
[[nodiscard]] std::string Utf8ToCp1252(std::string_view text);

enum class TTextEncoding { Cp1252, Utf8, Utf8WithMark };

// The text of a list or settings file, as UTF-8, and the encoding to write it back in.
struct TDecodedText {
    std::string Text;
    TTextEncoding Encoding = TTextEncoding::Cp1252;
    // Why the bytes are no text this program can read (UTF-16, NUL bytes); Text is
    // then empty, and the file must not be replaced by what was read of it.
    std::optional<std::string> Problem;
};

// UTF-8 when the bytes carry its mark, or are valid UTF-8 holding characters beyond
// ASCII; Windows-1252 otherwise (plain ASCII included, which reads the same).
[[nodiscard]] TDecodedText DecodeTextFile(std::string_view bytes);
[[nodiscard]] std::string EncodeTextFile(std::string_view utf8, TTextEncoding encoding);

}  // namespace skylog
