#pragma once
// Modal message boxes (headless: written to the event log).
#include <string>

namespace tp {

// The application's title (the product name once a saver is known): the caption of
// message boxes and of the show's window. Empty until set.
void SetApplicationTitle(const std::string& title);
std::string ApplicationTitle();

enum class MessageKind { Info, Error, Confirm };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows a modal box with OK (Info, Error) or Yes/No (Confirm). Returns true for OK/Yes.
  // text is UTF-8.
  virtual bool Show(MessageKind kind, const std::string& text) = 0;
};

}  // namespace tp
