#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/RunModes.h"
#include "platform/EventLog.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "project/ProjectLoader.h"
#include "project/RunContext.h"

#if __has_include("platform/qt/QtPlatform.h") && defined(TIDEPOOL_HAVE_QT)
#include "platform/qt/QtPlatform.h"
#define TIDEPOOL_QT_BACKEND 1
#endif

namespace tp {
namespace {

// TIDEPOOL_PLATFORM=headless selects the headless backend, anything else the desktop.
std::unique_ptr<Platform> CreateBackend(int& argc, char** argv) {
  const char* name = std::getenv("TIDEPOOL_PLATFORM");
  if (name && std::string(name) == "headless") return CreateHeadlessPlatform();
#ifdef TIDEPOOL_QT_BACKEND
  return CreateQtPlatform(argc, argv);
#else
  (void)argc;
  (void)argv;
  return CreateHeadlessPlatform();
#endif
}

int Exit(int code) {
  LogEvent("exit", std::to_string(code));
  return code;
}

}  // namespace

int RunMain(int argc, char** argv) {
  AppState state;
  state.options = ParseCommandLine(argc, argv);
  for (const std::string& e : state.options.errors) std::fprintf(stderr, "tidepool: %s\n", e.c_str());

  CurrentRun().firstArgument = state.options.firstArgument;
  SetSaverPath(state.options.projectFile.empty() ? ExecutablePath() : LongPathName(state.options.projectFile));
  if (!state.options.projectFile.empty() && SaverPath().empty())
    std::fprintf(stderr, "tidepool: cannot open %s\n", state.options.projectFile.c_str());

  const RunMode mode = SelectRunMode(state.options.runSwitch);
  if (mode == RunMode::Password) {
    ChangePassword(state);
    return Exit(0);
  }
  InstallPlatform(CreateBackend(argc, argv));
  switch (mode) {
    case RunMode::Saver: RunSaver(state); break;
    case RunMode::Configuration: RunConfiguration(state); break;
    case RunMode::Preview: RunPreviewMode(state); break;
    case RunMode::Password:
    case RunMode::None: break;
  }
  int code = Exit(0);
  UninstallPlatform();
  return code;
}

}  // namespace tp
