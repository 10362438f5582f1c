#include "platform/EventLog.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/Platform.h"

namespace tp {
namespace {
std::mutex g_mutex;
FILE* g_file = nullptr;
bool g_opened = false;

void OpenLocked() {
  if (g_opened) return;
  g_opened = true;
  const char* path = std::getenv("TIDEPOOL_EVENT_LOG");
  if (path && *path) g_file = std::fopen(path, "a");
}
}  // namespace

std::string EscapeForLog(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

void LogEvent(std::string_view kind, std::string_view details) {
  std::lock_guard<std::mutex> lock(g_mutex);
  OpenLocked();
  if (!g_file) return;
  unsigned long t = HasPlatform() ? (unsigned long)CurrentPlatform().clock().Tick() : 0ul;
  std::string line = std::to_string(t);
  line += ' ';
  line.append(kind);
  if (!details.empty()) {
    line += ' ';
    line += EscapeForLog(details);
  }
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), g_file);
  std::fflush(g_file);
}

void ResetEventLog() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_file) std::fclose(g_file);
  g_file = nullptr;
  g_opened = false;
}

}  // namespace tp
