#pragma once
// TMyMemo: a memo whose whole text is one property (all lines joined by line breaks).
#include <QPlainTextEdit>

namespace tp {

class TMyMemo : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit TMyMemo(QWidget* parent = nullptr);
  QString Text() const;
  void SetText(const QString& text);
};

}  // namespace tp
