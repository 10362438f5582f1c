// Reading a saver's project in place (listing and unpacking): any file is either refused
// with an error or indexed into entries that lie inside the file, whose bytes read back
// in full.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "tidepool-pack/SaverLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in = tp::fuzz::InputFile("saver.bin", data, size);
  try {
    const tp::ContainerFile saver(in);
    const tp::pack::SaverLayout p = tp::pack::ReadSaverLayout(saver, in);
    if (p.files.size() > p.names.size()) __builtin_trap();
    const int sink = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    for (const tp::ContainerEntry& e : p.files) {
      if (e.offset < 0 || e.length < 0 || e.offset + e.length > int64_t(size)) __builtin_trap();
      if (saver.Read(e, 1 << 20).size() != size_t(e.length)) __builtin_trap();
      if (sink >= 0) saver.CopyTo(e, sink);
    }
    if (sink >= 0) ::close(sink);
  } catch (const std::exception&) {
    // Refused: no project, or a damaged one.
  }
  return 0;
}
