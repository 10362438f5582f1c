#include "config/MpThumbnail2.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "config/FormValues.h"
#include "config/MpPreview.h"
#include "core/CodePage.h"
#include "core/FileSystem.h"
#include "imaging/import/ImageLoader.h"
#include "project/PackagedPicture.h"

namespace tp {
namespace {

// A rectangle from (x1, y1) to (x2, y2), end excluded: filled with the brush, outlined
// with a pen of width w centred on the edge (as a width-1 pen lies just inside).
void FrameRect(QPainter& p, int x1, int y1, int x2, int y2, int w, const QColor& pen,
               const QColor* brush) {
  if (brush) p.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), *brush);
  int l = x1 - w / 2, t = y1 - w / 2, r = x2 - 1 - w / 2, b = y2 - 1 - w / 2;
  p.fillRect(QRect(l, t, r - l + w, w), pen);
  p.fillRect(QRect(l, b, r - l + w, w), pen);
  p.fillRect(QRect(l, t, w, b - t + w), pen);
  p.fillRect(QRect(r, t, w, b - t + w), pen);
}

// A line of a width-2 pen from (x0, y0) to (x1, y1), the end point excluded.
void ThickLine(QPainter& p, int x0, int y0, int x1, int y1, const QColor& c) {
  int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
  while (!(x0 == x1 && y0 == y1)) {
    p.fillRect(QRect(x0, y0, 2, 2), c);
    int e2 = 2 * err;
    if (e2 >= dy) { err += dy; x0 += sx; }
    if (e2 <= dx) { err += dx; y0 += sy; }
  }
}

QImage StretchTo(const QImage& src, int w, int h) {
  QImage out = src.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  return out.convertToFormat(QImage::Format_RGB32);
}

QString FileNameOnly(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return QString::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
}

}  // namespace

QColor MixColor(const QColor& k, const QColor& base, int pct) {
  auto ch = [pct](int kc, int bc) { return std::clamp(bc - pct * (255 - kc) / 100, 0, 255); };
  return QColor(ch(k.red(), base.red()), ch(k.green(), base.green()), ch(k.blue(), base.blue()));
}

QColor TickColor(const QColor& grid) {
  // Dark on a light grid, light on a dark one: 80 % of the way to black or to white.
  const int luma = (grid.red() * 299 + grid.green() * 587 + grid.blue() * 114) / 1000;
  if (luma >= 128) return MixColor(QColor(0, 0, 0), grid, 80);
  auto up = [](int c) { return c + (255 - c) * 80 / 100; };
  return QColor(up(grid.red()), up(grid.green()), up(grid.blue()));
}

TMpThumbnail2::TMpThumbnail2(QWidget* parent) : QAbstractScrollArea(parent) {
  color_ = SystemColor(kClWindow);
  setFrameShape(QFrame::NoFrame);
  viewport()->setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  resize(350, 250);
  UpdateLayout();
}

void TMpThumbnail2::SetFiles(const TMpCFileList* files) {
  files_ = files;
  checked_.resize(size_t(FileCount()), true);
  UpdateLayout();
  BuildThumbnails();
  viewport()->update();
}

void TMpThumbnail2::SetPictureWidth(int w) {
  w = std::clamp(w, 1, 4096);
  if (w == pictureWidth_) return;
  pictureWidth_ = w;
  UpdateLayout();
  if (files_) BuildThumbnails();
}

void TMpThumbnail2::SetPictureHeight(int h) {
  h = std::clamp(h, 1, 4096);
  if (h == pictureHeight_) return;
  pictureHeight_ = h;
  UpdateLayout();
  if (files_) BuildThumbnails();
}

void TMpThumbnail2::SetShowCheckBox(bool on) { showCheckBox_ = on; UpdateLayout(); }
void TMpThumbnail2::SetShowTitle(bool on) { showTitle_ = on; UpdateLayout(); }
void TMpThumbnail2::SetMultiRows(bool on) { multiRows_ = on; UpdateLayout(); }

void TMpThumbnail2::SetColor(const QColor& c) {
  color_ = c;
  viewport()->update();
}

bool TMpThumbnail2::Checked(int index) const {
  return index >= 0 && size_t(index) < checked_.size() && checked_[size_t(index)];
}

void TMpThumbnail2::SetChecked(int index, bool on) {
  if (index < 0) return;
  if (size_t(index) >= checked_.size()) checked_.resize(size_t(index) + 1, true);
  checked_[size_t(index)] = on;
  viewport()->update();
}

