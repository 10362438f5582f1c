#pragma once
// Xlib reports protocol errors through one process-wide handler whose default ends the
// process. Our connections register here instead: their errors are recorded and read
// back after a sync, errors of other connections go to the handler that was there before.
// Internal to platform/x11; includes Xlib.
#include <X11/Xlib.h>

#include <atomic>

namespace tp::x11 {

// Starts recording errors for dpy (installs the process-wide handler on first use).
void TrapErrors(::Display* dpy);
// Stops recording for dpy (before XCloseDisplay).
void UntrapErrors(::Display* dpy);
// A broken connection (the server went away) sets *lost instead of ending the process, as
// Xlib would; the connection's calls then fail at once. lost must outlive dpy.
void TrapIoErrors(::Display* dpy, std::atomic<bool>* lost);
// XSync, then the error code of the first request that failed since the last call
// (Success when none did).
int SyncAndTakeError(::Display* dpy);

}  // namespace tp::x11
