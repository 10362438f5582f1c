// Fuzz target for the form-text reader and the UI description around it: any input
// must parse or fail with the reader's own error, never crash or hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "project/FormText.h"
#include "project/UiDescription.h"

namespace {

// Walks the tree so every value the reader produced is touched.
size_t Visit(const tp::FormValue& v, int depth);

size_t Visit(const tp::FormComponent& c, int depth) {
  size_t n = c.name.size() + c.className.size();
  for (const tp::FormProperty& p : c.properties) n += p.name.size() + Visit(p.value, depth + 1);
  for (const tp::FormComponent& child : c.children) n += Visit(child, depth + 1);
  return n;
}

size_t Visit(const tp::FormValue& v, int depth) {
  size_t n = v.text.size() + v.set.size();
  if (v.kind == tp::FormValue::Kind::Binary) n += tp::SplitPictureData(v.text).bytes.size();
  for (const tp::FormValue& e : v.list) n += Visit(e, depth + 1);
  for (const auto& item : v.items)
    for (const tp::FormProperty& p : item) n += Visit(p.value, depth + 1);
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    volatile size_t sink = Visit(tp::ParseFormText(text), 0);
    (void)sink;
  } catch (const tp::FormTextError&) {
  }
  // The same bytes as a UI description, each form prepared and read as a window would be.
  tp::TMpForms forms;
  try {
    forms.LoadUiDescriptionText(text);
  } catch (const tp::UiDescriptionError&) {
  }
  for (size_t i = 0; i < forms.Count(); ++i) {
    try {
      volatile size_t sink = Visit(tp::ParseFormText(tp::PrepareFormText(forms[i])), 0);
      (void)sink;
    } catch (const tp::FormTextError&) {
    }
  }
  return 0;
}
