// The Debian package made from this build tree: what it installs where, what it
// declares, and that it unpacks into a working player.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/FileSystem.h"
#include "support/SaverRun.h"

namespace tp::test {
namespace {

std::string Output(const std::string& command) {
  std::string text;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) text.append(buffer, n);
    ::pclose(p);
  }
  return text;
}

TEST(Package, InstallsUnderUsrWithItsDependenciesAndUnpacksIntoAWorkingPlayer) {
  if (RunCommand("command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null && command -v cpack >/dev/null") != 0)
    GTEST_SKIP() << "dpkg-deb, dpkg-shlibdeps (dpkg-dev) and cpack are needed";
  const char* bin = std::getenv("TIDEPOOL_BIN_DIR");
  ASSERT_NE(bin, nullptr);
  TempDir out, root;
  // gzip instead of xz: the test tree's binaries are large and only the layout matters here.
  const std::string log = out / "cpack.log";
  ASSERT_EQ(RunCommand(std::string("cd '") + bin + "' && cpack -G DEB -B '" + out.path() +
                       "' -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip >'" + log + "' 2>&1"),
            0)
      << Output("cat '" + log + "'");
  std::string deb;
  for (const auto& e : std::filesystem::directory_iterator(out.path()))
    if (e.path().extension() == ".deb") deb = e.path().string();
  ASSERT_FALSE(deb.empty());
  EXPECT_EQ(std::filesystem::path(deb).filename().string().rfind("tidepool_", 0), 0u) << deb;

  const std::string files = Output("dpkg-deb -c '" + deb + "'");
  for (const char* path : {"./usr/bin/tidepool", "./usr/bin/tidepool-pack", "./usr/bin/tidepool-mpp",
                           "./usr/bin/tidepool-render", "./usr/share/xscreensaver/config/tidepool.xml",
                           "./usr/share/applications/tidepool.desktop", "./usr/share/mime/packages/tidepool.xml",
                           "./usr/share/man/man1/tidepool.1.gz", "./usr/share/man/man1/tidepool-pack.1.gz"})
    EXPECT_NE(files.find(std::string(path) + "\n"), std::string::npos) << path << " is not in the package:\n" << files;
  EXPECT_EQ(files.find("/usr/local"), std::string::npos);
  EXPECT_EQ(files.find("tests_"), std::string::npos);

  const std::string depends = Output("dpkg-deb -f '" + deb + "' Depends");
  for (const char* package : {"qt6-wayland", "libsdl2-mixer-2.0-0", "libqt6widgets6", "libjpeg62-turbo"})
    EXPECT_NE(depends.find(package), std::string::npos) << package << " missing from Depends: " << depends;
  EXPECT_NE(Output("dpkg-deb -f '" + deb + "' Recommends").find("fluid-soundfont-gm"), std::string::npos);

  // Unpacked into a scratch root: the player runs, and the desktop entry opens saver files.
  ASSERT_EQ(RunCommand("dpkg -x '" + deb + "' '" + root.path() + "'"), 0);
  EXPECT_EQ(Output("'" + (root / "usr/bin/tidepool") + "' --version").rfind("tidepool ", 0), 0u);
  std::string entry, mime;
  ASSERT_TRUE(ReadFile(root / "usr/share/applications/tidepool.desktop", entry));
  ASSERT_TRUE(ReadFile(root / "usr/share/mime/packages/tidepool.xml", mime));
  EXPECT_NE(entry.find("Exec=tidepool %f"), std::string::npos);
  EXPECT_NE(entry.find("MimeType=application/x-tidepool-saver;"), std::string::npos);
  EXPECT_NE(mime.find("type=\"application/x-tidepool-saver\""), std::string::npos);
  EXPECT_NE(mime.find("*.scr"), std::string::npos);
  // The MIME description is one the desktop's database accepts.
  if (RunCommand("command -v update-mime-database >/dev/null") == 0) {
    EXPECT_EQ(RunCommand("update-mime-database '" + (root / "usr/share/mime") + "' >/dev/null 2>&1"), 0);
    std::string globs;
    ASSERT_TRUE(ReadFile(root / "usr/share/mime/globs2", globs));
    EXPECT_NE(globs.find("application/x-tidepool-saver:*.scr"), std::string::npos) << globs;
  }
}

}  // namespace
}  // namespace tp::test
