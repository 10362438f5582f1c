#pragma once
// Reader for the component-stream text notation of form texts:
//
//   object Name: TClass            (also "inherited" / "inline" heads, "object TClass")
//     Left = 240
//     Font.Name = 'Tahoma'
//     Caption = 'It''s ' + #13#10 +
//       'two lines'
//     Anchors = [akLeft, akTop]
//     Items.Strings = ( 'a' 'b' )
//     Columns = < item Width = 10 end >
//     Picture.Data = { 0A544269746D6170 ... }
//     object Child: TLabel ... end
//   end
//
// It yields a component tree that keeps every property; deciding which classes and
// properties mean something is left to whoever builds windows from it. Strings come out
// as UTF-8 (quoted text is read in the project's code page, #NN codes below 256 as
// code-page bytes, larger ones as Unicode code points).
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tp {

class FormTextError : public std::runtime_error {
 public:
  FormTextError(const std::string& message, int line)
      : std::runtime_error("line " + std::to_string(line) + ": " + message), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

struct FormProperty;

struct FormValue {
  enum class Kind { Integer, Float, String, Identifier, Set, List, Collection, Binary };
  Kind kind = Kind::Integer;
  int64_t integer = 0;
  double number = 0;
  std::string text;                     // String (UTF-8), Identifier, Binary (raw bytes)
  std::vector<std::string> set;         // Set: the identifiers in brackets
  std::vector<FormValue> list;          // List: the values in parentheses
  std::vector<std::vector<FormProperty>> items;  // Collection: the properties of each item

  bool IsNumber() const { return kind == Kind::Integer || kind == Kind::Float; }
};

struct FormProperty {
  std::string name;  // dotted names kept whole ("Font.Name")
  FormValue value;
  int line = 0;
};

struct FormComponent {
  enum class Head { Object, Inherited, Inline };
  Head head = Head::Object;
  std::string name;  // may be empty ("object TClass")
  std::string className;
  std::vector<FormProperty> properties;
  std::vector<FormComponent> children;
  int line = 0;

  // The last property of that name (ASCII case ignored), or nullptr.
  const FormProperty* Find(std::string_view propertyName) const;
};

// Nesting bound for components and values; deeper texts are rejected.
constexpr int kMaxFormNesting = 64;

// Parses one form text (a single root component). Throws FormTextError.
FormComponent ParseFormText(std::string_view text);

// Picture data as the notation stores it: an optional class name (a length byte and the
// name, e.g. "TJPEGImage"), an optional 32-bit size, then the picture file's bytes.
struct PictureData {
  std::string className;  // empty when the data carries none
  std::string bytes;      // the picture file itself
};
// Splits picture data; never fails (unknown layouts give the data unchanged).
PictureData SplitPictureData(std::string_view data);

}  // namespace tp
