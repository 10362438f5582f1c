#include "platform/Platform.h"

#include <cstdlib>
#include <cstdio>

namespace tp {
namespace {
std::unique_ptr<Platform> g_platform;
}

Platform& CurrentPlatform() {
  if (!g_platform) {
    std::fputs("tidepool: no platform backend installed\n", stderr);
    std::abort();
  }
  return *g_platform;
}

bool HasPlatform() { return g_platform != nullptr; }

void InstallPlatform(std::unique_ptr<Platform> platform) { g_platform = std::move(platform); }

std::unique_ptr<Platform> UninstallPlatform() { return std::move(g_platform); }

}  // namespace tp
