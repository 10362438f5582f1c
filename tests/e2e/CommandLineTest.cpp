// The command line a person types: --help, --version, mistakes, and a saver file given
// the way a file manager gives it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>

#include "app/AppOptions.h"
#include "core/FileSystem.h"
#include "support/SaverRun.h"

namespace tp::test {
namespace {

struct Output {
  int code = -1;
  std::string out;
  std::string err;
};

// Runs a command without any display, so nothing could open a window.
Output RunQuietly(const std::string& command, const TempDir& scratch) {
  const std::string out = scratch / "out.txt", err = scratch / "err.txt";
  Output o;
  o.code = RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u TIDEPOOL_PLATFORM " + command +
                      " >'" + out + "' 2>'" + err + "'");
  ReadFile(out, o.out);
  ReadFile(err, o.err);
  return o;
}

// Every "--name" in a text.
std::set<std::string> LongOptions(const std::string& text) {
  std::set<std::string> names;
  for (size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at + 2)) {
    size_t end = at + 2;
    while (end < text.size() && ((text[end] >= 'a' && text[end] <= 'z') || text[end] == '-')) ++end;
    if (end > at + 2) names.insert(text.substr(at, end - at));
  }
  return names;
}

// The options of the list that the program's man page (data/NAME.1) does not name, one
// per line; the whole message when the page cannot be read.
std::string MissingFromManPage(const std::string& program, const std::set<std::string>& options) {
  std::string man;
  const std::string page = std::string(std::getenv("TIDEPOOL_SOURCE_DIR")) + "/data/" + program + ".1";
  if (!ReadFile(page, man)) return "cannot read " + page;
  std::string plain;
  for (size_t i = 0; i < man.size(); ++i) {
    if (man[i] == '\\' && i + 1 < man.size() && man[i + 1] == '-') continue;  // roff's \- is a hyphen
    plain += man[i];
  }
  std::string missing;
  for (const std::string& o : options)
    if (plain.find(o) == std::string::npos) missing += o + " is not in " + program + ".1\n";
  return missing;
}

// "NAME 1.2" or "NAME 1.2.3" and a line end.
bool IsVersionLine(const std::string& line, const std::string& name) {
  if (line.rfind(name + " ", 0) != 0 || line.empty() || line.back() != '\n') return false;
  const std::string v = line.substr(name.size() + 1, line.size() - name.size() - 2);
  bool digit = false;
  for (char c : v) {
    if (c == '.' && !digit) return false;
    digit = c != '.';
    if (c != '.' && (c < '0' || c > '9')) return false;
  }
  return digit && v.find('.') != std::string::npos;
}

AppOptions Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "tidepool");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return ParseCommandLine(int(args.size()), argv.data());
}

TEST(ParseCommandLine, TellsASaverFileFromARunModeSwitch) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir / "lake.scr", "x"));
  ASSERT_TRUE(WriteFile(dir / "Slides", "x"));
  // An existing file, or a name ending in .scr, alone on the line: its configuration.
  for (const std::string& file : {dir / "lake.scr", dir / "Slides", std::string("gone.SCR")}) {
    const AppOptions o = Parse({file});
    EXPECT_EQ(o.projectFile, file);
    EXPECT_TRUE(o.saverFileArgument) << file;
    EXPECT_EQ(o.runSwitch, "") << file;
  }
  // Switches keep their rules, also with a colon suffix or a second argument.
  EXPECT_EQ(Parse({"/s:0"}).runSwitch, "/S");
  EXPECT_EQ(Parse({"SAVE"}).runSwitch, "SA");
  EXPECT_FALSE(Parse({"SAVE"}).saverFileArgument);
  EXPECT_EQ(Parse({"/s.scr"}).runSwitch, "/S");  // not there: read as the switch it starts with
  const AppOptions two = Parse({"/p", dir / "lake.scr"});
  EXPECT_EQ(two.runSwitch, "/P");
  EXPECT_TRUE(two.projectFile.empty());
  const AppOptions withProject = Parse({"--project", dir / "lake.scr", "/s"});
  EXPECT_EQ(withProject.runSwitch, "/S");
  EXPECT_FALSE(withProject.saverFileArgument);
  // Options take their values in both spellings; a missing value is an error.
  EXPECT_EQ(Parse({"--window-id=0x2a", "/s"}).windowId, "0x2a");
  EXPECT_EQ(Parse({"/s", "--window-id"}).errors.size(), 1u);
}

TEST(ParseCommandLine, ScreensAreChosenWithinBounds) {
  const AppOptions one = Parse({"--pictures", "--screen", "2"});
  EXPECT_EQ(one.screen, 2);
  EXPECT_TRUE(one.errors.empty());
  for (const char* bad : {"-1", "16", "x", ""}) EXPECT_EQ(Parse({"--pictures", "--screen", bad}).errors.size(), 1u) << bad;
  const AppOptions same = Parse({"--pictures", "--same-on-all-screens"});
  EXPECT_TRUE(same.allScreens && same.sameOnAllScreens);
  // The line as given, for the shows of the other screens.
  EXPECT_EQ(Parse({"--pictures", "--all-screens", "--duration", "3"}).arguments,
            (std::vector<std::string>{"--pictures", "--all-screens", "--duration", "3"}));
}

