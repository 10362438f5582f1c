#pragma once
// The UI description of a saver: named forms, each with a form text (the component
// description of a window) and an action list (what clicking each named control does).
// Texts are kept as the file holds them (8-bit, the project's code page).
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tp {

// A malformed UI description: a count that is not an integer, or a file shorter than
// its counts announce. line is the 1-based line of the file where the fault was found.
class UiDescriptionError : public std::runtime_error {
 public:
  UiDescriptionError(const std::string& message, int line)
      : std::runtime_error(message), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

struct TAction {
  std::string ComponentName;
  int32_t ActionType = 0;
  std::string Text1;
  std::string Text2;
  std::string Text3;
};

class TActionList {
 public:
  // Parses an action text (count line, then five lines per action). An empty text gives
  // an empty list. firstLine is the file line of lines[0], used in error messages.
  void Parse(const std::vector<std::string>& lines, int firstLine = 1);
  void Add(TAction action) { actions_.push_back(std::move(action)); }
  void Clear() { actions_.clear(); }

  // The first action stored under componentName (ASCII case ignored), or nullptr.
  const TAction* Find(std::string_view componentName) const;

  size_t Count() const { return actions_.size(); }
  const TAction& operator[](size_t i) const { return actions_[i]; }
  const std::vector<TAction>& Items() const { return actions_; }

 private:
  std::vector<TAction> actions_;
};

class TMpForm {
 public:
  std::string Name;                   // from the first form-text line
  std::vector<std::string> FormText;  // the form text, one entry per line
  TActionList Actions;
};

class TMpForms {
 public:
  // Discards the forms held so far, then reads the file. Throws UiDescriptionError on a
  // malformed description (the forms read before the fault stay) and std::runtime_error
  // when the file cannot be read.
  void LoadUiDescription(const std::string& path);
  // The same on the file's contents.
  void LoadUiDescriptionText(std::string_view contents);

  // The first form whose name matches (ASCII case ignored), or nullptr.
  const TMpForm* FindForm(std::string_view name) const;

  size_t Count() const { return forms_.size(); }
  const TMpForm& operator[](size_t i) const { return forms_[i]; }
  // The copy of form i's text kept beside the forms.
  const std::vector<std::string>& FormTextOf(size_t i) const { return texts_[i]; }
  void Clear();

 private:
  std::vector<TMpForm> forms_;
  std::vector<std::vector<std::string>> texts_;
};

// The form name of a root line "object NAME: CLASS" ("inherited" or "inline" may stand
// for "object"; spaces around NAME dropped).
std::string FormNameFromRootLine(std::string_view line);

// The form text made ready for loading as a configuration window: the root line names
// the class TfmMpConfigWindow, and event lines, border and form-style lines and the first
// visibility line are gone. Lines joined with CR LF.
std::string PrepareFormText(const TMpForm& form);

}  // namespace tp
