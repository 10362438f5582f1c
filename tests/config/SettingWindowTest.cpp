#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "config/ConfigTestSupport.h"
#include "config/FormWidgets.h"
#include "config/SettingWindow.h"

namespace tp::test {
namespace {

QStringList Items(QComboBox* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
  return out;
}

QStringList Rows(QTableWidget* list) {
  QStringList out;
  for (int r = 0; r < list->rowCount(); ++r) out << list->item(r, 0)->text();
  return out;
}

TEST(SettingWindow, ControlsCaptionsItemsRangesAndDefaults) {
  App();
  TfmSettingWindow d;
  EXPECT_EQ(d.windowTitle(), "Settings");
  EXPECT_EQ(d.size(), QSize(364, 297));
  EXPECT_EQ(d.PageControl1->tabText(0), "Display Mode");
  EXPECT_EQ(d.PageControl1->tabText(1), "Background Music");
  EXPECT_EQ(d.cbMusic->text(), "Enable Music");
  EXPECT_EQ(d.cbSound->text(), "Enable Sound Effects");
  EXPECT_EQ(d.cbDirectX->text(), "Use DirectX (Faster Animation)");
  EXPECT_EQ(d.lblImgQuality->text(), "Direct X Quality");
  EXPECT_EQ(Items(d.cbImageQuality), (QStringList{"Highest (Slower)", "Normal ", "Low (Faster)"}));
  EXPECT_EQ(d.cbImageQuality->currentIndex(), 1);
  EXPECT_EQ(Items(d.cbImageSize), (QStringList{"Original Size", "Stretch-Full", "Stretch-Proportional"}));
  EXPECT_EQ(Items(d.cbShowImageMode),
            (QStringList{"All images - Random", "All images - Sequential",
                         "User's favorite (checked images) - Random", "Single - Selected Image"}));
  EXPECT_EQ(d.txtDuration->text(), "10");
  EXPECT_EQ(d.txtDuration->maxLength(), 3);
  EXPECT_EQ(d.UpDown1->Min(), 10);
  EXPECT_EQ(d.UpDown1->Max(), 999);
  EXPECT_EQ(d.lblSec->text(), "seconds");
  EXPECT_EQ(d.tbSpeed->minimum(), 0);
  EXPECT_EQ(d.tbSpeed->maximum(), 20);
  EXPECT_EQ(d.tbSpeed->value(), 10);
  EXPECT_EQ(d.cbCustomMusic->text(), "Use Custom Music");
  EXPECT_EQ(d.cbShuffleMusic->text(), "Shuffle Playlist");
  EXPECT_EQ(d.Button1->text(), "OK");
  EXPECT_EQ(d.Button2->text(), "Cancel");
  EXPECT_EQ(d.Button3->text(), "Add");
  EXPECT_EQ(d.Button4->text(), "Remove");
  EXPECT_TRUE(d.cbTransition->isChecked());
  EXPECT_EQ(d.Label3->caption(), "Reset");
  EXPECT_EQ(QtFileFilter(kMusicFileFilter), "Music Files (*.mp3 *.wma *.mid *.wav)");
}

TEST(SettingWindow, ValuesGoInAndComeBackOut) {
  App();
  TfmSettingWindow d;
  UserSettingsValues in;
  in.ImageSize = 2;
  in.ImageMode = 3;
  in.Speed = 17;
  in.Sound = false;
  in.Music = true;
  in.Transition = false;
  in.Duration = 45;
  in.DirectX = true;
  in.DirectXQuality = 2;
  in.CustomMusic = true;
  in.ShuffleMusic = false;
  in.MusicList = {"/music/a.mp3", "/music/b.wav"};
  d.SetValues(in);
  d.show();  // FormShow lists the music files
  EXPECT_EQ(Rows(d.lstMusic), (QStringList{"/music/a.mp3", "/music/b.wav"}));
  d.Button1Click();
  std::optional<UserSettingsValues> out = d.Values();
  ASSERT_TRUE(out);
  EXPECT_EQ(out->ImageSize, 2);
  EXPECT_EQ(out->ImageMode, 3);
  EXPECT_EQ(out->Speed, 17);
  EXPECT_FALSE(out->Sound);
  EXPECT_TRUE(out->Music);
  EXPECT_FALSE(out->Transition);
  EXPECT_EQ(out->Duration, 45);
  EXPECT_TRUE(out->DirectX);
  EXPECT_EQ(out->DirectXQuality, 2);
  EXPECT_TRUE(out->CustomMusic);
  EXPECT_FALSE(out->ShuffleMusic);
  EXPECT_EQ(out->MusicList, in.MusicList);

  // A stored duration goes through the up-down and so into its range.
  in.Duration = 5;
  d.SetValues(in);
  EXPECT_EQ(d.txtDuration->text(), "10");
  d.UpDown1->Step(1);
  EXPECT_EQ(d.txtDuration->text(), "11");
}

TEST(SettingWindow, ResetAddAndRemove) {
  App();
  TfmSettingWindow d;
  UserSettingsValues in;
  in.Speed = 3;
  in.MusicList = {"/m/one.mp3"};
  d.SetValues(in);
  d.show();
  QTest::mouseClick(d.Label3, Qt::LeftButton);
  EXPECT_EQ(d.tbSpeed->value(), 10);

  int asked = 0;
  d.chooseFile = [&](QWidget*) {
    ++asked;
    return asked == 1 ? QString("/m/two.wav") : QString();
  };
  QTest::mouseClick(d.Button3, Qt::LeftButton);
  QTest::mouseClick(d.Button3, Qt::LeftButton);  // nothing chosen: nothing added
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(Rows(d.lstMusic), (QStringList{"/m/one.mp3", "/m/two.wav"}));
  // Remove without a selected row does nothing; with one it removes that row.
  d.lstMusic->clearSelection();
  QTest::mouseClick(d.Button4, Qt::LeftButton);
  EXPECT_EQ(d.lstMusic->rowCount(), 2);
  d.lstMusic->selectRow(0);
  QTest::mouseClick(d.Button4, Qt::LeftButton);
  EXPECT_EQ(Rows(d.lstMusic), (QStringList{"/m/two.wav"}));
  // Until OK the handed-in list is unchanged (Cancel keeps the stored playlist).
  EXPECT_EQ(d.MusicFiles, (QStringList{"/m/one.mp3"}));
  QTest::mouseClick(d.Button1, Qt::LeftButton);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.MusicFiles, (QStringList{"/m/two.wav"}));
}

TEST(SettingWindow, DurationMustBeAWholeNumber) {
  App();
  TfmSettingWindow d;
  for (const char* bad : {"", "1x", "abc"}) {
    d.txtDuration->setText(bad);
    std::string error;
    EXPECT_FALSE(d.Values(&error)) << bad;
    EXPECT_EQ(error, std::string("'") + bad + "' is not a valid integer value");
  }
  d.txtDuration->setText(" 7");
  ASSERT_TRUE(d.Values());
  EXPECT_EQ(d.Values()->Duration, 7);
}

}  // namespace
}  // namespace tp::test