class CommandLine : public ::testing::Test {
 protected:
  TempDir scratch, tmp;
};

TEST_F(CommandLine, HelpAndVersionAnswerWithoutADisplayForThePlayerAndTheTools) {
  const Output help = RunQuietly(PlayerPath() + " --help", scratch);
  EXPECT_EQ(help.code, 0) << help.err;
  EXPECT_TRUE(help.err.empty()) << help.err;
  for (const char* word : {"/s", "/c", "/p", "--project", "--window", "--all-screens", "--window-id", "--root", "--version"})
    EXPECT_NE(help.out.find(word), std::string::npos) << word;

  // The man page describes every option the usage names.
  const std::set<std::string> options = LongOptions(help.out);
  EXPECT_GE(options.size(), 7u);
  EXPECT_EQ(MissingFromManPage("tidepool", options), "");

  const Output version = RunQuietly(PlayerPath() + " --version /s", scratch);
  EXPECT_EQ(version.code, 0);
  EXPECT_TRUE(IsVersionLine(version.out, "tidepool")) << version.out;

  for (const char* tool : {"tidepool-mpp", "tidepool-render", "tidepool-pack"}) {
    const Output v = RunQuietly(ToolPath(tool) + " --version", scratch);
    EXPECT_EQ(v.code, 0) << tool;
    EXPECT_TRUE(IsVersionLine(v.out, tool)) << v.out;
    EXPECT_EQ(v.out.substr(std::string(tool).size()), version.out.substr(8)) << "one version for all";
    const Output h = RunQuietly(ToolPath(tool) + " --help", scratch);
    EXPECT_EQ(h.code, 0) << tool;
    EXPECT_NE(h.out.find("--version"), std::string::npos) << tool;
    EXPECT_EQ(MissingFromManPage(tool, LongOptions(h.out)), "") << tool;
  }
}

TEST_F(CommandLine, UnknownOptionsFailWithOneLineWhileUnknownSwitchesStayQuiet) {
  for (const char* args : {"--fullscreen /s", "/s --window-id", "--projekt x.scr"}) {
    const Output o = RunQuietly(PlayerPath() + " " + args, scratch);
    EXPECT_EQ(o.code, 2) << args;
    EXPECT_TRUE(o.out.empty()) << args;
    ASSERT_FALSE(o.err.empty()) << args;
    EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << "one line: " << o.err;
    EXPECT_EQ(o.err.rfind("tidepool: ", 0), 0u) << o.err;
  }
  // The same mistake on the headless backend opens no window and unpacks nothing.
  RunOptions options;
  options.tmpDir = tmp.path();
  const RunResult r = RunHeadless(PlayerPath(), {"/s", "--bogus"}, options);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.EventsOf("display").empty());
  EXPECT_TRUE(r.EventsOf("unpack").empty());
  // An unknown run-mode switch still ends at once with 0 and says nothing.
  const Output quiet = RunQuietly(PlayerPath() + " /x", scratch);
  EXPECT_EQ(quiet.code, 0);
  EXPECT_TRUE(quiet.err.empty()) << quiet.err;
  EXPECT_TRUE(tmp.List().empty());
}

TEST_F(CommandLine, ASaverFileAsTheOnlyArgumentOpensItsConfiguration) {
  ProjectFolder lake(scratch / "lake");
  lake.SetSettings("[General]\r\nProductName=Lake\r\n");
  lake.AddPicture("a.jpg");
  ASSERT_EQ(lake.Pack(scratch / "Lake.scr"), 0);

  RunOptions options;
  options.tmpDir = tmp.path();
  options.runMs = 300;
  RunResult r;
  r = RunHeadless(PlayerPath(), {scratch / "Lake.scr"}, options);
  EXPECT_EQ(r.exitCode, 0) << r.stderrText;
  ASSERT_EQ(r.EventsOf("unpack").size(), 1u);
  EXPECT_EQ(r.EventsOf("unpack")[0].rfind(tmp.path() + "/Lake", 0), 0u) << r.EventsOf("unpack")[0];
  EXPECT_TRUE(r.EventsOf("message").empty());
  EXPECT_TRUE(r.EventsOf("display").empty()) << "the show must not run";
  EXPECT_TRUE(tmp.List().empty());

  // A saver file that is not there: one line, exit 2, nothing opened.
  r = RunHeadless(PlayerPath(), {scratch / "missing.scr"}, options);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.stderrText.find("cannot open"), std::string::npos) << r.stderrText;
  EXPECT_TRUE(r.EventsOf("message").empty());
}

}  // namespace
}  // namespace tp::test
