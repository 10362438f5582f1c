#include "config/MyButton.h"

#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QStyleOptionButton>
#include <QTimer>

#include "config/FormValues.h"
#include "config/FormWidgets.h"

namespace tp {
namespace {

class QtRepeatTimer : public RepeatTimer {
 public:
  QtRepeatTimer() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (onTick) onTick();
    });
  }
  void SetInterval(int ms) override {
    timer_.setInterval(ms);
    if (timer_.isActive()) timer_.start();
  }
  void SetEnabled(bool on) override {
    if (on) timer_.start();
    else timer_.stop();
  }
  bool Enabled() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
};

}  // namespace

void VirtualRepeatTimer::SetInterval(int ms) {
  interval_ = ms > 0 ? ms : 1;
  due_ = now_ + interval_;
}

void VirtualRepeatTimer::SetEnabled(bool on) {
  if (on && !enabled_) due_ = now_ + interval_;
  enabled_ = on;
}

void VirtualRepeatTimer::Advance(int ms) {
  int64_t end = now_ + ms;
  while (enabled_ && due_ <= end) {
    now_ = due_;
    due_ = now_ + interval_;
    if (onTick) onTick();  // may change the interval (and so due_)
  }
  now_ = end;
}

TMyButton::TMyButton(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  SetRepeatTimer(std::make_unique<QtRepeatTimer>());
}

TMyButton::~TMyButton() = default;

void TMyButton::SetRepeatTimer(std::unique_ptr<RepeatTimer> timer) {
  timer_ = std::move(timer);
  timer_->onTick = [this] { OnTimer(); };
}

void TMyButton::SetDown(bool on) {
  down_state_ = on && allowDown_;
  update();
}

void TMyButton::SetAllowDown(bool on) {
  allowDown_ = on;
  if (!on) down_state_ = false;
  update();
}

void TMyButton::SetCaption(const QString& c) {
  caption_ = c;
  if (shortcutId_) releaseShortcut(shortcutId_);
  shortcutId_ = 0;
  QKeySequence mnemonic = QKeySequence::mnemonic(c);
  if (!mnemonic.isEmpty()) shortcutId_ = grabShortcut(mnemonic);
  update();
}

TMyButton::PaintState TMyButton::CurrentState() const {
  if (!isEnabled()) return PaintState::Disabled;
  if (down_state_ || (held_ && mouseInControl_)) return PaintState::Down;
  if (mouseInControl_ && !held_) return PaintState::Over;
  return PaintState::Up;
}

void TMyButton::paintEvent(QPaintEvent*) {
  if (autoSize_ && !up_.isNull() && size() != up_.size()) resize(up_.size());
  QPainter p(this);
  auto drawPicture = [&](const QImage& img) {
    p.drawImage(0, 0, transparent_ ? WithTransparentColor(img) : img);
  };
  auto pushFrame = [&](bool sunken) {
    p.fillRect(rect(), SystemColor(kClBtnFace));
    Draw3DEdge(p, rect(), !sunken);
  };
  switch (CurrentState()) {
    case PaintState::Disabled:
      if (!disable_.isNull()) drawPicture(disable_);
      else pushFrame(false);
      break;
    case PaintState::Down:
      if (!down_.isNull()) drawPicture(down_);
      else if (!up_.isNull()) drawPicture(up_);
      else pushFrame(true);
      break;
    case PaintState::Over:
      if (!over_.isNull()) drawPicture(over_);
      else if (!up_.isNull()) drawPicture(up_);
      else pushFrame(false);
      break;
    case PaintState::Up:
      if (!up_.isNull()) drawPicture(up_);
      else pushFrame(false);
      break;
  }
  if (showCaption_) {
    p.setFont(font());
    p.setPen(fontColor_);
    p.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, caption_);
  }
}

void TMyButton::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !isEnabled()) return;
  mouseInControl_ = true;
  held_ = true;
  emit mousePressed();
  timer_->SetInterval(500);
  timer_->SetEnabled(true);
  update();
}

void TMyButton::OnTimer() {
  timer_->SetInterval(50);
  emit mousePressed();
}

void TMyButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !held_) return;
  timer_->SetEnabled(false);
  bool inside = rect().contains(e->position().toPoint());
  if (allowDown_) down_state_ = !down_state_;
  held_ = false;
  update();
  if (inside) emit clicked();
}

void TMyButton::PointerInside(bool inside) {
  if (inside == mouseInControl_) return;
  mouseInControl_ = inside;
  if (held_) timer_->SetEnabled(inside);  // leaving pauses the repeat, re-entering resumes
  update();
}

void TMyButton::mouseMoveEvent(QMouseEvent* e) { PointerInside(rect().contains(e->position().toPoint())); }
void TMyButton::enterEvent(QEnterEvent*) { PointerInside(true); }
void TMyButton::leaveEvent(QEvent*) {
  if (!held_) PointerInside(false);
}

bool TMyButton::event(QEvent* e) {
  if (e->type() == QEvent::Shortcut) {
    auto* se = static_cast<QShortcutEvent*>(e);
    if (se->shortcutId() == shortcutId_ && isEnabled() && isVisible()) {
      emit clicked();
      return true;
    }
  }
  return QWidget::event(e);
}

}  // namespace tp
