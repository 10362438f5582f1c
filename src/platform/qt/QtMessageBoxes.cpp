#include "platform/qt/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include "platform/EventLog.h"
#include "platform/TerminationSignals.h"

namespace tp {

bool QtMessageBoxes::Show(MessageKind kind, const std::string& text) {
  const char* kindName = kind == MessageKind::Info ? "info" : kind == MessageKind::Error ? "error" : "confirm";
  LogEvent("message", std::string(kindName) + " " + text);
  // The texts carry CR LF line ends; Qt shows a bare LF as the line break.
  QString message = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  message.remove(QChar('\r'));
  const std::string appTitle = ApplicationTitle();
  QString title = appTitle.empty() ? QApplication::applicationDisplayName() : QString::fromStdString(appTitle);
  // A run asked to end shows no more messages, and one on screen closes.
  if (TerminationRequested()) return false;
  TerminationSignals closeOnSignal([] {
    QMetaObject::invokeMethod(qApp, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->reject();
    }, Qt::QueuedConnection);
  });
  switch (kind) {
    case MessageKind::Info:
      QMessageBox::information(nullptr, title, message, QMessageBox::Ok);
      return true;
    case MessageKind::Error:
      QMessageBox::critical(nullptr, title, message, QMessageBox::Ok);
      return true;
    case MessageKind::Confirm:
      return QMessageBox::question(nullptr, title, message, QMessageBox::Yes | QMessageBox::No,
                                   QMessageBox::No) == QMessageBox::Yes;
  }
  return false;
}

}  // namespace tp
