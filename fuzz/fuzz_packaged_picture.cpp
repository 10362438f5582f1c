// Packaged picture reader: any input loads or is refused; nothing is allocated from a
// length the input gives beyond what it holds.
#include <cstddef>
#include <cstdint>

#include "project/PackagedPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tp::TProject project;
  if (project.LoadPackagedPictureFrom(data, size, "fuzz.mpp")) {
    // What the engine relies on after a load.
    if (!project.areaMask.empty()) {
      volatile int area = tp::AreaOfMaskColor(project.areaMask.at(project.areaMask.width() - 1,
                                                                  project.areaMask.height() - 1));
      (void)area;
    }
    volatile int used = project.UsedSoundSlots();
    (void)used;
  }
  return 0;
}
