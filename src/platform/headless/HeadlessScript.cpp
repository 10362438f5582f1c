#include "platform/headless/HeadlessScript.h"

#include <algorithm>
#include <sstream>

#include "core/TextUtil.h"
#include "platform/Input.h"

namespace tp {
namespace {

ScriptCommandHook& Hook() {
  static ScriptCommandHook hook;
  return hook;
}

bool DecodeOneUtf8(const std::string& s, char32_t& out) {
  if (s.empty()) return false;
  unsigned char c = (unsigned char)s[0];
  size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
  if (len == 0 || s.size() != len) return false;
  char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
  for (size_t i = 1; i < len; ++i) {
    unsigned char cc = (unsigned char)s[i];
    if ((cc & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (cc & 0x3F);
  }
  out = cp;
  return true;
}

// The key code a character key has: letters and digits their upper-case ASCII code.
int KeyCodeOf(char32_t ch) {
  if (ch >= 'a' && ch <= 'z') return int(ch - 'a' + 'A');
  if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == ' ') return int(ch);
  if (ch == '\r') return 13;
  return 0;
}

int NamedKey(const std::string& name) {
  struct Named { const char* name; int vk; };
  static constexpr Named kKeys[] = {{"F1", kVkF1},       {"Left", kVkLeft},   {"Right", kVkRight},
                                    {"Up", kVkUp},       {"Down", kVkDown},   {"Shift", kVkShift},
                                    {"Ctrl", kVkControl}, {"Control", kVkControl}};
  for (const Named& k : kKeys)
    if (EqualsIgnoreCase(name, k.name)) return k.vk;
  return 0;
}

}  // namespace

void SetScriptCommandHook(ScriptCommandHook hook) { Hook() = std::move(hook); }
const ScriptCommandHook& GetScriptCommandHook() { return Hook(); }

ParsedScript ParseScript(std::string_view text) {
  ParsedScript out;
  int lineNo = 0;
  for (const std::string& raw : SplitLines(text)) {
    ++lineNo;
    std::string line = raw.substr(0, raw.find('#'));
    if (TrimView(line).empty()) continue;
    auto fail = [&](const std::string& why) {
      out.errors.push_back("line " + std::to_string(lineNo) + ": " + why + ": " + Trim(raw));
    };
    std::istringstream in(line);
    std::string at, timeText, command;
    in >> at >> timeText >> command;
    auto t = ParseInt32(timeText);
    if (!EqualsIgnoreCase(at, "at") || !t || *t < 0 || command.empty()) {
      fail("expected 'at T COMMAND'");
      continue;
    }
    ScriptEvent e;
    e.time = uint32_t(*t);
    e.command = command;
    e.line = lineNo;
    std::string rest;
    std::getline(in, rest);
    e.arguments = Trim(rest);
    std::istringstream args(e.arguments);
    if (EqualsIgnoreCase(command, "move")) {
      std::string xs, ys, extra;
      args >> xs >> ys >> extra;
      auto x = ParseInt32(xs), y = ParseInt32(ys);
      if (!x || !y || !extra.empty()) { fail("expected 'move X Y'"); continue; }
      e.kind = ScriptEvent::Kind::Move;
      e.x = *x;
      e.y = *y;
    } else if (EqualsIgnoreCase(command, "click")) {
      if (EqualsIgnoreCase(e.arguments, "left")) e.rightButton = false;
      else if (EqualsIgnoreCase(e.arguments, "right")) e.rightButton = true;
      else { fail("expected 'click left|right'"); continue; }
      e.kind = ScriptEvent::Kind::Click;
    } else if (EqualsIgnoreCase(command, "key")) {
      char32_t ch = 0;
      if (e.arguments == "space") ch = U' ';
      else if (!DecodeOneUtf8(e.arguments, ch)) { fail("expected 'key C' with one character"); continue; }
      e.kind = ScriptEvent::Kind::Key;
      e.character = ch;
      e.virtualKey = KeyCodeOf(ch);
    } else if (EqualsIgnoreCase(command, "keycode")) {
      int vk = NamedKey(e.arguments);
      if (vk == 0) { fail("unknown key name"); continue; }
      e.kind = ScriptEvent::Kind::KeyCode;
      e.virtualKey = vk;
    } else {
      e.kind = ScriptEvent::Kind::Other;
    }
    out.events.push_back(std::move(e));
  }
  std::stable_sort(out.events.begin(), out.events.end(),
                   [](const ScriptEvent& a, const ScriptEvent& b) { return a.time < b.time; });
  return out;
}

}  // namespace tp
