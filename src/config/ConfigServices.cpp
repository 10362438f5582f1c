#include "config/ConfigServices.h"

#include <QDialog>
#include <QFileDialog>

#include "config/SettingWindow.h"
#include "platform/Platform.h"

namespace tp {

ConfigServices ConfigServices::Default() {
  ConfigServices s;
  s.confirm = [](const std::string& text) {
    return HasPlatform() && CurrentPlatform().messageBoxes().Show(MessageKind::Confirm, text);
  };
  s.inform = [](const std::string& text) {
    if (HasPlatform()) CurrentPlatform().messageBoxes().Show(MessageKind::Error, text);
  };
  s.notify = [](const std::string& text) {
    if (HasPlatform()) CurrentPlatform().messageBoxes().Show(MessageKind::Info, text);
  };
  s.open = [](const std::string& target) { return HasPlatform() && CurrentPlatform().shell().Open(target); };
  s.setWallpaper = [](const std::string& path) {
    return HasPlatform() && CurrentPlatform().desktop().SetWallpaper(path);
  };
  s.exec = [](QDialog& dialog) {
    // Modal to its own parents only, so that a window opened from it (the full-screen
    // show of one picture) still receives input.
    dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec();
  };
  s.chooseMusicFile = [](QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);  // the file must exist
    dialog.setNameFilter(QtFileFilter(kMusicFileFilter));
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().front();
  };
  return s;
}

}  // namespace tp
