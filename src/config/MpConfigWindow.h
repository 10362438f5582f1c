#pragma once
// TfmMpCOnfigWindow: a configuration window assembled from one form of the saver's UI
// description. Its look comes from the form text, its behaviour from the form's action
// list: open a document or address, open a further form, step through the pictures, run
// the show on the current picture, open the settings dialog, set the wallpaper, close.
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "config/ConfigServices.h"
#include "config/FormBuilder.h"
#include "config/MpFormParent.h"
#include "project/ProjectSettings.h"
#include "project/UiDescription.h"

namespace tp {

class TMpThumbnail2;

class TfmMpCOnfigWindow : public TfmMpFormParent {
  Q_OBJECT
 public:
  // Builds the window from form's text (prepared for loading). Throws FormTextError when
  // the text does not parse. forms and project must outlive the window.
  TfmMpCOnfigWindow(const TMpForms& forms, TMpCProject& project, const TMpForm& form,
                    ConfigServices services, QWidget* parent = nullptr);
  ~TfmMpCOnfigWindow() override;

  int CurrentIndex = 0;
  std::vector<std::string> IndexMap;  // "position=index", one per picture
  bool SaveOnClose = true;

  void FormShow();
  void FormClose();
  // Clamps index to the file list, makes it current and shows it in every preview.
  void SelectPicture(int index);
  // Runs the action of the named component (nothing when it has none).
  void RunAction(const std::string& componentName);

  const FormBuildResult& Components() const { return built_; }
  QWidget* Component(std::string_view name) const;
  const std::string& FormName() const { return formName_; }

 protected:
  void showEvent(QShowEvent* e) override;
  void done(int result) override;

 private:
  void ApplyRootProperties(const FormComponent& root);
  void PersonaliseTexts();
  void WireComponent(const BuiltComponent& c);
  void OpenSettingsDialog();
  void RunSaverOnCurrentPicture();
  void SetWallpaper();
  QString Expand(const QString& text) const;
  int IndexOfPosition(int position) const;

  const TMpForms& forms_;
  TMpCProject& project_;
  ConfigServices services_;
  std::string formName_;
  FormBuildResult built_;
  bool shown_ = false;
  bool closed_ = false;
};

// Replaces "<ScreensaverName>", "<CompanyName>" and "<Website>" (case-sensitively) by the
// project's ProductName, Publisher and Website. doubleQuotes: every single quote of a
// value is doubled first, for texts that go through the form-text notation.
QString ExpandPlaceholders(const QString& text, const TMpCSetting& setting, bool doubleQuotes);

// Builds the form of that name as a configuration window, shows it modally and frees it.
// False when the description has no such form or its text does not parse (the reason
// goes to stderr); the caller's window goes on.
bool ShowUiForm(const TMpForms& forms, TMpCProject& project, const std::string& formName,
                const ConfigServices& services, QWidget* parent = nullptr);

// The project a show on one picture runs: only that picture, selected, with the project's
// Stretch, Proportional, DirectX, DirectXQuality and Speed, sound on and music off, and
// the user settings laid over it as before every show.
TMpCProject OnePictureProject(const TMpCProject& project, int index);

}  // namespace tp
