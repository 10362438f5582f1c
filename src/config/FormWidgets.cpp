#include "config/FormWidgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "config/FormValues.h"

namespace tp {

ClickableWidget::ClickableWidget(QWidget* parent) : QWidget(parent) {}

void ClickableWidget::SetColor(const QColor& color) {
  color_ = color;
  update();
}

void ClickableWidget::FillBackground(QPainter& p) {
  if (color_.alpha() > 0) p.fillRect(rect(), color_);
}

void ClickableWidget::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) pressed_ = true;
  QWidget::mousePressEvent(e);
}

void ClickableWidget::mouseReleaseEvent(QMouseEvent* e) {
  bool wasPressed = pressed_ && e->button() == Qt::LeftButton;
  if (e->button() == Qt::LeftButton) pressed_ = false;
  if (wasPressed && rect().contains(e->position().toPoint())) emit clicked();
  QWidget::mouseReleaseEvent(e);
}

// ---- FormLabel

FormLabel::FormLabel(QWidget* parent) : ClickableWidget(parent) {}

void FormLabel::SetCaption(const QString& caption) {
  caption_ = caption;
  if (autoSize_) AdjustToText();
  update();
}

int FormLabel::TextFlags() const {
  int flags = int(alignment_) | int(vertical_) | Qt::TextShowMnemonic;
  if (wordWrap_) flags |= Qt::TextWordWrap;
  return flags;
}

void FormLabel::AdjustToText() {
  QFontMetrics fm(font());
  if (wordWrap_) {
    QRect r = fm.boundingRect(QRect(0, 0, std::max(1, width()), 100000), TextFlags(), caption_);
    resize(width(), std::max(fm.height(), r.height()));
  } else {
    QRect r = fm.boundingRect(QRect(0, 0, 100000, 100000), TextFlags() & ~Qt::AlignHCenter & ~Qt::AlignRight, caption_);
    resize(std::max(1, r.width()), std::max(fm.height(), r.height()));
  }
}

void FormLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  FillBackground(p);
  p.setFont(font());
  p.setPen(isEnabled() ? fontColor_ : SystemColor(17));
  p.drawText(rect(), TextFlags(), caption_);
}

// ---- FormImage

FormImage::FormImage(QWidget* parent) : ClickableWidget(parent) {}

void FormImage::SetPicture(const QImage& image) {
  picture_ = image;
  update();
}

QRect FormImage::PictureRect() const {
  if (picture_.isNull()) return QRect();
  int w = picture_.width(), h = picture_.height();
  int cw = width(), ch = height();
  if (stretch_ || (proportional_ && (w > cw || h > ch))) {
    if (proportional_ && w > 0 && h > 0) {
      // Keep the aspect ratio inside the control.
      if (int64_t(cw) * h > int64_t(ch) * w) {
        w = int(int64_t(ch) * w / h);
        h = ch;
      } else {
        h = int(int64_t(cw) * h / w);
        w = cw;
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  int x = 0, y = 0;
  if (center_) {
    x = (cw - w) / 2;
    y = (ch - h) / 2;
  }
  return QRect(x, y, w, h);
}

void FormImage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  FillBackground(p);
  if (picture_.isNull()) return;
  QImage img = transparent_ ? WithTransparentColor(picture_) : picture_;
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(PictureRect(), img);
}

// ---- FormShape

FormShape::FormShape(QWidget* parent) : ClickableWidget(parent) {}

void FormShape::SetPen(const QColor& c, int width, Qt::PenStyle style) {
  penColor_ = c;
  penWidth_ = std::clamp(width, 0, 100);
  penStyle_ = style;
  update();
}

void FormShape::SetBrush(const QColor& c, Qt::BrushStyle style) {
  brushColor_ = c;
  brushStyle_ = style;
  update();
}

void FormShape::paintEvent(QPaintEvent*) {
  QPainter p(this);
  int w = width(), h = height();
  int x = 0, y = 0;
  if (shape_ == ShapeKind::Square || shape_ == ShapeKind::RoundSquare || shape_ == ShapeKind::Circle) {
    int side = std::min(w, h);
    x = (w - side) / 2;
    y = (h - side) / 2;
    w = h = side;
  }
  int pw = std::max(1, penWidth_);
  // The outline lies inside the control, as the pen is centred half a width in.
  QRectF r(x + pw / 2.0, y + pw / 2.0, w - pw, h - pw);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(penStyle_ == Qt::NoPen || penWidth_ == 0 ? QPen(Qt::NoPen) : QPen(penColor_, pw, penStyle_));
  p.setBrush(QBrush(brushColor_, brushStyle_));
  switch (shape_) {
    case ShapeKind::Rectangle:
    case ShapeKind::Square:
      p.drawRect(r);
      break;
    case ShapeKind::RoundRect:
    case ShapeKind::RoundSquare: {
      qreal radius = std::min(w, h) / 8.0;
      p.drawRoundedRect(r, radius, radius);
      break;
    }
    case ShapeKind::Ellipse:
    case ShapeKind::Circle:
      p.drawEllipse(r);
      break;
  }
}

// ---- FormBevel

void Draw3DEdge(QPainter& p, const QRect& r, bool raised) {
  QColor light = SystemColor(kClBtnHighlight), dark = SystemColor(kClBtnShadow);
  QColor tl = raised ? light : dark, br = raised ? dark : light;
  p.fillRect(QRect(r.left(), r.top(), r.width(), 1), tl);
  p.fillRect(QRect(r.left(), r.top(), 1, r.height()), tl);
  p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), br);
  p.fillRect(QRect(r.right(), r.top(), 1, r.height()), br);
}

