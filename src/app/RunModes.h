#pragma once
// The run modes and the state they share for the whole process.
#include <functional>
#include <memory>

#include "app/AppOptions.h"
#include "project/ProjectSettings.h"
#include "project/UiDescription.h"
#include "platform/Display.h"
#include "saver/RunSettings.h"

namespace tp {

struct ConfigServices;

struct AppState {
  AppOptions options;
  TMpCProject project;
  TMpForms forms;
  bool projectFound = false;  // set by PrepareProject
};

enum class RunMode { None, Saver, Configuration, Preview, Password };
// S, C (or no switch), P, A forms: "/X", "-X" or the single letter.
RunMode SelectRunMode(const std::string& runSwitch);

// Unpacks the project of the saver file and loads its UI description. False when the
// file holds no project.
bool PrepareProject(AppState& state);
// Modes S and C: PrepareProject, then mode, then the unpacked files are removed (also when
// mode throws). A file without a project shows kNoProjectMessage instead.
void WithUnpackedProject(AppState& state, const std::function<void()>& mode);
void RunSaver(AppState& state);
// Sets up what the configuration windows need (the toolkit, the headless script's clicks,
// closing on a termination signal) around body.
void RunWithConfigurationServices(const AppState& state, const std::function<void(const ConfigServices&)>& body);
// The folder show (--pictures): modes S, C and P.
void RunPhotoShow(AppState& state);
void RunPhotoSettings(AppState& state);
void RunPhotoPreview(AppState& state);
void RunConfiguration(AppState& state);
void RunPreviewMode(AppState& state);
// There is no password-change function on Linux: ends without effect.
void ChangePassword(AppState& state);

// What the saver window reads of the project (after the user settings were laid over it).
SaverProject MakeSaverProject(const TMpCProject& project);
// The saver window of mode S: full screen unless --window, every screen with --all-screens,
// titled with the saver's product name.
DisplayOptions SaverDisplayOptions(const AppOptions& options, const TMpCProject& project);

// The message shown in modes S and C when the saver file carries no project.
inline constexpr const char* kNoProjectMessage = "This file contains no screensaver project.";
inline constexpr const char* kNoImageMessage = "This screensaver does not contain any image.";

// The whole entry point; returns the exit code.
int RunMain(int argc, char** argv);

}  // namespace tp
