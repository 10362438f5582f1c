#include "core/IniFile.h"

#include <sys/random.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "core/SafeFile.h"
#include "core/TextUtil.h"

namespace tp {
namespace {

// Offsets into the store are 32-bit; texts are far smaller than this in practice.
constexpr size_t kMaxStore = 0xFFFFFFF0u;

std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// A seed of this process, so that a crafted text cannot line up its names on one chain
// of an index.
uint64_t HashSeed() {
  static const uint64_t seed = [] {
    uint64_t s = 0;
    if (::getrandom(&s, sizeof s, GRND_NONBLOCK) != ssize_t(sizeof s))
      s = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    return s;
  }();
  return seed;
}

// Eight bytes at once with ASCII a-z turned upper case; other bytes stay as they are.
uint64_t FoldWord(uint64_t x) {
  constexpr uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
  const uint64_t low7 = x & ~kHigh;
  const uint64_t atLeastA = low7 + kOnes * (0x80 - 'a');  // high bit set where >= 'a'
  const uint64_t pastZ = low7 + kOnes * (0x80 - 'z' - 1);  // high bit set where > 'z'
  const uint64_t lower = atLeastA & ~pastZ & ~x & kHigh;
  return x - (lower >> 2);  // 0x80 >> 2 is the 0x20 between the cases
}

uint64_t Mix(uint64_t h) {
  h ^= h >> 31;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 29;
  return h;
}

// A hash of the name as it reads without regard to ASCII case.
uint32_t FoldedHash(std::string_view name, uint64_t seed) {
  uint64_t h = seed ^ (uint64_t(name.size()) * 0x9E3779B97F4A7C15ull);
  size_t i = 0;
  for (; i + 8 <= name.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, name.data() + i, 8);
    h = Mix(h ^ FoldWord(w)) * 0x94D049BB133111EBull;
  }
  if (i < name.size()) {
    uint64_t w = 0;
    for (size_t j = i; j < name.size(); ++j) w |= uint64_t(uint8_t(name[j])) << (8 * (j - i));
    h = Mix(h ^ FoldWord(w)) * 0x94D049BB133111EBull;
  }
  return uint32_t(Mix(h) >> 32);
}

}  // namespace

// Slots are as many as twice the names, not a power of two: a name's home slot scales
// its hash to the table, and probing walks on from there, wrapping at the end.
template <class Holds>
int64_t IniFile::NameIndex::Find(uint32_t hash, const Holds& holds) const {
  if (slots_.empty()) return -1;
  for (size_t i = Home(hash);; i = i + 1 == slots_.size() ? 0 : i + 1) {
    const uint64_t slot = slots_[i];
    if (slot == 0) return -1;
    const uint32_t pos = uint32_t(slot) - 1;
    if (uint32_t(slot >> 32) == hash && holds(pos)) return pos;
  }
}

template <class Holds>
bool IniFile::NameIndex::Insert(uint32_t hash, uint32_t pos, const Holds& holds) {
  if ((used_ + 1) * 2 > slots_.size()) Resize(slots_.empty() ? 8 : slots_.size() * 2);
  size_t i = Home(hash);
  for (; slots_[i] != 0; i = i + 1 == slots_.size() ? 0 : i + 1) {
    const uint64_t slot = slots_[i];
    if (uint32_t(slot >> 32) == hash && holds(uint32_t(slot) - 1)) return false;
  }
  slots_[i] = (uint64_t(hash) << 32) | (uint64_t(pos) + 1);
  ++used_;
  return true;
}

void IniFile::NameIndex::Reserve(size_t names) {
  const size_t slots = std::max<size_t>(8, names * 2);
  if (slots > slots_.size()) Resize(slots);
}

void IniFile::NameIndex::Resize(size_t slots) {
  auto old = std::move(slots_);
  slots_.assign(slots, 0);
  for (uint64_t slot : old) {
    if (slot == 0) continue;
    size_t i = Home(uint32_t(slot >> 32));
    while (slots_[i] != 0) i = i + 1 == slots_.size() ? 0 : i + 1;
    slots_[i] = slot;
  }
}

