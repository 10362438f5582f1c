#include "config/MpConfigWindow.h"

#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>

#include "config/FormValues.h"
#include "config/FormWidgets.h"
#include "config/MpPreview.h"
#include "config/MpThumbnail2.h"
#include "config/MyButton.h"
#include "config/MyMemo.h"
#include "config/SettingWindow.h"
#include "config/Wallpaper.h"
#include "core/CodePage.h"
#include "core/Paths.h"
#include "core/TextUtil.h"
#include "platform/EventLog.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "project/ProjectLoader.h"
#include "project/RunContext.h"
#include "project/UserSettings.h"

namespace tp {

QString ExpandPlaceholders(const QString& text, const TMpCSetting& setting, bool doubleQuotes) {
  auto value = [doubleQuotes](const std::string& v) {
    QString q = QString::fromStdString(v);
    if (doubleQuotes) q.replace("'", "''");
    return q;
  };
  QString out = text;
  out.replace("<ScreensaverName>", value(setting.ProductName), Qt::CaseSensitive);
  out.replace("<CompanyName>", value(setting.Publisher), Qt::CaseSensitive);
  out.replace("<Website>", value(setting.Website), Qt::CaseSensitive);
  return out;
}

TMpCProject OnePictureProject(const TMpCProject& project, int index) {
  TMpCProject one;
  one.uiSetting = project.uiSetting;
  const TMpCFileList& files = project.fileList;
  if (files.Count() == 0) return one;
  index = std::clamp(index, 0, int(files.Count()) - 1);
  one.fileList.pictures = {files.pictures[size_t(index)]};
  one.fileList.selected = {"TRUE"};
  const TMpCSetting& s = project.setting;
  one.setting.ProductName = s.ProductName;
  one.setting.Stretch = s.Stretch;
  one.setting.Proportional = s.Proportional;
  one.setting.DirectX = s.DirectX;
  one.setting.DirectXQuality = s.DirectXQuality;
  one.setting.Speed = s.Speed;
  one.setting.Sound = true;
  one.setting.Music = false;
  ApplyUserSettings(one);
  // The user's deselections name pictures of the whole list, not this one-picture list:
  // the chosen picture stays on.
  one.fileList.SelectAll(true);
  return one;
}

TfmMpCOnfigWindow::TfmMpCOnfigWindow(const TMpForms& forms, TMpCProject& project, const TMpForm& form,
                                     ConfigServices services, QWidget* parent)
    : TfmMpFormParent(parent), forms_(forms), project_(project), services_(std::move(services)) {
  const FormComponent root = ParseFormText(PrepareFormText(form));
  formName_ = form.Name;
  setObjectName(QString::fromStdString(form.Name));
  ReadParentProperties(root);
  ApplyRootProperties(root);
  built_ = BuildFormComponents(root, this);
  PersonaliseTexts();
  ApplyBorder();

  UserSettingsValues values;
  if (ReadUserSettings(project_, values)) {
    TMpCSetting& s = project_.setting;
    s.ShowImageMode = values.ImageMode;
    s.Duration = values.Duration;
    s.Sound = values.Sound;
    s.Music = values.Music;
    s.Transition = values.Transition;
    if (values.Speed >= 0 && values.Speed < int(kSpeedTable.size())) s.Speed = kSpeedTable[size_t(values.Speed)];
    s.Stretch = values.ImageSize > 0;
    s.Proportional = values.ImageSize == 2;
  }
  IndexMap.clear();
  for (size_t i = 0; i < project_.fileList.Count(); ++i)
    IndexMap.push_back(std::to_string(i) + "=" + std::to_string(i));
  SaveOnClose = true;
}

TfmMpCOnfigWindow::~TfmMpCOnfigWindow() = default;

void TfmMpCOnfigWindow::ApplyRootProperties(const FormComponent& root) {
  setWindowTitle(StringProperty(root, "Caption", QString()));
  int w = int(std::clamp<int64_t>(IntProperty(root, "ClientWidth", IntProperty(root, "Width", 400)), 1, kMaxFormCoordinate));
  int h = int(std::clamp<int64_t>(IntProperty(root, "ClientHeight", IntProperty(root, "Height", 300)), 1, kMaxFormCoordinate));
  resize(w, h);
  if (const FormProperty* p = root.Find("Color")) {
    if (auto c = FormColor(p->value)) {
      QPalette pal = palette();
      pal.setColor(QPalette::Window, *c);
      setPalette(pal);
      setAutoFillBackground(true);
    }
  }
  QFont f = font();
  if (ApplyFontProperties(root, f, nullptr)) setFont(f);
}

QString TfmMpCOnfigWindow::Expand(const QString& text) const {
  // Live texts are shown as they are, so the values go in without doubled quotes.
  return ExpandPlaceholders(text, project_.setting, false);
}

void TfmMpCOnfigWindow::PersonaliseTexts() {
  setWindowTitle(Expand(windowTitle()));
  // Every control is visited, also those on tab sheets and in other containers.
  for (const BuiltComponent& c : built_.components) {
    QObject* o = c.object.data();
    if (auto* label = qobject_cast<FormLabel*>(o)) {
      label->SetCaption(Expand(label->caption()));
    } else if (auto* button = qobject_cast<TMyButton*>(o)) {
      button->SetCaption(Expand(button->Caption()));
    } else if (auto* memo = qobject_cast<TMyMemo*>(o)) {
      memo->SetText(Expand(memo->Text()));
    } else if (auto* bitBtn = qobject_cast<QPushButton*>(o); bitBtn && c.Is("TBitBtn")) {
      bitBtn->setText(Expand(bitBtn->text()));
    }
  }
}

QWidget* TfmMpCOnfigWindow::Component(std::string_view name) const {
  const BuiltComponent* c = built_.Find(name);
  return c ? c->widget() : nullptr;
}

void TfmMpCOnfigWindow::showEvent(QShowEvent* e) {
  TfmMpFormParent::showEvent(e);
  if (shown_) return;
  shown_ = true;
  if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
  if (MaximizeOnShow) setWindowState(windowState() | Qt::WindowMaximized);
  FormShow();
}

void TfmMpCOnfigWindow::WireComponent(const BuiltComponent& c) {
  QObject* o = c.object.data();
  const std::string name = c.name;
  auto run = [this, name] { RunAction(name); };
  if (auto* clickable = dynamic_cast<ClickableWidget*>(o)) {
    // Labels, images (previews too), panels, and the clickable shape and bevel.
    bool wired = qobject_cast<FormLabel*>(o) || qobject_cast<FormImage*>(o) || qobject_cast<FormPanel*>(o) ||
                 c.Is("TMyShape") || c.Is("TMyBevel");
    if (wired) connect(clickable, &ClickableWidget::clicked, this, run);
  } else if (auto* button = qobject_cast<TMyButton*>(o)) {
    connect(button, &TMyButton::clicked, this, run);
  } else if (auto* bitBtn = qobject_cast<QPushButton*>(o); bitBtn && c.Is("TBitBtn")) {
    connect(bitBtn, &QPushButton::clicked, this, run);
  }
}

void TfmMpCOnfigWindow::FormShow() {
  const int count = int(project_.fileList.Count());
  const int stored = ReadSinglePictureIndex();
  CurrentIndex = stored > count ? 0 : stored;

  for (const BuiltComponent& c : built_.components) {
    try {
      QObject* o = c.object.data();
      if (!o) continue;
      if (auto* edit = qobject_cast<QLineEdit*>(o)) edit->setReadOnly(false);
      WireComponent(c);
      if (auto* tabs = qobject_cast<QTabWidget*>(o)) tabs->setCurrentIndex(tabs->currentIndex());
      if (auto* grid = qobject_cast<TMpThumbnail2*>(o); grid && count > 0) {
        grid->SetFiles(&project_.fileList);
        TMpCFileList marks = project_.fileList;
        if (ReadDeselectedPictures(marks))
          for (int i = 0; i < count; ++i) grid->SetChecked(i, marks.IsSelected(size_t(i)));
        connect(grid, &TMpThumbnail2::selectItem, this, [this](int index) { SelectPicture(index); });
        grid->viewport()->update();
        grid->SelectIndex(CurrentIndex);
      }
      // Tab sheets and timers keep their state; every other control shows by bit 0 of its Tag.
      if (QWidget* w = c.widget(); w && !c.Is("TTabSheet")) w->setVisible((c.tag & 1) != 0);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "tidepool: %s: %s\n", c.name.c_str(), e.what());
    }
  }
  // Every preview shows the current picture (which SelectPicture loads).
  SelectPicture(CurrentIndex);
  LogEvent("form-shown", formName_);
}

