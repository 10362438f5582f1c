// The Debian package that `make package` builds (TIDEPOOL_DEB names it; `make test-package`
// runs these tests with it): what it installs where, what it declares, that it unpacks into
// a working player and tools, and that a root without the optional format libraries
// still packs and plays savers.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "TidepoolVersion.h"
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

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class Package : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* path = std::getenv("TIDEPOOL_DEB");
    if (!path || !*path) GTEST_SKIP() << "TIDEPOOL_DEB is not set: `make test-package` builds the package and runs these";
    deb = path;
    ASSERT_TRUE(std::filesystem::is_regular_file(deb)) << deb;
    ASSERT_EQ(RunCommand("command -v dpkg-deb >/dev/null"), 0) << "dpkg-deb is needed";
  }

  std::string Field(const std::string& name) { return Output("dpkg-deb -f " + Quote(deb) + " " + name); }

  // A project of two plain JPEG pictures (and a WebP one), changing every second.
  static void MakeProject(const std::string& dir, bool withWebp) {
    ProjectFolder project(dir);
    project.SetSettings("[Default]\r\nDuration=1\r\nSound=0\r\nMusic=0\r\n");
    project.AddPicture("a.jpg", "64x48", "xc:red");
    project.AddPicture("b.jpg", "64x48", "xc:blue");
    if (withWebp) project.AddPicture("c.webp", "64x48", "xc:green");
  }

  std::string deb;
};

TEST_F(Package, InstallsUnderUsrAndDeclaresItsDependencies) {
  EXPECT_EQ(std::filesystem::path(deb).filename().string(), std::string("tidepool_") + TIDEPOOL_VERSION + "_" +
                                                                 Output("dpkg-deb -f " + Quote(deb) + " Architecture | tr -d '\\n'") + ".deb");
  EXPECT_EQ(Field("Version"), std::string(TIDEPOOL_VERSION) + "\n");

  const std::string files = Output("dpkg-deb -c " + Quote(deb) + " | awk '{print $6}'");
  for (const char* path : {"./usr/bin/tidepool", "./usr/bin/tidepool-pack", "./usr/bin/tidepool-mpp",
                           "./usr/bin/tidepool-render", "./usr/share/xscreensaver/config/tidepool.xml",
                           "./usr/share/applications/tidepool.desktop", "./usr/share/mime/packages/tidepool.xml",
                           "./usr/share/metainfo/localhost.tidepool.tidepool.metainfo.xml",
                           "./usr/share/doc/tidepool/copyright", "./usr/share/doc/tidepool/changelog.gz",
                           "./usr/share/man/man1/tidepool.1.gz", "./usr/share/man/man1/tidepool-pack.1.gz",
                           "./usr/share/man/man1/tidepool-mpp.1.gz", "./usr/share/man/man1/tidepool-render.1.gz",
                           "./usr/bin/tidepool-photos", "./usr/share/man/man1/tidepool-photos.1.gz",
                           "./usr/share/xscreensaver/config/tidepool-photos.xml"})
    EXPECT_NE(files.find(std::string(path) + "\n"), std::string::npos) << path << " is not in the package:\n" << files;
  EXPECT_EQ(files.find("/usr/local"), std::string::npos);
  EXPECT_EQ(files.find("tests_"), std::string::npos);
  EXPECT_EQ(files.find("bench_"), std::string::npos);

  // Linked libraries come from dpkg-shlibdeps; the ones opened at run time are named by hand.
  const std::string depends = Field("Depends");
  for (const char* package : {"libqt6widgets6", "libjpeg62-turbo", "libc6", "qt6-wayland", "libsdl2-2.0-0",
                              "libsdl2-mixer-2.0-0", "libsqlite3-0", "liblcms2-2"})
    EXPECT_NE(depends.find(package), std::string::npos) << package << " missing from Depends: " << depends;
  const std::string recommends = Field("Recommends");
  for (const char* package : {"fluid-soundfont-gm", "libwebp7", "libtiff6", "libheif1"}) {
    EXPECT_NE(recommends.find(package), std::string::npos) << package << " missing from Recommends: " << recommends;
    EXPECT_EQ(depends.find(package), std::string::npos) << package << " is optional but in Depends: " << depends;
  }
  EXPECT_NE(Field("Suggests").find("xscreensaver"), std::string::npos);
}

