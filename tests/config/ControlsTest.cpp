#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "config/ConfigTestSupport.h"
#include "config/FormValues.h"
#include "config/MpPreview.h"
#include "config/MpThumbnail2.h"
#include "config/MyButton.h"
#include "config/MyMemo.h"
#include "core/FileSystem.h"

namespace tp::test {
namespace {

class Thumbnails : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    for (int i = 0; i < 8; ++i) {
      std::string path = dir / ("p" + std::to_string(i) + ".bmp");
      WriteSolidBmp(path, 16, 12, 0x000000FFu * uint32_t(i + 1) / 8);
      files.pictures.push_back(path);
      files.selected.push_back("TRUE");
    }
    grid.SetColor(QColor(255, 255, 255));
    grid.resize(350, 250);
    grid.show();  // size changes reach a shown control at once
    grid.SetFiles(&files);
  }
  TempDir dir;
  TMpCFileList files;
  TMpThumbnail2 grid;
};

TEST_F(Thumbnails, LayoutInRowsOrInOneRow) {
  EXPECT_EQ(grid.ColWidth(), 100);
  EXPECT_EQ(grid.RowHeight(), 80);
  EXPECT_EQ(grid.ColCount(), 3);
  EXPECT_EQ(grid.RowCount(), 3);
  grid.SetShowTitle(true);
  EXPECT_EQ(grid.RowHeight(), 110);
  grid.SetMultiRows(false);
  EXPECT_EQ(grid.ColCount(), 8);
  EXPECT_EQ(grid.RowCount(), 1);
  grid.SetMultiRows(true);
  grid.resize(199, 250);
  EXPECT_EQ(grid.ColCount(), 1);
  EXPECT_EQ(grid.RowCount(), 8);
  grid.SetPictureWidth(40);  // 60-pixel columns
  EXPECT_EQ(grid.ColCount(), 3);
  EXPECT_EQ(grid.ThumbnailCount(), 8);
  EXPECT_EQ(grid.Thumbnail(0).size(), QSize(40, 60));
}

TEST_F(Thumbnails, SelectingAnEmptyCellSelectsTheLastPicture) {
  QSignalSpy selected(&grid, &TMpThumbnail2::selectItem);
  grid.SelectIndex(4);
  EXPECT_EQ(grid.SelectedRow(), 1);
  EXPECT_EQ(grid.SelectedCol(), 1);
  // Row 2, column 2 is the ninth cell of eight pictures.
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(250, 170));
  EXPECT_EQ(grid.SelectedRow(), 2);
  EXPECT_EQ(grid.SelectedCol(), 1);
  ASSERT_EQ(selected.count(), 2);
  EXPECT_EQ(selected[0][0].toInt(), 4);
  EXPECT_EQ(selected[1][0].toInt(), 7);
}

TEST_F(Thumbnails, PressOnTheCheckBoxTogglesItsMarkAndSelectsTheCell) {
  grid.SetShowCheckBox(true);
  QSignalSpy selected(&grid, &TMpThumbnail2::selectItem);
  const QPoint box = grid.CellOrigin(0, 1) + QPoint(13 + 3, 60 + 6 + 3);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, box);
  EXPECT_FALSE(grid.Checked(1));
  EXPECT_TRUE(grid.Checked(0));
  EXPECT_EQ(grid.SelectedCol(), 1);
  ASSERT_EQ(selected.count(), 1);
  EXPECT_EQ(selected[0][0].toInt(), 1);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, box);
  EXPECT_TRUE(grid.Checked(1));
  // A press beside the box only selects.
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellOrigin(0, 2) + QPoint(50, 30));
  EXPECT_TRUE(grid.Checked(2));
  EXPECT_EQ(grid.SelectedCol(), 2);
  // Without check boxes the same press does not toggle.
  grid.SetShowCheckBox(false);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, box);
  EXPECT_TRUE(grid.Checked(1));
}

