#pragma once
// The project of a saver as the player reads it, found in place through the container
// reader: the three settings texts, the fourth settings entry, the file-name lines with
// the matching files, and the UI description. Throws FileError when the saver cannot be
// read or its containers are damaged.
#include <string>
#include <vector>

#include "project/ContainerReader.h"

namespace tp::pack {

struct SaverLayout {
  int settingsCount = 0;  // the player reads the texts only when it is 3 or 4
  std::string fileList, settings, ui;
  bool hasBuildEntry = false;
  std::string buildEntry;
  std::vector<std::string> names;     // lines of the file-name list
  std::vector<ContainerEntry> files;  // files[k] for names[k] (fewer when the container has fewer)
  bool hasUiDescription = false;
  ContainerEntry uiDescription;
};

// The saver at path opened for reading in place; throws FileError.
ContainerFile OpenSaver(const std::string& path);

SaverLayout ReadSaverLayout(const ContainerFile& saver, const std::string& path);

}  // namespace tp::pack