TEST_F(Package, UnpacksIntoARootWhereThePlayerAndToolsRun) {
  TempDir root, work;
  ASSERT_EQ(RunCommand("dpkg -x " + Quote(deb) + " " + Quote(root.path())), 0);
  const std::string bin = root / "usr/bin/";
  EXPECT_EQ(Output(Quote(bin + "tidepool") + " --version"), std::string("tidepool ") + TIDEPOOL_VERSION + "\n");
  EXPECT_EQ(RunCommand(Quote(bin + "tidepool-pack") + " --help >/dev/null"), 0);
  EXPECT_EQ(Output(Quote(bin + "tidepool-pack") + " --help").rfind("usage:", 0), 0u);

  // The packaged tidepool-pack packs behind the packaged player; the saver plays headless.
  MakeProject(work / "project", false);
  ASSERT_EQ(RunCommand(Quote(bin + "tidepool-pack") + " " + Quote(work / "project") + " " + Quote(work / "show.scr") +
                       " >/dev/null"),
            0);
  TempDir tmp;
  RunOptions o;
  o.tmpDir = tmp.path();
  o.runMs = 3000;
  o.env = {{"TIDEPOOL_SCREEN", "320x240"}};
  RunResult r = RunHeadless(work / "show.scr", {"/s"}, o);
  EXPECT_EQ(r.exitCode, 0) << r.stderrText;
  const auto loads = r.EventsOf("load");
  ASSERT_GE(loads.size(), 2u) << r.stderrText;
  EXPECT_NE(loads[0].find("a.jpg"), std::string::npos) << loads[0];
  EXPECT_NE(loads[1].find("b.jpg"), std::string::npos) << loads[1];
  EXPECT_FALSE(r.EventsOf("transition").empty());
  EXPECT_TRUE(tmp.List().empty()) << "the unpacked project was left behind";

  // The desktop entry opens saver files, and the desktop's MIME database takes their type.
  std::string entry, mime;
  ASSERT_TRUE(ReadFile(root / "usr/share/applications/tidepool.desktop", entry));
  ASSERT_TRUE(ReadFile(root / "usr/share/mime/packages/tidepool.xml", mime));
  EXPECT_NE(entry.find("Exec=tidepool %f"), std::string::npos);
  EXPECT_NE(entry.find("MimeType=application/x-tidepool-saver;"), std::string::npos);
  if (RunCommand("command -v update-mime-database >/dev/null") == 0) {
    EXPECT_EQ(RunCommand("update-mime-database " + Quote(root / "usr/share/mime") + " >/dev/null 2>&1"), 0);
    std::string globs;
    ASSERT_TRUE(ReadFile(root / "usr/share/mime/globs2", globs));
    EXPECT_NE(globs.find("application/x-tidepool-saver:*.scr"), std::string::npos) << globs;
  }
}