void TfmMpCOnfigWindow::SelectPicture(int index) {
  const int count = int(project_.fileList.Count());
  if (count == 0) {
    CurrentIndex = 0;
    return;  // nothing to show; the previews stay as they are
  }
  CurrentIndex = std::clamp(index, 0, count - 1);
  const std::string& path = project_.fileList.pictures[size_t(CurrentIndex)];
  for (const BuiltComponent& c : built_.components)
    if (auto* preview = qobject_cast<TMpPreview*>(c.object.data())) preview->SetPicture(path);
}

int TfmMpCOnfigWindow::IndexOfPosition(int position) const {
  const std::string prefix = std::to_string(position) + "=";
  for (const std::string& entry : IndexMap)
    if (entry.rfind(prefix, 0) == 0)
      if (auto v = ParseInt32(std::string_view(entry).substr(prefix.size()))) return *v;
  return position;
}

void TfmMpCOnfigWindow::RunAction(const std::string& componentName) {
  const TMpForm* form = forms_.FindForm(formName_);
  const TAction* action = form ? form->Actions.Find(componentName) : nullptr;
  if (!action) return;
  auto text = [this](const std::string& raw) {
    return Expand(QString::fromStdString(AnyTextToUtf8(raw))).trimmed().toStdString();
  };
  const std::string text1 = text(action->Text1);
  LogEvent("action", componentName + " " + std::to_string(action->ActionType));
  switch (action->ActionType) {
    case 0:
      // Web and mail addresses only: a downloaded saver must not open files or start programs.
      if (!IsOpenableLink(text1)) {
        LogEvent("open-refused", text1);
        break;
      }
      if (services_.open) services_.open(text1);
      break;
    case 1:
      ShowUiForm(forms_, project_, text1, services_, this);
      break;
    case 2:
      SelectPicture(CurrentIndex + 1);
      break;
    case 3:
      SelectPicture(CurrentIndex - 1);
      break;
    case 4:
      RunSaverOnCurrentPicture();
      break;
    case 5:
      OpenSettingsDialog();
      break;
    case 6:
      reject();
      break;
    case 9:
      SetWallpaper();
      break;
    default:
      break;
  }
}