void TMpThumbnail2::UpdateLayout() {
  int count = FileCount();
  if (multiRows_) {
    cols_ = std::max(1, width() / ColWidth());
    rows_ = count / cols_ + (count % cols_ ? 1 : 0);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int visible = std::max(1, viewport()->height() / RowHeight());
    verticalScrollBar()->setRange(0, std::max(0, rows_ - visible));
    verticalScrollBar()->setPageStep(visible);
    horizontalScrollBar()->setRange(0, 0);
  } else {
    cols_ = count;
    rows_ = count > 0 ? 1 : 0;
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    int visible = std::max(1, viewport()->width() / ColWidth());
    horizontalScrollBar()->setRange(0, std::max(0, cols_ - visible));
    horizontalScrollBar()->setPageStep(visible);
    verticalScrollBar()->setRange(0, 0);
  }
  viewport()->update();
}

void TMpThumbnail2::BuildThumbnails() {
  thumbnails_.clear();
  titles_.clear();
  if (!files_) return;
  // Every picture keeps its cell, so marks and selection stay with their own picture even
  // when a file is missing or does not decode (its cell shows no thumbnail).
  for (const std::string& path : files_->pictures) {
    QImage thumb;
    QString title = FileNameOnly(path);
    if (FileExists(path)) {
      try {
        if (IsPackagedPicturePath(path)) {
          TProject packaged;
          if (packaged.LoadPackagedThumbnail(path)) {
            if (!packaged.thumbnail.empty())
              thumb = StretchTo(ToQImage(packaged.thumbnail, false), pictureWidth_, pictureHeight_);
            title = QString::fromStdString(Cp1252ToUtf8(packaged.name));
          }
        } else if (IsPlainPicturePath(path)) {
          thumb = StretchTo(ToQImage(LoadImageFile(path), false), pictureWidth_, pictureHeight_);
        }
      } catch (const std::exception&) {
        thumb = QImage();
      }
    }
    thumbnails_.push_back(std::move(thumb));
    titles_.push_back(std::move(title));
  }
}

int TMpThumbnail2::TopRow() const { return multiRows_ ? verticalScrollBar()->value() : 0; }
int TMpThumbnail2::LeftCol() const { return multiRows_ ? 0 : horizontalScrollBar()->value(); }

QPoint TMpThumbnail2::CellOrigin(int row, int col) const {
  return QPoint((col - LeftCol()) * ColWidth(), (row - TopRow()) * RowHeight());
}

void TMpThumbnail2::DrawCell(QPainter& p, int row, int col, int L, int T) const {
  const int cw = ColWidth(), rh = RowHeight();
  const int pw = pictureWidth_, ph = pictureHeight_;
  p.fillRect(QRect(L, T, cw, rh), color_);
  int index = row * cols_ + col;
  if (index < 0 || index >= FileCount()) return;
  bool selected = row == row_ && col == col_;
  const QColor black(0, 0, 0);
  const QColor highlight = SystemColor(kClHighlight);

  if (!selected) {
    QColor brush = MixColor(black, color_, 5);
    FrameRect(p, L + 10, T + 10, L + pw + 20, T + ph + 20, 1, MixColor(black, color_, 20), &brush);
  } else {
    QColor brush = MixColor(black, color_, 10);
    FrameRect(p, L + 11, T + 11, L + pw + 20, T + ph + 20, 2, MixColor(highlight, color_, 100), &brush);
  }

  if (size_t(index) < thumbnails_.size() && !thumbnails_[size_t(index)].isNull())
    p.drawImage(L + (cw - pw + 10) / 2, T + 15, thumbnails_[size_t(index)]);

  if (showCheckBox_) {
    int x = L + 13, y = T + ph + 6;
    QColor pen = selected ? MixColor(highlight, color_, 100) : MixColor(black, color_, 30);
    FrameRect(p, x, y, x + 11, y + 11, 1, pen, &color_);
    if (Checked(index)) {
      // The tick of an unselected cell stands out from the grid colour; the box's own
      // pale pen would hide it on a light grid.
      const QColor tick = selected ? pen : TickColor(color_);
      ThickLine(p, x + 1, y + 4, x + 5, y + 8, tick);
      ThickLine(p, x + 3, y + 8, x + 9, y + 2, tick);
      p.fillRect(QRect(x + 3, y + 8, 1, 1), color_);
      p.fillRect(QRect(x + 5, y + 8, 1, 1), color_);
    }
    FrameRect(p, x + 1, y + 1, x + 10, y + 10, 1, pen, nullptr);
  }

  if (showTitle_ && size_t(index) < titles_.size()) {
    QRect r(QPoint(L + 10, T + ph + 24), QPoint(L + cw - 1, T + rh - 1));
    if (selected) p.fillRect(r, highlight);
    p.setFont(font());
    p.setPen(selected ? SystemColor(kClHighlightText) : fontColor_);
    p.drawText(r, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, titles_[size_t(index)]);
  }
}

