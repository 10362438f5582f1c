#pragma once
// The headless input script: one command a line, '#' starts a comment.
//   at T move X Y          mouse moved to (X, Y)
//   at T click left|right  button pressed and released
//   at T key C             a key that produces the character C (UTF-8; "space" for ' ')
//   at T keycode NAME      a key without a character: F1, Left, Right, Up, Down, Shift, Ctrl
// T is virtual milliseconds. Commands the backend does not know are kept as Other events
// and handed to the hook that another layer may register (SetScriptCommandHook).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tp {

struct ScriptEvent {
  enum class Kind { Move, Click, Key, KeyCode, Other };
  uint32_t time = 0;
  Kind kind = Kind::Other;
  int x = 0, y = 0;           // Move
  bool rightButton = false;   // Click
  char32_t character = 0;     // Key
  int virtualKey = 0;         // Key (its key code, 0 if none) and KeyCode
  std::string command;        // the command word as written
  std::string arguments;      // the rest of the line after the command word
  int line = 0;
};

struct ParsedScript {
  std::vector<ScriptEvent> events;   // sorted by time, file order kept for equal times
  std::vector<std::string> errors;   // "line N: ..." for lines that could not be read
};

ParsedScript ParseScript(std::string_view text);

// Receives script events of kind Other when they are due; returns true when it handled
// the command. Register before the run loop pumps; nullptr removes the hook.
using ScriptCommandHook = std::function<bool(const ScriptEvent&)>;
void SetScriptCommandHook(ScriptCommandHook hook);
const ScriptCommandHook& GetScriptCommandHook();

}  // namespace tp
