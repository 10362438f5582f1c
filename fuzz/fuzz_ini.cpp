// INI reader and writer: parsing any text, reading every section and key, and writing a
// key back keep the reader's rules (the written value reads back; other keys survive).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/CommaText.h"
#include "core/IniFile.h"

namespace {

// Every key read through the whole-section pass reads the same through the index.
void CheckIndex(const tp::IniFile& ini) {
  for (const std::string& s : ini.SectionNames())
    ini.ForEachKeyValue(s, [&](std::string_view key, std::string_view value) {
      if (ini.ReadString(s, key, "\x01" "absent") != value) __builtin_trap();
    });
}

}  // namespace

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
  CheckIndex(ini);
  // The text written out parses to the same sections.
  const tp::IniFile again = tp::IniFile::Parse(ini.ToText());
  if (again.SectionNames() != ini.SectionNames()) __builtin_trap();
  ini.WriteInteger("FuzzSection", "FuzzKey", 12345);
  if (tp::IniFile::Parse(ini.ToText()).ReadInteger("FuzzSection", "FuzzKey", 0) != 12345) __builtin_trap();
  // Taking lines and sections away keeps the index right for the rest.
  const std::vector<std::string> sections = ini.SectionNames();
  if (!sections.empty()) {
    const std::vector<std::string> keys = ini.KeyNames(sections.front());
    if (!keys.empty()) ini.DeleteKey(sections.front(), keys.front());
    ini.EraseSection(sections.back());
    CheckIndex(ini);
  }
  (void)tp::SplitCommaText(text);
  (void)keys;
  return 0;
}
