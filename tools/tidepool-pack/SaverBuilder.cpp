#include "tidepool-pack/SaverBuilder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "core/CodePage.h"
#include "core/FileSystem.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/TextUtil.h"
#include "project/ContainerWriter.h"
#include "project/ProjectLoader.h"
#include "tidepool-pack/AtomicOutput.h"
#include "tidepool-pack/PackCommand.h"
#include "tidepool-pack/PictureCheck.h"
#include "tidepool-pack/ProjectDefaults.h"
#include "tidepool-pack/SoundCheck.h"

namespace tp::pack {
namespace {

constexpr uint64_t kMaxInputBytes = 1ull << 30;  // one picture; a container entry is 32-bit anyway
constexpr size_t kProgressThreshold = 50;

std::string ReadInput(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) throw FileError(path, "cannot be read");
  if (uint64_t(st.st_size) > kMaxInputBytes) throw FileError(path, "too large");
  std::string bytes;
  if (!ReadFile(path, bytes)) throw FileError(path, "cannot be read");
  return bytes;
}

// "pictures done / total, megabytes" on one terminal line, redrawn as pictures finish.
class Progress {
 public:
  explicit Progress(size_t total) : total_(total), shown_(total > kProgressThreshold && ::isatty(2)) {}
  ~Progress() {
    if (shown_ && done_ > 0) std::fputs("\n", stderr);
  }
  void Add(uint64_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++done_;
    bytes_ += bytes;
    if (shown_)
      std::fprintf(stderr, "\rtidepool-pack: %zu/%zu pictures, %.1f MB", done_, total_, double(bytes_) / (1024.0 * 1024.0));
  }

 private:
  std::mutex mutex_;
  size_t total_, done_ = 0;
  uint64_t bytes_ = 0;
  bool shown_;
};

struct PictureJob {
  size_t file = 0;  // index into the project's files
  CheckedPicture result;
  std::string error;  // non-empty when the picture cannot be used
};

// Decodes every picture once, on as many threads as there are cores (at most 4).
void CheckPictures(std::vector<PictureJob>& jobs, const std::vector<ProjectToPack::File>& files) {
  Progress progress(jobs.size());
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i; (i = next.fetch_add(1)) < jobs.size();) {
      PictureJob& job = jobs[i];
      uint64_t size = 0;
      try {
        const std::string bytes = ReadInput(files[job.file].path);
        size = bytes.size();
        job.result = CheckPicture(bytes);
      } catch (const FileError& e) {
        job.error = e.what();
      } catch (const std::exception& e) {
        job.error = files[job.file].path + ": " + e.what();
      }
      progress.Add(size);
    }
  };
  const size_t threads = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 4);
  std::vector<std::thread> pool;
  for (size_t t = 1; t < std::min(threads, jobs.size()); ++t) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
}

// The file whose name matches: exactly, else ignoring ASCII case; -1 when none.
long FindFile(const std::vector<ProjectToPack::File>& files, const std::string& name) {
  for (size_t i = 0; i < files.size(); ++i)
    if (files[i].name == name) return long(i);
  for (size_t i = 0; i < files.size(); ++i)
    if (EqualsIgnoreCase(files[i].name, name)) return long(i);
  return -1;
}

bool NameTaken(const std::vector<ProjectToPack::File>& files, const std::string& name) {
  return FindFile(files, name) >= 0;
}

// Whether the player treats a file of this name as the kind it holds.
bool ExtensionFits(const std::string& name, PictureKind kind) {
  const std::string ext = UpperAscii(ExtensionOf(name));
  const bool plainExt = ext == ".JPG" || ext == ".BMP" || ext == ".GIF";
  return kind == PictureKind::Packaged ? !plainExt : plainExt;
}

std::string StemOf(const std::string& name) {
  const std::string ext = ExtensionOf(name);
  return name.substr(0, name.size() - ext.size());
}

// A free name with the extension the stored kind needs.
std::string NameFor(const std::vector<ProjectToPack::File>& files, const std::string& name, PictureKind kind) {
  const std::string stem = StemOf(name), ext = PlayerExtension(kind);
  std::string candidate = stem + ext;
  for (int n = 2; NameTaken(files, candidate); ++n) candidate = stem + "-" + std::to_string(n) + ext;
  return candidate;
}

