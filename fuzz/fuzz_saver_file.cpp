// A whole saver file played on the headless backend: unpacking, the project's settings,
// the user settings beside it, the first pictures and a short run of the show. Any file
// ends the run normally and leaves no extraction folder behind.
#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "app/RunModes.h"

namespace {

bool FolderIsEmpty(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return true;
  bool empty = true;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") empty = false;
  }
  ::closedir(dir);
  return empty;
}

}  // namespace

// Mode C is never asked for here; its window needs the desktop toolkit this build leaves out.
void tp::RunConfiguration(AppState&) {}
void tp::RunPhotoSettings(AppState&) {}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::setenv("TIDEPOOL_PLATFORM", "headless", 1);
  ::setenv("TIDEPOOL_SCREEN", "64x48", 1);
  ::setenv("TIDEPOOL_RUN_MS", "1200", 1);
  ::setenv("TIDEPOOL_AUDIO", "none", 1);
  ::unsetenv("TIDEPOOL_EVENT_LOG");
  ::unsetenv("TIDEPOOL_FRAME_LOG");
  ::unsetenv("TIDEPOOL_FRAMES_DIR");
  ::unsetenv("TIDEPOOL_REAL_CLOCK");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The show unpacks into a folder of its own under TMPDIR, removed when it ends.
  static const std::string unpackRoot = [] {
    const std::string root = tp::fuzz::ScratchFolder() + "unpack";
    ::mkdir(root.c_str(), 0700);
    ::setenv("TMPDIR", root.c_str(), 1);
    return root;
  }();
  const std::string saver = tp::fuzz::InputFile("Fuzz.scr", data, size);
  std::string program = "tidepool", projectOption = "--project", show = "/s";
  char* argv[] = {program.data(), projectOption.data(), const_cast<char*>(saver.c_str()), show.data(), nullptr};
  if (tp::RunMain(4, argv) != 0) __builtin_trap();
  if (!FolderIsEmpty(unpackRoot)) __builtin_trap();
  return 0;
}