FormBevel::FormBevel(QWidget* parent) : ClickableWidget(parent) {}

void FormBevel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QRect r = rect();
  QColor light = SystemColor(kClBtnHighlight), dark = SystemColor(kClBtnShadow);
  QColor first = raised_ ? light : dark, second = raised_ ? dark : light;
  switch (shape_) {
    case BevelShape::Box:
      Draw3DEdge(p, r, raised_);
      break;
    case BevelShape::Frame:
      Draw3DEdge(p, r.adjusted(0, 0, -1, -1), !raised_);
      Draw3DEdge(p, r.adjusted(1, 1, 0, 0), raised_);
      break;
    case BevelShape::TopLine:
      p.fillRect(QRect(0, 0, r.width(), 1), first);
      p.fillRect(QRect(0, 1, r.width(), 1), second);
      break;
    case BevelShape::BottomLine:
      p.fillRect(QRect(0, r.height() - 2, r.width(), 1), first);
      p.fillRect(QRect(0, r.height() - 1, r.width(), 1), second);
      break;
    case BevelShape::LeftLine:
      p.fillRect(QRect(0, 0, 1, r.height()), first);
      p.fillRect(QRect(1, 0, 1, r.height()), second);
      break;
    case BevelShape::RightLine:
      p.fillRect(QRect(r.width() - 2, 0, 1, r.height()), first);
      p.fillRect(QRect(r.width() - 1, 0, 1, r.height()), second);
      break;
    case BevelShape::Spacer:
      break;
  }
}

// ---- FormPanel

FormPanel::FormPanel(QWidget* parent) : ClickableWidget(parent) { color_ = SystemColor(kClBtnFace); }

void FormPanel::SetBevels(PanelBevel outer, PanelBevel inner, int width) {
  outer_ = outer;
  inner_ = inner;
  bevelWidth_ = std::clamp(width, 1, 50);
  update();
}

void FormPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  FillBackground(p);
  QRect r = rect();
  for (PanelBevel b : {outer_, inner_}) {
    if (b == PanelBevel::None) continue;
    for (int i = 0; i < bevelWidth_ && r.width() > 1 && r.height() > 1; ++i) {
      Draw3DEdge(p, r, b == PanelBevel::Raised);
      r.adjust(1, 1, -1, -1);
    }
  }
  if (!caption_.isEmpty()) {
    p.setFont(font());
    p.setPen(fontColor_);
    p.drawText(r, int(alignment_) | Qt::AlignVCenter | Qt::TextShowMnemonic, caption_);
  }
}

}  // namespace tp
