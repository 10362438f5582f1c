#include "core/IniFile.h"

#include "core/FileSystem.h"

#include <sys/random.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <utility>

#include "core/SafeFile.h"
#include "core/TextUtil.h"

namespace tp {
namespace {

std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

constexpr char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// Drawn once per process.
uint64_t HashSeed() {
  static const uint64_t seed = [] {
    uint64_t s = 0;
    if (::getrandom(&s, sizeof s, GRND_NONBLOCK) != ssize_t(sizeof s))
      s = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    return s;
  }();
  return seed;
}

}  // namespace

IniFile::FoldedName::FoldedName(std::string_view name) : text(name) {
  // FNV-1a over the upper-cased bytes, starting from the seed; the final mix spreads every
  // bit of the state over the bits the table uses.
  uint64_t h = HashSeed();
  for (char c : name) h = (h ^ uint8_t(Upper(c))) * 1099511628211ull;
  h ^= h >> 31;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 29;
  hash = size_t(h);
}

bool IniFile::FoldedName::operator==(const FoldedName& other) const {
  return hash == other.hash && EqualsIgnoreCase(text, other.text);
}

void IniFile::Section::IndexKeys() {
  keys.clear();
  keys.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i)
    if (!entries[i].key.empty()) entries[i].shadowed = !keys.try_emplace(FoldedName(entries[i].key), i).second;
}

std::string_view IniFile::Keep(std::string text) {
  texts_.push_back(std::make_shared<const std::string>(std::move(text)));
  return *texts_.back();
}

IniFile::Section& IniFile::AddSection(std::string_view name, std::string_view rawHeader) {
  const bool first = sectionIndex_.try_emplace(FoldedName(name), sections_.size()).second;
  Section& s = sections_.emplace_back();
  s.name = name;
  s.rawHeader = rawHeader;
  s.shadowed = !first;
  return s;
}

void IniFile::IndexSections() {
  sectionIndex_.clear();
  sectionIndex_.reserve(sections_.size());
  for (size_t i = 0; i < sections_.size(); ++i)
    sections_[i].shadowed = !sectionIndex_.try_emplace(FoldedName(sections_[i].name), i).second;
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  const std::string_view all = ini.Keep(std::string(text));
  Section* current = nullptr;
  auto parseLine = [&](std::string_view line) {
    const std::string_view t = TrimView(line);
    if (!t.empty() && t.front() == '[') {
      const size_t close = t.find(']');
      const std::string_view name = close == std::string_view::npos ? t.substr(1) : t.substr(1, close - 1);
      current = &ini.sections_.emplace_back();
      current->name = TrimView(name);
      current->rawHeader = line;
      return;
    }
    if (!current) {
      ini.preamble_.push_back(line);
      return;
    }
    Entry e;
    e.raw = line;
    if (!t.empty()) {
      const size_t eq = t.find('=');
      if (eq == std::string_view::npos) {
        e.key = t;
      } else {
        e.key = TrimView(t.substr(0, eq));
        e.value = Unquote(TrimView(t.substr(eq + 1)));
      }
    }
    current->entries.push_back(e);
  };
  // Lines end at CR LF, LF or a lone CR.
  size_t start = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    const char c = all[i];
    if (c != '\r' && c != '\n') continue;
    parseLine(all.substr(start, i - start));
    if (c == '\r' && i + 1 < all.size() && all[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < all.size()) parseLine(all.substr(start));
  // Indexed once everything is read, in file order, each table made big enough at once.
  ini.IndexSections();
  for (Section& s : ini.sections_) s.IndexKeys();
  return ini;
}

IniFile IniFile::Load(const std::string& path) {
  std::string text;
  if (!ReadFile(path, text)) return IniFile();
  return Parse(text);
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  auto it = sectionIndex_.find(FoldedName(name));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const IniFile::Entry* IniFile::FindEntry(const Section& s, std::string_view key) {
  if (key.empty()) return nullptr;
  auto it = s.keys.find(FoldedName(key));
  return it == s.keys.end() ? nullptr : &s.entries[it->second];
}

IniFile::Entry* IniFile::FindEntry(Section& s, std::string_view key) {
  return const_cast<Entry*>(FindEntry(std::as_const(s), key));
}

bool IniFile::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  return s && FindEntry(*s, key);
}

std::vector<std::string> IniFile::SectionNames() const {
  std::vector<std::string> names;
  for (const Section& s : sections_)
    if (!s.shadowed) names.emplace_back(s.name);
  return names;
}

std::vector<std::string> IniFile::KeyNames(std::string_view section) const {
  std::vector<std::string> keys;
  ForEachKeyValue(section, [&](std::string_view key, std::string_view) { keys.emplace_back(key); });
  return keys;
}

size_t IniFile::LineCount(std::string_view section) const {
  const Section* s = FindSection(section);
  return s ? s->entries.size() : 0;
}

void IniFile::ForEachKeyValue(std::string_view section,
                              const std::function<void(std::string_view, std::string_view)>& visit) const {
  const Section* s = FindSection(section);
  if (!s) return;
  for (const Entry& e : s->entries)
    if (!e.key.empty() && !e.shadowed) visit(e.key, e.value);
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  const Section* s = FindSection(section);
  const Entry* e = s ? FindEntry(*s, key) : nullptr;
  return std::string(e ? e->value : defaultValue);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                             int32_t defaultValue) const {
  const Section* s = FindSection(section);
  const Entry* e = s ? FindEntry(*s, key) : nullptr;
  if (!e) return defaultValue;
  auto v = ParseInt32(e->value);
  return v ? *v : defaultValue;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section* s = FindSection(section);
  if (!s) {
    std::string header = "[";
    header.append(section).append("]");
    const std::string_view kept = Keep(std::move(header));
    s = &AddSection(kept.substr(1, section.size()), kept);
  }
  if (Entry* e = FindEntry(*s, key)) {
    e->value = Keep(std::string(value));
    e->raw = {};
    return;
  }
  // New keys go after the section's last key, before any trailing blank lines. Only
  // keyless lines follow that place, so no indexed position moves.
  size_t pos = s->entries.size();
  while (pos > 0 && s->entries[pos - 1].key.empty()) --pos;
  std::string line(key);
  line.append(value);
  const std::string_view kept = Keep(std::move(line));
  Entry e;
  e.key = kept.substr(0, key.size());
  e.value = kept.substr(key.size());
  s->entries.insert(s->entries.begin() + long(pos), e);
  if (!key.empty()) s->keys.try_emplace(FoldedName(e.key), pos);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::EraseSection(std::string_view section) {
  if (!FindSection(section)) return;
  std::erase_if(sections_, [&](const Section& s) { return EqualsIgnoreCase(s.name, section); });
  IndexSections();
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
  Section* s = FindSection(section);
  if (!s) return;
  const Entry* e = FindEntry(*s, key);
  if (!e) return;
  s->entries.erase(s->entries.begin() + (e - s->entries.data()));
  s->IndexKeys();
}

std::string IniFile::ToText() const {
  std::string out;
  for (std::string_view l : preamble_) out.append(l).append("\r\n");
  for (const Section& s : sections_) {
    out.append(s.rawHeader).append("\r\n");
    for (const Entry& e : s.entries) {
      if (!e.raw.empty() || e.key.empty()) out.append(e.raw);
      else out.append(e.key).append(1, '=').append(e.value);
      out.append("\r\n");
    }
  }
  return out;
}

bool IniFile::SaveAtomic(const std::string& path) const { return ReplaceFileAtomically(path, ToText()); }

}  // namespace tp
