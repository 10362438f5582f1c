#include "config/FormBuilder.h"

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "config/FormValues.h"
#include "config/FormWidgets.h"
#include "config/MpPreview.h"
#include "config/MpThumbnail2.h"
#include "config/MyButton.h"
#include "config/MyMemo.h"
#include "core/TextUtil.h"

namespace tp {
namespace {

bool Debugging() {
  const char* d = std::getenv("TIDEPOOL_DEBUG");
  return d && *d && std::string_view(d) != "0";
}

// What a child takes over from its parent component.
struct Inherited {
  QColor fontColor = Qt::black;
  bool showHint = false;
};

int Coordinate(int64_t v) { return int(std::clamp<int64_t>(v, -kMaxFormCoordinate, kMaxFormCoordinate)); }
int Extent(int64_t v) { return int(std::clamp<int64_t>(v, 0, kMaxFormCoordinate)); }

std::optional<QImage> PictureProperty(const FormComponent& c, std::string_view name) {
  const FormProperty* p = c.Find(name);
  if (!p || p->value.kind != FormValue::Kind::Binary || p->value.text.empty()) return std::nullopt;
  try {
    QImage img = DecodeFormPicture(p->value.text);
    if (!img.isNull()) return img;
  } catch (const std::exception& e) {
    if (Debugging())
      std::fprintf(stderr, "tidepool: form line %d: %s skipped: %s\n", p->line, p->name.c_str(), e.what());
  }
  return std::nullopt;
}

std::string IdentifierProperty(const FormComponent& c, std::string_view name) {
  if (const FormProperty* p = c.Find(name))
    if (auto id = FormIdentifier(p->value)) return *id;
  return {};
}

std::optional<QColor> ColorProperty(const FormComponent& c, std::string_view name) {
  if (const FormProperty* p = c.Find(name)) return FormColor(p->value);
  return std::nullopt;
}

// Lines of a list property (Lines.Strings, Items.Strings): its string elements.
std::optional<QStringList> StringsProperty(const FormComponent& c, std::string_view name) {
  const FormProperty* p = c.Find(name);
  if (!p || p->value.kind != FormValue::Kind::List) return std::nullopt;
  QStringList out;
  for (const FormValue& v : p->value.list)
    if (auto s = FormString(v)) out << *s;
  return out;
}

Qt::PenStyle PenStyleOf(const std::string& id) {
  if (EqualsIgnoreCase(id, "psDash")) return Qt::DashLine;
  if (EqualsIgnoreCase(id, "psDot")) return Qt::DotLine;
  if (EqualsIgnoreCase(id, "psDashDot")) return Qt::DashDotLine;
  if (EqualsIgnoreCase(id, "psDashDotDot")) return Qt::DashDotDotLine;
  if (EqualsIgnoreCase(id, "psClear")) return Qt::NoPen;
  return Qt::SolidLine;
}

Qt::BrushStyle BrushStyleOf(const std::string& id) {
  if (EqualsIgnoreCase(id, "bsClear")) return Qt::NoBrush;
  if (EqualsIgnoreCase(id, "bsHorizontal")) return Qt::HorPattern;
  if (EqualsIgnoreCase(id, "bsVertical")) return Qt::VerPattern;
  if (EqualsIgnoreCase(id, "bsFDiagonal")) return Qt::FDiagPattern;
  if (EqualsIgnoreCase(id, "bsBDiagonal")) return Qt::BDiagPattern;
  if (EqualsIgnoreCase(id, "bsCross")) return Qt::CrossPattern;
  if (EqualsIgnoreCase(id, "bsDiagCross")) return Qt::DiagCrossPattern;
  return Qt::SolidPattern;
}

PanelBevel PanelBevelOf(const std::string& id, PanelBevel fallback) {
  if (EqualsIgnoreCase(id, "bvNone") || EqualsIgnoreCase(id, "bvSpace")) return PanelBevel::None;
  if (EqualsIgnoreCase(id, "bvLowered")) return PanelBevel::Lowered;
  if (EqualsIgnoreCase(id, "bvRaised")) return PanelBevel::Raised;
  return fallback;
}

// The published properties of each class, after the ones every control shares.

void ApplyLabel(const FormComponent& c, FormLabel* label, const QColor& fontColor) {
  label->SetFontColor(fontColor);
  label->SetAutoSize(BoolProperty(c, "AutoSize", true));
  label->SetWordWrap(BoolProperty(c, "WordWrap", false));
  if (const FormProperty* p = c.Find("Alignment"))
    if (auto a = FormAlignment(p->value)) label->SetAlignment(*a);
  std::string layout = IdentifierProperty(c, "Layout");
  if (EqualsIgnoreCase(layout, "tlCenter")) label->SetLayout(Qt::AlignVCenter);
  if (EqualsIgnoreCase(layout, "tlBottom")) label->SetLayout(Qt::AlignBottom);
  // A label paints its colour only when it is not transparent and names one.
  auto color = ColorProperty(c, "Color");
  if (color && !BoolProperty(c, "Transparent", false)) label->SetColor(*color);
  label->SetCaption(StringProperty(c, "Caption", QString::fromStdString(c.name)));
}

void ApplyImage(const FormComponent& c, FormImage* image, const QColor&) {
  image->SetStretch(BoolProperty(c, "Stretch", false));
  image->SetCenter(BoolProperty(c, "Center", false));
  image->SetProportional(BoolProperty(c, "Proportional", false));
  image->SetTransparent(BoolProperty(c, "Transparent", false));
  if (auto pic = PictureProperty(c, "Picture.Data")) image->SetPicture(*pic);
}

void ApplyShape(const FormComponent& c, FormShape* shape, const QColor&) {
  std::string s = IdentifierProperty(c, "Shape");
  static constexpr std::array<std::pair<const char*, ShapeKind>, 6> kShapes = {{
      {"stRectangle", ShapeKind::Rectangle}, {"stSquare", ShapeKind::Square},
      {"stRoundRect", ShapeKind::RoundRect}, {"stRoundSquare", ShapeKind::RoundSquare},
      {"stEllipse", ShapeKind::Ellipse}, {"stCircle", ShapeKind::Circle}}};
  for (const auto& [name, kind] : kShapes)
    if (EqualsIgnoreCase(s, name)) shape->SetShape(kind);
  shape->SetPen(ColorProperty(c, "Pen.Color").value_or(Qt::black), int(IntProperty(c, "Pen.Width", 1)),
                PenStyleOf(IdentifierProperty(c, "Pen.Style")));
  shape->SetBrush(ColorProperty(c, "Brush.Color").value_or(Qt::white),
                  BrushStyleOf(IdentifierProperty(c, "Brush.Style")));
}

void ApplyBevel(const FormComponent& c, FormBevel* bevel, const QColor&) {
  std::string s = IdentifierProperty(c, "Shape");
  static constexpr std::array<std::pair<const char*, BevelShape>, 7> kShapes = {{
      {"bsBox", BevelShape::Box}, {"bsFrame", BevelShape::Frame}, {"bsTopLine", BevelShape::TopLine},
      {"bsBottomLine", BevelShape::BottomLine}, {"bsLeftLine", BevelShape::LeftLine},
      {"bsRightLine", BevelShape::RightLine}, {"bsSpacer", BevelShape::Spacer}}};
  for (const auto& [name, kind] : kShapes)
    if (EqualsIgnoreCase(s, name)) bevel->SetShape(kind);
  bevel->SetRaised(EqualsIgnoreCase(IdentifierProperty(c, "Style"), "bsRaised"));
}

void ApplyPanel(const FormComponent& c, FormPanel* panel, const QColor& fontColor) {
  panel->SetFontColor(fontColor);
  panel->SetCaption(StringProperty(c, "Caption", QString::fromStdString(c.name)));
  if (const FormProperty* p = c.Find("Alignment"))
    if (auto a = FormAlignment(p->value)) panel->SetAlignment(*a);
  panel->SetBevels(PanelBevelOf(IdentifierProperty(c, "BevelOuter"), PanelBevel::Raised),
                   PanelBevelOf(IdentifierProperty(c, "BevelInner"), PanelBevel::None),
                   int(IntProperty(c, "BevelWidth", 1)));
}

void ApplyEdit(const FormComponent& c, QLineEdit* edit, const QColor&) {
  edit->setText(StringProperty(c, "Text", QString::fromStdString(c.name)));
  edit->setReadOnly(BoolProperty(c, "ReadOnly", false));
  int64_t max = IntProperty(c, "MaxLength", 0);
  if (max > 0) edit->setMaxLength(int(std::min<int64_t>(max, 32767)));
  if (EqualsIgnoreCase(IdentifierProperty(c, "BorderStyle"), "bsNone")) edit->setFrame(false);
}

void ApplyButton(const FormComponent& c, QPushButton* button, const QColor&) {
  button->setText(StringProperty(c, "Caption", QString::fromStdString(c.name)));
  if (auto glyph = PictureProperty(c, "Glyph.Data")) {
    QImage g = WithTransparentColor(*glyph);
    // A glyph strip holds NumGlyphs pictures side by side; the first is the normal one.
    int64_t n = std::clamp<int64_t>(IntProperty(c, "NumGlyphs", 1), 1, 4);
    if (n > 1) g = g.copy(0, 0, g.width() / int(n), g.height());
    button->setIcon(QIcon(QPixmap::fromImage(g)));
    button->setIconSize(g.size());
  }
  button->setDefault(BoolProperty(c, "Default", false));
}

void ApplyCheckBox(const FormComponent& c, QCheckBox* check, const QColor&) {
  check->setText(StringProperty(c, "Caption", QString::fromStdString(c.name)));
  std::string state = IdentifierProperty(c, "State");
  check->setChecked(BoolProperty(c, "Checked", false) || EqualsIgnoreCase(state, "cbChecked"));
  if (EqualsIgnoreCase(IdentifierProperty(c, "Alignment"), "taLeftJustify"))
    check->setLayoutDirection(Qt::RightToLeft);
}

void ApplyPageControl(const FormComponent& c, QTabWidget* tabs, const QColor&) {
  std::string pos = IdentifierProperty(c, "TabPosition");
  if (EqualsIgnoreCase(pos, "tpBottom")) tabs->setTabPosition(QTabWidget::South);
  if (EqualsIgnoreCase(pos, "tpLeft")) tabs->setTabPosition(QTabWidget::West);
  if (EqualsIgnoreCase(pos, "tpRight")) tabs->setTabPosition(QTabWidget::East);
}

void ApplyMyButton(const FormComponent& c, TMyButton* button, const QColor& fontColor) {
  if (auto p = PictureProperty(c, "ButtonUp.Data")) button->SetButtonUp(*p);
  if (auto p = PictureProperty(c, "ButtonDown.Data")) button->SetButtonDown(*p);
  if (auto p = PictureProperty(c, "ButtonOver.Data")) button->SetButtonOver(*p);
  if (auto p = PictureProperty(c, "ButtonDisable.Data")) button->SetButtonDisable(*p);
  button->SetAutoSize(BoolProperty(c, "AutoSize", true));
  button->SetAllowDown(BoolProperty(c, "AllowDown", false));
  button->SetDown(BoolProperty(c, "Down", false));
  button->SetShowCaption(BoolProperty(c, "ShowCaption", false));
  button->SetTransparent(BoolProperty(c, "Transparent", true));
  button->SetFontColor(fontColor);
  button->SetCaption(StringProperty(c, "Caption", QString()));
  if (button->AutoSize() && !button->ButtonUp().isNull()) button->resize(button->ButtonUp().size());
}

void ApplyThumbnails(const FormComponent& c, TMpThumbnail2* grid, const QColor& fontColor) {
  grid->SetPictureWidth(int(std::clamp<int64_t>(IntProperty(c, "PictureWidth", 80), 1, 4096)));
  grid->SetPictureHeight(int(std::clamp<int64_t>(IntProperty(c, "PictureHeight", 60), 1, 4096)));
  grid->SetShowCheckBox(BoolProperty(c, "ShowCheckBox", false));
  grid->SetShowTitle(BoolProperty(c, "ShowTitle", false));
  grid->SetMultiRows(BoolProperty(c, "MultiRows", true));
  if (auto color = ColorProperty(c, "Color")) grid->SetColor(*color);
  grid->SetFontColor(fontColor);
  if (!EqualsIgnoreCase(IdentifierProperty(c, "BorderStyle"), "bsNone")) {
    grid->setFrameShape(QFrame::Panel);
    grid->setFrameShadow(BoolProperty(c, "Ctl3D", true) ? QFrame::Sunken : QFrame::Plain);
  }
}

void ApplyMemo(const FormComponent& c, TMyMemo* memo, const QColor& fontColor) {
  if (auto lines = StringsProperty(c, "Lines.Strings")) memo->SetText(lines->join("\r\n"));
  if (const FormProperty* p = c.Find("Text"))
    if (auto s = FormString(p->value)) memo->SetText(*s);
  memo->setReadOnly(BoolProperty(c, "ReadOnly", false));
  if (!BoolProperty(c, "WordWrap", true)) memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  if (EqualsIgnoreCase(IdentifierProperty(c, "BorderStyle"), "bsNone")) memo->setFrameShape(QFrame::NoFrame);
  std::string bars = IdentifierProperty(c, "ScrollBars");
  bool vertical = EqualsIgnoreCase(bars, "ssVertical") || EqualsIgnoreCase(bars, "ssBoth");
  bool horizontal = EqualsIgnoreCase(bars, "ssHorizontal") || EqualsIgnoreCase(bars, "ssBoth");
  memo->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  memo->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  QPalette pal = memo->palette();
  pal.setColor(QPalette::Text, fontColor);
  memo->setPalette(pal);
}

// Makes the object of a class under parent; nullptr when it has nowhere to go there.
using MakeFn = QObject* (*)(const FormComponent& c, QWidget* parent);
// Sets a made widget's properties; fontColor comes in as inherited and goes out as the
// widget's own, which its children inherit.
using ApplyFn = void (*)(const FormComponent& c, QWidget* w, QColor& fontColor);

template <class W>
QObject* Make(const FormComponent&, QWidget* parent) {
  return new W(parent);
}

// A control: the properties every control shares, then the class's own.
template <class W, void (*Own)(const FormComponent&, W*, const QColor&)>
void Control(const FormComponent& c, QWidget* w, QColor& fontColor) {
  ApplyControlProperties(c, w, &fontColor);
  if constexpr (Own != nullptr) Own(c, static_cast<W*>(w), fontColor);
}

// A tab sheet is a page of the page control it stands in.
QObject* MakeTabSheet(const FormComponent& c, QWidget* parent) {
  auto* tabs = qobject_cast<QTabWidget*>(parent);
  if (!tabs) return nullptr;
  auto* sheet = new QWidget();
  sheet->setAutoFillBackground(false);
  QString caption = StringProperty(c, "Caption", QString::fromStdString(c.name));
  int at = tabs->addTab(sheet, caption);
  tabs->setTabVisible(at, BoolProperty(c, "TabVisible", true));
  sheet->setProperty("tpPageIndex", qlonglong(IntProperty(c, "PageIndex", at)));
  return sheet;
}

// The page control places and shows its sheets: only the font is the sheet's own.
void ApplyTabSheet(const FormComponent& c, QWidget* sheet, QColor& fontColor) {
  QFont f = sheet->font();
  if (ApplyFontProperties(c, f, &fontColor)) sheet->setFont(f);
}

QObject* MakeTimer(const FormComponent& c, QWidget* parent) {
  auto* timer = new QTimer(parent);
  // No handler survives the preparation, so the timer only keeps its interval.
  timer->setInterval(int(std::clamp<int64_t>(IntProperty(c, "Interval", 1000), 0, INT32_MAX)));
  return timer;
}

// Every class a form may name. A row without make is a window's own class: the root of a
// form, never one of its children. A row without apply makes no widget.
struct ComponentClass {
  const char* name;
  MakeFn make;
  ApplyFn apply;
};

#define TP_CONTROL(name, W, own) {name, &Make<W>, &Control<W, own>}

constexpr ComponentClass kClasses[] = {
    TP_CONTROL("TLabel", FormLabel, &ApplyLabel),
    TP_CONTROL("TImage", FormImage, &ApplyImage),
    TP_CONTROL("TShape", FormShape, &ApplyShape),
    TP_CONTROL("TMyShape", FormShape, &ApplyShape),
    TP_CONTROL("TBevel", FormBevel, &ApplyBevel),
    TP_CONTROL("TMyBevel", FormBevel, &ApplyBevel),
    TP_CONTROL("TPanel", FormPanel, &ApplyPanel),
    TP_CONTROL("TEdit", QLineEdit, &ApplyEdit),
    TP_CONTROL("TButton", QPushButton, &ApplyButton),
    TP_CONTROL("TBitBtn", QPushButton, &ApplyButton),
    TP_CONTROL("TCheckBox", QCheckBox, &ApplyCheckBox),
    TP_CONTROL("TPageControl", QTabWidget, &ApplyPageControl),
    TP_CONTROL("TMyButton", TMyButton, &ApplyMyButton),
    TP_CONTROL("TMpPreview", TMpPreview, nullptr),  // shows project pictures; the shared properties only
    TP_CONTROL("TMpThumbnail2", TMpThumbnail2, &ApplyThumbnails),
    TP_CONTROL("TMyMemo", TMyMemo, &ApplyMemo),
    TP_CONTROL("TfmMpFormParent", QWidget, nullptr),
    {"TTabSheet", &MakeTabSheet, &ApplyTabSheet},
    {"TTimer", &MakeTimer, nullptr},
    {"TForm", nullptr, nullptr},
    {"TfmForm", nullptr, nullptr},
    {"TfmMpCOnfigWindow", nullptr, nullptr},
};

#undef TP_CONTROL

const ComponentClass* FindClass(std::string_view className) {
  for (const ComponentClass& k : kClasses)
    if (EqualsIgnoreCase(k.name, className)) return &k;
  return nullptr;
}

class Builder {
 public:
  explicit Builder(FormBuildResult& out) : out_(out) {}

