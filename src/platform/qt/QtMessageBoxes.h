#pragma once
// Modal message boxes on QMessageBox.
#include "platform/MessageBox.h"

namespace tp {

class QtMessageBoxes : public MessageBoxes {
 public:
  bool Show(MessageKind kind, const std::string& text) override;
};

}  // namespace tp
