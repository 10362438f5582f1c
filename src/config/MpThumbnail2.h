#pragma once
// TMpThumbnail2: a grid of picture thumbnails with optional titles and check boxes. The
// user picks the current picture (OnSelectItem) and switches pictures off (Checked).
#include <QAbstractScrollArea>
#include <QImage>
#include <string>
#include <vector>

#include "project/ProjectSettings.h"

namespace tp {

class TMpThumbnail2 : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TMpThumbnail2(QWidget* parent = nullptr);

  // Keeps the list (not owned; it must outlive the grid or be replaced), recomputes the
  // layout, builds the thumbnails and refreshes.
  void SetFiles(const TMpCFileList* files);
  const TMpCFileList* Files() const { return files_; }

  void SetPictureWidth(int w);
  void SetPictureHeight(int h);
  void SetShowCheckBox(bool on);
  void SetShowTitle(bool on);
  void SetMultiRows(bool on);
  int PictureWidth() const { return pictureWidth_; }
  int PictureHeight() const { return pictureHeight_; }
  bool ShowCheckBox() const { return showCheckBox_; }
  bool ShowTitle() const { return showTitle_; }
  bool MultiRows() const { return multiRows_; }

  // The grid colour (cell background) and the title colour.
  void SetColor(const QColor& c);
  QColor color() const { return color_; }
  void SetFontColor(const QColor& c) { fontColor_ = c; viewport()->update(); }

  // One mark per picture of the list (true: the picture is on).
  bool Checked(int index) const;
  void SetChecked(int index, bool on);

  // Selects the cell (index div columns, index mod columns) and reports it.
  void SelectIndex(int index);
  int SelectedRow() const { return row_; }
  int SelectedCol() const { return col_; }

  int ColCount() const { return cols_; }
  int RowCount() const { return rows_; }
  int ColWidth() const { return pictureWidth_ + 20; }
  int RowHeight() const { return pictureHeight_ + (showTitle_ ? 50 : 20); }
  int TopRow() const;
  int LeftCol() const;
  // The cell's top-left corner in the viewport.
  QPoint CellOrigin(int row, int col) const;

  int ThumbnailCount() const { return int(thumbnails_.size()); }
  const QImage& Thumbnail(int i) const { return thumbnails_[size_t(i)]; }
  const QString& Title(int i) const { return titles_[size_t(i)]; }

  // Draws one cell with its top-left corner at (left, top); exposed for rendering checks.
  void DrawCell(class QPainter& p, int row, int col, int left, int top) const;

 signals:
  // The picture position of a selected cell (the sender of the item event is empty).
  void selectItem(int index);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void UpdateLayout();
  void BuildThumbnails();
  void SelectCell(int row, int col);
  bool CellAt(QPoint pos, int& row, int& col) const;
  bool OnCheckBox(QPoint pos) const;
  int FileCount() const { return files_ ? int(files_->Count()) : 0; }

  const TMpCFileList* files_ = nullptr;
  int pictureWidth_ = 80;
  int pictureHeight_ = 60;
  bool showCheckBox_ = false;
  bool showTitle_ = false;
  bool multiRows_ = true;
  QColor color_;
  QColor fontColor_ = Qt::black;
  int cols_ = 0;
  int rows_ = 0;
  int row_ = 0;
  int col_ = 0;
  std::vector<QImage> thumbnails_;
  std::vector<QString> titles_;
  std::vector<bool> checked_;
};

// mix(k, base, pct): every channel base - pct * (255 - k) div 100, clamped to 0..255.
QColor MixColor(const QColor& k, const QColor& base, int pct);
// The check mark's colour in an unselected cell: plainly visible on the grid colour.
QColor TickColor(const QColor& grid);

}  // namespace tp
