#include "platform/qt/QtRunLoop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

namespace tp {

void QtRunLoop::PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtRunLoop::WaitMessage() {
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
