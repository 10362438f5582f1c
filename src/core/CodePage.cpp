#include "core/CodePage.h"

#include <cstdint>

namespace tp {
namespace {
// Code points of the bytes 0x80..0x9F; the rest of 0xA0..0xFF equals Latin-1.
constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};


// Decodes one UTF-8 sequence at text[i]; advances i. Returns false on malformed input.
bool DecodeUtf8(std::string_view text, size_t& i, char32_t& cp) {
  unsigned char c = (unsigned char)text[i];
  int extra;
  if (c < 0x80) { cp = c; extra = 0; }
  else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
  else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
  else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
  else return false;
  if (i + size_t(extra) >= text.size() && extra > 0) return false;
  for (int k = 1; k <= extra; ++k) {
    unsigned char cc = (unsigned char)text[i + size_t(k)];
    if ((cc & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (cc & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not valid.
  static constexpr char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  i += size_t(extra) + 1;
  return true;
}
}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    unsigned char c = (unsigned char)ch;
    if (c < 0x80) out += ch;
    else if (c < 0xA0) AppendUtf8(out, kHigh[c - 0x80]);
    else AppendUtf8(out, c);
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  char32_t cp;
  while (i < text.size())
    if (!DecodeUtf8(text, i, cp)) return false;
  return true;
}

std::string Utf8ForDisplay(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const size_t start = i;
    char32_t cp;
    if (!DecodeUtf8(bytes, i, cp)) {
      AppendUtf8(out, 0xFFFD);
      i = start + 1;
    } else if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) {
      AppendUtf8(out, 0xFFFD);
    } else {
      out.append(bytes.substr(start, i - start));
    }
  }
  return out;
}

std::optional<std::string> Utf8ToCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp;
    if (!DecodeUtf8(utf8, i, cp)) return std::nullopt;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out += char(cp);
      continue;
    }
    int found = -1;
    for (int k = 0; k < 32; ++k)
      if (kHigh[k] == cp) found = k;
    if (found < 0) return std::nullopt;
    out += char(0x80 + found);
  }
  return out;
}

std::string AnyTextToUtf8(std::string_view bytes) {
  return IsValidUtf8(bytes) ? std::string(bytes) : Cp1252ToUtf8(bytes);
}

}  // namespace tp
