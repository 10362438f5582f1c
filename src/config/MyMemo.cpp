#include "config/MyMemo.h"

namespace tp {

TMyMemo::TMyMemo(QWidget* parent) : QPlainTextEdit(parent) {}

QString TMyMemo::Text() const {
  QString t = toPlainText();
  t.replace('\n', "\r\n");
  return t;
}

void TMyMemo::SetText(const QString& text) {
  QString t = text;
  t.replace("\r\n", "\n");
  t.replace('\r', '\n');
  setPlainText(t);
}

}  // namespace tp
