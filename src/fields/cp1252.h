// Conversion between the system's Windows-1252 text and the UTF-8 of the
// database, the terminal and the web. Only the edges call it.
#pragma once

#include <string>
#include <string_view>

namespace fields {

std::string Cp1252ToUtf8(std::string_view s);
// Characters that Windows-1252 cannot hold become "?".
std::string Utf8ToCp1252(std::string_view s);
// A path of the system (Windows-1252) as the operating system takes it.
inline std::string OsPath(std::string_view s) {
  return Cp1252ToUtf8(s);
}
// True when every byte is ASCII: the same text in both encodings.
bool IsAscii(std::string_view s);
// True when s is well-formed UTF-8.
bool IsValidUtf8(std::string_view s);

}  // namespace fields
