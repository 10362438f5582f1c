#include "core/FileSystem.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/Paths.h"
#include "core/SafeFile.h"
#include "core/TextUtil.h"

namespace tp {

bool FileExists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

bool ReadFile(const std::string& path, std::string& out) {
  return ReadWholeFile(path, kMaxReadFileBytes, out, FollowLinks::Yes) == ReadResult::Ok;
}

bool WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), std::streamsize(bytes.size()));
  return bool(out);
}

namespace {
// The entry of dir whose name equals name, exactly or else ignoring case; "" if none.
std::string MatchEntry(const std::string& dir, const std::string& name) {
  struct stat st{};
  if (::lstat(JoinPath(dir, name).c_str(), &st) == 0) return name;
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return std::string();
  std::string found;
  while (dirent* e = ::readdir(d)) {
    if (EqualsIgnoreCase(e->d_name, name)) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}
}  // namespace

std::string FindFileIgnoringCase(std::string_view folder, std::string_view relative) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : relative) {
    if (IsPathSeparator(c)) {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  if (parts.empty()) return std::string();
  std::string path(folder);
  for (const std::string& p : parts) {
    if (p == "." ) continue;
    if (p == "..") return std::string();
    std::string m = MatchEntry(path, p);
    if (m.empty()) return std::string();
    path = JoinPath(path, m);
  }
  return FileExists(path) ? path : std::string();
}

}  // namespace tp
