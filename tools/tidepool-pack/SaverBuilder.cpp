#include "tidepool-pack/SaverBuilder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <map>
#include <set>

#include "core/CodePage.h"
#include "core/FileSystem.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/TextUtil.h"
#include "project/ProjectLoader.h"
#include "core/SafeFile.h"
#include "project/ContainerWriter.h"
#include "tidepool-pack/AtomicOutput.h"
#include "tidepool-pack/PackCommand.h"
#include "tidepool-pack/PictureChecks.h"
#include "tidepool-pack/ProjectDefaults.h"
#include "tidepool-pack/SoundCheck.h"

namespace tp::pack {
namespace {

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

// The settings container's entries for the texts of project.
std::vector<ContainerItem> SettingsEntries(const ProjectToPack& project, const PackOptions& options) {
  std::vector<ContainerItem> entries = {ContainerItem::Data(project.fileList), ContainerItem::Data(project.settings),
                                        ContainerItem::Data(project.ui)};
  if (project.hasBuildEntry) entries.push_back(ContainerItem::Data(project.buildEntry));
  else if (options.buildEntry)
    entries.push_back(ContainerItem::Container({ContainerItem::Data("[Build]\r\nPacked=1\r\n")}));
  return entries;
}

// The texts a project leaves out, filled in; the picture list names the pictures of
// jobs (in listed order) that are not dropped.
void FillInTexts(ProjectToPack& project, const std::vector<PictureJob>& jobs, const std::vector<size_t>& listedOrder,
                 const std::set<size_t>& dropped) {
  if (!project.hasFileList) {
    project.fileList = "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\n";
    for (size_t k : listedOrder)
      if (!dropped.count(jobs[k].file)) project.fileList += project.files[jobs[k].file].name + "=1\r\n";
  }
  if (!project.hasSettings) project.settings = DefaultSettingsText(project.productName, project.musicNames);
  if (!project.hasUi) project.ui = "[UI]\r\nUIFile=MpGUI.mui\r\n";
}

std::string NamesText(const std::vector<ProjectToPack::File>& files, const std::set<size_t>& dropped) {
  std::string names;
  for (size_t i = 0; i < files.size(); ++i)
    if (!dropped.count(i)) names += files[i].name + "\r\n";
  return names;
}

// Copies the player to the start of the output.
void WritePlayer(int out, const PackOptions& options) {
  if (options.noPlayer) return;
  const int in = ::open(options.player.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (in < 0 || ::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (in >= 0) ::close(in);
    throw FileError(options.player, "cannot read the player");
  }
  const uint64_t copied = CopyBytes(in, 0, out, uint64_t(st.st_size));
  ::close(in);
  if (copied != uint64_t(st.st_size)) throw FileError(options.player, "cannot read the player");
}

}  // namespace

bool HasPictureExtension(const std::string& name) {
  const std::string ext = LowerAscii(ExtensionOf(name));
  for (const char* e : {".jpg", ".jpeg", ".jpe", ".bmp", ".gif", ".mpp", ".png", ".webp", ".tif", ".tiff", ".heic",
                        ".heif", ".hif", ".avif", ".jxl"})
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

  // The pictures: the keys of [FileList], or every file with a picture extension. They
  // are checked in the order they are stored; listedOrder keeps the listed order.
  std::vector<std::string> listed;
  if (project.hasFileList) {
    listed = IniFile::Parse(project.fileList).KeyNames("FileList");
  } else {
    for (const auto& f : files)
      if (HasPictureExtension(f.name)) listed.push_back(f.name);
  }
  std::vector<size_t> listedFiles;
  std::set<size_t> seen;
  for (const std::string& name : listed) {
    const long i = FindFile(files, name);
    if (i < 0) {
      Warn("the picture list names " + Cp1252ToUtf8(name) + ", which is not among the files");
      continue;
    }
    if (seen.insert(size_t(i)).second) listedFiles.push_back(size_t(i));
  }
  std::vector<PictureJob> jobs;
  std::vector<long> jobOfFile(files.size(), -1);
  for (size_t i : seen) {  // ascending file order
    jobOfFile[i] = long(jobs.size());
    jobs.push_back({i, files[i].path, {}, {}, {}});
  }
  std::vector<size_t> listedOrder;
  for (size_t i : listedFiles) listedOrder.push_back(size_t(jobOfFile[i]));

  // Every picture checked, side by side; what is stored changed waits in a spill file.
  ReplacementSpill spill(DirectoryOf(output));
  CheckPictures(jobs, spill);

  std::set<size_t> dropped;
  std::map<std::string, std::string> renamed;  // listed name -> stored name
  std::set<std::string> removedNames;
  std::vector<std::string> leftOut;
  std::set<std::string> soundNames;  // bare names of the packaged pictures' sounds
  std::map<size_t, Replacement> replacements;
  for (size_t k : listedOrder) {
    PictureJob& job = jobs[k];
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
    if (!r.note.empty()) line += std::string(r.changed || name != file.name ? ", " : "") + r.note;
    if (r.changed || name != file.name || !r.note.empty()) Note(line);
    if (r.changed) replacements[job.file] = job.replacement;
    file.name = name;
  }

  // The texts, with what the project leaves out filled in.
  if (project.hasFileList && (!renamed.empty() || !removedNames.empty()))
    project.fileList = RewriteFileList(project.fileList, renamed, removedNames);
  FillInTexts(project, jobs, listedOrder, dropped);

  // Sounds and music the player could not open.
  std::set<std::string> musicNames;
  const IniFile settings = IniFile::Parse(project.settings);
  for (const std::string& m : SplitMusic(settings.ReadString("Advance", "MusicFile", "")))
    if (BareFileName(m) == m) {
      if (FindFile(files, m) < 0) Warn("MusicFile names " + Cp1252ToUtf8(m) + ", which is not among the files");
      musicNames.insert(UpperAscii(m));
    }
  for (size_t i = 0; i < files.size(); ++i) {
    if (jobOfFile[i] >= 0) continue;
    const std::string key = UpperAscii(files[i].name);
    const bool music = musicNames.count(key) != 0, sound = soundNames.count(key) != 0;
    if (!music && !sound && !HasSoundExtension(files[i].name)) continue;
    const std::string problem = SoundProblem(files[i].path, !sound);
    if (!problem.empty()) Warn(files[i].path + ": the player cannot play it (" + problem + ")");
  }

  // The saver: the player, then the container of settings texts, names, files and UI
  // description, written once to a new file that replaces the output when complete.
  std::vector<ContainerItem> stored;
  for (size_t i = 0; i < files.size(); ++i) {
    if (dropped.count(i)) continue;
    auto rep = replacements.find(i);
    stored.push_back(rep != replacements.end() ? ContainerItem::PartOf(spill.fd(), rep->second.offset, rep->second.length)
                                               : ContainerItem::FromFile(files[i].path));
  }
  const std::vector<ContainerItem> top = {ContainerItem::Container(SettingsEntries(project, options)),
                                          ContainerItem::Data(NamesText(files, dropped)),
                                          ContainerItem::Container(std::move(stored)),
                                          ContainerItem::Data(project.uiDescription)};
  std::unique_ptr<AtomicFile> out;
  try {
    out = std::make_unique<AtomicFile>(output);
  } catch (const std::runtime_error& e) {
    throw FileError(output, e.what());
  }
  const RemovedOnSignal cleanup(out->tempPath());
  WritePlayer(out->fd(), options);
  try {
    WriteContainer(out->fd(), top);
  } catch (const std::runtime_error& e) {
    throw FileError(output, e.what());
  }
  // Packing is replayable: no sync, as for any file a program writes in one go.
  if (!out->Commit(options.noPlayer ? 0644 : 0755, false)) throw FileError(output, "cannot replace it");

  for (const std::string& l : leftOut) Note("left out " + l);
  Note(output + " (" + std::to_string(files.size() - dropped.size()) + " files, " +
       std::to_string(jobs.size() - dropped.size()) + " pictures)");
}

}  // namespace tp::pack
