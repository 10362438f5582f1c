#pragma once
// Small text helpers on 8-bit strings: ASCII case, trimming, line splitting, integers.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tp {

// Changes only the ASCII letters a-z / A-Z.
std::string UpperAscii(std::string_view s);
std::string LowerAscii(std::string_view s);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view s, std::string_view prefix);
bool EndsWithIgnoreCase(std::string_view s, std::string_view suffix);
// Position of the first case-insensitive occurrence of needle, or npos.
size_t FindIgnoreCase(std::string_view haystack, std::string_view needle);

// Removes blanks (space and control characters, codes 1..32 and 0) at both ends.
std::string_view TrimView(std::string_view s);
std::string Trim(std::string_view s);

// Splits at CR LF, LF or a lone CR. A final line end does not add an empty line.
std::vector<std::string> SplitLines(std::string_view text);

// A whole decimal integer with an optional sign, or hexadecimal written "$1F" / "0x1F",
// in the signed 32-bit range (hex up to FFFFFFFF, taken as its 32-bit pattern).
// Anything else, including surrounding text, gives nothing.
std::optional<int32_t> ParseInt32(std::string_view s);

// value with two decimals and a point, whatever the locale says ("0.00" if it cannot be
// written).
std::string TwoDecimals(double value);

}  // namespace tp
