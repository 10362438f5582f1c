#include "core/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "core/FileSystem.h"

namespace tp {
namespace {

TEST(IniFile, NamesMatchIgnoringCaseAndFirstOccurrenceWins) {
  IniFile ini = IniFile::Parse(
      "[General]\r\nProductName= Lake View \r\nproductname=Other\r\n"
      "[general]\r\nPublisher=Hidden\r\n[Default]\r\nDuration=12\r\n");
  EXPECT_EQ(ini.ReadString("GENERAL", "PRODUCTNAME", "x"), "Lake View");
  // The second [general] section is shadowed by the first, as with the system functions.
  EXPECT_EQ(ini.ReadString("General", "Publisher", "none"), "none");
  EXPECT_EQ(ini.ReadInteger("default", "duration", 30), 12);
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"General", "Default"}));
}

TEST(IniFile, KeysKeepFileOrderAndValuesAreTrimmedAndUnquoted) {
  IniFile ini = IniFile::Parse(
      "junk before\n[FileList]\nb.mpp=1\n  a.mpp = 0\nB.MPP=0\nnoequals\n\n[Q]\nq=\"  spaced  \"\n");
  EXPECT_EQ(ini.KeyNames("filelist"), (std::vector<std::string>{"b.mpp", "a.mpp", "noequals"}));
  EXPECT_TRUE(ini.ReadBool("FileList", "B.mpp", false));
  EXPECT_FALSE(ini.ReadBool("FileList", "a.mpp", true));
  EXPECT_EQ(ini.ReadString("FileList", "noequals", "d"), "");
  EXPECT_EQ(ini.ReadString("Q", "q", ""), "  spaced  ");
  EXPECT_TRUE(ini.KeyNames("missing").empty());
}

TEST(IniFile, IntegersFallBackToTheDefaultOnText) {
  IniFile ini = IniFile::Parse(
      "[S]\nA=abc\nB=-7\nC=12abc\nD=\nE=$10\nF=0x10\nG=99999999999\nH=2\nZ=0\n");
  EXPECT_EQ(ini.ReadInteger("S", "A", 30), 30);
  EXPECT_EQ(ini.ReadInteger("S", "B", 30), -7);
  EXPECT_EQ(ini.ReadInteger("S", "C", 30), 30);
  EXPECT_EQ(ini.ReadInteger("S", "D", 30), 30);
  EXPECT_EQ(ini.ReadInteger("S", "E", 0), 16);
  EXPECT_EQ(ini.ReadInteger("S", "F", 0), 16);
  EXPECT_EQ(ini.ReadInteger("S", "G", 5), 5);
  EXPECT_TRUE(ini.ReadBool("S", "H", false));
  EXPECT_FALSE(ini.ReadBool("S", "Z", true));
  EXPECT_TRUE(ini.ReadBool("S", "A", true));
  EXPECT_FALSE(ini.ReadBool("S", "A", false));
}

TEST(IniFile, WritingChangesOnlyWhatItTouches) {
  const std::string text =
      "; a comment the program does not know\r\n[Setting]\r\nImageSize=1\r\nFuture = kept  as is\r\n"
      "\r\n[Other]\r\nx=1\r\n";
  IniFile ini = IniFile::Parse(text);
  EXPECT_EQ(ini.ToText(), text);
  ini.WriteInteger("setting", "imagesize", 2);
  ini.WriteBool("Setting", "Sound", false);
  ini.WriteString("New", "k", "v");
  EXPECT_EQ(ini.ToText(),
            "; a comment the program does not know\r\n[Setting]\r\nImageSize=2\r\nFuture = kept  as is\r\n"
            "Sound=0\r\n\r\n[Other]\r\nx=1\r\n[New]\r\nk=v\r\n");
  ini.EraseSection("OTHER");
  ini.DeleteKey("setting", "future");
  EXPECT_FALSE(ini.SectionExists("Other"));
  EXPECT_FALSE(ini.ValueExists("Setting", "Future"));
  EXPECT_TRUE(ini.ValueExists("Setting", "Sound"));
}

// The name index follows every change: shadowed duplicates come forward when the first
// occurrence goes, erased sections can be written again, copies keep their own index.
TEST(IniFile, LookUpsFollowWritesDeletesAndErasures) {
  IniFile ini = IniFile::Parse(
      "[Files]\r\n3=\r\nkey=first\r\nKEY=second\r\n\r\n[files]\r\nhidden=1\r\n[Obj0]\r\nObjType=IMG\r\n");
  ini.DeleteKey("FILES", "Key");
  EXPECT_EQ(ini.ReadString("files", "key", ""), "second");
  EXPECT_EQ(ini.KeyNames("Files"), (std::vector<std::string>{"3", "KEY"}));

  // A key added to a section that ends in blank lines goes before them and is found.
  ini.WriteString("Files", "7", "");
  EXPECT_TRUE(ini.ValueExists("FILES", "7"));
  EXPECT_TRUE(ini.ValueExists("Files", "3"));
  EXPECT_EQ(ini.ReadString("Obj0", "objtype", ""), "IMG");

  const IniFile copy = ini;
  ini.EraseSection("files");  // both sections of that name go
  EXPECT_FALSE(ini.SectionExists("Files"));
  EXPECT_EQ(ini.ReadString("OBJ0", "ObjType", ""), "IMG");
  ini.WriteString("Files", "9", "x");
  EXPECT_EQ(ini.KeyNames("files"), (std::vector<std::string>{"9"}));
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Obj0", "Files"}));
  EXPECT_EQ(copy.KeyNames("Files"), (std::vector<std::string>{"3", "KEY", "7"}));

  // An empty key names nothing.
  ini.WriteString("Files", "", "");
  EXPECT_FALSE(ini.ValueExists("Files", ""));
  EXPECT_EQ(ini.KeyNames("Files"), (std::vector<std::string>{"9"}));
}

