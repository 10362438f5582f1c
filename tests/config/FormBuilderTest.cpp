#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include "config/ConfigTestSupport.h"
#include "config/FormBuilder.h"
#include "config/FormWidgets.h"
#include "config/MpPreview.h"
#include "config/MpThumbnail2.h"
#include "config/MyButton.h"
#include "config/MyMemo.h"

namespace tp::test {
namespace {

struct Built {
  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  FormBuildResult result;
  template <class T>
  T* Get(const char* name) const {
    const BuiltComponent* c = result.Find(name);
    return c ? qobject_cast<T*>(c->object.data()) : nullptr;
  }
};

Built Build(const std::string& text) {
  App();
  Built b;
  b.result = BuildFormComponents(ParseFormText(text), b.window.get());
  return b;
}

TEST(FormBuilder, LabelTakesGeometryCaptionFontAndInheritedFontColour) {
  Built b = Build(
      "object W: TfmMpConfigWindow\n"
      "  Font.Color = clRed\n"
      "  object Label1: TLabel\n"
      "    Left = 12\n Top = 34\n Width = 150\n Height = 20\n"
      "    AutoSize = False\n"
      "    Caption = 'It''s here'\n"
      "    Font.Name = 'Tahoma'\n Font.Height = -13\n Font.Style = [fsBold]\n"
      "    Alignment = taCenter\n"
      "    Tag = 5\n"
      "  end\n"
      "end\n");
  auto* label = b.Get<FormLabel>("Label1");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->geometry(), QRect(12, 34, 150, 20));
  EXPECT_EQ(label->caption(), "It's here");
  EXPECT_EQ(label->font().family(), "Tahoma");
  EXPECT_EQ(label->font().pixelSize(), 13);
  EXPECT_TRUE(label->font().bold());
  EXPECT_EQ(b.result.Find("label1")->tag, 5);
  // The label paints its text in the colour the window's font gave it.
  label->SetColor(Qt::white);
  QImage shot = label->grab().toImage();
  bool red = false;
  for (int y = 0; y < shot.height() && !red; ++y)
    for (int x = 0; x < shot.width() && !red; ++x) {
      QColor c = shot.pixelColor(x, y);
      red = c.red() > 150 && c.green() < 80 && c.blue() < 80;
    }
  EXPECT_TRUE(red);
}

TEST(FormBuilder, UnknownClassSkipsItsChildrenButTheRestAppears) {
  Built b = Build(
      "object W: TForm\n"
      "  object Fancy: TFancyWidget\n"
      "    object Inside: TLabel\n Caption = 'x'\n end\n"
      "  end\n"
      "  object After: TLabel\n Caption = 'after'\n end\n"
      "  object Sheet: TTabSheet\n end\n"
      "end\n");
  EXPECT_EQ(b.result.Find("Fancy"), nullptr);
  EXPECT_EQ(b.result.Find("Inside"), nullptr);
  ASSERT_NE(b.Get<FormLabel>("After"), nullptr);
  EXPECT_EQ(b.Get<FormLabel>("After")->caption(), "after");
  // A tab sheet outside a page control has nowhere to go.
  EXPECT_EQ(b.result.Find("Sheet"), nullptr);
  EXPECT_EQ(b.result.skippedClasses, (std::vector<std::string>{"TFancyWidget", "TTabSheet"}));
}

// Each class makes its own kind of widget, whatever the letter case of its name; a
// window's own class is never made as a child.
TEST(FormBuilder, EachClassMakesItsWidgetAndWindowClassesAreNoChildren) {
  Built b = Build(
      "object W: TForm\n"
      "  object A: tlabel\n end\n"
      "  object B: TIMAGE\n end\n"
      "  object C: TMyShape\n end\n"
      "  object D: TMyBevel\n end\n"
      "  object E: TPanel\n end\n"
      "  object F: TButton\n end\n"
      "  object G: TPageControl\n end\n"
      "  object H: TMpPreview\n end\n"
      "  object I: TMyButton\n end\n"
      "  object J: TForm\n end\n"
      "  object K: TfmForm\n end\n"
      "  object L: TfmMpConfigWindow\n end\n"
      "end\n");
  EXPECT_NE(b.Get<FormLabel>("A"), nullptr);
  EXPECT_NE(b.Get<FormImage>("B"), nullptr);
  EXPECT_EQ(b.Get<TMpPreview>("B"), nullptr);
  EXPECT_NE(b.Get<FormShape>("C"), nullptr);
  EXPECT_NE(b.Get<FormBevel>("D"), nullptr);
  EXPECT_NE(b.Get<FormPanel>("E"), nullptr);
  EXPECT_NE(b.Get<QPushButton>("F"), nullptr);
  EXPECT_NE(b.Get<QTabWidget>("G"), nullptr);
  EXPECT_NE(b.Get<TMpPreview>("H"), nullptr);
  EXPECT_NE(b.Get<TMyButton>("I"), nullptr);
  ASSERT_NE(b.Get<FormLabel>("A"), nullptr);
  EXPECT_EQ(b.Get<FormLabel>("A")->property("tpClass").toString(), "tlabel");
  EXPECT_EQ(b.result.skippedClasses, (std::vector<std::string>{"TForm", "TfmForm", "TfmMpConfigWindow"}));
}

TEST(FormBuilder, ValuesOfTheWrongKindSkipOnlyThatProperty) {
  Built b = Build(
      "object W: TForm\n"
      "  object L: TLabel\n"
      "    Left = 'ten'\n Top = 7\n AutoSize = 3\n Width = 40\n Height = 10\n"
      "    Caption = 42\n"
      "    Color = 'red'\n"
      "  end\n"
      "  object Huge: TPanel\n Left = 99999999999\n Width = -5\n Height = 123456789\n end\n"
      "end\n");
  auto* label = b.Get<FormLabel>("L");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->x(), 0);
  EXPECT_EQ(label->y(), 7);
  EXPECT_EQ(label->caption(), "L");  // a caption that is not a string leaves the name
  auto* panel = b.Get<FormPanel>("Huge");
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->x(), kMaxFormCoordinate);
  EXPECT_EQ(panel->width(), 0);
  EXPECT_EQ(panel->height(), kMaxFormCoordinate);
}

