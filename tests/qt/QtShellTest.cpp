// The desktop opener refuses anything but web and mail addresses before it reaches the
// desktop (the accepted ones would start a browser, so only refusals are run here).
#include <gtest/gtest.h>

#include "platform/qt/QtShell.h"

namespace tp {
namespace {

TEST(QtShell, FilesProgramsAndOtherSchemesNeverReachTheDesktop) {
  QtShell shell;
  for (const char* target : {"file:///etc/passwd", "/usr/bin/xterm", "notes.txt", "~/.bashrc",
                             "javascript:alert(1)", "smb://host/share", "http://", ""})
    EXPECT_FALSE(shell.Open(target)) << target;
}

}  // namespace
}  // namespace tp
