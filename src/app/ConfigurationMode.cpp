// Mode C: the configuration window.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QWidget>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdlib.h>
#include <vector>

#include "animation/ObjectFiles.h"
#include "app/ComponentClick.h"
#include "app/RunModes.h"
#include "config/ConfigServices.h"
#include "config/MpConfigWindow.h"
#include "config/SettingWindow.h"
#include "core/Paths.h"
#include "core/TextUtil.h"
#include "platform/EventLog.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/TerminationSignals.h"
#include "platform/headless/HeadlessRunLoop.h"
#include "platform/headless/HeadlessScript.h"
#include "project/ContainerReader.h"
#include "project/ProjectLoader.h"
#include "project/UserSettings.h"
#include "saver/MpfmScrSvr.h"

namespace tp {
namespace {

constexpr const char* kMainWindow = "MainWindow";

bool HeadlessBackend() { return std::string_view(CurrentPlatform().Name()) == "headless"; }

// A script's close request (or the end of the run time) closes the window it reaches.
class CloseOnRequest : public InputHandler {
 public:
  explicit CloseOnRequest(QDialog& dialog) : dialog_(dialog) {}
  void OnMouseMove(int, int) override {}
  void OnMouseDown(MouseButton) override {}
  void OnKeyDown(int) override {}
  void OnKeyPress(char32_t) override {}
  void OnCloseRequest() override { dialog_.reject(); }
  QDialog& dialog() const { return dialog_; }

 private:
  QDialog& dialog_;
};

// The modal windows open now, innermost last.
std::vector<CloseOnRequest*>& OpenWindows() {
  static std::vector<CloseOnRequest*> windows;
  return windows;
}

// Under the headless backend the windows live on Qt's offscreen platform and the modal
// loop is ours: it pumps Qt and the headless run loop (script events, the virtual clock)
// until the window closes.
int HeadlessExec(QDialog& dialog) {
  Platform& platform = CurrentPlatform();
  auto* loop = dynamic_cast<HeadlessRunLoop*>(&platform.runLoop());
  CloseOnRequest handler(dialog);
  OpenWindows().push_back(&handler);
  if (loop) loop->SetInputHandler(&handler);
  dialog.setModal(true);
  dialog.show();
  while (dialog.isVisible()) {
    // A termination signal closes the window as on the desktop.
    if (TerminationRequested()) dialog.reject();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    platform.runLoop().PumpMessages();
    if (!dialog.isVisible()) break;
    platform.runLoop().WaitMessage();
  }
  OpenWindows().pop_back();
  if (loop) {
    loop->ClearInputHandler(&handler);
    // Input goes back to the window below.
    if (!OpenWindows().empty()) loop->SetInputHandler(OpenWindows().back());
  }
  return dialog.result();
}

// True while a show started from the window is on top.
bool& ShowRunning() {
  static bool running = false;
  return running;
}

// "at T click-on NAME [X Y]": a left click on the named component of the topmost window.
bool ClickOn(const ScriptEvent& e) {
  if (!EqualsIgnoreCase(e.command, "click-on")) return false;
  if (ShowRunning()) {
    std::fprintf(stderr, "tidepool: script line %d: click-on while the show is on top\n", e.line);
    return true;
  }
  // NAME, optionally followed by X Y within the component.
  const QStringList words = QString::fromStdString(Trim(e.arguments)).split(' ', Qt::SkipEmptyParts);
  std::optional<QPoint> at;
  bool okX = false, okY = false;
  if (words.size() == 3) at = QPoint(words[1].toInt(&okX), words[2].toInt(&okY));
  if (words.isEmpty() || words.size() == 2 || words.size() > 3 || (at && !(okX && okY))) {
    std::fprintf(stderr, "tidepool: script line %d: expected 'click-on NAME [X Y]'\n", e.line);
    return true;
  }
  const QString name = words[0];
  const ComponentClick click = OpenWindows().empty() ? ComponentClick()
                                                     : ClickComponent(OpenWindows().back()->dialog(), name, at);
  const std::string nameText = name.toStdString();
  switch (click.outcome) {
    case ComponentClick::Outcome::NotFound:
      std::fprintf(stderr, "tidepool: script line %d: no component \"%s\" in the top window\n", e.line,
                   nameText.c_str());
      break;
    case ComponentClick::Outcome::Hidden:
      std::fprintf(stderr, "tidepool: script line %d: component \"%s\" is hidden; not clicked\n", e.line,
                   nameText.c_str());
      break;
    case ComponentClick::Outcome::Clicked:
      LogEvent("click-on", nameText);
      if (!click.onTarget)
        std::fprintf(stderr, "tidepool: script line %d: \"%s\" is covered; the click went to \"%s\"\n",
                     e.line, nameText.c_str(), click.receiver->objectName().toStdString().c_str());
      break;
  }
  return true;
}

// A termination signal closes the open windows, innermost first, so that the window writes
// its settings and the unpacked project is removed as after any close.
void CloseAllWindows() {
  for (int guard = 0; guard < 64; ++guard) {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) break;
    dialog->reject();
  }
}

std::unique_ptr<TerminationSignals>& WindowSignals() {
  static std::unique_ptr<TerminationSignals> watcher;
  return watcher;
}

void WatchTerminationSignals() {
  WindowSignals() = std::make_unique<TerminationSignals>([] {
    QMetaObject::invokeMethod(qApp, &CloseAllWindows, Qt::QueuedConnection);
  });
}

// A one-picture show started from the window (action 4), as mode S runs its show.
void RunSaverOn(const TMpCProject& project, const AppOptions& options) {
  // The show watches the termination signals itself while it runs.
  WindowSignals().reset();
  const SaverProject saver = MakeSaverProject(project);
  SetObjectCommonFolder(saver.commonFolder);
  TMpfmScrSvr window(saver, CurrentPlatform(), SaverDisplayOptions(options, project));
  ShowRunning() = true;
  window.ShowModal();
  ShowRunning() = false;
  if (!HeadlessBackend()) WatchTerminationSignals();
  // The show took the headless input for its own window; the configuration window gets it back.
  if (auto* loop = dynamic_cast<HeadlessRunLoop*>(&CurrentPlatform().runLoop()); loop && !OpenWindows().empty())
    loop->SetInputHandler(OpenWindows().back());
}

ConfigServices ServicesFor(const AppState& state) {
  ConfigServices services = ConfigServices::Default();
  const AppOptions options = state.options;
  services.runSaver = [options](const TMpCProject& project) { RunSaverOn(project, options); };
  if (HeadlessBackend()) {
    services.exec = HeadlessExec;
    services.chooseMusicFile = [](QWidget*) { return QString(); };  // no file dialog without a desktop
  }
  return services;
}

// Without a usable main window the user can still change the settings.
void ShowSettingsOnly(AppState& state, const ConfigServices& services) {
  TfmSettingWindow dialog;
  UserSettingsValues values;
  const bool readable = ReadUserSettings(state.project, values);
  dialog.SetValues(values);
  dialog.SetOkEnabled(readable);
  dialog.chooseFile = services.chooseMusicFile;
  if (services.exec(dialog) != QDialog::Accepted || !readable) return;
  std::string error;
  if (auto chosen = dialog.Values(&error)) {
    if (WriteUserSettings(*chosen)) LogEvent("settings-written");
  } else if (services.inform) {
    services.inform(error);
  }
}

// Qt wants a private runtime folder; a headless run without one gets a temporary folder
// of its own, removed again at the end, so the run leaves nothing behind.
class TemporaryRuntimeFolder {
 public:
  TemporaryRuntimeFolder() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
    std::string pattern = JoinPath(TempDirectory(), "tidepool-runtime-XXXXXX");
    if (!::mkdtemp(pattern.data())) return;
    path_ = QString::fromStdString(pattern);
    qputenv("XDG_RUNTIME_DIR", path_.toLocal8Bit());
  }
  ~TemporaryRuntimeFolder() {
    if (path_.isEmpty()) return;
    QDir(path_).removeRecursively();
    qunsetenv("XDG_RUNTIME_DIR");
  }