// The WebP, TIFF and HEIF libraries are opened at run time, so no binary asks the dynamic
// linker for them, and a root without them packs and plays the pictures it can.
TEST_F(Package, PacksAndPlaysInARootWithoutTheOptionalFormatLibraries) {
  TempDir root;
  ASSERT_EQ(RunCommand("dpkg -x " + Quote(deb) + " " + Quote(root.path())), 0);
  for (const char* tool : {"tidepool", "tidepool-pack", "tidepool-mpp", "tidepool-render"}) {
    const std::string needed = Output("readelf -d " + Quote(root / "usr/bin/" + tool) + " | grep NEEDED");
    ASSERT_NE(needed.find("libc.so"), std::string::npos) << tool << ": readelf gave " << needed;
    for (const char* optional : {"libwebp", "libtiff", "libheif", "libSDL2"})
      EXPECT_EQ(needed.find(optional), std::string::npos) << tool << " links " << optional << ":\n" << needed;
  }

  // The root gets the libraries the player and tidepool-pack link, as the host resolves
  // them, and nothing else: the format libraries are not among them.
  ASSERT_EQ(RunCommand("cd " + Quote(root.path()) + " && for b in usr/bin/tidepool usr/bin/tidepool-pack; do "
                       "ldd \"$b\" | grep -o '/[^ ]*'; done | sort -u | while read -r l; do "
                       "mkdir -p \".$(dirname \"$l\")\" && cp -L \"$l\" \".$l\" || exit 1; done"),
            0);
  EXPECT_EQ(Output("find " + Quote(root.path()) + " -name 'libwebp*' -o -name 'libtiff*' -o -name 'libheif*'"), "");
  std::filesystem::create_directories(root / "proc");
  std::filesystem::create_directories(root / "tmp");
  MakeProject(root / "work/project", true);

  // A private mount namespace (a user namespace when not root) gives the chroot a /proc.
  const std::string unshare = ::geteuid() == 0 ? "unshare -m" : "unshare -r -m";
  if (RunCommand(unshare + " sh -c " + Quote("mount --bind /proc " + Quote(root / "proc") + " && chroot " +
                                             Quote(root.path()) + " /usr/bin/tidepool --version") +
                 " >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "no chroot here (" << unshare << " with mount and chroot failed)";
  auto inRoot = [&](const std::string& env, const std::string& command) {
    return Output(unshare + " sh -c " + Quote("mount --bind /proc " + Quote(root / "proc") + " && exec env " + env +
                                              " chroot " + Quote(root.path()) + " " + command) +
                  " 2>&1; echo \"exit $?\"");
  };

  // The WebP picture is left out, saying which library it needs; the JPEG pictures are packed.
  const std::string pack = inRoot("", "/usr/bin/tidepool-pack --skip-bad /work/project /work/show.scr");
  EXPECT_NE(pack.find("left out /work/project/files/c.webp: WebP pictures need libwebp"), std::string::npos) << pack;
  EXPECT_NE(pack.find("(2 files, 2 pictures)"), std::string::npos) << pack;
  EXPECT_NE(pack.find("exit 0\n"), std::string::npos) << pack;

  const std::string run = inRoot("TIDEPOOL_PLATFORM=headless TIDEPOOL_RUN_MS=3000 TIDEPOOL_SCREEN=320x240 "
                                 "TMPDIR=/tmp TIDEPOOL_EVENT_LOG=/work/events.log",
                                 "/work/show.scr /s");
  EXPECT_NE(run.find("exit 0\n"), std::string::npos) << run;
  std::string events;
  ASSERT_TRUE(ReadFile(root / "work/events.log", events)) << run;
  EXPECT_NE(events.find(" load /tmp/"), std::string::npos) << events;
  EXPECT_NE(events.find("b.jpg\n"), std::string::npos) << events;
  EXPECT_NE(events.find(" transition effect="), std::string::npos) << events;
  EXPECT_NE(events.find(" exit 0"), std::string::npos) << events;

  // A folder show of the same pictures: the JPEGs play, the WebP one is skipped saying why.
  const std::string photos =
      inRoot("TIDEPOOL_PLATFORM=headless TIDEPOOL_RUN_MS=4000 TIDEPOOL_SCREEN=320x240 HOME=/work TMPDIR=/tmp "
             "TIDEPOOL_EVENT_LOG=/work/photo-events.log",
             "/usr/bin/tidepool --pictures /work/project/files --duration 1 --order name");
  EXPECT_NE(photos.find("exit 0\n"), std::string::npos) << photos;
  ASSERT_TRUE(ReadFile(root / "work/photo-events.log", events)) << photos;
  EXPECT_NE(events.find(" load /work/project/files/"), std::string::npos) << events;
  EXPECT_NE(events.find(" skip /work/project/files/c.webp "), std::string::npos) << events;
  EXPECT_NE(events.find("libwebp"), std::string::npos) << events;
}

}  // namespace
}  // namespace tp::test