void IniFile::NameIndex::Clear() {
  slots_.clear();
  used_ = 0;
}

IniFile::Span IniFile::SpanOf(std::string_view inStore) const {
  return Span{uint32_t(inStore.data() - store_.data()), uint32_t(inStore.size())};
}

IniFile::Span IniFile::Store(std::string_view text) {
  if (store_.size() + text.size() > kMaxStore) throw std::length_error("settings text too long");
  // A view into the store itself is copied first: appending may move the buffer.
  if (!text.empty() && text.data() >= store_.data() && text.data() < store_.data() + store_.size())
    return Store(std::string(text));
  const Span s{uint32_t(store_.size()), uint32_t(text.size())};
  store_.append(text);
  return s;
}

uint32_t IniFile::KeyHash(uint32_t section, std::string_view key) const {
  return FoldedHash(key, HashSeed() ^ ((uint64_t(section) + 1) * 0xD6E8FEB86659FD93ull));
}

bool IniFile::IndexKey(size_t entry) {
  Entry& e = entries_[entry];
  const Section& s = sections_[e.section];
  const std::string_view key = View(e.key);
  const bool first = keyIndex_.Insert(KeyHash(e.section, key), uint32_t(entry - s.first), [&](uint32_t p) {
    const Entry& other = entries_[s.first + p];
    return other.section == e.section && EqualsIgnoreCase(View(other.key), key);
  });
  e.shadowed = !first;
  return first;
}

// Builds both indexes and every section's place anew: after reading a whole text, or
// after lines or sections went away. Names go in in file order (the first occurrence
// wins), a block at a time: the block's hashes are worked out and their slots asked for
// first, so that a big text does not wait on memory at every line.
void IniFile::IndexAll() {
  constexpr size_t kBlock = 32;
  uint32_t hashes[kBlock];
  sectionIndex_.Clear();
  sectionIndex_.Reserve(sections_.size());
  keyIndex_.Clear();
  keyIndex_.Reserve(entries_.size());
  uint32_t first = 0;
  for (size_t i = 0; i < sections_.size(); ++i) {
    Section& s = sections_[i];
    s.first = first;
    first += s.count;
    for (uint32_t k = s.first; k < s.first + s.count; ++k) entries_[k].section = uint32_t(i);
  }
  for (size_t block = 0; block < sections_.size(); block += kBlock) {
    const size_t n = std::min(kBlock, sections_.size() - block);
    for (size_t j = 0; j < n; ++j) {
      hashes[j] = FoldedHash(View(sections_[block + j].name), HashSeed());
      sectionIndex_.Prefetch(hashes[j]);
    }
    for (size_t j = 0; j < n; ++j) {
      Section& s = sections_[block + j];
      const std::string_view name = View(s.name);
      s.shadowed = !sectionIndex_.Insert(hashes[j], uint32_t(block + j), [&](uint32_t p) {
        return EqualsIgnoreCase(View(sections_[p].name), name);
      });
    }
  }
  for (size_t block = 0; block < entries_.size(); block += kBlock) {
    const size_t n = std::min(kBlock, entries_.size() - block);
    for (size_t j = 0; j < n; ++j) {
      const Entry& e = entries_[block + j];
      if (e.key.length == 0) continue;
      hashes[j] = KeyHash(e.section, View(e.key));
      keyIndex_.Prefetch(hashes[j]);
    }
    for (size_t j = 0; j < n; ++j) {
      Entry& e = entries_[block + j];
      if (e.key.length == 0) continue;
      const Section& s = sections_[e.section];
      const std::string_view key = View(e.key);
      e.shadowed = !keyIndex_.Insert(hashes[j], uint32_t(block + j - s.first), [&](uint32_t p) {
        const Entry& other = entries_[s.first + p];
        return other.section == e.section && EqualsIgnoreCase(View(other.key), key);
      });
    }
  }
}

