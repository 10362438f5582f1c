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

class Builder {
 public:
  explicit Builder(FormBuildResult& out) : out_(out) {}

  void BuildChildren(const FormComponent& parent, QWidget* into, const Inherited& inherited, int depth) {
    std::vector<std::pair<int64_t, QWidget*>> tabOrder;
    for (const FormComponent& child : parent.children) {
      if (!IsKnownComponentClass(child.className) || EqualsIgnoreCase(child.className, "TfmMpCOnfigWindow") ||
          EqualsIgnoreCase(child.className, "TForm") || EqualsIgnoreCase(child.className, "TfmForm")) {
        out_.skippedClasses.push_back(child.className);
        if (Debugging())
          std::fprintf(stderr, "tidepool: form line %d: class %s skipped\n", child.line, child.className.c_str());
        continue;
      }
      if (EqualsIgnoreCase(child.className, "TTabSheet") && !qobject_cast<QTabWidget*>(into)) {
        // A tab sheet outside a page control has nowhere to go.
        out_.skippedClasses.push_back(child.className);
        continue;
      }
      QWidget* w = Build(child, into, inherited, depth);
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
  // Creates one component; returns its widget (nullptr for a timer).
  QWidget* Build(const FormComponent& c, QWidget* parent, const Inherited& inherited, int depth) {
    Inherited mine = inherited;
    if (const FormProperty* p = c.Find("ShowHint"))
      if (auto b = FormBool(p->value)) mine.showHint = *b;

    const std::string& cls = c.className;
    BuiltComponent entry;
    entry.name = c.name;
    entry.className = cls;
    entry.tag = IntProperty(c, "Tag", 0);

    if (EqualsIgnoreCase(cls, "TTimer")) {
      auto* timer = new QTimer(parent);
      timer->setObjectName(QString::fromStdString(c.name));
      // No handler survives the preparation, so the timer only keeps its interval.
      timer->setInterval(int(std::clamp<int64_t>(IntProperty(c, "Interval", 1000), 0, INT32_MAX)));
      entry.object = timer;
      out_.components.push_back(entry);
      return nullptr;
    }

    QWidget* w = nullptr;
    QColor fontColor = inherited.fontColor;
    if (EqualsIgnoreCase(cls, "TTabSheet")) {
      auto* tabs = static_cast<QTabWidget*>(parent);
      auto* sheet = new QWidget();
      sheet->setAutoFillBackground(false);
      QString caption = StringProperty(c, "Caption", QString::fromStdString(c.name));
      int at = tabs->addTab(sheet, caption);
      tabs->setTabVisible(at, BoolProperty(c, "TabVisible", true));
      sheet->setProperty("tpPageIndex", qlonglong(IntProperty(c, "PageIndex", at)));
      w = sheet;
    } else {
      w = Create(c, parent);
    }
    w->setObjectName(QString::fromStdString(c.name));
    w->setProperty("tpClass", QString::fromStdString(cls));
    w->setProperty("tpTag", qlonglong(entry.tag));
    if (!EqualsIgnoreCase(cls, "TTabSheet")) ApplyControlProperties(c, w, &fontColor);
    else {
      QFont f = w->font();
      if (ApplyFontProperties(c, f, &fontColor)) w->setFont(f);
    }
    if (!mine.showHint) w->setToolTip(QString());
    Apply(c, w, fontColor);
    entry.object = w;
    out_.components.push_back(entry);

    if (!c.children.empty() && depth < kMaxFormNesting) {
      Inherited forChildren = mine;
      forChildren.fontColor = fontColor;
      BuildChildren(c, w, forChildren, depth + 1);
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) FinishPageControl(c, tabs);
    return w;
  }

  static QWidget* Create(const FormComponent& c, QWidget* parent) {
    const std::string& cls = c.className;
    auto is = [&](const char* name) { return EqualsIgnoreCase(cls, name); };
    if (is("TLabel")) return new FormLabel(parent);
    if (is("TImage")) return new FormImage(parent);
    if (is("TShape") || is("TMyShape")) return new FormShape(parent);
    if (is("TBevel") || is("TMyBevel")) return new FormBevel(parent);
    if (is("TPanel")) return new FormPanel(parent);
    if (is("TEdit")) return new QLineEdit(parent);
    if (is("TButton") || is("TBitBtn")) return new QPushButton(parent);
    if (is("TCheckBox")) return new QCheckBox(parent);
    if (is("TPageControl")) return new QTabWidget(parent);
    if (is("TMyButton")) return new TMyButton(parent);
    if (is("TMpPreview")) return new TMpPreview(parent);
    if (is("TMpThumbnail2")) return new TMpThumbnail2(parent);
    if (is("TMyMemo")) return new TMyMemo(parent);
    return new QWidget(parent);
  }

  // The class's own published properties.
  static void Apply(const FormComponent& c, QWidget* w, const QColor& fontColor) {
    if (auto* label = qobject_cast<FormLabel*>(w)) {
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
      return;
    }
    if (auto* preview = qobject_cast<TMpPreview*>(w)) {
      (void)preview;  // shows project pictures only; its own properties are the common ones
      return;
    }
    if (auto* image = qobject_cast<FormImage*>(w)) {
      image->SetStretch(BoolProperty(c, "Stretch", false));
      image->SetCenter(BoolProperty(c, "Center", false));
      image->SetProportional(BoolProperty(c, "Proportional", false));
      image->SetTransparent(BoolProperty(c, "Transparent", false));
      if (auto pic = PictureProperty(c, "Picture.Data")) image->SetPicture(*pic);
      return;
    }
    if (auto* shape = qobject_cast<FormShape*>(w)) {
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
      return;
    }
    if (auto* bevel = qobject_cast<FormBevel*>(w)) {
      std::string s = IdentifierProperty(c, "Shape");
      static constexpr std::array<std::pair<const char*, BevelShape>, 7> kShapes = {{
          {"bsBox", BevelShape::Box}, {"bsFrame", BevelShape::Frame}, {"bsTopLine", BevelShape::TopLine},
          {"bsBottomLine", BevelShape::BottomLine}, {"bsLeftLine", BevelShape::LeftLine},
          {"bsRightLine", BevelShape::RightLine}, {"bsSpacer", BevelShape::Spacer}}};
      for (const auto& [name, kind] : kShapes)
        if (EqualsIgnoreCase(s, name)) bevel->SetShape(kind);
      bevel->SetRaised(EqualsIgnoreCase(IdentifierProperty(c, "Style"), "bsRaised"));
      return;
    }
    if (auto* panel = qobject_cast<FormPanel*>(w)) {
      panel->SetFontColor(fontColor);
      panel->SetCaption(StringProperty(c, "Caption", QString::fromStdString(c.name)));
      if (const FormProperty* p = c.Find("Alignment"))
        if (auto a = FormAlignment(p->value)) panel->SetAlignment(*a);
      panel->SetBevels(PanelBevelOf(IdentifierProperty(c, "BevelOuter"), PanelBevel::Raised),
                       PanelBevelOf(IdentifierProperty(c, "BevelInner"), PanelBevel::None),
                       int(IntProperty(c, "BevelWidth", 1)));
      return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      edit->setText(StringProperty(c, "Text", QString::fromStdString(c.name)));
      edit->setReadOnly(BoolProperty(c, "ReadOnly", false));
      int64_t max = IntProperty(c, "MaxLength", 0);
      if (max > 0) edit->setMaxLength(int(std::min<int64_t>(max, 32767)));
      if (EqualsIgnoreCase(IdentifierProperty(c, "BorderStyle"), "bsNone")) edit->setFrame(false);
      return;
    }
    if (auto* button = qobject_cast<QPushButton*>(w)) {
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
      return;
    }
    if (auto* check = qobject_cast<QCheckBox*>(w)) {
      check->setText(StringProperty(c, "Caption", QString::fromStdString(c.name)));
      std::string state = IdentifierProperty(c, "State");
      check->setChecked(BoolProperty(c, "Checked", false) || EqualsIgnoreCase(state, "cbChecked"));
      if (EqualsIgnoreCase(IdentifierProperty(c, "Alignment"), "taLeftJustify"))
        check->setLayoutDirection(Qt::RightToLeft);
      return;
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
      std::string pos = IdentifierProperty(c, "TabPosition");
      if (EqualsIgnoreCase(pos, "tpBottom")) tabs->setTabPosition(QTabWidget::South);
      if (EqualsIgnoreCase(pos, "tpLeft")) tabs->setTabPosition(QTabWidget::West);
      if (EqualsIgnoreCase(pos, "tpRight")) tabs->setTabPosition(QTabWidget::East);
      return;
    }
    if (auto* button = qobject_cast<TMyButton*>(w)) {
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
      return;
    }
    if (auto* grid = qobject_cast<TMpThumbnail2*>(w)) {
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
      return;
    }
    if (auto* memo = qobject_cast<TMyMemo*>(w)) {
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
      return;
    }
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

bool IsKnownComponentClass(std::string_view className) {
  static constexpr std::array<const char*, 22> kClasses = {
      "TForm",     "TfmForm",   "TEdit",     "TLabel",      "TButton",           "TPanel",
      "TShape",    "TBitBtn",   "TPageControl", "TTabSheet", "TImage",           "TCheckBox",
      "TTimer",    "TBevel",    "TfmMpCOnfigWindow", "TMyShape", "TMyBevel",     "TMyButton",
      "TMpPreview", "TMpThumbnail2", "TMyMemo", "TfmMpFormParent"};
  for (const char* k : kClasses)
    if (EqualsIgnoreCase(k, className)) return true;
  return false;
}

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
