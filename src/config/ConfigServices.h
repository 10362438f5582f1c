#pragma once
// What the configuration windows need from outside: message boxes, the desktop's
// handlers, the full-screen show and the modal loop. The defaults reach the installed
// platform; tests hand in their own.
#include <QString>
#include <functional>
#include <string>

class QDialog;
class QWidget;

namespace tp {

class TMpCProject;

struct ConfigServices {
  // A modal Yes/No question; true for Yes.
  std::function<bool(const std::string& text)> confirm;
  // A modal error message with OK.
  std::function<void(const std::string& text)> inform;
  // A modal information message with OK.
  std::function<void(const std::string& text)> notify;
  // Opens a web or mail address with the desktop's default handler.
  std::function<bool(const std::string& target)> open;
  // Sets the desktop wallpaper to a picture file; false when no mechanism was found.
  std::function<bool(const std::string& path)> setWallpaper;
  // Runs the full-screen show on a prepared project (user settings already applied).
  std::function<void(const TMpCProject& project)> runSaver;
  // Shows a dialog modally and gives its result.
  std::function<int(QDialog& dialog)> exec;
  // Asks for a music file to add to the playlist; empty when none was chosen.
  std::function<QString(QWidget* parent)> chooseMusicFile;

  // Every service on the installed platform (or the Qt dialogs where none is installed);
  // runSaver stays empty unless the caller sets it.
  static ConfigServices Default();
};

}  // namespace tp
