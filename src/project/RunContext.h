#pragma once
// What the entry point learns once about this process and the rest of the program reads:
// the saver file whose project it plays and the first command-line argument.
#include <string>

namespace tp {

struct RunContext {
  std::string saverPath;      // long path of the running executable, or of --project FILE
  std::string firstArgument;  // argument 1 as given, upper-cased (ASCII)
};

RunContext& CurrentRun();

}  // namespace tp
