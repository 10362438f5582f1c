// tidepool-render: renders effect frames, engine frames, galleries and forms to files.
// Each command lives in its own file and registers itself (RenderCommand.h); this file
// only picks the command whose option appears on the command line.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "TidepoolVersion.h"
#include "tidepool-render/RenderCommand.h"

namespace tp::render {

std::vector<RenderCommand>& RenderCommands() {
  static std::vector<RenderCommand> commands;
  return commands;
}

std::string OptionValue(const std::vector<std::string>& args, const std::string& option,
                        const std::string& fallback) {
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == option) return args[i + 1];
  }
  return fallback;
}

bool HasOption(const std::vector<std::string>& args, const std::string& option) {
  for (const auto& a : args) {
    if (a == option) return true;
  }
  return false;
}

}  // namespace tp::render

namespace {
void PrintUsage(FILE* to) {
  std::fprintf(to, "usage:\n");
  for (const auto& c : tp::render::RenderCommands()) {
    std::fprintf(to, "  tidepool-render %s\n", c.usage.c_str());
  }
  std::fprintf(to, "  tidepool-render --help | --version\n");
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || tp::render::HasOption(args, "--help")) {
    PrintUsage(args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  if (tp::render::HasOption(args, "--version")) {
    std::printf("tidepool-render %s\n", TIDEPOOL_VERSION);
    return 0;
  }
  // The first argument that names a registered command decides.
  for (const auto& a : args) {
    for (const auto& c : tp::render::RenderCommands()) {
      if (a == c.option) {
        try {
          return c.run(args);
        } catch (const std::exception& e) {
          std::fprintf(stderr, "tidepool-render: %s\n", e.what());
          return 1;
        }
      }
    }
  }
  std::fprintf(stderr, "tidepool-render: no known command in the arguments (see tidepool-render --help)\n");
  return 2;
}
