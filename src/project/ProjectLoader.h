#pragma once
// Unpacking the project appended to the saver into this run's extraction folder, and
// removing it again.
#include <string>

#include "project/ProjectSettings.h"

namespace tp {

// The saver file whose project this process plays (CurrentRun().saverPath).
void SetSaverPath(const std::string& longPath);
const std::string& SaverPath();

// The canonical path of the running executable (/proc/self/exe).
std::string ExecutablePath();
// The long form of a path: its canonical absolute path, or "" when it does not exist.
std::string LongPathName(const std::string& path);

// Taken once per process: the millisecond tick count modulo 10000.
int RunNumber();

// Temporary directory + the saver's file name cut at its first "." + a run number + "/".
// Created on the first call, exclusively and with mode 0700; when that name exists
// already the next run number is tried, so a folder this process did not create is never
// used. Later calls give the same path. "" when no folder could be created.
std::string ExtractionFolderPath();

// Unpacks the project appended to saverPath into the extraction folder and fills the
// project; file references then point into the folder. Returns false (and creates
// nothing) when the file holds no project container.
bool UnpackProject(TMpCProject& project, const std::string& saverPath);

// Deletes the files UnpackProject wrote and the extraction folder.
void RemoveUnpackedProject(TMpCProject& project);

// Names of the unpacked top-level entries.
inline constexpr const char* kSettingsContainerName = "MpC.res";
inline constexpr const char* kFileNamesName = "MpFilenames.res";
inline constexpr const char* kFilesContainerName = "MpFiles.res";
inline constexpr const char* kUiDescriptionName = "MpGUI.mui";

}  // namespace tp
