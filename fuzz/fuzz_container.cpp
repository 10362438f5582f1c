// The container reader: any file either holds no marker or extracts its entries into
// the given outputs only; the settings container reader then fills the project.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/FileSystem.h"
#include "FuzzSupport.h"
#include "project/ContainerReader.h"
#include "project/ProjectSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in = tp::fuzz::InputFile("container.bin", data, size);
  const std::string dir = tp::fuzz::ScratchFolder();
  const std::vector<std::string> outs = {dir + "out1", dir + "out2", "", dir + "out4"};
  for (const std::string& o : outs)
    if (!o.empty()) tp::RemoveFile(o);
  const tp::SectionMarker marker = tp::FindSectionMarker(in);
  tp::ExtractEntries(in, outs);
  // Nothing is extracted from a file without a marker, and no entry is larger than the input.
  for (const std::string& o : outs) {
    if (o.empty()) continue;
    std::string bytes;
    const bool exists = tp::ReadFile(o, bytes);
    if (exists && !marker.found) __builtin_trap();
    if (bytes.size() > size) __builtin_trap();
  }
  tp::TMpCProject project;
  project.LoadSettingsContainer(in, dir);
  if (project.fileList.pictures.size() != project.fileList.selected.size()) __builtin_trap();
  return 0;
}
