// Which folders a show plays when none are given.
#include "library/DefaultFolders.h"
#include "library/LibraryTestSupport.h"

namespace tp::test {
namespace {

TEST(DefaultFolders, XScreenSaverImageDirectory) {
  EXPECT_EQ(ParseXScreenSaverImageDirectory("mode: random\nimageDirectory:\t~/Photos/Best  \nfoo: 1\n", "/home/u"),
            "/home/u/Photos/Best");
  EXPECT_EQ(ParseXScreenSaverImageDirectory("imageDirectory: /srv/pics\r\n", "/home/u"), "/srv/pics");
  EXPECT_EQ(ParseXScreenSaverImageDirectory("imageDirectory:\n", "/home/u"), "");
  EXPECT_EQ(ParseXScreenSaverImageDirectory("imageDirectory: relative/dir\n", "/home/u"), "");
  EXPECT_EQ(ParseXScreenSaverImageDirectory("imageDirectory: ~/x\n", ""), "");
  EXPECT_EQ(ParseXScreenSaverImageDirectory("# imageDirectory: /no\n", "/home/u"), "");
}

TEST(DefaultFolders, UserDirsPictures) {
  const std::string text = "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_PICTURES_DIR=\"$HOME/Bilder/Fotos \\\"x\\\"\"\n";
  EXPECT_EQ(ParseUserDirsPictures(text, "/home/u"), "/home/u/Bilder/Fotos \"x\"");
  EXPECT_EQ(ParseUserDirsPictures("XDG_PICTURES_DIR=\"/data/pics/\"\n", "/home/u"), "/data/pics");
  // The home folder itself means "none".
  EXPECT_EQ(ParseUserDirsPictures("XDG_PICTURES_DIR=\"$HOME/\"\n", "/home/u"), "");
  EXPECT_EQ(ParseUserDirsPictures("XDG_PICTURES_DIR=\"$HOME/unclosed\n", "/home/u"), "");
  EXPECT_EQ(ParseUserDirsPictures("XDG_PICTURES_DIR=\"$USER/x\"\n", "/home/u"), "");
  EXPECT_EQ(ParseUserDirsPictures("XDG_PICTURES_DIR=relative\n", "/home/u"), "");
}

TEST(DefaultFolders, ChoiceFollowsTheSourcesInOrder) {
  TempHome home;
  EXPECT_EQ(DefaultFolders({"/given"}, {"/settings"}), std::vector<std::string>{"/given"});
  EXPECT_EQ(DefaultFolders({}, {"/settings", "/more"}), (std::vector<std::string>{"/settings", "/more"}));
  EXPECT_EQ(DefaultFolders({}, {}), std::vector<std::string>{home / "Pictures"});
  ::mkdir((home / "config").c_str(), 0755);
  WriteFile(home / "config/user-dirs.dirs", std::vector<uint8_t>({'X', 'D', 'G', '_', 'P', 'I', 'C', 'T', 'U', 'R', 'E', 'S', '_',
                                                                  'D', 'I', 'R', '=', '"', '$', 'H', 'O', 'M', 'E', '/', 'P',
                                                                  '"', '\n'}));
  EXPECT_EQ(DefaultFolders({}, {}), std::vector<std::string>{home / "P"});
  WriteFile(home / ".xscreensaver", std::vector<uint8_t>({'i', 'm', 'a', 'g', 'e', 'D', 'i', 'r', 'e', 'c', 't', 'o', 'r',
                                                          'y', ':', ' ', '~', '/', 'X', '\n'}));
  EXPECT_EQ(DefaultFolders({}, {}), std::vector<std::string>{home / "X"});
}

}  // namespace
}  // namespace tp::test
