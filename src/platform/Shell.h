#pragma once
// Opening documents and addresses with the desktop's default handler; the wallpaper.
#include <string>

namespace tp {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a file or an address; false when nothing could open it.
  virtual bool Open(const std::string& target) = 0;
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  // Sets the desktop wallpaper to the picture file; false when no mechanism was found.
  virtual bool SetWallpaper(const std::string& path) = 0;
};

}  // namespace tp
