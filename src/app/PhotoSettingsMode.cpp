// The folder show's mode C: its settings dialog, written to pictures.ini on OK.
#include <QDialog>

#include "app/RunModes.h"
#include "config/ConfigServices.h"
#include "config/PhotoSettingsDialog.h"
#include "platform/EventLog.h"
#include "platform/Platform.h"

namespace tp {

void RunPhotoSettings(AppState& state) {
  RunWithConfigurationServices(state, [&](const ConfigServices& services) {
    const std::string path = PhotoSettingsPath();
    TPhotoSettingsDialog dialog;
    dialog.SetValues(LoadPhotoSettings(path));
    if (std::string_view(CurrentPlatform().Name()) == "headless") {
      // No file dialog without a desktop.
      dialog.chooseFolder = [](QWidget*) { return QString(); };
      dialog.chooseMusic = [](QWidget*) { return QString(); };
    }
    LogEvent("form-shown", dialog.objectName().toStdString());
    if (services.exec(dialog) != QDialog::Accepted) return;
    if (SavePhotoSettings(path, dialog.Values())) {
      LogEvent("settings-written", path);
    } else if (services.inform) {
      services.inform("The settings could not be written to " + path + ".");
    }
  });
}

}  // namespace tp