// Rewrites the [FileList] keys of a file-list text: renamed keys get their new name,
// removed ones lose their line; every other byte stays as it was.
std::string RewriteFileList(const std::string& text, const std::map<std::string, std::string>& renamed,
                            const std::set<std::string>& removed) {
  std::string out;
  bool inList = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(pos, end - pos);
    pos = end;
    const std::string_view t = TrimView(line);
    if (!t.empty() && t.front() == '[') {
      const size_t close = t.find(']');
      inList = EqualsIgnoreCase(Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)),
                                "FileList");
    } else if (inList) {
      const size_t eq = line.find('=');
      if (eq != std::string::npos) {
        const std::string key = Trim(std::string_view(line).substr(0, eq));
        if (removed.count(key)) continue;
        if (auto it = renamed.find(key); it != renamed.end()) line = it->second + line.substr(eq);
      }
    }
    out += line;
  }
  return out;
}

std::vector<std::string> SplitMusic(const std::string& musicFile) {
  std::vector<std::string> names;
  size_t pos = 0;
  while (pos <= musicFile.size()) {
    size_t end = musicFile.find(';', pos);
    if (end == std::string::npos) end = musicFile.size();
    const std::string n = Trim(std::string_view(musicFile).substr(pos, end - pos));
    if (!n.empty()) names.push_back(n);
    pos = end + 1;
  }
  return names;
}

void CopyPlayer(const std::string& player, std::FILE* out) {
  std::FILE* in = std::fopen(player.c_str(), "rb");
  if (!in) throw FileError(player, "cannot read the player");
  std::vector<char> buf(1 << 16);
  size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), in)) > 0)
    if (std::fwrite(buf.data(), 1, n, out) != n) {
      std::fclose(in);
      throw std::runtime_error("writing the saver failed");
    }
  std::fclose(in);
}

}  // namespace

bool HasPictureExtension(const std::string& name) {
  const std::string ext = LowerAscii(ExtensionOf(name));
  for (const char* e : {".jpg", ".jpeg", ".jpe", ".bmp", ".gif", ".mpp", ".png", ".webp", ".tif", ".tiff", ".heic",
                        ".heif", ".hif", ".avif"})
    if (ext == e) return true;
  return false;
}

std::string DefaultPlayerPath() {
  const std::string here = DirectoryOf(ExecutablePath());
  std::string player = here + "tidepool";
  if (!FileExists(player) && FileExists(here + "../src/tidepool")) player = here + "../src/tidepool";
  return player;
}

std::string LossyCp1252(const std::string& utf8) {
  if (auto whole = Utf8ToCp1252(utf8)) return *whole;
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = uint8_t(utf8[i]);
    size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    len = std::min(len, utf8.size() - i);
    auto one = Utf8ToCp1252(utf8.substr(i, len));
    out += one && one->size() == 1 ? *one : "_";
    i += len;
  }
  return out;
}

