#pragma once
// The plain component widgets a form text may place: labels, images, shapes, bevels and
// panels. They paint themselves the way the form texts expect and report clicks.
#include <QImage>
#include <QWidget>

namespace tp {

// A widget that reports a left click (press and release inside) as clicked().
class ClickableWidget : public QWidget {
  Q_OBJECT
 public:
  explicit ClickableWidget(QWidget* parent = nullptr);
  // The fill colour; transparent colours leave the parent visible.
  void SetColor(const QColor& color);
  QColor color() const { return color_; }

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void FillBackground(class QPainter& p);

  QColor color_ = Qt::transparent;
  bool pressed_ = false;
};

class FormLabel : public ClickableWidget {
  Q_OBJECT
 public:
  explicit FormLabel(QWidget* parent = nullptr);
  void SetCaption(const QString& caption);
  QString caption() const { return caption_; }
  void SetFontColor(const QColor& c) { fontColor_ = c; update(); }
  void SetAlignment(Qt::Alignment a) { alignment_ = a; update(); }
  void SetLayout(Qt::Alignment vertical) { vertical_ = vertical; update(); }
  void SetWordWrap(bool on) { wordWrap_ = on; update(); }
  void SetAutoSize(bool on) { autoSize_ = on; }
  // Sizes the label to its text (keeping the width when it wraps), as AutoSize does.
  void AdjustToText();

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int TextFlags() const;
  QString caption_;
  QColor fontColor_ = Qt::black;
  Qt::Alignment alignment_ = Qt::AlignLeft;
  Qt::Alignment vertical_ = Qt::AlignTop;
  bool wordWrap_ = false;
  bool autoSize_ = true;
};

class FormImage : public ClickableWidget {
  Q_OBJECT
 public:
  explicit FormImage(QWidget* parent = nullptr);
  void SetPicture(const QImage& image);
  const QImage& picture() const { return picture_; }
  void SetStretch(bool on) { stretch_ = on; update(); }
  void SetCenter(bool on) { center_ = on; update(); }
  void SetProportional(bool on) { proportional_ = on; update(); }
  void SetTransparent(bool on) { transparent_ = on; update(); }
  // The rectangle the picture is drawn into.
  QRect PictureRect() const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QImage picture_;
  bool stretch_ = false;
  bool center_ = false;
  bool proportional_ = false;
  bool transparent_ = false;
};

enum class ShapeKind { Rectangle, Square, RoundRect, RoundSquare, Ellipse, Circle };

class FormShape : public ClickableWidget {
  Q_OBJECT
 public:
  explicit FormShape(QWidget* parent = nullptr);
  void SetShape(ShapeKind k) { shape_ = k; update(); }
  void SetPen(const QColor& c, int width, Qt::PenStyle style);
  void SetBrush(const QColor& c, Qt::BrushStyle style);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  ShapeKind shape_ = ShapeKind::Rectangle;
  QColor penColor_ = Qt::black;
  int penWidth_ = 1;
  Qt::PenStyle penStyle_ = Qt::SolidLine;
  QColor brushColor_ = Qt::white;
  Qt::BrushStyle brushStyle_ = Qt::SolidPattern;
};

enum class BevelShape { Box, Frame, TopLine, BottomLine, LeftLine, RightLine, Spacer };

class FormBevel : public ClickableWidget {
  Q_OBJECT
 public:
  explicit FormBevel(QWidget* parent = nullptr);
  void SetShape(BevelShape s) { shape_ = s; update(); }
  void SetRaised(bool raised) { raised_ = raised; update(); }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  BevelShape shape_ = BevelShape::Box;
  bool raised_ = false;
};

enum class PanelBevel { None, Lowered, Raised };

class FormPanel : public ClickableWidget {
  Q_OBJECT
 public:
  explicit FormPanel(QWidget* parent = nullptr);
  void SetCaption(const QString& caption) { caption_ = caption; update(); }
  QString caption() const { return caption_; }
  void SetFontColor(const QColor& c) { fontColor_ = c; update(); }
  void SetAlignment(Qt::Alignment a) { alignment_ = a; update(); }
  void SetBevels(PanelBevel outer, PanelBevel inner, int width);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QString caption_;
  QColor fontColor_ = Qt::black;
  Qt::Alignment alignment_ = Qt::AlignHCenter;
  PanelBevel outer_ = PanelBevel::Raised;
  PanelBevel inner_ = PanelBevel::None;
  int bevelWidth_ = 1;
};

// Draws a one-pixel 3D edge around r (raised: light top-left, dark bottom-right).
void Draw3DEdge(QPainter& p, const QRect& r, bool raised);

}  // namespace tp
