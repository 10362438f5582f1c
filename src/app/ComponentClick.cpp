#include "app/ComponentClick.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace tp {
namespace {

QWidget* FindByName(QWidget& root, const QString& name) {
  if (root.objectName().compare(name, Qt::CaseInsensitive) == 0) return &root;
  for (QWidget* w : root.findChildren<QWidget*>())
    if (w->objectName().compare(name, Qt::CaseInsensitive) == 0) return w;
  return nullptr;
}

// The part of the widget its ancestors up to the window do not clip away, in the
// widget's coordinates. (Children are not subtracted: a click on a child is a click
// inside the widget.)
QRect UnclippedRect(QWidget& window, QWidget* widget) {
  QRect r = widget->rect();
  QPoint offset(0, 0);  // widget's origin in the coordinates of w
  for (QWidget* w = widget; w != &window && w->parentWidget(); w = w->parentWidget()) {
    offset += w->pos();
    r = r.intersected(QRect(-offset, w->parentWidget()->size()));
  }
  return r;
}

void Send(QWidget* receiver, QEvent::Type type, const QPointF& local, Qt::MouseButtons buttons) {
  const QPointF global = receiver->mapToGlobal(local);
  QMouseEvent event(type, local, global, Qt::LeftButton, buttons, Qt::NoModifier);
  QApplication::sendEvent(receiver, &event);
}

}  // namespace

ComponentClick ClickComponent(QWidget& window, const QString& name, std::optional<QPoint> at) {
  ComponentClick result;
  QWidget* target = FindByName(window, name);
  if (!target) return result;
  // Hidden itself, inside a hidden parent (a tab sheet not shown), or clipped away whole.
  const QRect visible = target->isVisible() ? UnclippedRect(window, target) : QRect();
  if (visible.isEmpty() || (at && !visible.contains(*at))) {
    result.outcome = ComponentClick::Outcome::Hidden;
    return result;
  }
  const QPoint inWindow = target->mapTo(&window, at ? *at : visible.center());
  QWidget* receiver = target == &window ? &window : window.childAt(inWindow);
  if (!receiver) receiver = &window;
  const QPointF local = receiver->mapFrom(&window, inWindow);
  Send(receiver, QEvent::MouseButtonPress, local, Qt::LeftButton);
  Send(receiver, QEvent::MouseButtonRelease, local, Qt::NoButton);
  result.outcome = ComponentClick::Outcome::Clicked;
  result.receiver = receiver;
  result.onTarget = receiver == target || target->isAncestorOf(receiver);
  return result;
}

}  // namespace tp