void PackSaver(ProjectToPack project, const PackOptions& options, const std::string& output) {
  auto& files = project.files;

  // The pictures: the keys of [FileList], or every file with a picture extension.
  std::vector<std::string> listed;
  if (project.hasFileList) {
    listed = IniFile::Parse(project.fileList).KeyNames("FileList");
  } else {
    for (const auto& f : files)
      if (HasPictureExtension(f.name)) listed.push_back(f.name);
  }
  std::vector<PictureJob> jobs;
  std::set<size_t> seen;
  for (const std::string& name : listed) {
    const long i = FindFile(files, name);
    if (i < 0) {
      Warn("the picture list names " + Cp1252ToUtf8(name) + ", which is not among the files");
      continue;
    }
    if (seen.insert(size_t(i)).second) jobs.push_back({size_t(i), {}, {}});
  }
  CheckPictures(jobs, files);

  std::set<size_t> dropped;
  std::map<std::string, std::string> renamed;  // listed name -> stored name
  std::set<std::string> removedNames;
  std::vector<std::string> leftOut;
  std::set<std::string> soundNames;  // bare names of the packaged pictures' sounds
  std::map<size_t, std::string> replacements;
  for (PictureJob& job : jobs) {
    ProjectToPack::File& file = files[job.file];
    if (!job.error.empty()) {
      if (!options.skipBad) throw std::runtime_error(job.error);
      leftOut.push_back(job.error);
      dropped.insert(job.file);
      removedNames.insert(file.name);
      continue;
    }
    const CheckedPicture& r = job.result;
    for (const std::string& s : r.sounds) soundNames.insert(UpperAscii(BareFileName(s)));
    std::string name = file.name;
    if (!ExtensionFits(name, r.storedKind)) {
      name = NameFor(files, name, r.storedKind);
      renamed[file.name] = name;
    }
    std::string line = Cp1252ToUtf8(file.name) + ": ";
    if (r.changed) line += r.change;
    if (name != file.name) line += std::string(r.changed ? ", " : "") + "stored as " + Cp1252ToUtf8(name);
    if (r.changed || name != file.name) Note(line);
    if (r.changed) replacements[job.file] = std::move(job.result.replacement);
    file.name = name;
  }

  // The texts, with what the project leaves out filled in.
  if (project.hasFileList) {
    if (!renamed.empty() || !removedNames.empty())
      project.fileList = RewriteFileList(project.fileList, renamed, removedNames);
  } else {
    project.fileList = "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\n";
    for (const PictureJob& job : jobs)
      if (!dropped.count(job.file)) project.fileList += files[job.file].name + "=1\r\n";
  }
  if (!project.hasSettings) project.settings = DefaultSettingsText(project.productName, project.musicNames);
  if (!project.hasUi) project.ui = "[UI]\r\nUIFile=MpGUI.mui\r\n";

  // Sounds and music the player could not open.
  std::set<std::string> musicNames;
  const IniFile settings = IniFile::Parse(project.settings);
  for (const std::string& m : SplitMusic(settings.ReadString("Advance", "MusicFile", "")))
    if (BareFileName(m) == m) {
      if (FindFile(files, m) < 0) Warn("MusicFile names " + Cp1252ToUtf8(m) + ", which is not among the files");
      musicNames.insert(UpperAscii(m));
    }
  std::set<size_t> pictureFiles;
  for (const PictureJob& job : jobs) pictureFiles.insert(job.file);
  for (size_t i = 0; i < files.size(); ++i) {
    if (pictureFiles.count(i)) continue;
    const std::string key = UpperAscii(files[i].name);
    const bool music = musicNames.count(key) != 0, sound = soundNames.count(key) != 0;
    if (!music && !sound && !HasSoundExtension(files[i].name)) continue;
    const std::string problem = SoundProblem(files[i].path, !sound);
    if (!problem.empty()) Warn(files[i].path + ": the player cannot play it (" + problem + ")");
  }

  // The container: settings texts, names, files, UI description.
  std::vector<ContainerItem> settingsEntries = {ContainerItem::Data(project.fileList), ContainerItem::Data(project.settings),
                                                ContainerItem::Data(project.ui)};
  if (project.hasBuildEntry) settingsEntries.push_back(ContainerItem::Data(project.buildEntry));
  else if (options.buildEntry)
    settingsEntries.push_back(ContainerItem::Container({ContainerItem::Data("[Build]\r\nPacked=1\r\n")}));
  std::string names;
  std::vector<ContainerItem> fileEntries;
  for (size_t i = 0; i < files.size(); ++i) {
    if (dropped.count(i)) continue;
    names += files[i].name + "\r\n";
    auto rep = replacements.find(i);
    fileEntries.push_back(rep != replacements.end() ? ContainerItem::Data(rep->second)
                                                    : ContainerItem::FromFile(files[i].path));
  }
  const std::vector<ContainerItem> top = {ContainerItem::Container(settingsEntries), ContainerItem::Data(names),
                                          ContainerItem::Container(fileEntries),
                                          ContainerItem::Data(project.uiDescription)};

  AtomicFile out(output);
  if (!options.noPlayer) CopyPlayer(options.player, out.stream());
  WriteContainer(out.stream(), top);
  out.Commit(options.noPlayer ? 0644 : 0755);

  for (const std::string& l : leftOut) Note("left out " + l);
  Note(output + " (" + std::to_string(fileEntries.size()) + " files, " + std::to_string(jobs.size() - dropped.size()) +
       " pictures)");
}

}  // namespace tp::pack
