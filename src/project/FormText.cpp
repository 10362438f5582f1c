#include "project/FormText.h"

#include <cerrno>
#include <cstdlib>

#include "core/CodePage.h"
#include "core/TextUtil.h"

namespace tp {
namespace {

enum class Tok { End, Symbol, Identifier, String, Integer, Float };

struct Token {
  Tok kind = Tok::End;
  char symbol = 0;
  std::string text;  // identifier, string (UTF-8)
  int64_t integer = 0;
  double number = 0;
  int line = 1;
};

bool IsIdentStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9') || c == '.'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Lexer {
 public:
  explicit Lexer(std::string_view text) : s_(text) { Advance(); }

  const Token& Peek() const { return tok_; }
  Token Take() {
    Token t = std::move(tok_);
    Advance();
    return t;
  }
  int Line() const { return tok_.line; }

  [[noreturn]] void Fail(const std::string& message, int line) const {
    throw FormTextError(message, line);
  }
  [[noreturn]] void Fail(const std::string& message) const { Fail(message, tok_.line); }

  bool IsSymbol(char c) const { return tok_.kind == Tok::Symbol && tok_.symbol == c; }
  void Expect(char c) {
    if (!IsSymbol(c)) Fail(std::string("'") + c + "' expected" + Describe());
    Advance();
  }
  std::string ExpectIdentifier(const char* what) {
    if (tok_.kind != Tok::Identifier) Fail(std::string(what) + " expected" + Describe());
    return Take().text;
  }
  std::string Describe() const {
    switch (tok_.kind) {
      case Tok::End: return " but the text ends";
      case Tok::Symbol: return std::string(" but found '") + tok_.symbol + "'";
      case Tok::Identifier: return " but found " + tok_.text;
      default: return " but found a value";
    }
  }

  // Reads the hex digits after '{' up to '}' (the current token must be that '{';
  // its bytes have not been tokenised yet).
  std::string ReadBinary() {
    int startLine = tok_.line;
    std::string out;
    int high = -1;
    while (true) {
      if (pos_ >= s_.size()) Fail("binary data without its closing '}'", startLine);
      char c = s_[pos_++];
      if (c == '}') break;
      if (c == '\n') { ++line_; continue; }
      if (c == ' ' || c == '\t' || c == '\r') continue;
      int v = HexValue(c);
      if (v < 0) Fail("a hex digit expected in binary data", line_);
      if (high < 0) {
        high = v;
      } else {
        out += char((high << 4) | v);
        high = -1;
      }
    }
    if (high >= 0) Fail("binary data with an odd number of hex digits", startLine);
    Advance();
    return out;
  }

 private:
  void SkipBlanks() {
    while (pos_ < s_.size()) {
      char c = s_[pos_];
      if (c == '\n') ++line_;
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0')
        ++pos_;
      else
        break;
    }
  }

  void Advance() {
    SkipBlanks();
    tok_ = Token();
    tok_.line = line_;
    if (pos_ >= s_.size()) return;
    char c = s_[pos_];
    if (IsIdentStart(c)) {
      size_t start = pos_;
      while (pos_ < s_.size() && IsIdentChar(s_[pos_])) ++pos_;
      tok_.kind = Tok::Identifier;
      tok_.text = std::string(s_.substr(start, pos_ - start));
    } else if (c == '\'' || c == '#') {
      ReadString();
    } else if (IsDigit(c) || ((c == '-' || c == '+') && pos_ + 1 < s_.size() &&
                              (IsDigit(s_[pos_ + 1]) || s_[pos_ + 1] == '$'))) {
      ReadNumber();
    } else if (c == '$') {
      ReadNumber();
    } else {
      ++pos_;
      tok_.kind = Tok::Symbol;
      tok_.symbol = c;
    }
  }

  void ReadString() {
    tok_.kind = Tok::String;
    std::string out;
    while (pos_ < s_.size()) {
      char c = s_[pos_];
      if (c == '\'') {
        ++pos_;
        std::string raw;
        while (true) {
          if (pos_ >= s_.size() || s_[pos_] == '\n' || s_[pos_] == '\r')
            Fail("a string without its closing quote", line_);
          char d = s_[pos_++];
          if (d == '\'') {
            if (pos_ < s_.size() && s_[pos_] == '\'') {
              raw += '\'';
              ++pos_;
              continue;
            }
            break;
          }
          raw += d;
        }
        out += Cp1252ToUtf8(raw);
      } else if (c == '#') {
        ++pos_;
        uint32_t code = 0;
        size_t digits = 0;
        if (pos_ < s_.size() && s_[pos_] == '$') {
          ++pos_;
          while (pos_ < s_.size() && HexValue(s_[pos_]) >= 0 && digits < 8) {
            code = code * 16 + uint32_t(HexValue(s_[pos_++]));
            ++digits;
          }
        } else {
          while (pos_ < s_.size() && IsDigit(s_[pos_]) && digits < 8) {
            code = code * 10 + uint32_t(s_[pos_++] - '0');
            ++digits;
          }
        }
        if (digits == 0) Fail("a character code expected after '#'", line_);
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
          Fail("a character code out of range", line_);
        if (code < 256)
          out += Cp1252ToUtf8(std::string(1, char(code)));
        else
          AppendUtf8(out, char32_t(code));
      } else {
        break;
      }
    }
    tok_.text = std::move(out);
  }

