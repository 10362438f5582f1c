#pragma once
// Packing: checks every picture of a project (decoding it once, turning photos upright,
// converting formats the player cannot read), warns about sounds the audio library
// cannot open, fills in the texts a project leaves out, and writes the saver — the
// player followed by the project container — to a temporary file beside the output
// that is renamed over it only when complete.
#include <string>
#include <vector>

namespace tp::pack {

struct ProjectToPack {
  // The three settings texts and the UI description, in Windows-1252; a text that is
  // absent gets its default.
  bool hasFileList = false;
  std::string fileList;
  bool hasSettings = false;
  std::string settings;
  bool hasUi = false;
  std::string ui;
  std::string uiDescription;
  // The raw fourth settings entry (a nested container), kept from an unpacked saver.
  bool hasBuildEntry = false;
  std::string buildEntry;

  // Used for the default settings text.
  std::string productName = "My Screensaver";  // Windows-1252
  std::vector<std::string> musicNames;         // Windows-1252 bare names

  struct File {
    std::string name;  // the bare name stored in the saver, Windows-1252
    std::string path;  // where its bytes are read from
  };
  // In the order they are packed. Without a file list, the pictures are the files with
  // a picture extension, in this order.
  std::vector<File> files;
};

struct PackOptions {
  std::string player;       // the program put in front; empty with noPlayer
  bool noPlayer = false;
  bool skipBad = false;     // leave damaged pictures out instead of stopping
  bool buildEntry = false;  // add a small fourth settings entry when none is kept
};

struct Arguments;
// The options --player, --no-player, --skip-bad and --build-entry.
PackOptions PackOptionsFrom(const Arguments& args);

// Builds the saver; throws FileError / std::runtime_error (nothing is left at output).
void PackSaver(ProjectToPack project, const PackOptions& options, const std::string& output);

// Whether a file name has one of the picture extensions packing looks at.
bool HasPictureExtension(const std::string& name);
// The player's default: beside this tool, or src/tidepool of the build tree.
std::string DefaultPlayerPath();
// UTF-8 to Windows-1252 with every character 1252 lacks written as '_'.
std::string LossyCp1252(const std::string& utf8);

}  // namespace tp::pack
