#pragma once
// Conversion between the projects' 8-bit code page (Windows-1252) and UTF-8.
// Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D, which 1252 leaves unassigned, map to the C1
// control characters of the same value, so every byte string survives a round trip.
#include <optional>
#include <string>
#include <string_view>

namespace tp {

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

std::string Cp1252ToUtf8(std::string_view bytes);
// Nothing when the text is not valid UTF-8 or holds a character 1252 cannot represent.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);
bool IsValidUtf8(std::string_view text);
// The text with every byte that does not begin a valid sequence, and every control
// character, replaced by U+FFFD: safe to draw and to write on one line of a log.
std::string Utf8ForDisplay(std::string_view bytes);
// Text of our own files that may be either: kept when it is valid UTF-8, else read as 1252.
std::string AnyTextToUtf8(std::string_view bytes);

}  // namespace tp
