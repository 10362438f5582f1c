// The real player in mode C on the headless backend: the demo's UI description packed
// into a saver with three pictures, clicked through by component name; and the form
// renderer of tidepool-render on the same description.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <unistd.h>

#include "core/IniFile.h"
#include "support/SaverRun.h"

namespace tp::test {
namespace {

std::string SourceDir() {
  const char* d = std::getenv("TIDEPOOL_SOURCE_DIR");
  return d ? d : ".";
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string DemoUiDescription() { return ReadAll(SourceDir() + "/demo/MpGUI.mui"); }

// Standard output of a shell command.
std::string CommandOutput(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[256];
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

class ConfigurationMode : public ::testing::Test {
 protected:
  void SetUp() override {
    ProjectFolder show(work / "show");
    show.SetSettings(
        "[General]\r\nProductName=Bob's Lake\r\nPublisher=Acme\r\nWebsite=http://example.org/lake\r\n"
        "[Default]\r\nDuration=1\r\nTransition=0\r\nShowImageMode=1\r\nMusic=1\r\n"
        "[Advance]\r\nMusicFile=tune.wav\r\n");
    show.SetFileList("[FileList]\r\nred.jpg=1\r\ngreen.jpg=1\r\nblue.bmp=1\r\n");
    show.AddPicture("red.jpg", "64x48", "xc:red");
    show.AddPicture("green.jpg", "64x48", "xc:green");
    show.AddPicture("blue.bmp", "64x48", "xc:blue");
    ASSERT_EQ(RunCommand("sox -n -r 8000 -c 1 '" + show.dir() + "/files/tune.wav' synth 0.5 sine 440"), 0);
    const std::string ui = DemoUiDescription();
    ASSERT_FALSE(ui.empty()) << "demo/MpGUI.mui not found under " << SourceDir();
    show.SetUiDescription(ui);
    ASSERT_EQ(show.Pack(saver), 0);
  }

  RunResult Run(const std::string& script, std::map<std::string, std::string> env = {},
                const std::string& program = {}) {
    std::ofstream(work / "script.txt") << script;
    RunOptions o;
    o.tmpDir = tmp.path();
    o.runMs = 60000;
    o.env = std::move(env);
    o.env["TIDEPOOL_SCRIPT"] = work / "script.txt";
    return RunHeadless(program.empty() ? saver : program, {"/c"}, o);
  }

  // The user settings file beside the saver, or nothing when there is none.
  std::optional<IniFile> UserSettings() const {
    const std::string path = work / "Show.ini";
    if (!std::filesystem::exists(path)) return std::nullopt;
    return IniFile::Load(path);
  }

  // The time of the first event of that kind (-1 when there is none).
  static long TimeOf(const RunResult& r, const std::string& kind) {
    for (const std::string& line : r.events) {
      size_t a = line.find(' ');
      if (a != std::string::npos && line.compare(a + 1, kind.size(), kind) == 0) return std::stol(line.substr(0, a));
    }
    return -1;
  }

  TempDir work;
  TempDir tmp;
  const std::string saver = work / "Show.scr";
};

TEST_F(ConfigurationMode, StepsThroughThePicturesAndKeepsTheCurrentOneOnClose) {
  // The second picture is switched off; 7 names no picture.
  std::ofstream(work / "Show.ini") << "[Files]\r\n1=\r\n7=\r\n";
  const RunResult r = Run(
      "at 100 click-on btnNext\n"
      "at 200 click-on btnNext\n"
      "at 300 click-on btnNext\n"   // already on the last picture
      "at 400 click-on btnPrev\n"
      "at 500 click-on lblTitle\n"  // a label without an action
      "at 600 click-on btnClose\n");
  EXPECT_EQ(r.exitCode, 0) << r.stderrText;
  EXPECT_EQ(r.EventsOf("form-shown"), std::vector<std::string>{"MainWindow"});
  EXPECT_EQ(r.EventsOf("action"),
            (std::vector<std::string>{"btnNext 2", "btnNext 2", "btnNext 2", "btnPrev 3", "btnClose 6"}));
  // The window closed on the click, long before the run time was over.
  const long exitAt = TimeOf(r, "exit");
  EXPECT_GE(exitAt, 600);
  EXPECT_LT(exitAt, 2000);
  auto ini = UserSettings();
  ASSERT_TRUE(ini) << "no user settings file beside the saver";
  EXPECT_EQ(ini->ReadInteger("Setting", "Index", -1), 1);  // last (2), then back one
  // The grid's check marks went through the window and back into the file.
  EXPECT_TRUE(ini->ValueExists("Files", "1"));
  EXPECT_FALSE(ini->ValueExists("Files", "0"));
  EXPECT_FALSE(ini->ValueExists("Files", "7"));
  EXPECT_TRUE(tmp.List().empty()) << "the extraction folder was left behind";
}

TEST_F(ConfigurationMode, SettingsDialogOkWritesTheUserSettingsAndCancelDoesNot) {
  std::ofstream(work / "Show.ini") << "[Setting]\r\nSpeed=15\r\nDuration=25\r\nImageMode=2\r\n";
  const RunResult cancelled = Run(
      "at 100 click-on btnSettings\n"
      "at 200 click-on Button2\n"
      "at 300 click-on btnClose\n");
  EXPECT_EQ(cancelled.exitCode, 0) << cancelled.stderrText;
  EXPECT_EQ(cancelled.EventsOf("action"), (std::vector<std::string>{"btnSettings 5", "btnClose 6"}));
  EXPECT_TRUE(cancelled.EventsOf("settings-written").empty());
  auto before = UserSettings();
  ASSERT_TRUE(before);
  EXPECT_FALSE(before->ValueExists("Setting", "ImageSize")) << "Cancel wrote the dialog's values";

  const RunResult ok = Run(
      "at 100 click-on btnSettings\n"
      "at 200 click-on Button1\n"
      "at 300 click-on btnClose\n");
  EXPECT_EQ(ok.exitCode, 0) << ok.stderrText;
  EXPECT_EQ(ok.EventsOf("settings-written").size(), 1u);
  auto after = UserSettings();
  ASSERT_TRUE(after);
  // The dialog was filled from the file and wrote every value back.
  EXPECT_EQ(after->ReadInteger("Setting", "Speed", -1), 15);
  EXPECT_EQ(after->ReadInteger("Setting", "Duration", -1), 25);
  EXPECT_EQ(after->ReadInteger("Setting", "ImageMode", -1), 2);
  EXPECT_TRUE(after->ValueExists("Setting", "ImageSize"));
  EXPECT_TRUE(after->ValueExists("Setting", "DirectXQuality"));
  EXPECT_TRUE(tmp.List().empty());
}

TEST_F(ConfigurationMode, RunPlaysTheCurrentPictureAloneAndTheWindowGoesOnAfterwards) {
  const RunResult r = Run(
      "at 100 click-on btnNext\n"
      "at 200 click-on btnRun\n"
      "at 3000 key q\n"              // ends the show
      "at 3500 click-on btnNext\n"   // the window has its input back
      "at 3600 click-on btnClose\n");
  EXPECT_EQ(r.exitCode, 0) << r.stderrText;
  EXPECT_EQ(r.EventsOf("action"), (std::vector<std::string>{"btnNext 2", "btnRun 4", "btnNext 2", "btnClose 6"}));
  const auto loads = r.EventsOf("load");
  ASSERT_FALSE(loads.empty()) << "the show loaded no picture";
  for (const std::string& l : loads) EXPECT_EQ(l.substr(l.rfind('/') + 1), "green.jpg");
  EXPECT_EQ(r.EventsOf("close-request"), std::vector<std::string>{"key"});
  // The project plays music in its own shows; the one-picture show has it off.
  EXPECT_TRUE(r.EventsOf("music").empty()) << r.EventsOf("music").front();
  auto ini = UserSettings();
  ASSERT_TRUE(ini);
  EXPECT_EQ(ini->ReadInteger("Setting", "Index", -1), 2);
  EXPECT_TRUE(tmp.List().empty());
}

TEST_F(ConfigurationMode, ClicksReachTheGridThroughItsViewportAndNeverAHiddenComponent) {
  // (150, 50) of the grid lies in its first row, second column: the second picture.
  // lblMore sits on the tab sheet not shown.
  const RunResult r = Run(
      "at 100 click-on Thumbs 150 50\n"
      "at 200 click-on lblMore\n"
      "at 300 click-on btnClose\n");
  EXPECT_EQ(r.exitCode, 0) << r.stderrText;
  EXPECT_EQ(r.EventsOf("click-on"), (std::vector<std::string>{"Thumbs", "btnClose"})) << r.stderrText;
  EXPECT_EQ(r.EventsOf("action"), std::vector<std::string>{"btnClose 6"});
  EXPECT_EQ(r.EventsOf("form-shown"), std::vector<std::string>{"MainWindow"});
  EXPECT_NE(r.stderrText.find("\"lblMore\" is hidden"), std::string::npos) << r.stderrText;
  auto ini = UserSettings();
  ASSERT_TRUE(ini);
  EXPECT_EQ(ini->ReadInteger("Setting", "Index", -1), 1);
}

TEST_F(ConfigurationMode, OpeningAndClosingTheWindowLeavesTheDrawingPathOfTheNextShow) {
  RunOptions o;
  o.tmpDir = tmp.path();
  o.runMs = 1500;
  const RunResult before = RunHeadless(saver, {"/s"}, o);
  ASSERT_EQ(before.exitCode, 0) << before.stderrText;
  ASSERT_EQ(before.EventsOf("drawing-path"), std::vector<std::string>{"window"});
  ASSERT_FALSE(UserSettings());

  const RunResult closed = Run("at 100 click-on btnClose\n");
  EXPECT_EQ(closed.exitCode, 0) << closed.stderrText;
  auto ini = UserSettings();
  ASSERT_TRUE(ini) << "closing the window wrote no user settings";
  EXPECT_FALSE(ini->ValueExists("Setting", "DirectX"));

  const RunResult after = RunHeadless(saver, {"/s"}, o);
  EXPECT_EQ(after.exitCode, 0) << after.stderrText;
  EXPECT_EQ(after.EventsOf("drawing-path"), before.EventsOf("drawing-path"));
  EXPECT_TRUE(tmp.List().empty());
}

TEST_F(ConfigurationMode, OpenActionRefusesALocalFileQuietly) {
  ProjectFolder show(work / "local");
  show.SetSettings("[General]\r\nProductName=Local\r\nWebsite=file:///etc/passwd\r\n");
  show.SetFileList("[FileList]\r\nred.jpg=1\r\n");
  show.AddPicture("red.jpg", "32x24", "xc:red");
  show.SetUiDescription(DemoUiDescription());
  ASSERT_EQ(show.Pack(work / "Local.scr"), 0);
  const RunResult r = Run("at 100 click-on btnWebsite\nat 200 click-on btnClose\n", {}, work / "Local.scr");
  EXPECT_EQ(r.exitCode, 0) << r.stderrText;
  EXPECT_EQ(r.EventsOf("action"), (std::vector<std::string>{"btnWebsite 0", "btnClose 6"}));
  EXPECT_TRUE(r.EventsOf("shell-open").empty());
  EXPECT_EQ(r.EventsOf("open-refused"), std::vector<std::string>{"file:///etc/passwd"});
  EXPECT_TRUE(r.EventsOf("message").empty());
}

TEST_F(ConfigurationMode, WallpaperIsWrittenBesideTheSaverOnlyAfterYes) {
  const RunResult no = Run("at 100 click-on btnWallpaper\nat 200 click-on btnClose\n", {{"TIDEPOOL_CONFIRM", "no"}});
  EXPECT_EQ(no.exitCode, 0) << no.stderrText;
  ASSERT_EQ(no.EventsOf("message").size(), 1u);
  EXPECT_EQ(no.EventsOf("message")[0].rfind("confirm You are about to set the selected picture as wallpaper.", 0), 0u)
      << no.EventsOf("message")[0];
  EXPECT_TRUE(no.EventsOf("wallpaper").empty());
  EXPECT_FALSE(std::filesystem::exists(saver + ".bmp"));

  // A link planted at the wallpaper's name is replaced, its target left alone.
  std::ofstream(work / "target") << "keep me";
  ASSERT_EQ(::symlink("target", (saver + ".bmp").c_str()), 0);
  const RunResult yes = Run("at 100 click-on btnNext\nat 200 click-on btnWallpaper\nat 300 click-on btnClose\n");
  EXPECT_EQ(ReadAll(work / "target"), "keep me");
  EXPECT_FALSE(std::filesystem::is_symlink(saver + ".bmp"));
  EXPECT_EQ(yes.exitCode, 0) << yes.stderrText;
  ASSERT_EQ(yes.EventsOf("wallpaper").size(), 1u);
  EXPECT_EQ(std::filesystem::path(yes.EventsOf("wallpaper")[0]).filename(), "Show.scr.bmp");
  const std::string bmp = ReadAll(saver + ".bmp");
  ASSERT_GT(bmp.size(), 54u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(int(uint8_t(bmp[18])), 64);  // the green picture, 64 pixels wide
  EXPECT_TRUE(tmp.List().empty());
}

TEST_F(ConfigurationMode, WebsiteAndNestedFormsUseTheProjectsTexts) {
  const RunResult r = Run(
      "at 100 click-on btnWebsite\n"
      "at 200 click-on imgLogo\n"        // opens the about window
      "at 300 click-on btnNext\n"        // not in the top window now
      "at 400 click-on btnAboutClose\n"
      "at 500 click-on btnNext\n"
      "at 600 click-on btnClose\n");
  EXPECT_EQ(r.exitCode, 0) << r.stderrText;
  EXPECT_EQ(r.EventsOf("shell-open"), std::vector<std::string>{"http://example.org/lake"});
  EXPECT_EQ(r.EventsOf("form-shown"), (std::vector<std::string>{"MainWindow", "AboutWindow"}));
  EXPECT_EQ(r.EventsOf("action"),
            (std::vector<std::string>{"btnWebsite 0", "imgLogo 1", "btnAboutClose 6", "btnNext 2", "btnClose 6"}));
  EXPECT_NE(r.stderrText.find("no component \"btnNext\""), std::string::npos) << r.stderrText;
  auto ini = UserSettings();
  ASSERT_TRUE(ini);
  EXPECT_EQ(ini->ReadInteger("Setting", "Index", -1), 1);
}

TEST_F(ConfigurationMode, ASaverWithoutUiDescriptionOpensTheSettingsDialogAlone) {
  ProjectFolder bare(work / "bare");
  bare.SetSettings("[General]\r\nProductName=Bare\r\n");
  bare.SetFileList("[FileList]\r\nred.jpg=1\r\n");
  bare.AddPicture("red.jpg", "32x24", "xc:red");
  ASSERT_EQ(bare.Pack(work / "Bare.scr"), 0);
  const RunResult r = Run("at 100 click-on btnClose\nat 200 click-on Button1\n", {}, work / "Bare.scr");
  EXPECT_EQ(r.exitCode, 0) << r.stderrText;
  EXPECT_TRUE(r.EventsOf("form-shown").empty());
  EXPECT_TRUE(r.EventsOf("action").empty());
  EXPECT_EQ(r.EventsOf("settings-written").size(), 1u);
  EXPECT_NE(r.stderrText.find("no configuration window"), std::string::npos) << r.stderrText;
  EXPECT_NE(r.stderrText.find("no component \"btnClose\""), std::string::npos) << r.stderrText;
  EXPECT_TRUE(std::filesystem::exists(work / "Bare.ini"));
  EXPECT_TRUE(tmp.List().empty());
}

// "R,G,B" of one pixel of a PNG, read with ImageMagick.
std::string Pixel(const std::string& png, int x, int y) {
  const std::string at = "p{" + std::to_string(x) + "," + std::to_string(y) + "}";
  return CommandOutput("convert '" + png + "' -format '%[fx:int(255*" + at + ".r)],%[fx:int(255*" + at +
                       ".g)],%[fx:int(255*" + at + ".b)]' info:");
}

struct Rgb {
  int r = -1, g = -1, b = -1;
};
Rgb PixelRgb(const std::string& png, int x, int y) {
  Rgb c;
  char comma;
  std::istringstream(Pixel(png, x, y)) >> c.r >> comma >> c.g >> comma >> c.b;
  return c;
}

TEST_F(ConfigurationMode, RenderOfTheSaverShowsItsCurrentPictureAndLeavesNothingBehind) {
  // The preview of the demo window sits at about (22..302, 105..315).
  const std::string shot = work / "shot.png";
  const std::string render = "TMPDIR='" + tmp.path() + "' " + ToolPath("tidepool-render") + " --saver '" + saver +
                             "' --out '" + shot + "' >/dev/null 2>&1";
  ASSERT_EQ(RunCommand("env -u XDG_RUNTIME_DIR " + render), 0);
  Rgb first = PixelRgb(shot, 160, 210);
  EXPECT_GT(first.r, 200);
  EXPECT_LT(first.g, 60);
  EXPECT_LT(first.b, 60);
  // The stored current picture is the one shown.
  std::ofstream(work / "Show.ini") << "[Setting]\r\nIndex=2\r\n";
  ASSERT_EQ(RunCommand("env -u XDG_RUNTIME_DIR " + render), 0);
  Rgb third = PixelRgb(shot, 160, 210);
  EXPECT_LT(third.r, 60);
  EXPECT_LT(third.g, 60);
  EXPECT_GT(third.b, 200);
  EXPECT_TRUE(tmp.List().empty()) << tmp.List().front();
  // Drawing writes nothing into the user settings.
  EXPECT_EQ(ReadAll(work / "Show.ini"), "[Setting]\r\nIndex=2\r\n");
}

// tidepool-render draws the forms of a description without a display.
class FormRender : public ::testing::Test {
 protected:
  int Render(const std::string& arguments, std::string* errors = nullptr) {
    const std::string err = work / "err.txt";
    int rc = RunCommand(ToolPath("tidepool-render") + " " + arguments + " >/dev/null 2>" + err);
    if (errors) *errors = ReadAll(err);
    return rc;
  }
  static std::string Size(const std::string& png) { return CommandOutput("identify -format '%wx%h' '" + png + "'"); }
  TempDir work;
};

TEST_F(FormRender, DrawsTheDemoWindowsWithTheirColoursAndPicture) {
  const std::string ui = SourceDir() + "/demo/MpGUI.mui";
  const std::string main = work / "main.png";
  ASSERT_EQ(Render("--ui '" + ui + "' --out '" + main + "'"), 0);
  EXPECT_EQ(Size(main), "640x460");
  EXPECT_EQ(Pixel(main, 636, 64), "29,43,83");  // the window colour 5450525 (BGR)
  // The sun of the logo picture at (16, 12) + (70, 16): yellow.
  Rgb sun = PixelRgb(main, 86, 28);
  EXPECT_GT(sun.r, 200);
  EXPECT_GT(sun.g, 150);
  EXPECT_LT(sun.b, 150);

  const std::string about = work / "about.png";
  ASSERT_EQ(Render("--ui '" + ui + "' --form aboutwindow --out '" + about + "'"), 0);
  EXPECT_EQ(Size(about), "360x150");
  std::string errors;
  EXPECT_EQ(Render("--ui '" + ui + "' --form Nowhere --out '" + about + "'", &errors), 1);
  EXPECT_NE(errors.find("MainWindow AboutWindow"), std::string::npos) << errors;
}

TEST_F(FormRender, AFormTextThatDoesNotParseExitsTwoWithItsLine) {
  const std::string good = work / "good.txt";
  std::ofstream(good) << "object Box: TfmForm\r\n  ClientWidth = 120\r\n  ClientHeight = 80\r\n"
                         "  object Odd: TNoSuchClass\r\n    Left = 1\r\n  end\r\nend\r\n";
  ASSERT_EQ(Render("--form-text '" + good + "' --out '" + work / "good.png" + "'"), 0);
  EXPECT_EQ(Size(work / "good.png"), "120x80");

  const std::string bad = work / "bad.txt";
  std::ofstream(bad) << "object Box: TfmForm\r\n  OnShow = FormShow\r\n  Caption = 'no end\r\nend\r\n";
  std::string errors;
  EXPECT_EQ(Render("--form-text '" + bad + "' --out '" + work / "bad.png" + "'", &errors), 2);
  EXPECT_NE(errors.find("line 3"), std::string::npos) << errors;  // the author's line, before preparation
  EXPECT_FALSE(std::filesystem::exists(work / "bad.png"));

  const std::string badUi = work / "bad.mui";
  std::ofstream(badUi) << "1\r\nmany\r\n";
  EXPECT_EQ(Render("--ui '" + badUi + "' --out '" + work / "bad.png" + "'", &errors), 2);
  EXPECT_NE(errors.find("line 2"), std::string::npos) << errors;
}

}  // namespace
}  // namespace tp::test
