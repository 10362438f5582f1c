#pragma once
// X11 window ids as they come on the command line or in XSCREENSAVER_WINDOW.
#include <optional>
#include <string_view>

namespace tp {

// A window id written in decimal ("12345") or hexadecimal with a 0x or 0X prefix
// ("0x3a00007"). Anything else — empty text, signs, spaces, trailing characters, a value
// that does not fit, or 0 (no window) — gives nullopt.
std::optional<unsigned long> ParseWindowId(std::string_view text);

}  // namespace tp
