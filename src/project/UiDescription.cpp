#include "project/UiDescription.h"

#include "core/FileSystem.h"
#include "core/TextUtil.h"

namespace tp {
namespace {

// Reads the lines of a description one after another, failing with the line number
// when the file ends early or a count is not an integer.
class LineCursor {
 public:
  LineCursor(const std::vector<std::string>& lines, int firstLine)
      : lines_(lines), firstLine_(firstLine) {}

  bool AtEnd() const { return pos_ >= lines_.size(); }
  size_t Remaining() const { return lines_.size() - pos_; }
  int LineNumber() const { return firstLine_ + int(pos_); }

  const std::string& Next(const char* what) {
    if (AtEnd())
      throw UiDescriptionError(std::string("the file ends where ") + what + " was expected",
                               LineNumber());
    return lines_[pos_++];
  }

  int32_t NextInt(const char* what) {
    int line = LineNumber();
    const std::string& text = Next(what);
    auto value = ParseInt32(TrimView(text));
    if (!value)
      throw UiDescriptionError(std::string(what) + " is not an integer: \"" + text + "\"", line);
    return *value;
  }

  // A count: negative counts hold nothing; a count beyond the end of the file fails
  // before anything is allocated for it.
  size_t NextCount(const char* what, size_t linesPerItem = 1) {
    int line = LineNumber();
    int32_t n = NextInt(what);
    if (n <= 0) return 0;
    if (size_t(n) > Remaining() / linesPerItem)
      throw UiDescriptionError(std::string(what) + " " + std::to_string(n) +
                                   " is larger than the rest of the file",
                               line);
    return size_t(n);
  }

  std::vector<std::string> Take(size_t n) {
    std::vector<std::string> out(lines_.begin() + long(pos_), lines_.begin() + long(pos_ + n));
    pos_ += n;
    return out;
  }

 private:
  const std::vector<std::string>& lines_;
  int firstLine_;
  size_t pos_ = 0;
};

bool IsEventLine(std::string_view t) {
  if (t.size() < 3 || t[0] != 'O' || t[1] != 'n') return false;
  char c = t[2];
  char upper = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
  return c == upper;
}

}  // namespace

void TActionList::Parse(const std::vector<std::string>& lines, int firstLine) {
  actions_.clear();
  if (lines.empty()) return;
  LineCursor in(lines, firstLine);
  size_t count = in.NextCount("the action count", 5);
  actions_.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    TAction a;
    a.ComponentName = in.Next("a component name");
    a.ActionType = in.NextInt("the action type");
    a.Text1 = in.Next("an action text");
    a.Text2 = in.Next("an action text");
    a.Text3 = in.Next("an action text");
    actions_.push_back(std::move(a));
  }
}

const TAction* TActionList::Find(std::string_view componentName) const {
  for (const TAction& a : actions_)
    if (EqualsIgnoreCase(a.ComponentName, componentName)) return &a;
  return nullptr;
}

void TMpForms::Clear() {
  forms_.clear();
  texts_.clear();
}

void TMpForms::LoadUiDescription(const std::string& path) {
  Clear();
  std::string contents;
  if (!ReadFile(path, contents))
    throw std::runtime_error("cannot read the UI description " + path);
  LoadUiDescriptionText(contents);
}

void TMpForms::LoadUiDescriptionText(std::string_view contents) {
  Clear();
  std::vector<std::string> lines = SplitLines(contents);
  LineCursor in(lines, 1);
  int32_t formCount = in.NextInt("the form count");
  for (int32_t f = 0; f < formCount; ++f) {
    size_t n = in.NextCount("the form-text line count");
    std::vector<std::string> formText = in.Take(n);

    int actionLine = in.LineNumber() + 1;
    size_t m = in.NextCount("the action-text line count");
    std::vector<std::string> actionText = in.Take(m);
    // Empty action lines stand for an empty parameter, written as one space.
    for (std::string& line : actionText)
      if (line.empty()) line = " ";

    size_t r = in.NextCount("the reserved line count");
    in.Take(r);

    TMpForm form;
    form.Actions.Parse(actionText, actionLine);
    form.FormText = std::move(formText);
    if (!form.FormText.empty()) form.Name = FormNameFromRootLine(form.FormText.front());
    texts_.push_back(form.FormText);
    forms_.push_back(std::move(form));
  }
}

const TMpForm* TMpForms::FindForm(std::string_view name) const {
  for (const TMpForm& f : forms_)
    if (EqualsIgnoreCase(f.Name, name)) return &f;
  return nullptr;
}

std::string FormNameFromRootLine(std::string_view line) {
  std::string_view t = TrimView(line);
  // The head word may be any of the notation's three ("object", "inherited", "inline");
  // other lines lose their first seven characters, the length of "object ".
  size_t headLength = 7;
  for (std::string_view head : {"object", "inherited", "inline"}) {
    if (t.size() > head.size() && StartsWithIgnoreCase(t, head) &&
        (t[head.size()] == ' ' || t[head.size()] == '\t')) {
      headLength = head.size() + 1;
      break;
    }
  }
  if (t.size() >= headLength) t.remove_prefix(headLength);
  else t = {};
  size_t colon = t.find(':');
  return Trim(t.substr(0, colon));
}

std::string PrepareFormText(const TMpForm& form) {
  std::vector<std::string> out;
  out.reserve(form.FormText.size() + 1);
  out.push_back("object " + form.Name + ": TfmMpConfigWindow");
  bool visibleRemoved = false;
  for (size_t i = 1; i < form.FormText.size(); ++i) {
    const std::string& line = form.FormText[i];
    std::string_view t = TrimView(line);
    if (IsEventLine(t)) continue;
    if (StartsWithIgnoreCase(t, "BORDERICONS") || StartsWithIgnoreCase(t, "BORDERSTYLE") ||
        StartsWithIgnoreCase(t, "FORMSTYLE"))
      continue;
    if (!visibleRemoved && StartsWithIgnoreCase(t, "VISIBLE")) {
      visibleRemoved = true;
      continue;
    }
    out.push_back(line);
  }
  std::string joined;
  for (size_t i = 0; i < out.size(); ++i) {
    if (i) joined += "\r\n";
    joined += out[i];
  }
  return joined;
}

}  // namespace tp