void TfmMpCOnfigWindow::RunSaverOnCurrentPicture() {
  if (project_.fileList.Count() == 0 || !services_.runSaver) return;
  const TMpCProject one = OnePictureProject(project_, CurrentIndex);
  services_.runSaver(one);
}

void TfmMpCOnfigWindow::OpenSettingsDialog() {
  TfmSettingWindow dialog(this);
  UserSettingsValues values;
  const bool readable = ReadUserSettings(project_, values);
  dialog.SetValues(values);
  dialog.SetOkEnabled(readable);
  dialog.chooseFile = services_.chooseMusicFile;
  if (!services_.exec || services_.exec(dialog) != QDialog::Accepted || !readable) return;
  std::string error;
  std::optional<UserSettingsValues> chosen = dialog.Values(&error);
  if (!chosen) {
    if (services_.inform) services_.inform(error);
    return;
  }
  if (WriteUserSettings(*chosen)) LogEvent("settings-written");
}

void TfmMpCOnfigWindow::SetWallpaper() {
  if (project_.fileList.Count() == 0) return;
  if (!services_.confirm || !services_.confirm(kWallpaperQuestion)) return;
  const int index = std::clamp(CurrentIndex, 0, int(project_.fileList.Count()) - 1);
  const std::string bmp = WallpaperBitmapPath();
  if (!SaveWallpaperBitmap(project_.fileList.pictures[size_t(index)], bmp)) return;
  // The picture is written either way; a desktop we cannot drive is told so.
  const bool set = services_.setWallpaper && services_.setWallpaper(bmp);
  if (!set && services_.notify) services_.notify(WallpaperNotSetMessage(bmp));
}

void TfmMpCOnfigWindow::FormClose() {
  if (!SaveOnClose) return;
  try {
    WriteSinglePictureIndex(IndexOfPosition(CurrentIndex));
    for (const BuiltComponent& c : built_.components) {
      auto* grid = qobject_cast<TMpThumbnail2*>(c.object.data());
      if (!grid || !grid->Files()) continue;
      TMpCFileList marks = *grid->Files();
      for (size_t i = 0; i < marks.Count(); ++i) marks.SetSelected(i, grid->Checked(int(i)));
      WriteDeselectedPictures(marks);
    }
  } catch (const std::exception&) {
    // Closing goes on whatever the store says.
  }
}

void TfmMpCOnfigWindow::done(int result) {
  if (!closed_) {
    closed_ = true;
    FormClose();
  }
  TfmMpFormParent::done(result);
}

bool ShowUiForm(const TMpForms& forms, TMpCProject& project, const std::string& formName,
                const ConfigServices& services, QWidget* parent) {
  const TMpForm* form = forms.FindForm(formName);
  if (!form) {
    std::fprintf(stderr, "tidepool: the UI description has no form \"%s\"\n", formName.c_str());
    return false;
  }
  // The application title names message boxes; window titles stay the forms' own captions.
  if (EqualsIgnoreCase(ExtensionOf(SaverPath()), ".scr") || CurrentRun().firstArgument == "/C")
    SetApplicationTitle(project.setting.ProductName);
  try {
    TfmMpCOnfigWindow window(forms, project, *form, services, parent);
    if (services.exec) services.exec(window);
    return true;
  } catch (const FormTextError& e) {
    std::fprintf(stderr, "tidepool: form \"%s\": %s\n", formName.c_str(), e.what());
    return false;
  }
}

}  // namespace tp