TEST(FormBuilder, PicturesDecodeWithTheirClassNameAndBrokenOnesAreSkipped) {
  const std::string bmp = SolidBmpBytes(6, 4, 0x00FF00);
  const std::string withClass = std::string(1, char(7)) + "TBitmap" + bmp;
  std::string text =
      "object W: TForm\n"
      "  object Image1: TImage\n Width = 20\n Height = 20\n"
      "    Picture.Data = {\n      " + Hex(withClass).substr(0, 40) + "\n      " + Hex(withClass).substr(40) + "}\n"
      "  end\n"
      "  object Image2: TImage\n"
      "    Picture.Data = {0A544A504547496D616765FFD8FFE000104A4649}\n"
      "    Stretch = True\n"
      "  end\n"
      "  object Btn: TMyButton\n"
      "    ButtonUp.Data = {" + Hex(withClass) + "}\n"
      "    ButtonDown.Data = {07544269746D6170424D0000}\n"
      "  end\n"
      "end\n";
  Built b = Build(text);
  auto* image = b.Get<FormImage>("Image1");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->picture().size(), QSize(6, 4));
  EXPECT_EQ(image->picture().pixelColor(2, 2), QColor(0, 255, 0));
  auto* broken = b.Get<FormImage>("Image2");
  ASSERT_NE(broken, nullptr);  // the JPEG does not decode: no picture, the image stays
  EXPECT_TRUE(broken->picture().isNull());
  auto* button = b.Get<TMyButton>("Btn");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->ButtonUp().size(), QSize(6, 4));
  EXPECT_EQ(button->size(), QSize(6, 4));  // AutoSize takes the up picture's size
}

TEST(FormBuilder, PageControlOrdersSheetsOpensTheActivePageAndKeepsChildrenOnTheirSheet) {
  Built b = Build(
      "object W: TForm\n"
      "  object Pages: TPageControl\n Width = 300\n Height = 200\n ActivePage = Second\n"
      "    object Second: TTabSheet\n Caption = 'Two'\n PageIndex = 1\n"
      "      object OnSecond: TLabel\n Left = 5\n Top = 6\n Caption = 'on two'\n end\n"
      "    end\n"
      "    object First: TTabSheet\n Caption = 'One'\n PageIndex = 0\n end\n"
      "    object Hidden: TTabSheet\n Caption = 'Three'\n PageIndex = 2\n TabVisible = False\n end\n"
      "  end\n"
      "end\n");
  auto* tabs = b.Get<QTabWidget>("Pages");
  ASSERT_NE(tabs, nullptr);
  ASSERT_EQ(tabs->count(), 3);
  EXPECT_EQ(tabs->tabText(0), "One");
  EXPECT_EQ(tabs->tabText(1), "Two");
  EXPECT_EQ(tabs->currentWidget()->objectName(), "Second");
  EXPECT_FALSE(tabs->isTabVisible(2));
  auto* label = b.Get<FormLabel>("OnSecond");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->parentWidget(), tabs->widget(1));
  EXPECT_EQ(label->pos(), QPoint(5, 6));
}

