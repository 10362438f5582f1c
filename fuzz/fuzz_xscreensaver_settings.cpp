// The picture folder named by an ~/.xscreensaver file: any text gives an absolute folder
// or none, never a folder holding a NUL or a line break.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "library/DefaultFolders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > tp::kMaxFolderSettingsBytes) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (std::string_view home : {std::string_view("/home/u"), std::string_view()}) {
    const std::string folder = tp::ParseXScreenSaverImageDirectory(text, home);
    if (folder.empty()) continue;
    if (folder.front() != '/') __builtin_trap();
    if (folder.find('\0') != std::string::npos || folder.find('\n') != std::string::npos) __builtin_trap();
  }
  return 0;
}
