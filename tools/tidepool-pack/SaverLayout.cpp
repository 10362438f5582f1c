#include "tidepool-pack/SaverLayout.h"

#include "core/TextUtil.h"
#include "tidepool-pack/PackCommand.h"

namespace tp::pack {
namespace {

constexpr int64_t kMaxTextBytes = 16 << 20;

}  // namespace

ContainerFile OpenSaver(const std::string& path) {
  try {
    return ContainerFile(path);
  } catch (const ContainerError& e) {
    throw FileError(path, e.what());
  }
}

SaverLayout ReadSaverLayout(const ContainerFile& saver, const std::string& path) {
  try {
    SaverLayout p;
    const std::vector<ContainerEntry> top = saver.Top();
    if (top.size() < 3) throw FileError(path, "holds no complete screensaver project");
    const std::vector<ContainerEntry> settings = saver.Nested(top[0]);
    p.settingsCount = int(settings.size());
    if (settings.size() == 3 || settings.size() == 4) {
      p.fileList = saver.Read(settings[0], kMaxTextBytes);
      p.settings = saver.Read(settings[1], kMaxTextBytes);
      p.ui = saver.Read(settings[2], kMaxTextBytes);
      if (settings.size() == 4) {
        p.hasBuildEntry = true;
        p.buildEntry = saver.Read(settings[3], kMaxTextBytes);
      }
    }
    p.names = SplitLines(saver.Read(top[1], kMaxTextBytes));
    std::vector<ContainerEntry> files = saver.Nested(top[2]);
    if (files.size() > p.names.size()) files.resize(p.names.size());  // the player reads no further
    p.files = std::move(files);
    if (top.size() >= 4) {
      p.hasUiDescription = true;
      p.uiDescription = top[3];
    }
    return p;
  } catch (const ContainerError& e) {
    throw FileError(path, e.what());
  }
}

}  // namespace tp::pack
