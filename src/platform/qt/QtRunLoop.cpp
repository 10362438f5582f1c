#include "platform/qt/QtRunLoop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMetaObject>

#include <cstdio>

#include "platform/TerminationSignals.h"

#ifdef TIDEPOOL_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace tp {
namespace {

// True when the toolkit's connection to the X server has broken (the server went away).
bool XConnectionBroken() {
#ifdef TIDEPOOL_HAVE_XCB
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  return connection && xcb_connection_has_error(connection) != 0;
#else
  return false;
#endif
}

}  // namespace

bool QtRunLoop::ConnectionLost() {
  if (lost_) return true;
  if (!XConnectionBroken()) return false;
  // Qt would end the process from its next round of events, past every clean-up; so no
  // events are processed any more, and the run ends as on a termination signal.
  lost_ = true;
  std::fputs("tidepool: the connection to the display was lost\n", stderr);
  RequestTermination();
  return true;
}

void QtRunLoop::PumpMessages() {
  if (ConnectionLost()) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtRunLoop::WaitMessage() {
  if (ConnectionLost()) return;
  // Blocks until an event arrives, but never longer than a frame time.
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 33);
}

void QtRunLoop::Post(std::function<void()> fn) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  // A queued invocation on the application object runs on the UI thread at the next pump.
  QMetaObject::invokeMethod(app, [fn = std::move(fn)]() { fn(); }, Qt::QueuedConnection);
}

}  // namespace tp
