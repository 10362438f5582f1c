#include "photoshow/PhotoMusic.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "core/Paths.h"
#include "core/TextUtil.h"

namespace tp {
namespace {

bool IsSoundFileName(const std::string& name) {
  static const char* const kExtensions[] = {".wav", ".mp3", ".ogg", ".oga", ".opus", ".flac",
                                            ".mid", ".midi", ".mod", ".xm", ".it", ".s3m"};
  const std::string ext = LowerAscii(ExtensionOf(name));
  return std::any_of(std::begin(kExtensions), std::end(kExtensions), [&](const char* e) { return ext == e; });
}

bool IsRegular(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string MusicTrackList(const std::string& fileOrFolder) {
  if (fileOrFolder.empty() || fileOrFolder.find(';') != std::string::npos) return {};
  struct stat st {};
  if (::stat(fileOrFolder.c_str(), &st) != 0) return {};
  if (S_ISREG(st.st_mode)) return fileOrFolder;
  if (!S_ISDIR(st.st_mode)) return {};
  std::vector<std::string> tracks;
  if (DIR* dir = ::opendir(fileOrFolder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.empty() || name[0] == '.' || name.find(';') != std::string::npos) continue;
      if (!IsSoundFileName(name)) continue;
      const std::string path = JoinPath(fileOrFolder, name);
      if (!IsRegular(path)) continue;
      tracks.push_back(path);
      if (tracks.size() >= kMaxMusicTracks) break;
    }
    ::closedir(dir);
  }
  std::sort(tracks.begin(), tracks.end());
  std::string list;
  for (const std::string& t : tracks) {
    if (!list.empty()) list += ';';
    list += t;
  }
  return list;
}

}  // namespace tp
