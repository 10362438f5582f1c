#pragma once
// INI text with the semantics of the Windows private-profile functions: section and key
// names match without regard to ASCII case, the first occurrence of a section or key wins,
// keys keep their file order, values are trimmed (and lose one pair of enclosing quotes),
// integers that do not parse give the caller's default. Text is kept as 8-bit bytes;
// callers convert code pages at the edge (core/CodePage.h).
//
// Sections and keys are indexed by their case-folded names, so reading a whole file of
// n keys takes time linear in n.
//
// Writing changes only what it touches: other sections, keys and lines come out as they
// went in. SaveAtomic writes a new file beside the target and renames it over the target.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tp {

class IniFile {
 public:
  IniFile() = default;
  static IniFile Parse(std::string_view text);
  // Reads a file; a missing or unreadable file gives an empty IniFile.
  static IniFile Load(const std::string& path);

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  // Section names in file order (first occurrence of each name only).
  std::vector<std::string> SectionNames() const;
  // Key names of the section in file order (first occurrence of each key only).
  std::vector<std::string> KeyNames(std::string_view section) const;
  // The same keys with their values, for reading a whole section in one pass.
  std::vector<std::pair<std::string, std::string>> KeyValues(std::string_view section) const;

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
  // Any integer other than 0 is true; text that is not an integer gives the default.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);  // "1" / "0"
  // Removes every section of that name with all its keys.
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);

  // CR LF line ends.
  std::string ToText() const;
  // Writes ToText() to a new file in the target's folder, then renames it over path.
  // False (and the target untouched) when any step fails.
  bool SaveAtomic(const std::string& path) const;

 private:
  struct Entry {
    std::string key;    // empty for a line that holds no key (kept as raw text)
    std::string value;
    std::string raw;    // the line as read; empty once the entry was written
    bool shadowed = false;  // an earlier entry has the same key
  };
  // Names compared without regard to ASCII case; look-ups take a string_view and
  // allocate nothing.
  struct FoldedHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const noexcept;
  };
  struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
  };
  // Name -> position of its first occurrence.
  using Index = std::unordered_map<std::string, size_t, FoldedHash, FoldedEqual>;
  struct Section {
    std::string name;
    std::string rawHeader;
    std::vector<Entry> entries;
    Index keys;  // entries with a key only
    bool shadowed = false;  // an earlier section has the same name
    void IndexKeys();
  };
  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  static const Entry* FindEntry(const Section& s, std::string_view key);
  static Entry* FindEntry(Section& s, std::string_view key);
  Section& AddSection(std::string name, std::string rawHeader);
  void IndexSections();

  std::vector<std::string> preamble_;  // lines before the first section
  std::vector<Section> sections_;
  Index sectionIndex_;
};

}  // namespace tp