  void ReadNumber() {
    size_t start = pos_;
    bool negative = false;
    if (s_[pos_] == '-' || s_[pos_] == '+') negative = s_[pos_++] == '-';
    if (pos_ < s_.size() && s_[pos_] == '$') {
      ++pos_;
      uint64_t v = 0;
      size_t digits = 0;
      while (pos_ < s_.size() && HexValue(s_[pos_]) >= 0) {
        v = v * 16 + uint64_t(HexValue(s_[pos_++]));
        if (++digits > 16) Fail("a hex number too large", line_);
      }
      if (digits == 0) Fail("hex digits expected after '$'", line_);
      tok_.kind = Tok::Integer;
      tok_.integer = negative ? -int64_t(v) : int64_t(v);
      return;
    }
    while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
    bool isFloat = false;
    if (pos_ + 1 < s_.size() && s_[pos_] == '.' && IsDigit(s_[pos_ + 1])) {
      isFloat = true;
      ++pos_;
      while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
    }
    if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
      size_t e = pos_ + 1;
      if (e < s_.size() && (s_[e] == '+' || s_[e] == '-')) ++e;
      if (e < s_.size() && IsDigit(s_[e])) {
        isFloat = true;
        pos_ = e;
        while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
      }
    }
    std::string number(s_.substr(start, pos_ - start));
    // Floats may carry a type letter (single, currency, date).
    if (pos_ < s_.size() && (s_[pos_] == 's' || s_[pos_] == 'c' || s_[pos_] == 'd' ||
                             s_[pos_] == 'S' || s_[pos_] == 'C' || s_[pos_] == 'D')) {
      isFloat = true;
      ++pos_;
    }
    errno = 0;
    if (isFloat) {
      tok_.kind = Tok::Float;
      tok_.number = std::strtod(number.c_str(), nullptr);
    } else {
      tok_.kind = Tok::Integer;
      tok_.integer = std::strtoll(number.c_str(), nullptr, 10);
      if (errno == ERANGE) Fail("an integer too large", line_);
    }
  }

  std::string_view s_;
  size_t pos_ = 0;
  int line_ = 1;
  Token tok_;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : lex_(text) {}

  FormComponent ParseRoot() {
    if (!IsHead(lex_.Peek())) lex_.Fail("\"object\" expected" + lex_.Describe());
    FormComponent root = ParseComponent(0);
    if (lex_.Peek().kind != Tok::End) lex_.Fail("text after the final \"end\"");
    return root;
  }

 private:
  static bool IsHead(const Token& t) {
    return t.kind == Tok::Identifier &&
           (EqualsIgnoreCase(t.text, "object") || EqualsIgnoreCase(t.text, "inherited") ||
            EqualsIgnoreCase(t.text, "inline"));
  }
  static bool IsWord(const Token& t, std::string_view word) {
    return t.kind == Tok::Identifier && EqualsIgnoreCase(t.text, word);
  }

  void CheckDepth(int depth) {
    if (depth > kMaxFormNesting) lex_.Fail("nesting deeper than " + std::to_string(kMaxFormNesting));
  }

  FormComponent ParseComponent(int depth) {
    CheckDepth(depth);
    FormComponent c;
    c.line = lex_.Line();
    Token head = lex_.Take();
    c.head = EqualsIgnoreCase(head.text, "inherited") ? FormComponent::Head::Inherited
             : EqualsIgnoreCase(head.text, "inline")  ? FormComponent::Head::Inline
                                                      : FormComponent::Head::Object;
    std::string first = lex_.ExpectIdentifier("a component name");
    if (lex_.IsSymbol(':')) {
      lex_.Take();
      c.name = std::move(first);
      c.className = lex_.ExpectIdentifier("a class name");
    } else {
      c.className = std::move(first);
    }
    if (lex_.IsSymbol('[')) {  // creation order index
      lex_.Take();
      if (lex_.Peek().kind != Tok::Integer) lex_.Fail("an index expected" + lex_.Describe());
      lex_.Take();
      lex_.Expect(']');
    }
    while (true) {
      const Token& t = lex_.Peek();
      if (t.kind == Tok::End) lex_.Fail("\"end\" of " + c.className + " missing");
      if (IsWord(t, "end")) {
        lex_.Take();
        return c;
      }
      if (IsHead(t)) {
        c.children.push_back(ParseComponent(depth + 1));
        continue;
      }
      c.properties.push_back(ParseProperty(depth));
    }
  }