IniFile::Section& IniFile::AddSection(Span name, Span rawHeader, bool index) {
  bool first = true;
  if (index) {
    const std::string_view text = View(name);
    first = sectionIndex_.Insert(FoldedHash(text, HashSeed()), uint32_t(sections_.size()),
                                 [&](uint32_t p) { return EqualsIgnoreCase(View(sections_[p].name), text); });
  }
  Section& s = sections_.emplace_back();
  s.name = name;
  s.rawHeader = rawHeader;
  s.first = uint32_t(entries_.size());
  s.shadowed = !first;
  return s;
}

void IniFile::ParseLine(std::string_view line, bool& inSection) {
  const Span raw = SpanOf(line);
  const std::string_view t = TrimView(line);
  if (!t.empty() && t.front() == '[') {
    const size_t close = t.find(']');
    const std::string_view name = close == std::string_view::npos ? t.substr(1) : t.substr(1, close - 1);
    AddSection(SpanOf(TrimView(name)), raw, false);
    inSection = true;
    return;
  }
  if (!inSection) {
    preamble_.push_back(raw);
    return;
  }
  Entry e;
  e.raw = raw;
  e.section = uint32_t(sections_.size() - 1);
  if (!t.empty()) {
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
      e.key = SpanOf(t);
    } else {
      e.key = SpanOf(TrimView(t.substr(0, eq)));
      e.value = SpanOf(Unquote(TrimView(t.substr(eq + 1))));
    }
  }
  entries_.push_back(e);
  ++sections_.back().count;
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  if (text.size() > kMaxStore) text = text.substr(0, kMaxStore);
  ini.store_.assign(text.data(), text.size());
  const std::string_view all = ini.store_;
  // Room for every line and every section at once: the tables never grow while reading.
  ini.entries_.reserve(size_t(std::count(all.begin(), all.end(), '\n')) + 1);
  ini.sections_.reserve(size_t(std::count(all.begin(), all.end(), '[')));
  bool inSection = false;
  size_t start = 0;
  // Lines end at CR LF, LF or a lone CR.
  for (size_t i = 0; i < all.size(); ++i) {
    const char c = all[i];
    if (c != '\r' && c != '\n') continue;
    ini.ParseLine(all.substr(start, i - start), inSection);
    if (c == '\r' && i + 1 < all.size() && all[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < all.size()) ini.ParseLine(all.substr(start), inSection);
  ini.IndexAll();
  return ini;
}

IniFile IniFile::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return IniFile();
  std::ostringstream ss;
  ss << in.rdbuf();
  return Parse(ss.str());
}

int64_t IniFile::FindSectionPos(std::string_view name) const {
  return sectionIndex_.Find(FoldedHash(name, HashSeed()),
                            [&](uint32_t p) { return EqualsIgnoreCase(View(sections_[p].name), name); });
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  const int64_t pos = FindSectionPos(name);
  return pos < 0 ? nullptr : &sections_[size_t(pos)];
}

const IniFile::Entry* IniFile::FindEntry(const Section& s, std::string_view key) const {
  if (key.empty()) return nullptr;
  const uint32_t section = uint32_t(&s - sections_.data());
  const int64_t pos = keyIndex_.Find(KeyHash(section, key), [&](uint32_t p) {
    if (p >= s.count) return false;
    const Entry& e = entries_[s.first + p];
    return e.section == section && EqualsIgnoreCase(View(e.key), key);
  });
  return pos < 0 ? nullptr : &entries_[s.first + size_t(pos)];
}

IniFile::Entry* IniFile::FindEntry(const Section& s, std::string_view key) {
  return const_cast<Entry*>(std::as_const(*this).FindEntry(s, key));
}

bool IniFile::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  return s && FindEntry(*s, key);
}

std::vector<std::string> IniFile::SectionNames() const {
  std::vector<std::string> names;
  for (const Section& s : sections_)
    if (!s.shadowed) names.emplace_back(View(s.name));
  return names;
}