void TMpThumbnail2::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  p.fillRect(viewport()->rect(), color_);
  const int cw = ColWidth(), rh = RowHeight();
  int firstRow = TopRow(), firstCol = LeftCol();
  int visibleRows = viewport()->height() / rh + 1;
  int visibleCols = viewport()->width() / cw + 1;
  for (int r = firstRow; r < std::min(rows_, firstRow + visibleRows); ++r)
    for (int c = firstCol; c < std::min(cols_, firstCol + visibleCols); ++c) {
      QPoint o = CellOrigin(r, c);
      DrawCell(p, r, c, o.x(), o.y());
    }
}

void TMpThumbnail2::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  UpdateLayout();
}

void TMpThumbnail2::scrollContentsBy(int, int) {
  if (multiRows_ && horizontalScrollBar()->value() != 0) horizontalScrollBar()->setValue(0);
  viewport()->update();
}

bool TMpThumbnail2::CellAt(QPoint pos, int& row, int& col) const {
  if (pos.x() < 0 || pos.y() < 0) return false;
  row = TopRow() + pos.y() / RowHeight();
  col = LeftCol() + pos.x() / ColWidth();
  return row < rows_ && col < cols_;
}

bool TMpThumbnail2::OnCheckBox(QPoint pos) const {
  int row, col;
  if (!showCheckBox_ || !CellAt(pos, row, col)) return false;
  QPoint o = CellOrigin(row, col);
  int x = pos.x() - o.x(), y = pos.y() - o.y();
  return x >= 13 && x <= 24 && y >= pictureHeight_ + 6 && y <= pictureHeight_ + 17;
}

void TMpThumbnail2::mouseMoveEvent(QMouseEvent* e) {
  if (showCheckBox_)
    viewport()->setCursor(OnCheckBox(e->position().toPoint()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
  QAbstractScrollArea::mouseMoveEvent(e);
}

void TMpThumbnail2::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  QPoint pos = e->position().toPoint();
  int row, col;
  if (!CellAt(pos, row, col)) return;
  if (OnCheckBox(pos)) {
    int index = row * cols_ + col;
    if (index < FileCount()) SetChecked(index, !Checked(index));
  }
  SelectCell(row, col);
}

void TMpThumbnail2::keyPressEvent(QKeyEvent* e) {
  int row = row_, col = col_;
  switch (e->key()) {
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_Space:
      if (showCheckBox_) SetChecked(row_ * cols_ + col_, !Checked(row_ * cols_ + col_));
      return;
    default:
      QAbstractScrollArea::keyPressEvent(e);
      return;
  }
  if (row >= 0 && col >= 0 && row < rows_ && col < cols_) SelectCell(row, col);
}

void TMpThumbnail2::SelectCell(int row, int col) {
  int count = FileCount();
  if (count <= 0 || cols_ <= 0) return;
  int p = std::clamp(row * cols_ + col, 0, count - 1);
  // An empty cell after the last picture selects the last picture's cell.
  row_ = p / cols_;
  col_ = p % cols_;
  if (multiRows_) {
    int visible = std::max(1, viewport()->height() / RowHeight());
    QScrollBar* v = verticalScrollBar();
    if (row_ < v->value()) v->setValue(row_);
    else if (row_ >= v->value() + visible) v->setValue(row_ - visible + 1);
  } else {
    int visible = std::max(1, viewport()->width() / ColWidth());
    QScrollBar* h = horizontalScrollBar();
    if (col_ < h->value()) h->setValue(col_);
    else if (col_ >= h->value() + visible) h->setValue(col_ - visible + 1);
  }
  viewport()->update();
  emit selectItem(p);
}

void TMpThumbnail2::SelectIndex(int index) {
  if (cols_ <= 0 || index < 0) return;
  SelectCell(index / cols_, index % cols_);
}

}  // namespace tp
