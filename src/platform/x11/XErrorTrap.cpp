#include "platform/x11/XErrorTrap.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace tp::x11 {
namespace {

using ErrorHandler = int (*)(::Display*, XErrorEvent*);

std::mutex g_mutex;
std::vector<std::pair<::Display*, int>> g_trapped;  // connection, first error since last take
ErrorHandler g_previous = nullptr;
bool g_installed = false;

int Record(::Display* dpy, XErrorEvent* event) {
  ErrorHandler previous = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    for (auto& [d, code] : g_trapped) {
      if (d == dpy) {
        if (code == Success) code = event->error_code;
        return 0;
      }
    }
    previous = g_previous;
  }
  return previous ? previous(dpy, event) : 0;
}

// Xlib prints its own message about a broken connection; one line of ours says it.
int QuietIoError(::Display*) { return 0; }

void OnIoErrorExit(::Display*, void* lost) { static_cast<std::atomic<bool>*>(lost)->store(true); }

}  // namespace

void TrapIoErrors(::Display* dpy, std::atomic<bool>* lost) {
  static std::once_flag installed;
  std::call_once(installed, [] { XSetIOErrorHandler(QuietIoError); });
  // Per connection, in place of the exit(1) that would tear the program down from inside
  // an Xlib call.
  XSetIOErrorExitHandler(dpy, OnIoErrorExit, lost);
}

void TrapErrors(::Display* dpy) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_installed) {
    g_previous = XSetErrorHandler(Record);
    g_installed = true;
  }
  g_trapped.emplace_back(dpy, Success);
}

void UntrapErrors(::Display* dpy) {
  std::lock_guard<std::mutex> lock(g_mutex);
  std::erase_if(g_trapped, [dpy](const auto& entry) { return entry.first == dpy; });
}

int SyncAndTakeError(::Display* dpy) {
  XSync(dpy, False);
  std::lock_guard<std::mutex> lock(g_mutex);
  for (auto& [d, code] : g_trapped) {
    if (d == dpy) return std::exchange(code, Success);
  }
  return Success;
}

}  // namespace tp::x11
