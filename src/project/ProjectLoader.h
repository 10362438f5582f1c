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

// Temporary directory + the saver's file name cut at its first "." + ".tidepool-" + six
// random characters + "/". Created on the first call (mkdtemp: a new folder, mode 0700)
// and locked for as long as the process lives; later calls give the same path until
// RemoveUnpackedProject. "" when no folder could be created.
std::string ExtractionFolderPath();

// Removes extraction folders that runs killed before their clean-up left in the temporary
// directory: only real folders (never links) named as above, owned by this user, private,
// older than a few seconds and not locked by a running process. Returns how many went.
int RemoveStaleExtractionFolders();

// Removes stale folders, then unpacks the project appended to saverPath into the
// extraction folder and fills the project; file references then point into the folder.
// Stops early when the program is asked to end. Returns false (and creates nothing) when
// the file holds no project container.
bool UnpackProject(TMpCProject& project, const std::string& saverPath);

// Deletes the extraction folder with everything in it; the next ExtractionFolderPath makes
// a new one.
void RemoveUnpackedProject(TMpCProject& project);

// Names of the unpacked top-level entries.
inline constexpr const char* kSettingsContainerName = "MpC.res";
inline constexpr const char* kFileNamesName = "MpFilenames.res";
inline constexpr const char* kFilesContainerName = "MpFiles.res";
inline constexpr const char* kUiDescriptionName = "MpGUI.mui";

}  // namespace tp