TEST(FormBuilder, StandardControlsTimerMemoAndGrid) {
  Built b = Build(
      "object W: TForm\n"
      "  object Edit1: TEdit\n Text = 'typed'\n ReadOnly = True\n MaxLength = 8\n end\n"
      "  object Check: TCheckBox\n Caption = 'Tick'\n Checked = True\n end\n"
      "  object Bit: TBitBtn\n Caption = '&Go'\n end\n"
      "  object Timer1: TTimer\n Interval = 250\n end\n"
      "  object Memo: TMyMemo\n Lines.Strings = (\n 'one'\n 'two')\n end\n"
      "  object Grid: TMpThumbnail2\n Width = 350\n PictureWidth = 40\n PictureHeight = 30\n"
      "    ShowCheckBox = True\n ShowTitle = True\n MultiRows = False\n Color = clWhite\n end\n"
      "  object Shape: TMyShape\n Shape = stCircle\n Pen.Width = 3\n Brush.Color = clBlue\n end\n"
      "end\n");
  ASSERT_NE(b.Get<QLineEdit>("Edit1"), nullptr);
  EXPECT_EQ(b.Get<QLineEdit>("Edit1")->text(), "typed");
  EXPECT_TRUE(b.Get<QLineEdit>("Edit1")->isReadOnly());
  EXPECT_EQ(b.Get<QLineEdit>("Edit1")->maxLength(), 8);
  ASSERT_NE(b.Get<QCheckBox>("Check"), nullptr);
  EXPECT_TRUE(b.Get<QCheckBox>("Check")->isChecked());
  ASSERT_NE(b.Get<QPushButton>("Bit"), nullptr);
  EXPECT_EQ(b.Get<QPushButton>("Bit")->text(), "&Go");
  auto* timer = b.Get<QTimer>("Timer1");
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->interval(), 250);
  EXPECT_FALSE(timer->isActive());
  ASSERT_NE(b.Get<TMyMemo>("Memo"), nullptr);
  EXPECT_EQ(b.Get<TMyMemo>("Memo")->Text(), "one\r\ntwo");
  auto* grid = b.Get<TMpThumbnail2>("Grid");
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->PictureWidth(), 40);
  EXPECT_EQ(grid->PictureHeight(), 30);
  EXPECT_TRUE(grid->ShowCheckBox());
  EXPECT_TRUE(grid->ShowTitle());
  EXPECT_FALSE(grid->MultiRows());
  EXPECT_EQ(grid->color(), QColor(255, 255, 255));
  EXPECT_NE(b.Get<FormShape>("Shape"), nullptr);
  // Creation order is the form text's order.
  std::vector<std::string> names;
  for (const BuiltComponent& c : b.result.components) names.push_back(c.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Edit1", "Check", "Bit", "Timer1", "Memo", "Grid", "Shape"}));
}

TEST(FormBuilder, CursorHintsEnabledAndTabOrder) {
  Built b = Build(
      "object W: TForm\n"
      "  ShowHint = True\n"
      "  object A: TEdit\n Cursor = crHandPoint\n Hint = 'Type here'\n TabOrder = 2\n end\n"
      "  object B: TEdit\n Cursor = -4\n Enabled = False\n TabOrder = 0\n end\n"
      "  object C: TEdit\n Hint = 'quiet'\n ShowHint = False\n TabOrder = 1\n end\n"
      "  object P: TPanel\n ShowHint = False\n"
      "    object D: TLabel\n Hint = 'inherits no hints'\n end\n"
      "  end\n"
      "end\n");
  auto* a = b.Get<QLineEdit>("A");
  auto* bb = b.Get<QLineEdit>("B");
  auto* c = b.Get<QLineEdit>("C");
  ASSERT_TRUE(a && bb && c);
  EXPECT_EQ(a->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(bb->cursor().shape(), Qt::IBeamCursor);
  EXPECT_EQ(a->toolTip(), "Type here");
  EXPECT_EQ(c->toolTip(), "");
  EXPECT_EQ(b.Get<FormLabel>("D")->toolTip(), "");
  EXPECT_FALSE(bb->isEnabled());
  EXPECT_TRUE(b.Get<FormLabel>("D")->isVisibleTo(b.window.get()));
  // Focus moves in TabOrder: B, C, A.
  EXPECT_EQ(bb->nextInFocusChain(), c);
  EXPECT_EQ(c->nextInFocusChain(), a);
}

}  // namespace
}  // namespace tp::test
