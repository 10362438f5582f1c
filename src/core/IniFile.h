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
// went in. SaveAtomic writes a new file beside the target and renames it over the target
// (core/SafeFile.h).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/LargeTableAllocator.h"

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
  size_t SectionCount() const { return sectionIndex_.Size(); }
  // Section names in file order (first occurrence of each name only).
  std::vector<std::string> SectionNames() const;
  // Key names of the section in file order (first occurrence of each key only).
  std::vector<std::string> KeyNames(std::string_view section) const;
  // The same keys with their values, for reading a whole section in one pass: visit gets
  // each key and its value in file order, as views valid until this IniFile changes.
  // Lines of the section, keys or not: room enough for its keys. 0 when it is missing.
  size_t LineCount(std::string_view section) const;
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
  // A stretch of store_. The parsed text and every name or value written later live in
  // that one buffer, so a line costs no allocation of its own and a copy of the file
  // stays valid as it is.
  struct Span {
    uint32_t offset = 0;
    uint32_t length = 0;
  };
  struct Entry {
    Span key;           // empty for a line that holds no key (kept as raw text)
    Span value;
    Span raw;           // the line as read
    uint32_t section = 0;
    bool hasRaw = true;     // false once written: "key=value" goes out instead of raw
    bool shadowed = false;  // an earlier entry of the section has the same key
  };
  // The entries of a section are entries_[first, first + count).
  struct Section {
    Span name;
    Span rawHeader;
    uint32_t first = 0;
    uint32_t count = 0;
    bool shadowed = false;  // an earlier section has the same name
  };
  // Positions by the hash of a case-folded name: open addressing with linear probing
  // over slots that hold the hash and the position, so a look-up allocates nothing and
  // the table grows without looking at any name again. The caller says which position
  // holds the name it looks for.
  class NameIndex {
   public:
    template <class Holds>
    int64_t Find(uint32_t hash, const Holds& holds) const;
    // Adds pos unless a position holding the same name is there already (then false).
    template <class Holds>
    bool Insert(uint32_t hash, uint32_t pos, const Holds& holds);
    // Room for that many names without growing.
    void Reserve(size_t names);
    // Asks the processor for the home slot of a name that is soon to be inserted.
    void Prefetch(uint32_t hash) const { __builtin_prefetch(slots_.data() + Home(hash), 1); }
    void Clear();
    size_t Size() const { return used_; }

   private:
    void Resize(size_t slots);
    size_t Home(uint32_t hash) const { return size_t((uint64_t(hash) * slots_.size()) >> 32); }
    std::vector<uint64_t, LargeTableAllocator<uint64_t>> slots_;  // (hash << 32) | (pos + 1); 0 is empty
    size_t used_ = 0;
  };

  std::string_view View(Span s) const { return std::string_view(store_).substr(s.offset, s.length); }
  Span Store(std::string_view text);
  Span SpanOf(std::string_view inStore) const;
  uint32_t KeyHash(uint32_t section, std::string_view key) const;
  bool IndexKey(size_t entry);
  void IndexAll();
  const Section* FindSection(std::string_view name) const;
  int64_t FindSectionPos(std::string_view name) const;
  const Entry* FindEntry(const Section& s, std::string_view key) const;
  Entry* FindEntry(const Section& s, std::string_view key);
  Section& AddSection(Span name, Span rawHeader, bool index);
  void ParseLine(std::string_view line, bool& inSection);

  using StoreText = std::basic_string<char, std::char_traits<char>, LargeTableAllocator<char>>;
  using Entries = std::vector<Entry, LargeTableAllocator<Entry>>;
  using Sections = std::vector<Section, LargeTableAllocator<Section>>;

  StoreText store_;
  std::vector<Span> preamble_;  // lines before the first section
  Sections sections_;
  Entries entries_;             // every section's lines, in file order
  NameIndex sectionIndex_;      // section name -> position in sections_
  NameIndex keyIndex_;          // (section, key) -> position in its section
};

}  // namespace tp
