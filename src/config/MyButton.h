#pragma once
// TMyButton: an owner-drawn button made of up to four state pictures, with a latched
// down state and an auto-repeat that fires while the left button is held (first after
// 500 ms, then every 50 ms).
#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>

namespace tp {

// The auto-repeat timer behind TMyButton, replaceable so tests can run it on virtual time.
class RepeatTimer {
 public:
  virtual ~RepeatTimer() = default;
  // Changing the interval restarts the count from now, as does enabling.
  virtual void SetInterval(int ms) = 0;
  virtual void SetEnabled(bool on) = 0;
  virtual bool Enabled() const = 0;
  std::function<void()> onTick;
};

// A timer on a clock that moves only when told: Advance(ms) fires every tick that falls due.
class VirtualRepeatTimer : public RepeatTimer {
 public:
  void SetInterval(int ms) override;
  void SetEnabled(bool on) override;
  bool Enabled() const override { return enabled_; }
  void Advance(int ms);
  int64_t Now() const { return now_; }

 private:
  int interval_ = 1000;
  bool enabled_ = false;
  int64_t now_ = 0;
  int64_t due_ = 0;
};

class TMyButton : public QWidget {
  Q_OBJECT
 public:
  explicit TMyButton(QWidget* parent = nullptr);
  ~TMyButton() override;

  void SetButtonUp(const QImage& p) { up_ = p; update(); }
  void SetButtonDown(const QImage& p) { down_ = p; update(); }
  void SetButtonOver(const QImage& p) { over_ = p; update(); }
  void SetButtonDisable(const QImage& p) { disable_ = p; update(); }
  const QImage& ButtonUp() const { return up_; }

  void SetAutoSize(bool on) { autoSize_ = on; update(); }
  bool AutoSize() const { return autoSize_; }
  void SetDown(bool on);
  bool Down() const { return down_state_; }
  void SetAllowDown(bool on);
  bool AllowDown() const { return allowDown_; }
  bool MouseInControl() const { return mouseInControl_; }
  void SetMouseInControl(bool on) { mouseInControl_ = on; update(); }
  void SetShowCaption(bool on) { showCaption_ = on; update(); }
  void SetTransparent(bool on) { transparent_ = on; update(); }
  void SetCaption(const QString& c);
  QString Caption() const { return caption_; }
  void SetFontColor(const QColor& c) { fontColor_ = c; update(); }

  // Takes over the repeat timer (tests hand in a VirtualRepeatTimer).
  void SetRepeatTimer(std::unique_ptr<RepeatTimer> timer);
  RepeatTimer& repeatTimer() { return *timer_; }

  enum class PaintState { Disabled, Down, Over, Up };
  PaintState CurrentState() const;

 signals:
  void clicked();
  void mousePressed();

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  bool event(QEvent* e) override;

 private:
  void OnTimer();
  void PointerInside(bool inside);

  QImage up_, down_, over_, disable_;
  bool autoSize_ = true;
  bool down_state_ = false;
  bool allowDown_ = false;
  bool mouseInControl_ = false;
  bool held_ = false;
  bool showCaption_ = false;
  bool transparent_ = true;
  QString caption_;
  QColor fontColor_ = Qt::black;
  int shortcutId_ = 0;
  std::unique_ptr<RepeatTimer> timer_;
};

}  // namespace tp
