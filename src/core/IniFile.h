#pragma once
// INI text with the semantics of the Windows private-profile functions: section and key
// names match without regard to ASCII case, the first occurrence of a section or key wins,
// keys keep their file order, values are trimmed (and lose one pair of enclosing quotes),
// integers that do not parse give the caller's default. Text is kept as 8-bit bytes;
// callers convert code pages at the edge (core/CodePage.h).
//
// Sections and keys are indexed by their case-folded names, so reading a whole file of
// n keys takes time linear in n. The hash is seeded once per process, so a crafted text
// cannot line up its names on one chain of an index.
//
// Writing changes only what it touches: other sections, keys and lines come out as they
// went in. SaveAtomic writes a new file beside the target and renames it over the target
// (core/SafeFile.h).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
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
  // Distinct section names.
  size_t SectionCount() const { return sectionIndex_.size(); }
  // Section names in file order (first occurrence of each name only).
  std::vector<std::string> SectionNames() const;
  // Key names of the section in file order (first occurrence of each key only).
  std::vector<std::string> KeyNames(std::string_view section) const;
  // Lines of the section, keys or not: room enough for its keys. 0 when it is missing.
  size_t LineCount(std::string_view section) const;
  // The same keys with their values, for reading a whole section in one pass: visit gets
  // each key and its value in file order, as views valid until this IniFile changes.
  void ForEachKeyValue(std::string_view section,
                       const std::function<void(std::string_view key, std::string_view value)>& visit) const;

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
  // Names, values and lines are views of texts_: the parsed text, and one text per write.
  struct Entry {
    std::string_view key;    // empty for a line that holds no key (kept as raw text)
    std::string_view value;
    std::string_view raw;    // the line as read; empty once the entry was written
    bool shadowed = false;   // an earlier entry of the section has the same key
  };
  // A name as the index holds it: compared without regard to ASCII case, its hash worked
  // out once (the table asks for it again whenever it walks a chain or grows).
  struct FoldedName {
    explicit FoldedName(std::string_view name);
    std::string_view text;
    size_t hash;
    bool operator==(const FoldedName& other) const;
  };
  struct HashOf {
    size_t operator()(const FoldedName& name) const noexcept { return name.hash; }
  };
  // Name -> position of its first occurrence.
  using Index = std::unordered_map<FoldedName, size_t, HashOf>;
  struct Section {
    std::string_view name;
    std::string_view rawHeader;
    std::vector<Entry> entries;
    Index keys;  // entries with a key only
    bool shadowed = false;  // an earlier section has the same name
    void IndexKeys();
  };

  // Keeps text for the views of this IniFile and its copies; it never changes.
  std::string_view Keep(std::string text);
  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  static const Entry* FindEntry(const Section& s, std::string_view key);
  static Entry* FindEntry(Section& s, std::string_view key);
  Section& AddSection(std::string_view name, std::string_view rawHeader);
  void IndexSections();

  std::vector<std::shared_ptr<const std::string>> texts_;
  std::vector<std::string_view> preamble_;  // lines before the first section
  std::vector<Section> sections_;
  Index sectionIndex_;
};

}  // namespace tp
