// --list: what a saver holds — product name, pictures with their size and kind, the
// settings in effect, music, the UI description and the sizes — read in place.
#include <cinttypes>
#include <cstdio>
#include <map>

#include "core/CodePage.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/TextUtil.h"
#include "project/ProjectSettings.h"
#include "project/UiDescription.h"
#include "tidepool-pack/PackCommand.h"
#include "tidepool-pack/PictureCheck.h"
#include "tidepool-pack/SaverLayout.h"

namespace tp::pack {
namespace {

constexpr int64_t kMaxPictureBytes = 512 << 20;
constexpr int64_t kMaxUiBytes = 64 << 20;

std::string Megabytes(int64_t bytes) {
  char buf[32];
  if (bytes < 1024 * 1024) std::snprintf(buf, sizeof buf, "%.1f KB", double(bytes) / 1024.0);
  else std::snprintf(buf, sizeof buf, "%.1f MB", double(bytes) / (1024.0 * 1024.0));
  return buf;
}

const char* Flag(bool b) { return b ? "1" : "0"; }

void PrintSettings(const TMpCSetting& s) {
  std::printf("Settings in effect:\n");
  std::printf("  [General] ProductName=%s Publisher=%s Website=%s\n", s.ProductName.c_str(), s.Publisher.c_str(),
              s.Website.c_str());
  std::printf("  [Default] Stretch=%s Proportional=%s Sound=%s Music=%s Random=%s Duration=%d\n", Flag(s.Stretch),
              Flag(s.Proportional), Flag(s.Sound), Flag(s.Music), Flag(s.Random), int(s.Duration));
  std::printf("            Transition=%s TransitionTime=%d Speed=%d ShowImageMode=%d DirectX=%s DirectXQuality=%d\n",
              Flag(s.Transition), int(s.TransitionTime), int(s.Speed), int(s.ShowImageMode), Flag(s.DirectX),
              int(s.DirectXQuality));
  std::printf("            Zoom=%s LivingZoom=%s ZoomDuration=%d AutoWallpaper=%s Animation=%s\n", Flag(s.Zoom),
              Flag(s.LivingZoom), int(s.ZoomDuration), Flag(s.AutoWallpaper), Flag(s.Animation));
  std::printf("            TransitionEffects=%s\n",
              s.TransitionEffects == AllTransitionEffects() ? "all (1-169)" : s.TransitionEffects.c_str());
  std::printf("  [Advance] MusicFile=%s MusicMode=%d PreviewFile=%s\n", s.MusicFile.c_str(), int(s.MusicMode),
              s.PreviewFile.c_str());
}

int List(const Arguments& args) {
  if (!args.positional.empty()) throw UsageError("expected --list SAVER.scr");
  const std::string path = args.Value("--list");
  const ContainerFile saver = OpenSaver(path);
  const SaverLayout p = ReadSaverLayout(saver, path);

  // The settings as the player reads them (texts held as UTF-8).
  TMpCProject project;
  project.fileList.Read(IniFile::Parse(Cp1252ToUtf8(p.fileList)));
  project.setting.Read(IniFile::Parse(Cp1252ToUtf8(p.settings)));
  project.uiSetting.Read(IniFile::Parse(Cp1252ToUtf8(p.ui)));
  const TMpCSetting& s = project.setting;

  // Files by bare name; a later file of the same name replaces an earlier one.
  std::map<std::string, size_t> byName;
  int64_t filesBytes = 0;
  for (size_t k = 0; k < p.files.size(); ++k) {
    byName[UpperAscii(Cp1252ToUtf8(BareFileName(p.names[k])))] = k;
    filesBytes += p.files[k].length;
  }

  std::printf("Product: %s\n", s.ProductName.c_str());
  if (p.settingsCount != 3 && p.settingsCount != 4)
    std::printf("(the settings container holds %d entries: the player reads no settings)\n", p.settingsCount);
  std::printf("Pictures: %zu\n", project.fileList.Count());
  for (size_t i = 0; i < project.fileList.Count(); ++i) {
    const std::string& name = project.fileList.pictures[i];
    std::string what;
    auto it = byName.find(UpperAscii(BareFileName(name)));
    if (it == byName.end()) {
      what = "missing from the saver";
    } else {
      const ContainerEntry& e = p.files[it->second];
      try {
        const CheckedPicture c = DescribePicture(saver.Read(e, kMaxPictureBytes));
        what = std::to_string(c.width) + " x " + std::to_string(c.height) + "  " + KindName(c.kind) + "  " + Megabytes(e.length);
        if (!PlayerReads(c.kind)) what += "  (the player cannot show it)";
      } catch (const std::exception& ex) {
        what = std::string("unreadable: ") + ex.what() + "  " + Megabytes(e.length);
      }
    }
    std::printf("  %s  %s%s\n", name.c_str(), what.c_str(), project.fileList.IsSelected(i) ? "" : "  (not selected)");
  }
  PrintSettings(s);

  std::printf("Music: %s", s.Music ? "on" : "off");
  if (s.MusicFile.empty()) std::printf(", no music files\n");
  else std::printf(", %s, %s\n", s.MusicFile.c_str(), s.MusicMode == 0 ? "random order" : "list order");

  if (!p.hasUiDescription || p.uiDescription.length == 0) {
    std::printf("UI description: none\n");
  } else {
    std::printf("UI description: %s", Megabytes(p.uiDescription.length).c_str());
    try {
      TMpForms forms;
      forms.LoadUiDescriptionText(saver.Read(p.uiDescription, kMaxUiBytes));
      std::printf(", %zu forms:", forms.Count());
      for (size_t i = 0; i < forms.Count(); ++i) std::printf(" %s", forms[i].Name.c_str());
      std::printf("\n");
    } catch (const std::exception& e) {
      std::printf(", unreadable (%s)\n", e.what());
    }
  }
  std::printf("Files: %zu, %s\n", p.files.size(), Megabytes(filesBytes).c_str());
  for (size_t k = 0; k < p.files.size(); ++k)
    std::printf("  %s  %s\n", Cp1252ToUtf8(p.names[k]).c_str(), Megabytes(p.files[k].length).c_str());
  std::printf("Total: project %s, saver %s\n", Megabytes(saver.size() - saver.projectOffset()).c_str(),
              Megabytes(saver.size()).c_str());
  return 0;
}

const PackCommandRegistrar kRegistrar({
    "--list",
    "  tidepool-pack --list SAVER.scr\n"
    "      print what the saver holds, without unpacking anything to disk\n",
    {"--list"},
    {},
    List,
});

}  // namespace
}  // namespace tp::pack
