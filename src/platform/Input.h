#pragma once
// Input delivered to a window's handlers by RunLoop::PumpMessages.
#include <cstdint>

namespace tp {

enum class MouseButton { Left, Right, Middle };

// Virtual key codes for keys without a character (values as the saver logic expects).
enum VirtualKey : int {
  kVkShift = 16,
  kVkControl = 17,
  kVkLeft = 37,
  kVkUp = 38,
  kVkRight = 39,
  kVkDown = 40,
  kVkF1 = 112,
};

class InputHandler {
 public:
  virtual ~InputHandler() = default;
  virtual void OnMouseMove(int x, int y) = 0;
  virtual void OnMouseDown(MouseButton button) = 0;
  virtual void OnMouseUp(MouseButton /*button*/) {}
  // Every key press, with its virtual key code (0 when it has none of ours).
  virtual void OnKeyDown(int virtualKey) = 0;
  // A key press that produced a character (UTF-32 code point).
  virtual void OnKeyPress(char32_t ch) = 0;
  // The window system asks the window to close (e.g. SIGTERM in a host window).
  virtual void OnCloseRequest() {}
};

}  // namespace tp
