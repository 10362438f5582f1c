#pragma once
// TfmMpFormParent: the window class the configuration windows derive from. A form text
// may set six flags on it that decide the window's border, buttons and first state.
#include <QDialog>

#include "project/FormText.h"

namespace tp {

class TfmMpFormParent : public QDialog {
  Q_OBJECT
 public:
  explicit TfmMpFormParent(QWidget* parent = nullptr);

  bool Sizeable = false;
  bool NoFrame = false;
  bool ShowButtons = false;
  bool MaximizeButton = false;
  bool MinimizeButton = false;
  bool MaximizeOnShow = false;

  // Reads the six flags from the root component (values of the wrong kind are skipped).
  void ReadParentProperties(const FormComponent& root);
  // Sets border and title-bar buttons from the flags: no border when NoFrame, else a
  // sizeable border when Sizeable, else a fixed one; the system menu with its close
  // button when ShowButtons; maximise and minimise buttons as their flags say.
  void ApplyBorder();
};

}  // namespace tp