TEST_F(Thumbnails, DrawnCellsHaveTheirFramesMixedColoursAndTicks) {
  grid.SetShowCheckBox(true);
  grid.SelectIndex(0);
  QImage cell(100, 80, QImage::Format_RGB32);
  {
    QPainter p(&cell);
    grid.DrawCell(p, 0, 1, 0, 0);  // not selected, checked
  }
  const QColor frame = MixColor(QColor(0, 0, 0), QColor(255, 255, 255), 20);
  EXPECT_EQ(frame, QColor(204, 204, 204));
  EXPECT_EQ(cell.pixelColor(5, 5), QColor(255, 255, 255));  // the grid colour
  EXPECT_EQ(cell.pixelColor(10, 10), frame);
  EXPECT_EQ(cell.pixelColor(99, 50), frame);                   // the far edge, end excluded
  EXPECT_EQ(cell.pixelColor(12, 12), QColor(243, 243, 243));   // brush mix(black, grid, 5)
  EXPECT_EQ(cell.pixelColor(20, 20), grid.Thumbnail(1).pixelColor(5, 5));  // thumbnail at (15, 15)
  const QColor boxPen = MixColor(QColor(0, 0, 0), QColor(255, 255, 255), 30);
  EXPECT_EQ(boxPen, QColor(179, 179, 179));
  const int bx = 13, by = 66;
  EXPECT_EQ(cell.pixelColor(bx, by), boxPen);
  EXPECT_EQ(cell.pixelColor(bx + 1, by + 1), boxPen);  // the inner frame
  // The tick stands out plainly from the white grid, unlike the pale box.
  EXPECT_EQ(cell.pixelColor(bx + 5, by + 7), QColor(51, 51, 51));
  EXPECT_EQ(cell.pixelColor(bx + 3, by + 8), QColor(255, 255, 255));  // reset to the brush
  EXPECT_EQ(cell.pixelColor(bx + 5, by + 8), QColor(255, 255, 255));

  grid.SetChecked(1, false);
  {
    QPainter p(&cell);
    grid.DrawCell(p, 0, 1, 0, 0);
  }
  EXPECT_EQ(cell.pixelColor(bx + 5, by + 7), QColor(255, 255, 255));  // no tick

  {
    QPainter p(&cell);
    grid.DrawCell(p, 0, 0, 0, 0);  // selected: a 2-pixel frame in the highlight colour
  }
  const QColor highlight = SystemColor(kClHighlight);
  EXPECT_EQ(cell.pixelColor(10, 10), highlight);
  EXPECT_EQ(cell.pixelColor(11, 11), highlight);
  EXPECT_EQ(cell.pixelColor(bx, by), highlight);

  {
    QPainter p(&cell);
    grid.DrawCell(p, 2, 2, 0, 0);  // after the last picture: only the background
  }
  EXPECT_EQ(cell.pixelColor(10, 10), QColor(255, 255, 255));

  // On a dark grid the tick of an unselected cell is light.
  grid.SetChecked(1, true);
  grid.SetColor(QColor(20, 40, 80));
  {
    QPainter p(&cell);
    grid.DrawCell(p, 0, 1, 0, 0);
  }
  const QColor tick = cell.pixelColor(bx + 5, by + 7);
  EXPECT_EQ(tick, TickColor(QColor(20, 40, 80)));
  EXPECT_GT(tick.lightness(), 180);
}

TEST_F(Thumbnails, MissingAndBrokenFilesKeepTheirCellWithoutAThumbnail) {
  WriteFile(files.pictures[1], "broken");
  files.pictures[2] = dir / "missing.jpg";
  grid.SetFiles(&files);
  ASSERT_EQ(grid.ThumbnailCount(), 8);
  EXPECT_FALSE(grid.Thumbnail(0).isNull());
  EXPECT_TRUE(grid.Thumbnail(1).isNull());
  EXPECT_TRUE(grid.Thumbnail(2).isNull());
  EXPECT_FALSE(grid.Thumbnail(3).isNull());
  EXPECT_EQ(grid.Title(3), "p3.bmp");
}

