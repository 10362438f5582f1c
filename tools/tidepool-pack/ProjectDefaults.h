#pragma once
// What tidepool-pack writes when a project folder leaves something out, and the help
// text that describes the folder and every settings key.
#include <string>
#include <vector>

namespace tp::pack {

// The settings.ini written when a project has none (Windows-1252, CR LF): pictures
// fitted keeping their proportions, 10 s each, 1.5 s transitions, random order, music on
// exactly when musicNames (bare names, stored in the saver) is not empty.
std::string DefaultSettingsText(const std::string& productName, const std::vector<std::string>& musicNames);

// The project folder layout and a complete settings.ini, for --help.
extern const char* const kProjectHelp;

}  // namespace tp::pack
