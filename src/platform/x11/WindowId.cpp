#include "platform/x11/WindowId.h"

#include <charconv>

namespace tp {

std::optional<unsigned long> ParseWindowId(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  // from_chars accepts a leading '-'; window ids never have one.
  if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
  unsigned long value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
  if (ec != std::errc() || ptr != end || value == 0) return std::nullopt;
  return value;
}

}  // namespace tp
