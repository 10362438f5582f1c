// Unpacking savers and packing them again: the project folder holds the texts and files
// of the saver, the repacked saver holds the same settings texts and UI description and
// plays the same show, and unpacking it gives the same folder. Names that would leave
// the folder or clash are dealt with inside it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "project/ContainerReader.h"
#include "project/ContainerWriter.h"
#include "pack/PackTestSupport.h"

namespace tp::test {
namespace {

namespace fs = std::filesystem;

// Every file under dir by relative path, with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) files[fs::relative(e.path(), dir).string()] = ReadAll(e.path().string());
  return files;
}

// The top-level entries of a saver's project and the entries of its settings container.
std::vector<std::string> ProjectEntries(const std::string& saver, const TempDir& scratch) {
  const std::vector<std::string> top = {scratch / "t1", scratch / "t2", scratch / "t3", scratch / "t4"};
  ExtractEntries(saver, top);
  std::vector<std::string> out;
  for (const auto& p : top) out.push_back(ReadAll(p));
  const std::vector<std::string> settings = {scratch / "s1", scratch / "s2", scratch / "s3", scratch / "s4"};
  ExtractEntries(top[0], settings);
  for (const auto& p : settings) out.push_back(ReadAll(p));
  return out;
}

// The event log with this run's extraction folder taken out of the paths.
std::vector<std::string> ShowEvents(const std::string& saver) {
  TempDir tmp;
  RunOptions o;
  o.tmpDir = tmp.path();
  o.runMs = 4000;
  const RunResult r = RunHeadless(saver, {"/s"}, o);
  EXPECT_EQ(r.exitCode, 0) << r.stderrText;
  std::vector<std::string> events;
  const std::string prefix = tmp.path() + "/";
  for (std::string line : r.events) {
    for (size_t at; (at = line.find(prefix)) != std::string::npos;) {
      const size_t end = line.find('/', at + prefix.size());
      line.replace(at, end == std::string::npos ? std::string::npos : end + 1 - at, "<folder>/");
    }
    events.push_back(line);
  }
  return events;
}

std::string Container(const std::vector<ContainerItem>& items) { return ContainerBytes(items); }

// The player followed by a project container: a saver as another authoring tool might
// have written it, with the authoring machine's paths in the file-name list.
void WriteSaver(const std::string& path, const std::string& container) {
  WriteAll(path, ReadAll(PlayerPath()) + container);
  ::chmod(path.c_str(), 0755);
}

class RoundTrip : public ::testing::Test {
 protected:
  void Unpack(const std::string& saver, const std::string& dir) {
    const ToolRun r = RunPack({"--unpack", saver, dir});
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  TempDir work;
};

TEST_F(RoundTrip, ASaverFromOddInputsComesBackAsAFolderThatRepacksToTheSameShow) {
  Convert("-size 64x48 gradient:orange-navy -quality 88 " + work / "cafe.jpg");
  Convert("-size 64x48 xc:blue BMP3:" + work / "blue.bmp");
  Convert("-size 64x48 radial-gradient:white-purple " + work / "ring.gif");
  ASSERT_EQ(RunCommand("sox -n -r 22050 -c 1 " + work / "chime.wav" + " synth 0.2 sine 880 2>/dev/null"), 0);
  const std::string fileList = "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\ncaf\xE9.jpg=1\r\nblue.bmp=0\r\nring.gif=1\r\n";
  const std::string settings =
      "[General]\r\nProductName=Caf\xE9 \x80 Show\r\n[Default]\r\nDuration=1\r\nTransitionTime=300\r\n"
      "TransitionEffects=3\r\nShowImageMode=1\r\n[Advance]\r\nMusicFile=\r\n";
  const std::string ui = "[UI]\r\nUIFile=C:\\Build\\MpGUI.mui\r\n";
  const std::string build = Container({ContainerItem::Data("[Build]\r\nBuildMethod=2\r\n")});
  // No UI description, an empty music list, 1252 names with paths of the authoring machine.
  const std::string project = Container(
      {ContainerItem::Container({ContainerItem::Data(fileList), ContainerItem::Data(settings), ContainerItem::Data(ui),
                                 ContainerItem::Data(build)}),
       ContainerItem::Data("C:\\Shows\\ring.gif\r\nC:\\Shows\\caf\xE9.jpg\r\nblue.bmp\r\nD:\\chime.wav\r\n"),
       ContainerItem::Container({ContainerItem::Data(ReadAll(work / "ring.gif")), ContainerItem::Data(ReadAll(work / "cafe.jpg")),
                                 ContainerItem::Data(ReadAll(work / "blue.bmp")), ContainerItem::Data(ReadAll(work / "chime.wav"))})});
  fs::create_directories(work / "a");
  fs::create_directories(work / "b");
  const std::string original = work / "a/Show.scr", repacked = work / "b/Show.scr";
  WriteSaver(original, project);

  Unpack(original, work / "folder1");
  const auto folder = Snapshot(work / "folder1");
  EXPECT_EQ(folder.size(), 8u);
  EXPECT_EQ(folder.at("filelist.ini"), "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\ncaf\xC3\xA9.jpg=1\r\nblue.bmp=0\r\nring.gif=1\r\n");
  EXPECT_EQ(folder.at("settings.ini").rfind("[General]\r\nProductName=Caf\xC3\xA9 \xE2\x82\xAC Show\r\n", 0), 0u);
  EXPECT_EQ(folder.at("build.res"), build);
  EXPECT_EQ(folder.at("files/caf\xC3\xA9.jpg"), ReadAll(work / "cafe.jpg"));
  EXPECT_EQ(folder.at("files/chime.wav"), ReadAll(work / "chime.wav"));
  EXPECT_EQ(folder.count("MpGUI.mui"), 0u);

  const ToolRun packed = RunPack({work / "folder1", repacked});
  ASSERT_EQ(packed.exitCode, 0) << packed.err;
  EXPECT_TRUE(packed.err.empty()) << packed.err;
  Unpack(repacked, work / "folder2");
  EXPECT_EQ(Snapshot(work / "folder2"), folder);

  TempDir scratchA, scratchB;
  const auto a = ProjectEntries(original, scratchA), b = ProjectEntries(repacked, scratchB);
  for (size_t i : {4, 5, 6, 7}) EXPECT_EQ(a[i], b[i]) << "settings entry " << i - 3;
  EXPECT_EQ(b[3], "") << "an empty UI description";
  EXPECT_EQ(b[1], "blue.bmp\r\ncaf\xE9.jpg\r\nchime.wav\r\nring.gif\r\n");

  const auto events = ShowEvents(original);
  EXPECT_GE(std::count_if(events.begin(), events.end(), [](auto& e) { return e.find(" load ") != std::string::npos; }), 3);
  EXPECT_EQ(ShowEvents(repacked), events);
}

TEST_F(RoundTrip, TheDemoSaverRepacksToTheSameProject) {
  const std::string source = std::getenv("TIDEPOOL_SOURCE_DIR") ? std::getenv("TIDEPOOL_SOURCE_DIR") : ".";
  const std::string bin = fs::absolute(PlayerPath()).parent_path().parent_path().string();
  ASSERT_EQ(RunCommand("cd '" + work.path() + "' && DEMO_HEADLESS=1 DEMO_SECONDS=1 bash '" + source +
                       "/demo/run.sh' '" + bin + "' >/dev/null 2>&1"),
            0);
  const std::string demo = work / "build/demo/Tidepool-Demo.scr";
  Unpack(demo, work / "folder1");
  fs::create_directories(work / "again");
  ASSERT_EQ(RunPack({work / "folder1", work / "again/Tidepool-Demo.scr"}).exitCode, 0);
  Unpack(work / "again/Tidepool-Demo.scr", work / "folder2");
  EXPECT_EQ(Snapshot(work / "folder2"), Snapshot(work / "folder1"));
  EXPECT_EQ(Snapshot(work / "folder1/files"), Snapshot(work / "build/demo/project/files"));
  // The whole project container is the same, byte for byte.
  TempDir scratchA, scratchB;
  EXPECT_EQ(ProjectEntries(work / "again/Tidepool-Demo.scr", scratchB), ProjectEntries(demo, scratchA));
}

TEST_F(RoundTrip, NamesThatWouldLeaveTheFolderOrClashStayInside) {
  const std::string saver = work / "odd.scr";
  WriteAll(saver, Container({ContainerItem::Container({ContainerItem::Data("[FileList]\r\n"), ContainerItem::Data(""),
                                                        ContainerItem::Data("")}),
                             ContainerItem::Data("..\r\nC:\\a\\dup.txt\r\n../../escape.txt\r\ndup.txt\r\nbad\x01name\r\n"),
                             ContainerItem::Container({ContainerItem::Data("dots"), ContainerItem::Data("first"),
                                                       ContainerItem::Data("up"), ContainerItem::Data("second"),
                                                       ContainerItem::Data("control")})}));
  fs::create_directories(work / "out");
  const ToolRun r = RunPack({"--unpack", saver, work / "out/project"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("\"..\" would be written outside the folder; left out"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("two files are named dup.txt; the earlier one is written as dup (2).txt"), std::string::npos);
  const auto files = Snapshot(work / "out");
  EXPECT_EQ(files, (std::map<std::string, std::string>{{"project/filelist.ini", "[FileList]\r\n"},
                                                       {"project/settings.ini", ""},
                                                       {"project/ui.ini", ""},
                                                       {"project/files/dup.txt", "second"},
                                                       {"project/files/dup (2).txt", "first"},
                                                       {"project/files/escape.txt", "up"}}));
}

TEST_F(RoundTrip, BadSaversAndTargetsAreRefusedWithOneLineAndNothingWritten) {
  WriteAll(work / "plain.scr", "no project in here, only {MpRESROURCE} in plain text");
  WriteAll(work / "cut.scr", Container({ContainerItem::Data("x"), ContainerItem::Data("y"), ContainerItem::Data("z")}).substr(0, 30));
  fs::create_directories(work / "full");
  WriteAll(work / "full/keep.txt", "mine");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {{"--list", work / "plain.scr"}, work / "plain.scr: holds no screensaver project"},
           {{"--unpack", work / "plain.scr", work / "new"}, work / "plain.scr: holds no screensaver project"},
           {{"--list", work / "cut.scr"}, work / "cut.scr: the project is damaged"},
           {{"--unpack", work / "cut.scr", work / "new"}, work / "cut.scr: the project is damaged"},
           {{"--list", work / "missing.scr"}, work / "missing.scr: cannot be read"},
           {{"--unpack", work / "cut.scr", work / "full"}, work / "cut.scr: the project is damaged"},
       }) {
    const ToolRun r = RunPack(c.args);
    EXPECT_EQ(r.exitCode, 1) << c.args[0] << " " << c.args[1];
    EXPECT_EQ(r.err.rfind("tidepool-pack: " + c.message, 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_EQ(work.List(), (std::vector<std::string>{"cut.scr", "full", "plain.scr"}));
  EXPECT_EQ(Snapshot(work / "full"), (std::map<std::string, std::string>{{"keep.txt", "mine"}}));
}

}  // namespace
}  // namespace tp::test