std::vector<std::string> IniFile::KeyNames(std::string_view section) const {
  std::vector<std::string> keys;
  const Section* s = FindSection(section);
  if (!s) return keys;
  keys.reserve(s->count);
  for (uint32_t i = s->first; i < s->first + s->count; ++i)
    if (entries_[i].key.length != 0 && !entries_[i].shadowed) keys.emplace_back(View(entries_[i].key));
  return keys;
}

size_t IniFile::LineCount(std::string_view section) const {
  const Section* s = FindSection(section);
  return s ? s->count : 0;
}

void IniFile::ForEachKeyValue(std::string_view section,
                              const std::function<void(std::string_view, std::string_view)>& visit) const {
  const Section* s = FindSection(section);
  if (!s) return;
  for (uint32_t i = s->first; i < s->first + s->count; ++i) {
    const Entry& e = entries_[i];
    if (e.key.length != 0 && !e.shadowed) visit(View(e.key), View(e.value));
  }
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  const Section* s = FindSection(section);
  const Entry* e = s ? FindEntry(*s, key) : nullptr;
  return std::string(e ? View(e->value) : defaultValue);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                             int32_t defaultValue) const {
  const Section* s = FindSection(section);
  const Entry* e = s ? FindEntry(*s, key) : nullptr;
  if (!e) return defaultValue;
  auto v = ParseInt32(View(e->value));
  return v ? *v : defaultValue;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  int64_t at = FindSectionPos(section);
  if (at < 0) {
    std::string header = "[";
    header.append(section).append("]");
    const Span h = Store(header);
    AddSection(Span{h.offset + 1, uint32_t(section.size())}, h, true);
    at = int64_t(sections_.size() - 1);
  }
  Section& s = sections_[size_t(at)];
  if (Entry* e = FindEntry(s, key)) {
    e->value = Store(value);
    e->hasRaw = false;
    return;
  }
  // New keys go after the section's last key, before any trailing blank lines. Only
  // keyless lines follow that place, and the index holds places within a section, so
  // no indexed place moves.
  uint32_t pos = s.count;
  while (pos > 0 && entries_[s.first + pos - 1].key.length == 0) --pos;
  Entry e;
  e.key = Store(key);
  e.value = Store(value);
  e.section = uint32_t(at);
  e.hasRaw = false;
  entries_.insert(entries_.begin() + long(s.first + pos), e);
  ++s.count;
  for (size_t i = size_t(at) + 1; i < sections_.size(); ++i) ++sections_[i].first;
  if (!key.empty()) IndexKey(s.first + pos);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::EraseSection(std::string_view section) {
  if (FindSectionPos(section) < 0) return;
  Sections kept;
  Entries keptEntries;
  keptEntries.reserve(entries_.size());
  for (const Section& s : sections_) {
    if (EqualsIgnoreCase(View(s.name), section)) continue;
    kept.push_back(s);
    keptEntries.insert(keptEntries.end(), entries_.begin() + s.first, entries_.begin() + s.first + s.count);
  }
  sections_ = std::move(kept);
  entries_ = std::move(keptEntries);
  IndexAll();
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
  const int64_t at = FindSectionPos(section);
  if (at < 0) return;
  Section& s = sections_[size_t(at)];
  const Entry* e = FindEntry(s, key);
  if (!e) return;
  entries_.erase(entries_.begin() + (e - entries_.data()));
  --s.count;
  IndexAll();
}

std::string IniFile::ToText() const {
  std::string out;
  out.reserve(store_.size() + 2 * (entries_.size() + sections_.size()) + 64);
  for (Span l : preamble_) out.append(View(l)).append("\r\n");
  for (const Section& s : sections_) {
    out.append(View(s.rawHeader)).append("\r\n");
    for (uint32_t i = s.first; i < s.first + s.count; ++i) {
      const Entry& e = entries_[i];
      if (e.hasRaw || e.key.length == 0) out.append(View(e.raw));
      else out.append(View(e.key)).append(1, '=').append(View(e.value));
      out.append("\r\n");
    }
  }
  return out;
}

bool IniFile::SaveAtomic(const std::string& path) const { return ReplaceFileAtomically(path, ToText()); }

}  // namespace tp