  void BuildChildren(const FormComponent& parent, QWidget* into, const Inherited& inherited, int depth) {
    std::vector<std::pair<int64_t, QWidget*>> tabOrder;
    for (const FormComponent& child : parent.children) {
      const ComponentClass* k = FindClass(child.className);
      QObject* made = k && k->make ? k->make(child, into) : nullptr;
      if (!made) {
        // A class we do not have, a window class, or a tab sheet outside a page control.
        out_.skippedClasses.push_back(child.className);
        if (Debugging())
          std::fprintf(stderr, "tidepool: form line %d: class %s skipped\n", child.line, child.className.c_str());
        continue;
      }
      QWidget* w = Build(child, *k, made, inherited, depth);
      if (w && child.Find("TabOrder")) tabOrder.emplace_back(IntProperty(child, "TabOrder", 0), w);
    }
    if (tabOrder.size() < 2) return;
    std::stable_sort(tabOrder.begin(), tabOrder.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    // Qt 6.4 leaves the chain unchanged when nothing focusable follows the first widget
    // before the chain wraps; a hidden focusable widget at the end, removed afterwards,
    // avoids that.
    auto* sentinel = new QWidget(into);
    sentinel->setFocusPolicy(Qt::StrongFocus);
    sentinel->hide();
    for (size_t i = 1; i < tabOrder.size(); ++i) QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
    delete sentinel;
  }

 private:
  // Finishes one made component; returns its widget (nullptr for a timer).
  QWidget* Build(const FormComponent& c, const ComponentClass& k, QObject* made, const Inherited& inherited,
                 int depth) {
    BuiltComponent entry;
    entry.name = c.name;
    entry.className = c.className;
    entry.tag = IntProperty(c, "Tag", 0);
    entry.object = made;
    made->setObjectName(QString::fromStdString(c.name));
    auto* w = qobject_cast<QWidget*>(made);
    if (!w) {
      out_.components.push_back(entry);
      return nullptr;
    }

    Inherited mine = inherited;
    if (const FormProperty* p = c.Find("ShowHint"))
      if (auto b = FormBool(p->value)) mine.showHint = *b;
    w->setProperty("tpClass", QString::fromStdString(c.className));
    w->setProperty("tpTag", qlonglong(entry.tag));
    QColor fontColor = inherited.fontColor;
    k.apply(c, w, fontColor);
    if (!mine.showHint) w->setToolTip(QString());
    out_.components.push_back(entry);

    if (!c.children.empty() && depth < kMaxFormNesting) {
      Inherited forChildren = mine;
      forChildren.fontColor = fontColor;
      BuildChildren(c, w, forChildren, depth + 1);
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) FinishPageControl(c, tabs);
    return w;
  }

  // Orders the sheets by PageIndex and opens the active page.
  static void FinishPageControl(const FormComponent& c, QTabWidget* tabs) {
    std::vector<std::pair<int64_t, QWidget*>> pages;
    for (int i = 0; i < tabs->count(); ++i)
      pages.emplace_back(tabs->widget(i)->property("tpPageIndex").toLongLong(), tabs->widget(i));
    std::stable_sort(pages.begin(), pages.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QTabBar* bar = tabs->tabBar();
    for (int to = 0; to < int(pages.size()); ++to) {
      int from = tabs->indexOf(pages[size_t(to)].second);
      if (from != to) bar->moveTab(from, to);
    }
    std::string active = IdentifierProperty(c, "ActivePage");
    for (int i = 0; i < tabs->count(); ++i)
      if (!active.empty() && EqualsIgnoreCase(tabs->widget(i)->objectName().toStdString(), active))
        tabs->setCurrentIndex(i);
  }

  FormBuildResult& out_;
};

}  // namespace

FormBuildResult BuildFormComponents(const FormComponent& root, QWidget* window) {
  FormBuildResult out;
  Inherited fromRoot;
  QFont unused;
  ApplyFontProperties(root, unused, &fromRoot.fontColor);
  fromRoot.showHint = BoolProperty(root, "ShowHint", false);
  Builder(out).BuildChildren(root, window, fromRoot, 1);
  return out;
}

bool BuiltComponent::Is(std::string_view cls) const { return EqualsIgnoreCase(className, cls); }

const BuiltComponent* FormBuildResult::Find(std::string_view name) const {
  for (const BuiltComponent& c : components)
    if (!c.name.empty() && EqualsIgnoreCase(c.name, name)) return &c;
  return nullptr;
}

bool IsKnownComponentClass(std::string_view className) { return FindClass(className) != nullptr; }

int64_t IntProperty(const FormComponent& c, std::string_view name, int64_t fallback) {
  if (const FormProperty* p = c.Find(name))
    if (auto v = FormInteger(p->value)) return *v;
  return fallback;
}

bool BoolProperty(const FormComponent& c, std::string_view name, bool fallback) {
  if (const FormProperty* p = c.Find(name))
    if (auto v = FormBool(p->value)) return *v;
  return fallback;
}

QString StringProperty(const FormComponent& c, std::string_view name, const QString& fallback) {
  if (const FormProperty* p = c.Find(name))
    if (auto v = FormString(p->value)) return *v;
  return fallback;
}

void ApplyControlProperties(const FormComponent& c, QWidget* w, QColor* fontColor) {
  int left = Coordinate(IntProperty(c, "Left", w->x()));
  int top = Coordinate(IntProperty(c, "Top", w->y()));
  int width = Extent(IntProperty(c, "Width", w->width()));
  int height = Extent(IntProperty(c, "Height", w->height()));
  w->setGeometry(left, top, width, height);
  QFont f = w->font();
  if (ApplyFontProperties(c, f, fontColor)) w->setFont(f);
  if (auto* widget = dynamic_cast<ClickableWidget*>(w)) {
    if (!qobject_cast<FormLabel*>(w))
      if (auto color = ColorProperty(c, "Color")) widget->SetColor(*color);
  } else if (auto color = ColorProperty(c, "Color"); color && !qobject_cast<TMpThumbnail2*>(w)) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, *color);
    pal.setColor(QPalette::Window, *color);
    w->setPalette(pal);
  }
  if (const FormProperty* p = c.Find("Cursor"))
    if (auto cursor = FormCursor(p->value)) w->setCursor(*cursor);
  w->setToolTip(StringProperty(c, "Hint"));
  w->setEnabled(BoolProperty(c, "Enabled", true));
  w->setVisible(BoolProperty(c, "Visible", true));
}

}  // namespace tp