 private:
  QString path_;
};

void ShowConfiguration(AppState& state) {
  RunWithConfigurationServices(state, [&](const ConfigServices& services) {
    bool shown = false;
    if (state.forms.FindForm(kMainWindow)) {
      shown = ShowUiForm(state.forms, state.project, kMainWindow, services);
    } else {
      std::fprintf(stderr, "tidepool: the saver has no configuration window (no form \"%s\")\n", kMainWindow);
    }
    if (!shown) ShowSettingsOnly(state, services);
  });
}

// Whether a file dialog can be answered here: a desktop backend on a real window system
// (the offscreen and minimal platforms have no one to answer it).
bool CanAskForAFile() {
  if (HeadlessBackend() || !QApplication::instance()) return false;
  const QString platform = QGuiApplication::platformName();
  return platform != "offscreen" && platform != "minimal";
}

// The bare player holds no saver: ask the user for one with the desktop's file dialog.
// Empty when the user cancels.
std::string AskForSaverFile() {
  LogEvent("ask-saver-file");
  const QString chosen = QFileDialog::getOpenFileName(nullptr, QStringLiteral("Open a screensaver"), QDir::homePath(),
                                                      QStringLiteral("Screensavers (*.scr *.SCR);;All files (*)"));
  return chosen.toStdString();
}

}  // namespace

void RunWithConfigurationServices(const AppState& state, const std::function<void(const ConfigServices&)>& body) {
  std::optional<TemporaryRuntimeFolder> runtimeFolder;
  if (HeadlessBackend()) runtimeFolder.emplace();
  std::unique_ptr<QApplication> ownApp;
  static int argc = 1;
  static char name[] = "tidepool";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) {
    if (HeadlessBackend() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ownApp = std::make_unique<QApplication>(argc, argv);
  }
  const ConfigServices services = ServicesFor(state);
  if (HeadlessBackend()) SetScriptCommandHook(ClickOn);
  if (!HeadlessBackend()) WatchTerminationSignals();
  struct StopWatching {
    ~StopWatching() {
      WindowSignals().reset();
      if (HeadlessBackend()) SetScriptCommandHook(nullptr);
    }
  } stopWatching;
  body(services);
}

void RunConfiguration(AppState& state) {
  if (state.options.projectFile.empty() && !FindSectionMarker(SaverPath()).found && CanAskForAFile()) {
    const std::string chosen = AskForSaverFile();
    if (chosen.empty()) return;
    LogEvent("saver-chosen", chosen);
    SetSaverPath(LongPathName(chosen));
  }
  WithUnpackedProject(state, [&] { ShowConfiguration(state); });
}

}  // namespace tp
