#include <gtest/gtest.h>

#include <QPushButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <cstdlib>

#include "config/ConfigTestSupport.h"
#include "config/FormWidgets.h"
#include "config/MpConfigWindow.h"
#include "config/MpPreview.h"
#include "config/MpThumbnail2.h"
#include "config/MyMemo.h"
#include "config/SettingWindow.h"
#include "config/Wallpaper.h"
#include "core/FileSystem.h"
#include "core/IniFile.h"
#include "core/TextUtil.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "project/UserSettings.h"

namespace tp::test {
namespace {

std::string Label(const std::string& name, int top, int tag = 1, const std::string& caption = "") {
  return "  object " + name + ": TLabel\n    Left = 4\n    Top = " + std::to_string(top) +
         "\n    Caption = '" + (caption.empty() ? name : caption) + "'\n    Tag = " + std::to_string(tag) +
         "\n    OnClick = " + name + "Click\n  end\n";
}

const std::string kMainForm =
    "object MainWindow: TfmForm\n"
    "  Caption = 'Settings of <ScreensaverName>'\n"
    "  ClientWidth = 500\n  ClientHeight = 400\n"
    "  BorderStyle = bsSingle\n  Visible = True\n  OnShow = FormShow\n" +
    Label("lblNext", 0) + Label("lblPrev", 20) + Label("lblRun", 40) + Label("lblSettings", 60) +
    Label("lblClose", 80) + Label("lblWall", 100) + Label("lblWeb", 120) + Label("lblAbout", 140) +
    Label("lblNone", 160) + Label("lblOdd", 180) + Label("lblHidden", 200, 0) + Label("lblTwo", 220, 2) +
    Label("lblThree", 240, 3) + Label("lblWelcome", 260, 1, "Welcome to <ScreensaverName> by <CompanyName>") +
    "  object Preview: TMpPreview\n    Left = 200\n    Top = 0\n    Width = 64\n    Height = 48\n    Tag = 1\n  end\n"
    "  object Grid: TMpThumbnail2\n    Left = 200\n    Top = 60\n    Width = 290\n    Height = 200\n"
    "    ShowCheckBox = True\n    Tag = 1\n  end\n"
    "  object Memo: TMyMemo\n    Left = 200\n    Top = 270\n    Text = '<Website>'\n    Tag = 1\n  end\n"
    "  object Btn: TButton\n    Left = 100\n    Top = 300\n    Caption = 'Plain'\n    Tag = 1\n  end\n"
    "  object Bit: TBitBtn\n    Left = 100\n    Top = 330\n    Caption = 'Bit <ScreensaverName>'\n    Tag = 1\n  end\n"
    "  object Sheets: TPageControl\n    Left = 0\n    Top = 300\n    Tag = 1\n"
    "    object Sheet1: TTabSheet\n      Caption = 'One'\n"
    "      object lblOnSheet: TLabel\n        Caption = 'On <ScreensaverName>'\n        Tag = 1\n      end\n"
    "    end\n"
    "  end\n"
    "end";

const std::string kAboutForm =
    "object About: TfmForm\n"
    "  Caption = 'About'\n" +
    Label("lblBack", 0) + Label("lblAboutNext", 20) +
    "end";

struct Act {
  std::string component;
  int type;
  std::string text1 = " ";
};

void AddForm(std::vector<std::string>& out, const std::string& formText, const std::vector<Act>& actions) {
  std::vector<std::string> ft = SplitLines(formText);
  out.push_back(std::to_string(ft.size()));
  out.insert(out.end(), ft.begin(), ft.end());
  out.push_back(std::to_string(1 + 5 * actions.size()));
  out.push_back(std::to_string(actions.size()));
  for (const Act& a : actions) {
    out.insert(out.end(), {a.component, std::to_string(a.type), a.text1, " ", " "});
  }
  out.insert(out.end(), {"1", "Dummy"});
}

std::string Description() {
  std::vector<std::string> lines{"2"};
  AddForm(lines, kMainForm,
          {{"lblNext", 2}, {"lblPrev", 3}, {"lblRun", 4}, {"lblSettings", 5}, {"lblClose", 6},
           {"lblWall", 9}, {"lblWeb", 0, "<Website>/help"}, {"LBLABOUT", 1, "About"}, {"lblOdd", 7},
           {"Btn", 2}, {"Bit", 2}, {"Preview", 2}});
  AddForm(lines, kAboutForm, {{"lblBack", 6}, {"lblAboutNext", 2}});
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  return text;
}

// Sets an environment variable for one scope.
class EnvScope {
 public:
  EnvScope(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (old) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~EnvScope() {
    if (had_) ::setenv(name_, old_.c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

class ConfigWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    const uint32_t colors[] = {0xFF0000, 0x00FF00, 0x0000FF};
    for (int i = 0; i < 3; ++i) {
      std::string path = dir / ("p" + std::to_string(i) + ".bmp");
      WriteSolidBmp(path, 32, 24, colors[i]);
      project.fileList.pictures.push_back(path);
      project.fileList.selected.push_back("TRUE");
    }
    project.setting.ProductName = "Bob's Lake";
    project.setting.Publisher = "Acme";
    project.setting.Website = "http://example.com/x";
    forms.LoadUiDescriptionText(Description());
    services.exec = [this](QDialog& d) {
      shown.push_back(d.objectName().toStdString());
      return onExec ? onExec(d) : int(QDialog::Rejected);
    };
    services.confirm = [this](const std::string& text) {
      questions.push_back(text);
      return answer;
    };
    services.inform = [this](const std::string& text) { messages.push_back(text); };
    services.notify = [this](const std::string& text) { notices.push_back(text); };
    services.open = [this](const std::string& target) {
      opened.push_back(target);
      return true;
    };
    services.setWallpaper = [this](const std::string& path) {
      wallpapers.push_back(path);
      return desktopTakesWallpaper;
    };
    services.runSaver = [this](const TMpCProject& p) { shows.push_back(p); };
  }

  std::unique_ptr<TfmMpCOnfigWindow> Open(const char* name = "MainWindow") {
    auto w = std::make_unique<TfmMpCOnfigWindow>(forms, project, *forms.FindForm(name), services);
    w->show();  // FormShow runs on the first show
    return w;
  }
  static void Click(TfmMpCOnfigWindow& w, const char* name) {
    QWidget* c = w.Component(name);
    ASSERT_NE(c, nullptr) << name;
    QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(c->width() / 2, c->height() / 2));
  }
  std::string Ini() {
    std::string text;
    ReadFile(dir / "Lake.ini", text);
    return text;
  }

  TempDir dir;
  SaverPathScope scope{dir / "Lake.scr"};
  TMpCProject project;
  TMpForms forms;
  ConfigServices services;
  std::function<int(QDialog&)> onExec;
  std::vector<std::string> shown, questions, messages, notices, opened, wallpapers;
  std::vector<TMpCProject> shows;
  bool answer = true;
  bool desktopTakesWallpaper = true;
};

QColor PreviewColor(TfmMpCOnfigWindow& w) {
  auto* preview = qobject_cast<TMpPreview*>(w.Component("Preview"));
  return preview->picture().pixelColor(10, 10);
}

TEST_F(ConfigWindow, NextAndPreviousStopAtTheEndsAndThePreviewFollows) {
  auto w = Open();
  EXPECT_EQ(w->CurrentIndex, 0);
  EXPECT_EQ(PreviewColor(*w), QColor(255, 0, 0));
  for (int i = 0; i < 4; ++i) Click(*w, "lblNext");
  EXPECT_EQ(w->CurrentIndex, 2);
  EXPECT_EQ(PreviewColor(*w), QColor(0, 0, 255));
  Click(*w, "lblPrev");
  EXPECT_EQ(w->CurrentIndex, 1);
  EXPECT_EQ(PreviewColor(*w), QColor(0, 255, 0));
  for (int i = 0; i < 3; ++i) Click(*w, "lblPrev");
  EXPECT_EQ(w->CurrentIndex, 0);
  // The preview (an image) is wired; a plain button is not, a bit button is.
  Click(*w, "Preview");
  EXPECT_EQ(w->CurrentIndex, 1);
  Click(*w, "Btn");
  EXPECT_EQ(w->CurrentIndex, 1);
  Click(*w, "Bit");
  EXPECT_EQ(w->CurrentIndex, 2);
  // The grid's selection does not follow; selecting a cell moves the current picture.
  auto* grid = qobject_cast<TMpThumbnail2*>(w->Component("Grid"));
  grid->SelectIndex(0);
  EXPECT_EQ(w->CurrentIndex, 0);
}

TEST_F(ConfigWindow, BitZeroOfTheTagDecidesVisibility) {
  auto w = Open();
  EXPECT_TRUE(w->Component("lblNext")->isVisible());
  EXPECT_FALSE(w->Component("lblHidden")->isVisible());
  EXPECT_FALSE(w->Component("lblTwo")->isVisible());
  EXPECT_TRUE(w->Component("lblThree")->isVisible());
  // Tab sheets keep their state whatever their Tag.
  EXPECT_TRUE(w->Component("lblOnSheet")->isVisible());
}

TEST_F(ConfigWindow, PlaceholdersAreFilledInEveryCaptionWithTheQuoteShownOnce) {
  auto w = Open();
  EXPECT_EQ(w->windowTitle(), "Settings of Bob's Lake");
  EXPECT_EQ(qobject_cast<FormLabel*>(w->Component("lblWelcome"))->caption(), "Welcome to Bob's Lake by Acme");
  EXPECT_EQ(qobject_cast<FormLabel*>(w->Component("lblOnSheet"))->caption(), "On Bob's Lake");
  EXPECT_EQ(qobject_cast<TMyMemo*>(w->Component("Memo"))->Text(), "http://example.com/x");
  EXPECT_EQ(qobject_cast<QPushButton*>(w->Component("Bit"))->text(), "Bit Bob's Lake");
  // For texts that go through the form-text notation the quote is doubled.
  EXPECT_EQ(ExpandPlaceholders("'<ScreensaverName>' <ScreensaverName> <screensavername>", project.setting, true),
            "'Bob''s Lake' Bob''s Lake <screensavername>");
}

TEST_F(ConfigWindow, StoredIndexEqualToTheCountOpensOnTheLastPictureALargerOneOnTheFirst) {
  ASSERT_TRUE(WriteSinglePictureIndex(3));
  EXPECT_EQ(Open()->CurrentIndex, 2);
  ASSERT_TRUE(WriteSinglePictureIndex(4));
  EXPECT_EQ(Open()->CurrentIndex, 0);
  ASSERT_TRUE(WriteSinglePictureIndex(1));
  EXPECT_EQ(Open()->CurrentIndex, 1);
}

TEST_F(ConfigWindow, ClosingWritesTheCurrentPictureAndTheUncheckedOnes) {
  IniFile ini;
  ini.WriteString("Files", "0", "");
  ASSERT_TRUE(ini.SaveAtomic(dir / "Lake.ini"));
  auto w = Open();
  auto* grid = qobject_cast<TMpThumbnail2*>(w->Component("Grid"));
  EXPECT_FALSE(grid->Checked(0));  // marks come from the store
  EXPECT_TRUE(grid->Checked(1));
  grid->SetChecked(0, true);
  grid->SetChecked(2, false);
  Click(*w, "lblNext");
  Click(*w, "lblClose");
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(w->result(), QDialog::Rejected);
  EXPECT_EQ(ReadSinglePictureIndex(), 1);
  TMpCFileList marks = project.fileList;
  ASSERT_TRUE(ReadDeselectedPictures(marks));
  EXPECT_EQ(marks.selected, (std::vector<std::string>{"TRUE", "TRUE", "FALSE"}));
}

TEST_F(ConfigWindow, WithoutAWritableStoreNothingIsReadOrWritten) {
  SaverPathScope notASaver(dir / "Lake.exe", "");
  project.setting.Duration = 77;
  auto w = Open();
  Click(*w, "lblNext");
  onExec = [](QDialog& d) {
    auto& s = dynamic_cast<TfmSettingWindow&>(d);
    EXPECT_FALSE(s.Button1->isEnabled());
    return int(QDialog::Accepted);  // even an accepted dialog writes nothing
  };
  Click(*w, "lblSettings");
  Click(*w, "lblClose");
  EXPECT_EQ(shown, (std::vector<std::string>{"fmSettingWindow"}));
  EXPECT_EQ(project.setting.Duration, 77);
  EXPECT_FALSE(FileExists(dir / "Lake.ini"));
  EXPECT_FALSE(FileExists(dir / "Lake.exe.ini"));
}

TEST_F(ConfigWindow, UserSettingsAreCopiedIntoTheProjectExceptTheDisplayOnes) {
  IniFile ini;
  ini.WriteString("Setting", "ImageSize", "2");
  ini.WriteString("Setting", "Speed", "20");
  ini.WriteString("Setting", "Duration", "7");
  ini.WriteString("Setting", "ImageMode", "3");
  ini.WriteString("Setting", "DirectX", "1");
  ASSERT_TRUE(ini.SaveAtomic(dir / "Lake.ini"));
  auto w = Open();
  EXPECT_TRUE(project.setting.Stretch);
  EXPECT_TRUE(project.setting.Proportional);
  EXPECT_EQ(project.setting.Speed, 500);
  EXPECT_EQ(project.setting.Duration, 7);
  EXPECT_EQ(project.setting.ShowImageMode, 3);
  EXPECT_FALSE(project.setting.DirectX);
}

TEST_F(ConfigWindow, SettingsDialogOkWritesTheStoreAndCancelDoesNot) {
  auto w = Open();
  onExec = [](QDialog& d) {
    auto& s = dynamic_cast<TfmSettingWindow&>(d);
    s.cbImageSize->setCurrentIndex(0);
    s.tbSpeed->setValue(20);
    s.txtDuration->setText("abc");
    QTest::mouseClick(s.Button2, Qt::LeftButton);
    return d.result();
  };
  Click(*w, "lblSettings");
  EXPECT_FALSE(FileExists(dir / "Lake.ini"));

  // A duration that is not a whole number: the conversion message, nothing written.
  onExec = [](QDialog& d) {
    auto& s = dynamic_cast<TfmSettingWindow&>(d);
    s.txtDuration->setText("abc");
    QTest::mouseClick(s.Button1, Qt::LeftButton);
    return d.result();
  };
  Click(*w, "lblSettings");
  EXPECT_EQ(messages, (std::vector<std::string>{"'abc' is not a valid integer value"}));
  EXPECT_FALSE(FileExists(dir / "Lake.ini"));

  onExec = [](QDialog& d) {
    auto& s = dynamic_cast<TfmSettingWindow&>(d);
    EXPECT_TRUE(s.Button1->isEnabled());
    s.cbImageSize->setCurrentIndex(0);
    s.tbSpeed->setValue(20);
    s.txtDuration->setText("5");  // below the up-down's minimum, kept as typed
    QTest::mouseClick(s.Button1, Qt::LeftButton);
    return d.result();
  };
  Click(*w, "lblSettings");
  UserSettingsValues v;
  ASSERT_TRUE(ReadUserSettings(project, v));
  EXPECT_EQ(v.ImageSize, 0);
  EXPECT_EQ(v.Speed, 20);
  EXPECT_EQ(v.Duration, 5);
  EXPECT_EQ(shown.size(), 3u);
}

TEST_F(ConfigWindow, NestedFormOpensOnTopWithItsOwnActionsAndCloses) {
  auto w = Open();
  Click(*w, "lblNext");
  ASSERT_TRUE(WriteSinglePictureIndex(2));
  int nestedIndex = -1;
  onExec = [&](QDialog& d) {
    auto& about = dynamic_cast<TfmMpCOnfigWindow&>(d);
    about.show();
    nestedIndex = about.CurrentIndex;  // read from the store at its own FormShow
    Click(about, "lblAboutNext");      // its own actions, not the main window's
    EXPECT_EQ(about.CurrentIndex, 2);
    Click(about, "lblBack");
    EXPECT_FALSE(about.isVisible());
    return about.result();
  };
  Click(*w, "lblAbout");
  EXPECT_EQ(shown, (std::vector<std::string>{"About"}));
  EXPECT_EQ(nestedIndex, 2);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->CurrentIndex, 1);
  EXPECT_EQ(ReadSinglePictureIndex(), 2);  // the nested window wrote its own on close
}

TEST_F(ConfigWindow, ComponentsWithoutActionsAndUnknownTypesDoNothing) {
  auto w = Open();
  Click(*w, "lblNone");
  Click(*w, "lblOdd");
  Click(*w, "lblWelcome");
  EXPECT_EQ(w->CurrentIndex, 0);
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(opened.empty());
  EXPECT_TRUE(shows.empty());
}

TEST_F(ConfigWindow, OpenActionExpandsItsText) {
  auto w = Open();
  Click(*w, "lblWeb");
  EXPECT_EQ(opened, (std::vector<std::string>{"http://example.com/x/help"}));
}

TEST_F(ConfigWindow, RunActionShowsOnlyTheCurrentPictureWithSoundOnAndMusicOff) {
  project.setting.Stretch = false;
  project.setting.Speed = 240;
  project.setting.Music = true;
  project.setting.Sound = false;
  project.setting.Duration = 99;
  IniFile ini;  // a deselection in the whole list must not switch off the one picture
  ini.WriteString("Setting", "ImageMode", "2");
  ini.WriteString("Files", "0", "");
  ASSERT_TRUE(ini.SaveAtomic(dir / "Lake.ini"));
  auto w = Open();
  Click(*w, "lblNext");
  Click(*w, "lblRun");
  ASSERT_EQ(shows.size(), 1u);
  const TMpCProject& one = shows[0];
  EXPECT_EQ(one.fileList.pictures, (std::vector<std::string>{project.fileList.pictures[1]}));
  EXPECT_EQ(one.fileList.selected, (std::vector<std::string>{"TRUE"}));
  EXPECT_FALSE(one.setting.Stretch);
  EXPECT_EQ(one.setting.Speed, 240);
  EXPECT_TRUE(one.setting.Sound);
  EXPECT_FALSE(one.setting.Music);
  EXPECT_EQ(one.setting.Duration, TMpCSetting().Duration);

  project.fileList.Clear();
  auto empty = Open();
  Click(*empty, "lblRun");
  Click(*empty, "lblWall");
  EXPECT_EQ(shows.size(), 1u);
  EXPECT_TRUE(questions.empty());
}

TEST_F(ConfigWindow, WallpaperAsksThenWritesTheCurrentPictureBesideTheSaver) {
  auto w = Open();
  Click(*w, "lblNext");
  answer = false;
  Click(*w, "lblWall");
  EXPECT_EQ(questions, (std::vector<std::string>{
                           "You are about to set the selected picture as wallpaper.\r\nDo you want to proceed?"}));
  EXPECT_FALSE(FileExists(dir / "Lake.scr.bmp"));
  EXPECT_TRUE(wallpapers.empty());
  answer = true;
  Click(*w, "lblWall");
  ASSERT_EQ(wallpapers, (std::vector<std::string>{dir / "Lake.scr.bmp"}));
  QImage saved(QString::fromStdString(dir / "Lake.scr.bmp"));
  EXPECT_EQ(saved.size(), QSize(32, 24));
  EXPECT_EQ(saved.pixelColor(3, 3), QColor(0, 255, 0));
  // A picture that does not decode leaves the desktop alone.
  WriteFile(project.fileList.pictures[2], "not a picture");
  Click(*w, "lblNext");
  Click(*w, "lblWall");
  EXPECT_EQ(wallpapers.size(), 1u);
}

TEST_F(ConfigWindow, WallpaperOnADesktopWeCannotDriveIsStillWrittenAndTheUserIsTold) {
  desktopTakesWallpaper = false;
  auto w = Open();
  Click(*w, "lblWall");
  ASSERT_EQ(wallpapers, (std::vector<std::string>{dir / "Lake.scr.bmp"}));
  EXPECT_EQ(QImage(QString::fromStdString(dir / "Lake.scr.bmp")).size(), QSize(32, 24));
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find(dir / "Lake.scr.bmp"), std::string::npos) << notices[0];
  // A desktop that took it says nothing more.
  desktopTakesWallpaper = true;
  Click(*w, "lblWall");
  EXPECT_EQ(notices.size(), 1u);
}

TEST_F(ConfigWindow, WallpaperOfASaverInAFolderThatTakesNoFilesGoesToTheDataFolder) {
  SaverPathScope elsewhere(dir / "missing/Lake.scr");
  EnvScope data("XDG_DATA_HOME", dir / "data"), config("XDG_CONFIG_HOME", dir / "config");
  auto w = Open();
  Click(*w, "lblWall");
  ASSERT_EQ(wallpapers, (std::vector<std::string>{dir / "data/tidepool/Lake.scr.bmp"}));
  EXPECT_EQ(QImage(QString::fromStdString(wallpapers[0])).size(), QSize(32, 24));
}

TEST_F(ConfigWindow, OpenActionTakesWebAndMailAddressesOnly) {
  project.setting.Website = "file:///etc";
  auto w = Open();
  Click(*w, "lblWeb");
  project.setting.Website = "/usr/bin/xterm -e sh #";
  Click(*w, "lblWeb");
  project.setting.Website = "HTTPS://example.com/x";
  Click(*w, "lblWeb");
  EXPECT_EQ(opened, (std::vector<std::string>{"HTTPS://example.com/x/help"}));
}

TEST(OpenableLink, WebAndMailAddressesPassEverythingElseIsRefused) {
  for (const char* ok : {"http://example.org", "https://example.org/a?b#c", "HTTP://EXAMPLE.ORG/",
                         "mailto:someone@example.org", "  https://example.org  "})
    EXPECT_TRUE(IsOpenableLink(ok)) << ok;
  for (const char* refused :
       {"", "file:///etc/passwd", "FILE:/home/u/.bashrc", "/usr/bin/xterm", "notes.txt", "C:\\Windows\\calc.exe",
        "javascript:alert(1)", "smb://host/share", "http://", "https:///path", "http:example.org", "mailto:",
        "http://user@example.org/", "https://example.org/\nfile:///etc", "ftp://example.org"})
    EXPECT_FALSE(IsOpenableLink(refused)) << refused;
}

TEST_F(ConfigWindow, StoredValuesOutsideTheListsShowAndWriteTheNearestEntry) {
  IniFile ini;
  ini.WriteString("Setting", "ImageMode", "7");
  ini.WriteString("Setting", "ImageSize", "4");
  ini.WriteString("Setting", "DirectXQuality", "5");
  ini.WriteString("Setting", "Speed", "-3");
  ASSERT_TRUE(ini.SaveAtomic(dir / "Lake.ini"));
  auto w = Open();
  onExec = [](QDialog& d) {
    auto& s = dynamic_cast<TfmSettingWindow&>(d);
    EXPECT_EQ(s.cbShowImageMode->currentIndex(), 3);
    EXPECT_EQ(s.cbImageSize->currentIndex(), 2);
    EXPECT_EQ(s.cbImageQuality->currentIndex(), 2);
    EXPECT_EQ(s.tbSpeed->value(), 0);
    QTest::mouseClick(s.Button1, Qt::LeftButton);
    return d.result();
  };
  Click(*w, "lblSettings");
  const IniFile written = IniFile::Parse(Ini());
  EXPECT_EQ(written.ReadInteger("Setting", "ImageMode", -1), 3);
  EXPECT_EQ(written.ReadInteger("Setting", "ImageSize", -1), 2);
  EXPECT_EQ(written.ReadInteger("Setting", "DirectXQuality", -1), 2);
  EXPECT_EQ(written.ReadInteger("Setting", "Speed", -1), 0);

  // Below the lists: the first entry.
  IniFile low;
  low.WriteString("Setting", "ImageMode", "-1");
  low.WriteString("Setting", "DirectXQuality", "-9");
  ASSERT_TRUE(low.SaveAtomic(dir / "Lake.ini"));
  onExec = [](QDialog& d) {
    auto& s = dynamic_cast<TfmSettingWindow&>(d);
    EXPECT_EQ(s.cbShowImageMode->currentIndex(), 0);
    EXPECT_EQ(s.cbImageQuality->currentIndex(), 0);
    QTest::mouseClick(s.Button1, Qt::LeftButton);
    return d.result();
  };
  Click(*w, "lblSettings");
  EXPECT_EQ(IniFile::Parse(Ini()).ReadInteger("Setting", "ImageMode", -1), 0);
  EXPECT_EQ(IniFile::Parse(Ini()).ReadInteger("Setting", "DirectXQuality", -1), 0);
}

TEST_F(ConfigWindow, WindowTitlesAreTheCaptionsAloneAndTheProductNamesTheApplication) {
  const QString displayBefore = QGuiApplication::applicationDisplayName();
  QString title;
  onExec = [&](QDialog& d) {
    title = d.windowTitle();
    return int(QDialog::Rejected);
  };
  ASSERT_TRUE(ShowUiForm(forms, project, "MainWindow", services));
  EXPECT_EQ(title, "Settings of Bob's Lake");
  EXPECT_EQ(ApplicationTitle(), "Bob's Lake");
  // Qt appends the display name to every window title; it stays unset.
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), displayBefore);
  EXPECT_NE(QGuiApplication::applicationDisplayName(), "Bob's Lake");
  SetApplicationTitle("");
}

