#pragma once
// Opening documents and addresses with the desktop's default handler; the wallpaper.
#include <string>
#include <string_view>

namespace tp {

// True for the texts a saver may have opened: "http://" or "https://" addresses with a
// host, and "mailto:" addresses (schemes in any case). Files, other schemes and bare
// paths are refused: a downloaded saver must not start programs or open local files.
bool IsOpenableLink(std::string_view text);

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
