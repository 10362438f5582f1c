#include "config/MpFormParent.h"

#include "config/FormBuilder.h"

namespace tp {

TfmMpFormParent::TfmMpFormParent(QWidget* parent) : QDialog(parent) {}

void TfmMpFormParent::ReadParentProperties(const FormComponent& root) {
  Sizeable = BoolProperty(root, "Sizeable", Sizeable);
  NoFrame = BoolProperty(root, "NoFrame", NoFrame);
  ShowButtons = BoolProperty(root, "ShowButtons", ShowButtons);
  MaximizeButton = BoolProperty(root, "MaximizeButton", MaximizeButton);
  MinimizeButton = BoolProperty(root, "MinimizeButton", MinimizeButton);
  MaximizeOnShow = BoolProperty(root, "MaximizeOnShow", MaximizeOnShow);
}

void TfmMpFormParent::ApplyBorder() {
  Qt::WindowFlags flags = Qt::Window;
  if (NoFrame) {
    flags |= Qt::FramelessWindowHint;
  } else {
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (ShowButtons) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (MaximizeButton) flags |= Qt::WindowMaximizeButtonHint;
    if (MinimizeButton) flags |= Qt::WindowMinimizeButtonHint;
  }
  setWindowFlags(flags);
  // A window that opens maximised must be free to grow.
  const bool sizeable = (Sizeable && !NoFrame) || MaximizeOnShow;
  if (sizeable) {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  } else {
    setFixedSize(size());
  }
  setSizeGripEnabled(false);
}

}  // namespace tp
