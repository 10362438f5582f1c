#pragma once
// A tiny command registry for tidepool-render: each command file registers its own
// option (for example "--effect") with a static RenderCommandRegistrar, so command files
// never depend on each other and main.cpp only dispatches.
#include <string>
#include <vector>

namespace tp::render {

// args holds every command-line argument after the program name.
using RenderCommandFn = int (*)(const std::vector<std::string>& args);

struct RenderCommand {
  std::string option;  // e.g. "--effect"; the command runs when this option is present
  std::string usage;   // one usage line for --help
  RenderCommandFn run = nullptr;
};

std::vector<RenderCommand>& RenderCommands();

struct RenderCommandRegistrar {
  RenderCommandRegistrar(std::string option, std::string usage, RenderCommandFn run) {
    RenderCommands().push_back({std::move(option), std::move(usage), run});
  }
};

// Helpers shared by commands: the value following `option`, or `fallback` when absent.
std::string OptionValue(const std::vector<std::string>& args, const std::string& option,
                        const std::string& fallback = {});
bool HasOption(const std::vector<std::string>& args, const std::string& option);

}  // namespace tp::render
