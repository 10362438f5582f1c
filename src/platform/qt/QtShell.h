#pragma once
// Opening documents with the desktop's handler, and setting the wallpaper.
#include "platform/Shell.h"

namespace tp {

class QtShell : public Shell {
 public:
  // Opens http, https and mailto addresses only (IsOpenableLink).
  bool Open(const std::string& target) override;
};

// Tries the desktop's own setting: GNOME-like (gsettings), Xfce (xfconf-query), KDE Plasma
// (its scripting interface), else feh. False when none of them took the picture.
class QtDesktop : public Desktop {
 public:
  bool SetWallpaper(const std::string& path) override;
};

}  // namespace tp
