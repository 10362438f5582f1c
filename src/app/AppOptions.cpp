#include "app/AppOptions.h"

#include "core/TextUtil.h"

namespace tp {

AppOptions ParseCommandLine(int argc, char** argv) {
  AppOptions o;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](const char* name) -> std::string {
      if (i + 1 < argc) return argv[++i];
      o.errors.push_back(std::string(name) + " needs a value");
      return {};
    };
    if (a == "--project") o.projectFile = value("--project");
    else if (a.rfind("--project=", 0) == 0) o.projectFile = a.substr(10);
    else if (a == "--window") o.window = true;
    else if (a == "--window-id") o.windowId = value("--window-id");
    else if (a.rfind("--window-id=", 0) == 0) o.windowId = a.substr(12);
    else if (a == "--root") o.root = true;
    else if (a == "--all-screens") o.allScreens = true;
    else if (a.size() > 2 && a.rfind("--", 0) == 0) o.errors.push_back("unknown option " + a);
    else positional.push_back(a);
  }
  if (!positional.empty()) {
    o.firstArgument = UpperAscii(positional[0]);
    o.runSwitch = o.firstArgument.substr(0, 2);
  }
  if (positional.size() > 1) o.handleArgument = UpperAscii(positional[1]);
  return o;
}

}  // namespace tp
