// --form-text FILE / --ui FILE [--form NAME]: one form built as the configuration window
// builds it (prepared, components created, Tag visibility applied), drawn offscreen into
// a PNG. The window gets an empty project and no services, so clicks and the settings
// store play no part; a text that does not parse exits 2 with its line number.
#if TIDEPOOL_HAVE_QT
#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "config/ConfigServices.h"
#include "config/MpConfigWindow.h"
#include "core/FileSystem.h"
#include "core/TextUtil.h"
#include "project/FormText.h"
#include "project/ProjectSettings.h"
#include "project/UiDescription.h"
#include "tidepool-render/RenderCommand.h"

namespace tp::render {
namespace {

constexpr int kParseError = 2;

// Qt needs an application object; without a display the offscreen platform draws.
std::unique_ptr<QApplication> MakeApplication() {
  if (QApplication::instance()) return nullptr;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tidepool-render";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QApplication>(argc, argv);
}

int RenderForm(const TMpForms& forms, const TMpForm& form, const std::string& out, const std::string& where) {
  // Parse the text as given first, so an error names the line the author wrote.
  std::string raw;
  for (size_t i = 0; i < form.FormText.size(); ++i) raw += (i ? "\r\n" : "") + form.FormText[i];
  try {
    (void)ParseFormText(raw);
  } catch (const FormTextError& e) {
    std::fprintf(stderr, "tidepool-render: %s: form \"%s\": %s\n", where.c_str(), form.Name.c_str(), e.what());
    return kParseError;
  }
  auto app = MakeApplication();
  TMpCProject project;
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
    std::fprintf(stderr, "tidepool-render: %s: form \"%s\" after preparation: %s\n", where.c_str(),
                 form.Name.c_str(), e.what());
    return kParseError;
  }
  return 0;
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
  return RenderForm(forms, form, out, path);
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
  const TMpForm* form = forms.FindForm(name);
  if (!form) {
    std::fprintf(stderr, "tidepool-render: %s has no form \"%s\"; it has:", path.c_str(), name.c_str());
    for (size_t i = 0; i < forms.Count(); ++i) std::fprintf(stderr, " %s", forms[i].Name.c_str());
    std::fprintf(stderr, "\n");
    return 1;
  }
  return RenderForm(forms, *form, out, path);
}

const RenderCommandRegistrar kFormText("--form-text", "--form-text FILE [--out SHOT.png]", RunFormText);
const RenderCommandRegistrar kUi("--ui", "--ui FILE [--form NAME] [--out SHOT.png]", RunUi);

}  // namespace
}  // namespace tp::render
#endif
