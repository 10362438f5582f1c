#include <gtest/gtest.h>

#include "project/FormText.h"
#include "project/UiDescription.h"

namespace tp {
namespace {

std::string Join(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

TEST(UiDescription, FormsActionsAndReservedBlocksFollowTheirCounts) {
  TMpForms forms;
  forms.LoadUiDescriptionText(Join({"2",
                                    "3", "object MainWindow: TfmForm", "  Caption = 'x'", "end",
                                    "0",
                                    "1", "Dummy",
                                    "2", "  object ThumbnailWindow : TfmForm", "end",
                                    "11", "2",
                                    "Label10", "1", "ThumbnailWindow", "", "",
                                    "LABEL10", "6", "second", " ", " ",
                                    "2", "r1", "r2"}));
  ASSERT_EQ(forms.Count(), 2u);
  EXPECT_EQ(forms[0].Name, "MainWindow");
  EXPECT_EQ(forms[0].Actions.Count(), 0u);
  EXPECT_EQ(forms[1].Name, "ThumbnailWindow");
  EXPECT_EQ(forms.FormTextOf(1), forms[1].FormText);
  ASSERT_EQ(forms[1].Actions.Count(), 2u);
  const TAction* a = forms[1].Actions.Find("label10");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->ActionType, 1);
  EXPECT_EQ(a->Text1, "ThumbnailWindow");
  EXPECT_EQ(a->Text2, " ");  // an empty parameter is one space
  EXPECT_EQ(a->Text3, " ");
  EXPECT_EQ(forms[1].Actions.Find("Label11"), nullptr);
  EXPECT_EQ(forms.FindForm("thumbnailwindow"), &forms[1]);
  EXPECT_EQ(forms.FindForm("Nothing"), nullptr);
  // Loading again discards what was held.
  forms.LoadUiDescriptionText("0\r\n");
  EXPECT_EQ(forms.Count(), 0u);
}

TEST(UiDescription, BadCountsFailWithTheirLineAndKeepTheFormsBefore) {
  auto lineOf = [](const std::string& text, TMpForms& forms) {
    try {
      forms.LoadUiDescriptionText(text);
    } catch (const UiDescriptionError& e) {
      return e.line();
    }
    return 0;
  };
  TMpForms forms;
  const std::vector<std::string> first{"1", "object A: TfmForm", "0", "0"};
  std::vector<std::string> lines{"2"};
  lines.insert(lines.end(), first.begin(), first.end());
  lines.insert(lines.end(), {"x"});
  EXPECT_EQ(lineOf(Join(lines), forms), 6);
  ASSERT_EQ(forms.Count(), 1u);
  EXPECT_EQ(forms[0].Name, "A");

  EXPECT_EQ(lineOf(Join({"1", "99999", "object A: TfmForm"}), forms), 2);  // larger than the file
  EXPECT_EQ(forms.Count(), 0u);
  EXPECT_EQ(lineOf(Join({"1", "1", "object A: TfmForm"}), forms), 4);    // the file ends before m
  EXPECT_EQ(lineOf(Join({"1", "1", "object A: TfmForm", "6", "2000000", "a", "1", "", "", "", "0"}), forms), 5);
  EXPECT_EQ(lineOf(Join({"1", "1", "object A: TfmForm", "6", "1", "a", "type", "", "", "", "0"}), forms), 7);
  EXPECT_EQ(lineOf("", forms), 1);
  EXPECT_EQ(lineOf(Join({"-3"}), forms), 0);  // no forms
  EXPECT_EQ(forms.Count(), 0u);
}

TEST(UiDescription, PreparationRenamesTheRootAndDropsEventBorderStyleAndFirstVisibleLines) {
  TMpForm form;
  form.FormText = {"object ThumbnailWindow: TfmForm",
                   "  BorderIcons = [biMinimize]",
                   "  borderstyle = bsNone",
                   "  FormStyle = fsMDIChild",
                   "  OnShow = FormShow",
                   "  Visible = True",
                   "  OnlyOnce = 1",
                   "  object Label1: TLabel",
                   "    OnClick = Label1Click",
                   "    Visible = False",
                   "    On1 = 2",
                   "    OnMouseDown = X",
                   "  end",
                   "end"};
  form.Name = FormNameFromRootLine(form.FormText[0]);
  EXPECT_EQ(form.Name, "ThumbnailWindow");
  EXPECT_EQ(PrepareFormText(form),
            "object ThumbnailWindow: TfmMpConfigWindow\r\n"
            "  OnlyOnce = 1\r\n"
            "  object Label1: TLabel\r\n"
            "    Visible = False\r\n"
            "  end\r\n"
            "end");
  EXPECT_EQ(FormNameFromRootLine("object : TfmForm"), "");
  EXPECT_EQ(FormNameFromRootLine("obj"), "");
}

TEST(UiDescription, InheritedAndInlineHeadsStandForObject) {
  TMpForms forms;
  forms.LoadUiDescriptionText(
      "2\r\n"
      "5\r\ninherited MainWindow: TfmForm\r\n  Caption = 'Main'\r\n  inline Frame1: TPanel\r\n  end\r\nend\r\n"
      "0\r\n0\r\n"
      "4\r\n  INLINE About: TfmForm\r\n  inherited Label1: TLabel\r\n  end\r\nend\r\n"
      "0\r\n0\r\n");
  const TMpForm* main = forms.FindForm("MainWindow");
  ASSERT_NE(main, nullptr);
  EXPECT_NE(forms.FindForm("about"), nullptr);
  const std::string prepared = PrepareFormText(*main);
  EXPECT_EQ(prepared.substr(0, prepared.find('\r')), "object MainWindow: TfmMpConfigWindow");
  const FormComponent root = ParseFormText(prepared);
  ASSERT_EQ(root.children.size(), 1u);
  EXPECT_EQ(root.children[0].name, "Frame1");
  EXPECT_EQ(root.children[0].head, FormComponent::Head::Inline);
  EXPECT_EQ(FormNameFromRootLine("inherited\tWin: T"), "Win");
}

}  // namespace
}  // namespace tp
