#pragma once
// TfmSettingWindow: the fixed dialog in which the user edits the user settings (picture
// size and order, speed, display time, full-screen drawing and its quality, sound,
// music and a personal playlist).
#include <QDialog>
#include <QStringList>
#include <functional>
#include <optional>

#include "project/UserSettings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QTableWidget;
class QToolButton;

namespace tp {

// The open dialog's filter as the settings store it, and the same in Qt's notation.
inline constexpr const char* kMusicFileFilter = "Music Files|*.mp3;*.wma;*.mid;*.wav";
QString QtFileFilter(const QString& filter);

// An up-down control bound to a line edit: its buttons step the edit's number within
// the range; typing into the edit is not limited by it.
class TUpDown : public QWidget {
  Q_OBJECT
 public:
  TUpDown(QLineEdit* associate, QWidget* parent);
  void SetRange(int min, int max);
  void SetPosition(int position);  // clamped to the range; written to the edit
  int Position() const { return position_; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  void Step(int delta);

 private:
  QLineEdit* associate_;
  QToolButton* up_;
  QToolButton* down_;
  int min_ = 0, max_ = 100, position_ = 0;
};

class TfmSettingWindow : public QDialog {
  Q_OBJECT
 public:
  explicit TfmSettingWindow(QWidget* parent = nullptr);

  // Sets every control from the values read from the store.
  void SetValues(const UserSettingsValues& values);
  // The values of the controls; nothing when the duration is not a whole number
  // (conversionError then holds the message to show).
  std::optional<UserSettingsValues> Values(std::string* conversionError = nullptr) const;
  void SetOkEnabled(bool on);

  // Handed in before showing, read back after OK.
  QStringList MusicFiles;
  // Asks for a file to add; the configuration window sets it.
  std::function<QString(QWidget*)> chooseFile;

  // Published handlers.
  void FormShow();
  void Button1Click();  // OK
  void Button3Click();  // Add
  void Button4Click();  // Remove
  void Label3Click();   // Reset

  // Controls, by the names the store's documentation uses.
  QTabWidget* PageControl1;
  QWidget* TabSheet1;
  QWidget* TabSheet2;
  QCheckBox* cbMusic;
  QCheckBox* cbSound;
  QCheckBox* cbDirectX;
  QLabel* lblImgQuality;
  QComboBox* cbImageQuality;
  QLabel* Label5;
  QComboBox* cbImageSize;
  QLabel* Label6;
  QComboBox* cbShowImageMode;
  QLabel* lblDuration;
  QLineEdit* txtDuration;
  TUpDown* UpDown1;
  QLabel* lblSec;
  QLabel* Label8;
  QSlider* tbSpeed;
  QCheckBox* cbCustomMusic;
  QCheckBox* cbShuffleMusic;
  QTableWidget* lstMusic;
  QPushButton* Button3;
  QPushButton* Button4;
  QPushButton* Button1;
  QPushButton* Button2;
  QCheckBox* cbTransition;
  QGroupBox* GroupBox1;
  class FormLabel* Label3;  // the "Reset" link

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void AddMusicRow(const QString& path);
  bool shown_ = false;
};

}  // namespace tp