TEST_F(ConfigWindow, AMissingFormOrATextThatDoesNotParseShowsNothing) {
  EXPECT_FALSE(ShowUiForm(forms, project, "NoSuchForm", services));
  TMpForms broken;
  broken.LoadUiDescriptionText("1\r\n3\r\nobject MainWindow: TfmForm\r\n  Caption = 'open\r\nend\r\n0\r\n0\r\n");
  EXPECT_FALSE(ShowUiForm(broken, project, "MainWindow", services));
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(ShowUiForm(forms, project, "mainwindow", services));
  EXPECT_EQ(shown, (std::vector<std::string>{"MainWindow"}));
}

}  // namespace
}  // namespace tp::test

namespace tp::test {
namespace {

TEST(FormParent, TheSixFlagsDecideBorderButtonsAndFirstState) {
  App();
  auto flagsOf = [](const std::string& props) {
    TfmMpFormParent w;
    w.resize(200, 100);
    w.ReadParentProperties(ParseFormText("object F: TfmMpConfigWindow\n" + props + "end\n"));
    w.ApplyBorder();
    return std::make_pair(w.windowFlags(), w.minimumSize() == w.maximumSize());
  };
  auto [plain, plainFixed] = flagsOf("");
  EXPECT_FALSE(plain & Qt::FramelessWindowHint);
  EXPECT_FALSE(plain & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(plain & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(plainFixed);
  auto [buttons, buttonsFixed] =
      flagsOf("ShowButtons = True\nMaximizeButton = True\nMinimizeButton = True\nSizeable = True\n");
  EXPECT_TRUE(buttons & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(buttons & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(buttons & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(buttonsFixed);
  auto [frameless, framelessFixed] = flagsOf("NoFrame = True\nSizeable = True\nShowButtons = True\n");
  EXPECT_TRUE(frameless & Qt::FramelessWindowHint);  // NoFrame wins over Sizeable
  EXPECT_TRUE(framelessFixed);
  auto [wrongKind, wrongFixed] = flagsOf("ShowButtons = 1\nSizeable = 'yes'\n");
  EXPECT_FALSE(wrongKind & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(wrongFixed);
}

TEST_F(ConfigWindow, MaximizeOnShowOpensTheWindowMaximised) {
  TMpForms maxForms;
  maxForms.LoadUiDescriptionText(
      "1\r\n4\r\nobject MainWindow: TfmForm\r\n  MaximizeOnShow = True\r\n  Sizeable = True\r\nend\r\n0\r\n0\r\n");
  TfmMpCOnfigWindow w(maxForms, project, *maxForms.FindForm("MainWindow"), services);
  w.show();
  EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
}

}  // namespace
}  // namespace tp::test
