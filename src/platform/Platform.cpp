#include "platform/Platform.h"

#include <cstdlib>
#include <cstdio>
#include <utility>

namespace tp {
namespace {
// A plain pointer: a library that calls exit() (Xlib or the toolkit on a lost display
// connection) must not have the platform torn down under its live windows by static
// destructors. The entry point uninstalls it at the ordinary end.
Platform* g_platform = nullptr;
}

Platform& CurrentPlatform() {
  if (!g_platform) {
    std::fputs("tidepool: no platform backend installed\n", stderr);
    std::abort();
  }
  return *g_platform;
}

bool HasPlatform() { return g_platform != nullptr; }

void InstallPlatform(std::unique_ptr<Platform> platform) {
  delete g_platform;
  g_platform = platform.release();
}

std::unique_ptr<Platform> UninstallPlatform() { return std::unique_ptr<Platform>(std::exchange(g_platform, nullptr)); }

}  // namespace tp
