#include "tidepool-pack/SaverBuilder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "core/CodePage.h"
#include "core/FileSystem.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/TextUtil.h"
#include "project/ProjectLoader.h"
#include "tidepool-pack/AtomicOutput.h"
#include "tidepool-pack/PackCommand.h"
#include "tidepool-pack/PictureCheck.h"
#include "tidepool-pack/PictureQueue.h"
#include "tidepool-pack/ProjectDefaults.h"
#include "tidepool-pack/SaverStream.h"
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

bool RegularFileSize(const std::string& path, uint64_t& size) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  size = uint64_t(st.st_size);
  return true;
}

void WritePlayer(SaverStream& stream, const PackOptions& options) {
  if (options.noPlayer) return;
  uint64_t size = 0;
  if (!RegularFileSize(options.player, size)) throw FileError(options.player, "cannot read the player");
  stream.Append(options.player, size);
}

// Writes the saver on the guess that every picture is stored as it is, under its own
// name, taking each picture's bytes from the checkers as they finish. Returns false,
// with the output unfinished, as soon as a picture shows the guess wrong.
bool StreamAsItIs(SaverStream& stream, PictureQueue& queue, const ProjectToPack& project, const PackOptions& options,
                  const std::string& head, const std::vector<uint64_t>& sizes, const std::vector<long>& jobOfFile) {
  WritePlayer(stream, options);
  stream.Write(head);
  InputBytes bytes;
  for (size_t i = 0; i < project.files.size(); ++i) {
    if (jobOfFile[i] < 0) {
      stream.Write(EntryLength(sizes[i]));
      stream.Append(project.files[i].path, sizes[i]);
      continue;
    }
    const PictureJob& job = queue.Take(size_t(jobOfFile[i]), &bytes);
    if (!job.error.empty() || job.result.changed || !ExtensionFits(project.files[i].name, job.result.storedKind) ||
        bytes.size != sizes[i]) {
      queue.StopHanding();
      return false;
    }
    stream.Write(EntryLength(sizes[i]));
    stream.Write(bytes.view());
  }
  stream.Write(EntryLength(project.uiDescription.size()));
  stream.Write(project.uiDescription);
  return true;
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
    jobs.push_back({i, files[i].path, {}, {}});
  }
  std::vector<size_t> listedOrder;
  for (size_t i : listedFiles) listedOrder.push_back(size_t(jobOfFile[i]));

  // The saver as it is when every picture can be stored as it is, which is what a
  // folder of camera photos gives: written while the pictures are checked.
  std::string guessedHead;
  std::vector<uint64_t> sizes(files.size());
  bool guessable = true;
  for (size_t i = 0; i < files.size() && guessable; ++i) guessable = RegularFileSize(files[i].path, sizes[i]);
  if (guessable) {
    ProjectToPack guess = project;
    FillInTexts(guess, jobs, listedOrder, {});
    try {
      guessedHead = ProjectHead(SettingsEntries(guess, options), NamesText(files, {}), sizes);
    } catch (const std::runtime_error&) {
      guessable = false;  // too large: said below
    }
  }

  AtomicFile out(output);
  SaverStream stream(::fileno(out.stream()), output);
  bool streamed = false;
  {
    PictureQueue queue(jobs);
    if (guessable) streamed = StreamAsItIs(stream, queue, project, options, guessedHead, sizes, jobOfFile);
    queue.Finish();
  }

  std::set<size_t> dropped;
  std::map<std::string, std::string> renamed;  // listed name -> stored name
  std::set<std::string> removedNames;
  std::vector<std::string> leftOut;
  std::set<std::string> soundNames;  // bare names of the packaged pictures' sounds
  std::map<size_t, std::string> replacements;
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
    if (r.changed) replacements[job.file] = std::move(job.result.replacement);
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

  // The container: settings texts, names, files, UI description. Unless the saver
  // written while checking already is it, it is written again.
  std::vector<uint64_t> storedSizes;
  for (size_t i = 0; i < files.size(); ++i) {
    if (dropped.count(i)) continue;
    auto rep = replacements.find(i);
    if (rep != replacements.end()) storedSizes.push_back(rep->second.size());
    else if (!RegularFileSize(files[i].path, sizes[i])) throw FileError(files[i].path, "cannot be read");
    else storedSizes.push_back(sizes[i]);
  }
  const std::string head = ProjectHead(SettingsEntries(project, options), NamesText(files, dropped), storedSizes);
  if (!streamed || !dropped.empty() || !replacements.empty() || head != guessedHead) {
    stream.Restart();
    WritePlayer(stream, options);
    stream.Write(head);
    for (size_t i = 0; i < files.size(); ++i) {
      if (dropped.count(i)) continue;
      auto rep = replacements.find(i);
      if (rep != replacements.end()) {
        stream.Write(EntryLength(rep->second.size()));
        stream.Write(rep->second);
      } else {
        stream.Write(EntryLength(sizes[i]));
        stream.Append(files[i].path, sizes[i]);
      }
    }
    stream.Write(EntryLength(project.uiDescription.size()));
    stream.Write(project.uiDescription);
  }
  out.Commit(options.noPlayer ? 0644 : 0755);

  for (const std::string& l : leftOut) Note("left out " + l);
  Note(output + " (" + std::to_string(files.size() - dropped.size()) + " files, " +
       std::to_string(jobs.size() - dropped.size()) + " pictures)");
}

}  // namespace tp::pack
