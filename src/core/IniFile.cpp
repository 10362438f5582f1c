#include "core/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#include "core/Paths.h"
#include "core/SafeFile.h"
#include "core/TextUtil.h"

namespace tp {
namespace {

std::string Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return std::string(v.substr(1, v.size() - 2));
  return std::string(v);
}

constexpr char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

}  // namespace

size_t IniFile::FoldedHash::operator()(std::string_view name) const noexcept {
  // FNV-1a over the upper-cased bytes.
  uint64_t h = 14695981039346656037ull;
  for (char c : name) h = (h ^ uint8_t(Upper(c))) * 1099511628211ull;
  return size_t(h);
}

bool IniFile::FoldedEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  return EqualsIgnoreCase(a, b);
}

void IniFile::Section::IndexKeys() {
  keys.clear();
  for (size_t i = 0; i < entries.size(); ++i)
    if (!entries[i].key.empty()) entries[i].shadowed = !keys.try_emplace(entries[i].key, i).second;
}

IniFile::Section& IniFile::AddSection(std::string name, std::string rawHeader) {
  const bool first = sectionIndex_.try_emplace(name, sections_.size()).second;
  sections_.push_back(Section{std::move(name), std::move(rawHeader), {}, {}, !first});
  return sections_.back();
}

void IniFile::IndexSections() {
  sectionIndex_.clear();
  for (size_t i = 0; i < sections_.size(); ++i)
    sections_[i].shadowed = !sectionIndex_.try_emplace(sections_[i].name, i).second;
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  Section* current = nullptr;
  for (std::string& line : SplitLines(text)) {
    std::string_view t = TrimView(line);
    if (!t.empty() && t.front() == '[') {
      size_t close = t.find(']');
      std::string_view name = close == std::string_view::npos ? t.substr(1) : t.substr(1, close - 1);
      std::string trimmed = Trim(name);
      current = &ini.AddSection(std::move(trimmed), std::move(line));
      continue;
    }
    if (!current) {
      ini.preamble_.push_back(std::move(line));
      continue;
    }
    Entry e;
    if (!t.empty()) {
      size_t eq = t.find('=');
      if (eq == std::string_view::npos) {
        e.key = std::string(t);
      } else {
        e.key = Trim(t.substr(0, eq));
        e.value = Unquote(TrimView(t.substr(eq + 1)));
      }
    }
    e.raw = std::move(line);  // t is not used past here
    if (!e.key.empty()) e.shadowed = !current->keys.try_emplace(e.key, current->entries.size()).second;
    current->entries.push_back(std::move(e));
  }
  return ini;
}

IniFile IniFile::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return IniFile();
  std::ostringstream ss;
  ss << in.rdbuf();
  return Parse(ss.str());
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  auto it = sectionIndex_.find(name);
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  auto it = sectionIndex_.find(name);
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const IniFile::Entry* IniFile::FindEntry(const Section& s, std::string_view key) {
  if (key.empty()) return nullptr;
  auto it = s.keys.find(key);
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
    if (!s.shadowed) names.push_back(s.name);
  return names;
}

std::vector<std::string> IniFile::KeyNames(std::string_view section) const {
  std::vector<std::string> keys;
  const Section* s = FindSection(section);
  if (!s) return keys;
  for (const Entry& e : s->entries)
    if (!e.key.empty() && !e.shadowed) keys.push_back(e.key);
  return keys;
}

std::vector<std::pair<std::string, std::string>> IniFile::KeyValues(std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> pairs;
  const Section* s = FindSection(section);
  if (!s) return pairs;
  for (const Entry& e : s->entries)
    if (!e.key.empty() && !e.shadowed) pairs.emplace_back(e.key, e.value);
  return pairs;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  const Section* s = FindSection(section);
  if (!s) return std::string(defaultValue);
  const Entry* e = FindEntry(*s, key);
  return e ? e->value : std::string(defaultValue);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                             int32_t defaultValue) const {
  const Section* s = FindSection(section);
  if (!s) return defaultValue;
  const Entry* e = FindEntry(*s, key);
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
    s = &AddSection(std::string(section), std::move(header));
  }
  if (Entry* e = FindEntry(*s, key)) {
    e->value = std::string(value);
    e->raw.clear();
    return;
  }
  // New keys go after the section's last key, before any trailing blank lines. Only
  // keyless lines follow that place, so no indexed position moves.
  size_t pos = s->entries.size();
  while (pos > 0 && s->entries[pos - 1].key.empty()) --pos;
  s->entries.insert(s->entries.begin() + long(pos), Entry{std::string(key), std::string(value), {}});
  if (!key.empty()) s->keys.try_emplace(std::string(key), pos);
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
  for (const std::string& l : preamble_) out += l + "\r\n";
  for (const Section& s : sections_) {
    out += s.rawHeader.empty() ? "[" + s.name + "]" : s.rawHeader;
    out += "\r\n";
    for (const Entry& e : s.entries) {
      if (!e.raw.empty() || e.key.empty()) out += e.raw;
      else out += e.key + "=" + e.value;
      out += "\r\n";
    }
  }
  return out;
}

bool IniFile::SaveAtomic(const std::string& path) const {
  std::string dir = DirectoryOf(path);
  std::string tmpl = (dir.empty() ? std::string("./") : dir) + "." + BareFileName(path) + ".XXXXXX";
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return false;
  bool ok = WriteAll(fd, ToText());
  struct stat st{};
  // Keep the permissions of the file being replaced; a new file gets 0644.
  if (::stat(path.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
  else ::fchmod(fd, 0644);
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(tmpl.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(tmpl.c_str());
  return ok;
}

}  // namespace tp
