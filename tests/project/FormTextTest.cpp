#include <gtest/gtest.h>

#include "project/FormText.h"

namespace tp {
namespace {

int ErrorLine(const std::string& text) {
  try {
    ParseFormText(text);
  } catch (const FormTextError& e) {
    return e.line();
  }
  return 0;
}

TEST(FormText, NestedComponentsWithEveryKindOfValue) {
  const std::string text =
      "object MainWindow: TfmMpConfigWindow\n"
      "  Left = -240\n"
      "  Ratio = 1.5\n"
      "  Hex = $FF\n"
      "  Font.Name = 'Tahoma'\n"
      "  Caption = 'It''s ' + #13#10 +\n"
      "    'two'#$41'lines'\n"
      "  BorderIcons = [biMinimize, biMaximize]\n"
      "  Empty = []\n"
      "  Items.Strings = (\n    'a'\n    'b')\n"
      "  Columns = <\n    item\n      Width = 10\n    end\n    item\n      Caption = 'x'\n    end>\n"
      "  Picture.Data = {\n    0A54\n    4269}\n"
      "  object Label1: TLabel\n"
      "    object Inner: TPanel\n    end\n"
      "  end\n"
      "  inherited Base: TPanel\n  end\n"
      "  inline Frame1: TFrame\n  end\n"
      "  object TTimer\n  end\n"
      "end\n";
  FormComponent root = ParseFormText(text);
  EXPECT_EQ(root.name, "MainWindow");
  EXPECT_EQ(root.className, "TfmMpConfigWindow");
  ASSERT_NE(root.Find("left"), nullptr);
  EXPECT_EQ(root.Find("Left")->value.integer, -240);
  EXPECT_EQ(root.Find("Ratio")->value.kind, FormValue::Kind::Float);
  EXPECT_DOUBLE_EQ(root.Find("Ratio")->value.number, 1.5);
  EXPECT_EQ(root.Find("Hex")->value.integer, 255);
  EXPECT_EQ(root.Find("Font.Name")->value.text, "Tahoma");
  EXPECT_EQ(root.Find("Caption")->value.text, "It's \r\ntwoAlines");
  EXPECT_EQ(root.Find("Caption")->line, 6);
  EXPECT_EQ(root.Find("BorderIcons")->value.set, (std::vector<std::string>{"biMinimize", "biMaximize"}));
  EXPECT_TRUE(root.Find("Empty")->value.set.empty());
  ASSERT_EQ(root.Find("Items.Strings")->value.list.size(), 2u);
  EXPECT_EQ(root.Find("Items.Strings")->value.list[1].text, "b");
  const FormValue& columns = root.Find("Columns")->value;
  ASSERT_EQ(columns.items.size(), 2u);
  EXPECT_EQ(columns.items[0][0].name, "Width");
  EXPECT_EQ(columns.items[1][0].value.text, "x");
  EXPECT_EQ(root.Find("Picture.Data")->value.text, std::string("\x0A\x54\x42\x69", 4));
  ASSERT_EQ(root.children.size(), 4u);
  EXPECT_EQ(root.children[0].children[0].name, "Inner");
  EXPECT_EQ(root.children[1].head, FormComponent::Head::Inherited);
  EXPECT_EQ(root.children[2].head, FormComponent::Head::Inline);
  EXPECT_EQ(root.children[3].name, "");
  EXPECT_EQ(root.children[3].className, "TTimer");
}

TEST(FormText, StringsAreReadInTheCodePageAndLargeCodesAsUnicode) {
  FormComponent root = ParseFormText("object A: TForm\n  S = 'caf\xE9 ' + #8364 + #233\nend");
  EXPECT_EQ(root.Find("S")->value.text, "caf\xC3\xA9 \xE2\x82\xAC\xC3\xA9");
}

TEST(FormText, TheLastOfTwoEqualPropertiesCounts) {
  FormComponent root = ParseFormText("object A: TForm\n  Tag = 1\n  TAG = 2\nend");
  EXPECT_EQ(root.Find("Tag")->value.integer, 2);
}

TEST(FormText, BadTextsFailWithTheirLine) {
  EXPECT_EQ(ErrorLine("object A: TForm\n  Caption = 'open\nend\n"), 2);
  EXPECT_EQ(ErrorLine("object A: TForm\n  Data = {0A5\n}\nend\n"), 2);   // odd number of digits
  EXPECT_EQ(ErrorLine("object A: TForm\n  Data = {0A\n  5G}\nend\n"), 3);  // not a hex digit
  EXPECT_EQ(ErrorLine("object A: TForm\n  Data = {0A54\n"), 2);           // no closing brace
  EXPECT_EQ(ErrorLine("object A: TForm\n  Left 12\nend\n"), 2);
  EXPECT_EQ(ErrorLine("object A: TForm\n  Left = 99999999999999999999\nend\n"), 2);
  EXPECT_EQ(ErrorLine("object A: TForm\n  S = 'a' +\nend\n"), 3);
  EXPECT_EQ(ErrorLine("object A: TForm\n  C = #\nend\n"), 2);
  EXPECT_EQ(ErrorLine("object A: TForm\n  C = #1114112\nend\n"), 2);
  EXPECT_EQ(ErrorLine("object A: TForm\n  object B: TLabel\n"), 3);       // no end
  EXPECT_EQ(ErrorLine("object A: TForm\nend\nend\n"), 3);                  // text after the end
  EXPECT_EQ(ErrorLine("Left = 1\n"), 1);
  EXPECT_EQ(ErrorLine(""), 1);
  EXPECT_EQ(ErrorLine("object A: TForm\n  Set = [a b]\nend\n"), 2);
  EXPECT_EQ(ErrorLine("object A: TForm\n  Col = <\n x\n >\nend\n"), 3);
}

TEST(FormText, NestingIsBounded) {
  auto nested = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "object C" + std::to_string(i) + ": TPanel\n";
    for (int i = 0; i < depth; ++i) text += "end\n";
    return text;
  };
  EXPECT_NO_THROW(ParseFormText(nested(kMaxFormNesting)));
  EXPECT_THROW(ParseFormText(nested(kMaxFormNesting + 2)), FormTextError);
  // Deep values are bounded too: a hundred thousand opening brackets end in an error, not a crash.
  std::string lists = "object A: TForm\n  L = " + std::string(100000, '(') + "\nend\n";
  EXPECT_THROW(ParseFormText(lists), FormTextError);
  std::string items = "object A: TForm\n  L = ";
  for (int i = 0; i < 1000; ++i) items += "< item X = ";
  EXPECT_THROW(ParseFormText(items), FormTextError);
}

TEST(FormText, PictureDataLosesItsClassNameAndSizeButKeepsPlainFiles) {
  const std::string bmp = "BM" + std::string(20, 'x');
  PictureData withName = SplitPictureData(std::string("\x07TBitmap", 8) + bmp);
  EXPECT_EQ(withName.className, "TBitmap");
  EXPECT_EQ(withName.bytes, bmp);
  const std::string jpeg = "\xFF\xD8\xFF\xE0 rest";
  std::string sized = std::string("\x0ATJPEGImage", 11) + std::string("\x09\x00\x00\x00", 4) + jpeg + "tail";
  PictureData withSize = SplitPictureData(sized);
  EXPECT_EQ(withSize.className, "TJPEGImage");
  EXPECT_EQ(withSize.bytes, jpeg);
  EXPECT_EQ(SplitPictureData(bmp).bytes, bmp);
  // A glyph: no class name, the size, then the bitmap file.
  PictureData glyph = SplitPictureData(std::string("\x16\x00\x00\x00", 4) + bmp);
  EXPECT_EQ(glyph.className, "");
  EXPECT_EQ(glyph.bytes, bmp);
  // A size larger than what follows is no size.
  const std::string oversized = std::string("\x40\x00\x00\x00", 4) + bmp;
  EXPECT_EQ(SplitPictureData(oversized).bytes, oversized);
  EXPECT_EQ(SplitPictureData("").bytes, "");
  // A length byte beyond the data is no class name.
  EXPECT_EQ(SplitPictureData("\x50TBit").className, "");
}

}  // namespace
}  // namespace tp
