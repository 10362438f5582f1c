#pragma once
// A scripted left click on a named component of a window, delivered as the desktop
// delivers a real one: at the middle of the component's visible part (or at a given
// point of the component), to the topmost
// visible widget under that point (a scroll area's viewport, say), propagating to its
// parents as Qt does. A hidden component is never clicked.
#include <QPoint>
#include <QString>
#include <optional>

class QWidget;

namespace tp {

struct ComponentClick {
  enum class Outcome { Clicked, NotFound, Hidden };
  Outcome outcome = Outcome::NotFound;
  QWidget* receiver = nullptr;  // the widget that got the click (Clicked only)
  bool onTarget = false;        // the receiver is the component or one of its children
};

// Finds the component by object name (ASCII case ignored) inside window and clicks it,
// at `at` (component coordinates) when given. A point outside the component's visible
// part counts as hidden.
ComponentClick ClickComponent(QWidget& window, const QString& name, std::optional<QPoint> at = std::nullopt);

}  // namespace tp