class Button : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    auto t = std::make_unique<VirtualRepeatTimer>();
    timer = t.get();
    button.SetRepeatTimer(std::move(t));
    button.resize(40, 20);
    QObject::connect(&button, &TMyButton::mousePressed, [this] { ++presses; });
    QObject::connect(&button, &TMyButton::clicked, [this] { ++clicks; });
  }
  void Move(QPoint to) {
    QMouseEvent move(QEvent::MouseMove, QPointF(to), button.mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &move);
  }
  TMyButton button;
  VirtualRepeatTimer* timer = nullptr;
  int presses = 0, clicks = 0;
};

TEST_F(Button, HoldingForOneSecondRepeatsTwelveTimes) {
  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(button.CurrentState(), TMyButton::PaintState::Down);
  timer->Advance(499);
  EXPECT_EQ(presses, 1);
  timer->Advance(501);
  EXPECT_EQ(presses, 12);  // at the press, at 500 ms, then every 50 ms up to 1000 ms
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
  timer->Advance(1000);
  EXPECT_EQ(presses, 12);
  EXPECT_EQ(clicks, 1);
}

TEST_F(Button, LeavingWhileHeldPausesTheRepeatAndComingBackResumesIt) {
  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
  timer->Advance(600);
  EXPECT_EQ(presses, 4);
  Move(QPoint(-10, -10));
  EXPECT_EQ(button.CurrentState(), TMyButton::PaintState::Up);
  timer->Advance(500);
  EXPECT_EQ(presses, 4);
  Move(QPoint(5, 5));
  timer->Advance(100);
  EXPECT_EQ(presses, 6);
  // Released outside: no click.
  Move(QPoint(-10, -10));
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(-10, -10));
  EXPECT_EQ(clicks, 0);
}

TEST_F(Button, AllowDownLatchesAndStatesFallBackToTheUpPicture) {
  button.SetAllowDown(true);
  QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(button.Down());
  QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(button.Down());
  QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
  button.SetAllowDown(false);
  EXPECT_FALSE(button.Down());

  QImage up(10, 8, QImage::Format_RGB32);
  up.fill(QColor(0, 0, 255));
  up.setPixelColor(0, 7, QColor(255, 0, 255));  // the transparent colour (bottom-left)
  button.SetButtonUp(up);
  button.SetMouseInControl(true);  // over, without its own picture: the up picture
  QImage shot = button.grab().toImage();
  EXPECT_EQ(button.size(), QSize(10, 8));  // AutoSize
  EXPECT_EQ(shot.pixelColor(5, 3), QColor(0, 0, 255));
  button.setEnabled(false);
  EXPECT_EQ(button.CurrentState(), TMyButton::PaintState::Disabled);
}

TEST(Preview, StretchesToTheControlAndShowsEmptyForMissingFiles) {
  App();
  TempDir dir;
  WriteSolidBmp(dir / "a.bmp", 8, 4, 0xFF8000);
  TMpPreview preview;
  preview.resize(30, 20);
  preview.show();
  preview.SetPicture(dir / "a.bmp");
  EXPECT_EQ(preview.File(), dir / "a.bmp");
  EXPECT_EQ(preview.picture().size(), QSize(30, 20));
  EXPECT_EQ(preview.picture().pixelColor(15, 10), QColor(255, 128, 0));
  preview.resize(60, 10);
  EXPECT_EQ(preview.picture().size(), QSize(60, 10));
  preview.SetPicture(dir / "none.jpg");
  EXPECT_EQ(preview.picture().size(), QSize(60, 10));
  EXPECT_EQ(preview.picture().pixelColor(5, 5), QColor(0, 0, 0));
  preview.SetPicture(dir / "a.txt");
  EXPECT_EQ(preview.picture().pixelColor(5, 5), QColor(0, 0, 0));
}

TEST(Memo, TextIsAllLinesJoinedByLineBreaks) {
  App();
  TMyMemo memo;
  memo.SetText("one\r\ntwo\rthree\nfour");
  EXPECT_EQ(memo.Text(), "one\r\ntwo\r\nthree\r\nfour");
  EXPECT_EQ(memo.document()->blockCount(), 4);
}

}  // namespace
}  // namespace tp::test
