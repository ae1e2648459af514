#pragma once
// Text is UTF-8 inside the program; the .inf files and the settings file are
// Windows-1252 on disk, as earlier installations wrote them.

#include <string>
#include <string_view>

namespace skylog {

[[nodiscard]] std::string Cp1252ToUtf8(std::string_view bytes);
// Characters with no Windows-1252 form are written as '?'.
[[nodiscard]] std::string Utf8ToCp1252(std::string_view text);

}  // namespace skylog