  FormProperty ParseProperty(int depth) {
    FormProperty p;
    p.line = lex_.Line();
    p.name = lex_.ExpectIdentifier("a property name");
    lex_.Expect('=');
    p.value = ParseValue(depth + 1);
    return p;
  }

  FormValue ParseValue(int depth) {
    CheckDepth(depth);
    FormValue v;
    const Token& t = lex_.Peek();
    switch (t.kind) {
      case Tok::End:
        lex_.Fail("a value expected but the text ends");
      case Tok::Integer:
        v.kind = FormValue::Kind::Integer;
        v.integer = lex_.Take().integer;
        return v;
      case Tok::Float:
        v.kind = FormValue::Kind::Float;
        v.number = lex_.Take().number;
        return v;
      case Tok::Identifier:
        v.kind = FormValue::Kind::Identifier;
        v.text = lex_.Take().text;
        return v;
      case Tok::String:
        v.kind = FormValue::Kind::String;
        v.text = lex_.Take().text;
        while (lex_.IsSymbol('+')) {
          lex_.Take();
          if (lex_.Peek().kind != Tok::String)
            lex_.Fail("a string expected after '+'" + lex_.Describe());
          v.text += lex_.Take().text;
        }
        return v;
      case Tok::Symbol:
        break;
    }
    switch (t.symbol) {
      case '[':
        v.kind = FormValue::Kind::Set;
        lex_.Take();
        while (!lex_.IsSymbol(']')) {
          const Token& e = lex_.Peek();
          if (e.kind == Tok::Identifier)
            v.set.push_back(lex_.Take().text);
          else if (e.kind == Tok::Integer)
            v.set.push_back(std::to_string(lex_.Take().integer));
          else
            lex_.Fail("a set element expected" + lex_.Describe());
          if (lex_.IsSymbol(',')) lex_.Take();
          else if (!lex_.IsSymbol(']')) lex_.Fail("',' or ']' expected" + lex_.Describe());
        }
        lex_.Take();
        return v;
      case '(':
        v.kind = FormValue::Kind::List;
        lex_.Take();
        while (!lex_.IsSymbol(')')) {
          v.list.push_back(ParseValue(depth + 1));
          if (lex_.IsSymbol(',')) lex_.Take();
        }
        lex_.Take();
        return v;
      case '<':
        v.kind = FormValue::Kind::Collection;
        lex_.Take();
        while (!lex_.IsSymbol('>')) {
          if (!IsWord(lex_.Peek(), "item")) lex_.Fail("\"item\" expected" + lex_.Describe());
          lex_.Take();
          if (lex_.IsSymbol('[')) {
            lex_.Take();
            ParseValue(depth + 1);
            lex_.Expect(']');
          }
          std::vector<FormProperty> props;
          while (!IsWord(lex_.Peek(), "end")) {
            if (lex_.Peek().kind == Tok::End) lex_.Fail("\"end\" of a collection item missing");
            props.push_back(ParseProperty(depth + 1));
          }
          lex_.Take();
          v.items.push_back(std::move(props));
        }
        lex_.Take();
        return v;
      case '{':
        v.kind = FormValue::Kind::Binary;
        v.text = lex_.ReadBinary();
        return v;
      default:
        lex_.Fail("a value expected" + lex_.Describe());
    }
  }

  Lexer lex_;
};

}  // namespace

const FormProperty* FormComponent::Find(std::string_view propertyName) const {
  for (auto it = properties.rbegin(); it != properties.rend(); ++it)
    if (EqualsIgnoreCase(it->name, propertyName)) return &*it;
  return nullptr;
}

FormComponent ParseFormText(std::string_view text) { return Parser(text).ParseRoot(); }

PictureData SplitPictureData(std::string_view data) {
  PictureData out;
  std::string_view rest = data;
  // A class name: its length byte, then a name beginning with 'T'.
  if (rest.size() >= 2) {
    size_t n = uint8_t(rest[0]);
    if (n >= 2 && n < rest.size() && rest[1] == 'T') {
      bool plain = true;
      for (size_t i = 1; i <= n; ++i) plain = plain && IsIdentChar(rest[i]) && rest[i] != '.';
      if (plain) {
        out.className = std::string(rest.substr(1, n));
        rest.remove_prefix(n + 1);
      }
    }
  }
  // A 32-bit little-endian size that matches (or stays within) what follows.
  if (rest.size() >= 4) {
    uint32_t size = uint32_t(uint8_t(rest[0])) | uint32_t(uint8_t(rest[1])) << 8 |
                    uint32_t(uint8_t(rest[2])) << 16 | uint32_t(uint8_t(rest[3])) << 24;
    bool signatureFirst = rest.substr(0, 2) == "BM" || rest.substr(0, 3) == "GIF" ||
                          (uint8_t(rest[0]) == 0xFF && uint8_t(rest[1]) == 0xD8);
    if (!signatureFirst && size > 0 && size <= rest.size() - 4)
      rest = rest.substr(4, size);
  }
  out.bytes = std::string(rest);
  return out;
}

}  // namespace tp
