#include "library/DefaultFolders.h"

#include <cstdlib>

#include "core/SafeFile.h"

namespace tp {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Calls fn for every line of text (without its newline); stops when fn returns true.
template <typename Fn>
void ForEachLine(std::string_view text, Fn fn) {
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (fn(line)) return;
    if (end == std::string_view::npos) return;
    text.remove_prefix(end + 1);
  }
}

bool HasNul(std::string_view s) { return s.find('\0') != std::string_view::npos; }

std::string ReadSmallFile(const std::string& path) {
  std::string text;
  if (ReadWholeFile(path, kMaxFolderSettingsBytes, text, FollowLinks::Yes) != ReadResult::Ok) return {};
  return text;
}

}  // namespace

std::string ParseXScreenSaverImageDirectory(std::string_view text, std::string_view home) {
  std::string found;
  ForEachLine(text, [&](std::string_view line) {
    line = Trim(line);
    constexpr std::string_view key = "imageDirectory:";
    if (line.substr(0, key.size()) != key) return false;
    std::string_view value = Trim(line.substr(key.size()));
    // A value continued on the next line ends in a backslash: not a folder we can use.
    if (value.empty() || value.back() == '\\' || HasNul(value)) return true;
    if (value == "~" || value.substr(0, 2) == "~/") {
      if (home.empty()) return true;
      found = std::string(home) + std::string(value.substr(1));
    } else if (value.front() == '/') {
      found = std::string(value);
    }
    return true;
  });
  return found;
}

std::string ParseUserDirsPictures(std::string_view text, std::string_view home) {
  std::string found;
  ForEachLine(text, [&](std::string_view line) {
    line = Trim(line);
    constexpr std::string_view key = "XDG_PICTURES_DIR=";
    if (line.substr(0, key.size()) != key) return false;
    std::string_view value = line.substr(key.size());
    if (value.size() < 2 || value.front() != '"') return true;
    value.remove_prefix(1);
    std::string path;
    bool closed = false;
    for (size_t i = 0; i < value.size(); ++i) {
      const char c = value[i];
      if (c == '"') {
        closed = true;
        break;
      }
      if (c == '\\' && i + 1 < value.size()) {
        path.push_back(value[++i]);
        continue;
      }
      if (c == '$') {
        constexpr std::string_view var = "$HOME";
        if (value.substr(i, var.size()) != var || home.empty()) return true;
        path += home;
        i += var.size() - 1;
        continue;
      }
      path.push_back(c);
    }
    if (!closed || path.empty() || path.front() != '/' || HasNul(path)) return true;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    std::string homeTrimmed(home);
    while (homeTrimmed.size() > 1 && homeTrimmed.back() == '/') homeTrimmed.pop_back();
    if (path != homeTrimmed) found = path;
    return true;
  });
  return found;
}

std::vector<std::string> ChooseFolders(const FolderSources& s) {
  if (!s.given.empty()) return s.given;
  if (!s.settings.empty()) return s.settings;
  std::string folder = ParseXScreenSaverImageDirectory(s.xscreensaverText, s.home);
  if (folder.empty()) folder = ParseUserDirsPictures(s.userDirsText, s.home);
  if (folder.empty() && !s.home.empty()) folder = s.home + "/Pictures";
  if (folder.empty()) return {};
  return {folder};
}

std::vector<std::string> DefaultFolders(const std::vector<std::string>& given, const std::vector<std::string>& settings) {
  FolderSources s;
  s.given = given;
  s.settings = settings;
  if (!given.empty() || !settings.empty()) return ChooseFolders(s);
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') s.home = home;
  if (!s.home.empty()) s.xscreensaverText = ReadSmallFile(s.home + "/.xscreensaver");
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string configDir = config && config[0] == '/' ? std::string(config) : (s.home.empty() ? "" : s.home + "/.config");
  if (!configDir.empty()) s.userDirsText = ReadSmallFile(configDir + "/user-dirs.dirs");
  return ChooseFolders(s);
}

}  // namespace tp
