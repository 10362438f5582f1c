#pragma once
// The settings dialog of folder shows: the folders (add, remove), how long each picture
// stays, the order, the transitions, the fill around pictures of another shape, the motion,
// the captions, portrait pairs and the music.
#include <QDialog>
#include <functional>

#include "photoshow/PhotoSettings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace tp {

class TPhotoSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TPhotoSettingsDialog(QWidget* parent = nullptr);

  void SetValues(const PhotoSettings& settings);
  // The controls' values over the settings given to SetValues (what the dialog does not
  // show is kept).
  PhotoSettings Values() const;

  // Ask for a folder to add and for the music; empty when nothing was chosen. Default to
  // the desktop's file dialogs.
  std::function<QString(QWidget*)> chooseFolder;
  std::function<QString(QWidget*)> chooseMusic;

  void AddFolderClick();
  void RemoveFolderClick();
  void ChooseMusicClick();

  QListWidget* folderList;
  QPushButton* addFolder;
  QPushButton* removeFolder;
  QSpinBox* duration;
  QComboBox* order;
  QComboBox* transitions;  // editable: fade, all or a list of effect numbers
  QSpinBox* transitionTime;
  QComboBox* fill;
  QSpinBox* cropLimit;
  QComboBox* motion;
  QComboBox* captions;
  QCheckBox* pairs;
  QLineEdit* music;
  QPushButton* chooseMusicButton;
  QCheckBox* musicShuffle;
  QPushButton* okButton;
  QPushButton* cancelButton;

 private:
  PhotoSettings base_;
};

}  // namespace tp
