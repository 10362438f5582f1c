// --form-text FILE / --ui FILE [--form NAME] / --saver FILE [--form NAME]: one form built
// as the configuration window builds it (prepared, components created, Tag visibility
// applied), drawn offscreen into a PNG. With --form-text and --ui the window gets an
// empty project; with --saver it gets the saver's own project (names, pictures in the
// preview and the thumbnail grid), unpacked for the drawing and removed again. No
// services are installed and nothing is written; a text that does not parse exits 2 with
// its line number.
#if TIDEPOOL_HAVE_QT
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <memory>
#include <stdlib.h>
#include <string>
#include <vector>

#include "config/ConfigServices.h"
#include "config/MpConfigWindow.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/TextUtil.h"
#include "project/FormText.h"
#include "project/ProjectLoader.h"
#include "project/ProjectSettings.h"
#include "project/RunContext.h"
#include "project/UiDescription.h"
#include "tidepool-render/RenderCommand.h"

namespace tp::render {
namespace {

constexpr int kParseError = 2;

// Qt needs an application object; without a display the offscreen platform draws. Qt
// also wants a private runtime folder: without one it gets a temporary folder of its own,
// removed again at the end, so a drawing leaves nothing behind.
class FormApplication {
 public:
  FormApplication() {
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
      std::string pattern = JoinPath(TempDirectory(), "tidepool-render-XXXXXX");
      if (::mkdtemp(pattern.data())) {
        runtime_ = QString::fromStdString(pattern);
        qputenv("XDG_RUNTIME_DIR", runtime_.toLocal8Bit());
      }
    }
    static int argc = 1;
    static char name[] = "tidepool-render";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  ~FormApplication() {
    app_.reset();
    if (!runtime_.isEmpty()) QDir(runtime_).removeRecursively();
  }

 private:
  std::unique_ptr<QApplication> app_;
  QString runtime_;
};

int RenderForm(const TMpForms& forms, TMpCProject& project, const TMpForm& form, const std::string& out,
               const std::string& where) {
  // Parse the text as given first, so an error names the line the author wrote.
  std::string raw;
  for (size_t i = 0; i < form.FormText.size(); ++i) raw += (i ? "\r\n" : "") + form.FormText[i];
  try {
    (void)ParseFormText(raw);
  } catch (const FormTextError& e) {
    std::fprintf(stderr, "tidepool-render: %s: %s\n", where.c_str(), e.what());
    return kParseError;
  }
  FormApplication app;
  try {
    TfmMpCOnfigWindow window(forms, project, form, ConfigServices{});
    window.SaveOnClose = false;
    window.show();  // runs FormShow: Tag visibility, page controls
    QApplication::processEvents();
    const QPixmap shot = window.grab();
    if (shot.isNull() || !shot.save(QString::fromStdString(out), "PNG")) {
      std::fprintf(stderr, "tidepool-render: cannot write %s\n", out.c_str());
      return 1;
    }
    std::printf("%s: form \"%s\" %dx%d\n", out.c_str(), form.Name.c_str(), shot.width(), shot.height());
  } catch (const FormTextError& e) {
    // Only the preparation can make a text that parsed fail; its lines are renumbered.
    std::fprintf(stderr, "tidepool-render: %s: after preparation: %s\n", where.c_str(), e.what());
    return kParseError;
  }
  return 0;
}

// The form of a UI description, or the list of the forms it has.
const TMpForm* FindOrList(const TMpForms& forms, const std::string& name, const std::string& where) {
  if (const TMpForm* form = forms.FindForm(name)) return form;
  std::fprintf(stderr, "tidepool-render: %s has no form \"%s\"; it has:", where.c_str(), name.c_str());
  for (size_t i = 0; i < forms.Count(); ++i) std::fprintf(stderr, " %s", forms[i].Name.c_str());
  std::fprintf(stderr, "\n");
  return nullptr;
}

int RunFormText(const std::vector<std::string>& args) {
  const std::string path = OptionValue(args, "--form-text");
  const std::string out = OptionValue(args, "--out", "form.png");
  if (path.empty()) {
    std::fprintf(stderr, "tidepool-render: --form-text needs a file\n");
    return 2;
  }
  std::string bytes;
  if (!ReadFile(path, bytes)) {
    std::fprintf(stderr, "tidepool-render: cannot read %s\n", path.c_str());
    return 1;
  }
  TMpForm form;
  form.FormText = SplitLines(bytes);
  if (!form.FormText.empty()) form.Name = FormNameFromRootLine(form.FormText.front());
  // The window looks its actions up by form name; a form of its own keeps that working.
  TMpForms forms;
  TMpCProject project;
  return RenderForm(forms, project, form, out, path);
}

int RunUi(const std::vector<std::string>& args) {
  const std::string path = OptionValue(args, "--ui");
  const std::string name = OptionValue(args, "--form", "MainWindow");
  const std::string out = OptionValue(args, "--out", "form.png");
  if (path.empty()) {
    std::fprintf(stderr, "tidepool-render: --ui needs a file\n");
    return 2;
  }
  TMpForms forms;
  try {
    forms.LoadUiDescription(path);
  } catch (const UiDescriptionError& e) {
    std::fprintf(stderr, "tidepool-render: %s: line %d: %s\n", path.c_str(), e.line(), e.what());
    return kParseError;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tidepool-render: %s: %s\n", path.c_str(), e.what());
    return 1;
  }
  const TMpForm* form = FindOrList(forms, name, path);
  if (!form) return 1;
  TMpCProject project;
  return RenderForm(forms, project, *form, out, path + ": form \"" + form->Name + "\"");
}

int RunSaver(const std::vector<std::string>& args) {
  const std::string path = OptionValue(args, "--saver");
  const std::string name = OptionValue(args, "--form", "MainWindow");
  const std::string out = OptionValue(args, "--out", "form.png");
  if (path.empty()) {
    std::fprintf(stderr, "tidepool-render: --saver needs a file\n");
    return 2;
  }
  CurrentRun().saverPath = path;
  TMpCProject project;
  if (!UnpackProject(project, path)) {
    std::fprintf(stderr, "tidepool-render: %s holds no project\n", path.c_str());
    return 1;
  }
  // The unpacked files go whatever happens below.
  struct RemoveOnExit {
    TMpCProject& project;
    ~RemoveOnExit() { RemoveUnpackedProject(project); }
  } cleanUp{project};
  TMpForms forms;
  const std::string& ui = project.uiSetting.UIFile;
  try {
    forms.LoadUiDescription(ui);
  } catch (const UiDescriptionError& e) {
    std::fprintf(stderr, "tidepool-render: %s: UI description line %d: %s\n", path.c_str(), e.line(), e.what());
    return kParseError;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tidepool-render: %s has no readable UI description: %s\n", path.c_str(), e.what());
    return 1;
  }
  const TMpForm* form = FindOrList(forms, name, path);
  if (!form) return 1;
  return RenderForm(forms, project, *form, out, path + ": form \"" + form->Name + "\"");
}

const RenderCommandRegistrar kFormText("--form-text", "--form-text FILE [--out SHOT.png]", RunFormText);
const RenderCommandRegistrar kUi("--ui", "--ui FILE [--form NAME] [--out SHOT.png]", RunUi);
const RenderCommandRegistrar kSaver("--saver", "--saver FILE.scr [--form NAME] [--out SHOT.png]", RunSaver);

}  // namespace
}  // namespace tp::render
#endif