// All sections share one table of lines: growing or shrinking one section must keep
// every later section's keys where look-ups find them.
TEST(IniFile, ChangesToOneSectionKeepTheOthersReadable) {
  IniFile ini = IniFile::Parse("[A]\ra=1\n[B]\r\nb=2\r\n\r\n[C]\nc=3\nC=shadowed\n");
  ini.WriteString("a", "new", "x");
  ini.WriteString("B", "b", "changed");
  EXPECT_EQ(ini.ReadString("b", "B", ""), "changed");
  EXPECT_EQ(ini.ReadString("c", "C", ""), "3");
  ini.DeleteKey("A", "a");
  EXPECT_EQ(ini.ReadString("A", "new", ""), "x");
  EXPECT_EQ(ini.ReadString("C", "c", ""), "3");
  ini.EraseSection("b");
  EXPECT_EQ(ini.ReadString("C", "c", ""), "3");
  EXPECT_EQ(ini.ToText(), "[A]\r\nnew=x\r\n[C]\r\nc=3\r\nC=shadowed\r\n");
  // A value written from the file's own text.
  ini.WriteString("C", "copy", ini.ReadString("C", "c", ""));
  EXPECT_EQ(ini.ReadInteger("C", "copy", 0), 3);
}

// A list of many thousand keys, copied and written to: the copy keeps its own keys, and
// both read in file order with the first of each name.
TEST(IniFile, ALongListKeepsFileOrderAndTheFirstOfEachName) {
  std::string text = "[Header]\r\nCount=1\r\n[FileList]\r\n";
  for (int i = 0; i < 40000; ++i) text += "Picture " + std::to_string(i) + ".jpg=1\r\n";
  for (int i = 0; i < 40000; i += 2) text += "PICTURE " + std::to_string(i) + ".JPG=0\r\n";
  const IniFile ini = IniFile::Parse(text);
  std::vector<std::string> keys;
  int on = 0;
  ini.ForEachKeyValue("filelist", [&](std::string_view key, std::string_view value) {
    keys.emplace_back(key);
    on += value == "1";
  });
  ASSERT_EQ(keys.size(), 40000u);
  EXPECT_EQ(on, 40000);
  EXPECT_EQ(ini.LineCount("FileList"), 60000u);
  EXPECT_EQ(keys[12345], "Picture 12345.jpg");
  EXPECT_EQ(ini.ReadString("FileList", "picture 39998.jpg", ""), "1");
  EXPECT_FALSE(ini.ValueExists("FileList", "Picture 40000.jpg"));

  IniFile copy = ini;
  for (int i = 0; i < 40000; i += 1000) copy.WriteString("FileList", "Added " + std::to_string(i), "2");
  copy.DeleteKey("Header", "Count");
  EXPECT_EQ(copy.ReadString("FileList", "added 39000", ""), "2");
  EXPECT_EQ(copy.ReadString("filelist", "Picture 39999.jpg", ""), "1");
  EXPECT_FALSE(copy.ValueExists("Header", "Count"));
  EXPECT_EQ(ini.ReadString("Header", "Count", ""), "1");
  EXPECT_FALSE(ini.ValueExists("FileList", "Added 0"));
  EXPECT_EQ(ini.ToText().size(), text.size());
}

TEST(IniFile, SaveAtomicReplacesTheFileAndLeavesNoTemporaryBehind) {
  char dirTemplate[] = "/tmp/tp-ini-XXXXXX";
  ASSERT_NE(mkdtemp(dirTemplate), nullptr);
  std::string dir = dirTemplate;
  std::string path = dir + "/Lake.ini";
  ASSERT_TRUE(WriteFile(path, "[Setting]\r\nOld=1\r\n"));
  IniFile ini = IniFile::Load(path);
  ini.WriteInteger("Setting", "Speed", 10);
  ASSERT_TRUE(ini.SaveAtomic(path));
  std::string back;
  ASSERT_TRUE(ReadFile(path, back));
  EXPECT_EQ(back, "[Setting]\r\nOld=1\r\nSpeed=10\r\n");
  // The replaced file's permissions are kept, but never its set-user or set-group bit.
  ASSERT_EQ(chmod(path.c_str(), 06740), 0);
  ASSERT_TRUE(ini.SaveAtomic(path));
  struct stat st{};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0740u);
  std::string listing = "ls -A " + dir + " | wc -l";
  FILE* p = popen(listing.c_str(), "r");
  int count = -1;
  ASSERT_EQ(fscanf(p, "%d", &count), 1);
  pclose(p);
  EXPECT_EQ(count, 1);
  // A folder that cannot be written to: the save fails and reports it.
  EXPECT_FALSE(ini.SaveAtomic(dir + "/no/such/dir/x.ini"));
  RemoveFile(path);
  rmdir(dir.c_str());
}

}  // namespace
}  // namespace tp
