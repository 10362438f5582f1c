// INI reader and writer: parsing any text, reading every section and key, and writing a
// key back keep the reader's rules (the written value reads back; other keys survive).
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/CommaText.h"
#include "core/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  tp::IniFile ini = tp::IniFile::Parse(text);
  size_t keys = 0;
  for (const std::string& s : ini.SectionNames())
    for (const std::string& k : ini.KeyNames(s)) {
      (void)ini.ReadString(s, k, "");
      (void)ini.ReadInteger(s, k, 7);
      (void)ini.ReadBool(s, k, true);
      ++keys;
    }
  // The text written out parses to the same sections.
  const tp::IniFile again = tp::IniFile::Parse(ini.ToText());
  if (again.SectionNames() != ini.SectionNames()) __builtin_trap();
  ini.WriteInteger("FuzzSection", "FuzzKey", 12345);
  if (tp::IniFile::Parse(ini.ToText()).ReadInteger("FuzzSection", "FuzzKey", 0) != 12345) __builtin_trap();
  (void)tp::SplitCommaText(text);
  (void)keys;
  return 0;
}
