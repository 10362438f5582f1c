#pragma once
// Building live widgets from a parsed form text. Every class a form may name has a maker
// that creates its widget and applies the published properties the form texts use; a
// class we do not have is skipped with its children, and a property whose value has the
// wrong kind is skipped alone, so the rest of the window still appears.
#include <QColor>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

#include "project/FormText.h"

class QTimer;

namespace tp {

// One component made from the form text, in creation order.
struct BuiltComponent {
  std::string name;
  std::string className;  // as the form text names it
  QPointer<QObject> object;  // the widget, or a QTimer
  int64_t tag = 0;

  QWidget* widget() const { return qobject_cast<QWidget*>(object.data()); }
  bool Is(std::string_view cls) const;  // ASCII case ignored
};

struct FormBuildResult {
  std::vector<BuiltComponent> components;
  std::vector<std::string> skippedClasses;  // classes the program does not have
  // The component of that name (ASCII case ignored), or nullptr.
  const BuiltComponent* Find(std::string_view name) const;
};

// True for the component classes a form may contain (the root classes included).
bool IsKnownComponentClass(std::string_view className);

// Creates the children of root inside window (and their children, recursively). The
// root's own properties are left to the window, which knows what they mean for it.
FormBuildResult BuildFormComponents(const FormComponent& root, QWidget* window);

// Applies the properties every visible control shares (position and size, Visible,
// Enabled, Cursor, Hint/ShowHint, Font, Color) to widget. fontColor receives Font.Color.
void ApplyControlProperties(const FormComponent& c, QWidget* widget, QColor* fontColor);

// The first/last property of that name as an integer, bool or string, or fallback.
int64_t IntProperty(const FormComponent& c, std::string_view name, int64_t fallback);
bool BoolProperty(const FormComponent& c, std::string_view name, bool fallback);
QString StringProperty(const FormComponent& c, std::string_view name, const QString& fallback = {});

// Geometry and sizes from untrusted texts are held to this range.
constexpr int kMaxFormCoordinate = 16384;

}  // namespace tp
