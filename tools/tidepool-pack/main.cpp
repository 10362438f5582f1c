// tidepool-pack: builds savers from project folders or folders of pictures, lists what a
// saver holds and unpacks it back into a project folder. Each command lives in its own
// file and registers itself (PackCommand.h); this file parses the command line and picks
// the command whose option appears on it.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "tidepool-pack/PackCommand.h"
#include "tidepool-pack/ProjectDefaults.h"

#ifndef TIDEPOOL_VERSION
#define TIDEPOOL_VERSION "unknown"
#endif

namespace tp::pack {

std::vector<PackCommand>& PackCommands() {
  static std::vector<PackCommand> commands;
  return commands;
}

bool Arguments::Has(const std::string& option) const {
  return values.count(option) != 0 || std::find(flags.begin(), flags.end(), option) != flags.end();
}

std::string Arguments::Value(const std::string& option, const std::string& fallback) const {
  auto it = values.find(option);
  return it == values.end() || it->second.empty() ? fallback : it->second.back();
}

const std::vector<std::string>& Arguments::All(const std::string& option) const {
  static const std::vector<std::string> none;
  auto it = values.find(option);
  return it == values.end() ? none : it->second;
}

void Note(const std::string& text) {
  std::fflush(stderr);
  std::printf("tidepool-pack: %s\n", text.c_str());
  std::fflush(stdout);
}

void Warn(const std::string& text) {
  std::fflush(stdout);
  std::fprintf(stderr, "tidepool-pack: warning: %s\n", text.c_str());
}

}  // namespace tp::pack

namespace {

using tp::pack::PackCommands;

void PrintUsage(std::FILE* to) {
  // The default command first, then the others by option name.
  std::vector<const tp::pack::PackCommand*> sorted;
  for (const auto& c : PackCommands()) sorted.push_back(&c);
  std::sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return a->option < b->option; });
  std::fputs("usage:\n", to);
  for (const auto* c : sorted) std::fputs(c->usage.c_str(), to);
  std::fputs("  tidepool-pack --help | --version\n", to);
}

void PrintHelp() {
  PrintUsage(stdout);
  std::fputs(tp::pack::kProjectHelp, stdout);
}

bool Contains(const std::vector<std::string>& list, const std::string& s) {
  return std::find(list.begin(), list.end(), s) != list.end();
}

// Splits argv by the options every command declares; unknown "--" options are errors.
tp::pack::Arguments Parse(const std::vector<std::string>& argv) {
  tp::pack::Arguments args;
  bool optionsEnded = false;
  for (size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (optionsEnded || a.size() < 2 || a[0] != '-' || a == "-") {
      args.positional.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    bool known = false;
    for (const auto& c : PackCommands()) {
      if (Contains(c.valueOptions, a)) {
        if (i + 1 >= argv.size()) throw tp::pack::UsageError("option " + a + " needs a value");
        args.values[a].push_back(argv[++i]);
        known = true;
        break;
      }
      if (Contains(c.flagOptions, a)) {
        args.flags.push_back(a);
        known = true;
        break;
      }
    }
    if (!known) throw tp::pack::UsageError("unknown option " + a + " (see --help)");
  }
  return args;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> raw(argv + 1, argv + argc);
  for (const std::string& a : raw) {
    if (a == "--") break;
    if (a == "--help" || a == "-h") {
      PrintHelp();
      return 0;
    }
    if (a == "--version") {
      std::printf("tidepool-pack %s\n", TIDEPOOL_VERSION);
      return 0;
    }
  }
  try {
    const tp::pack::Arguments args = Parse(raw);
    // A command's own option selects it; without one the default command packs a folder.
    const tp::pack::PackCommand* chosen = nullptr;
    for (const auto& c : PackCommands())
      if (!c.option.empty() && args.Has(c.option)) {
        if (chosen) throw tp::pack::UsageError(chosen->option + " and " + c.option + " cannot be combined");
        chosen = &c;
      }
    if (!chosen)
      for (const auto& c : PackCommands())
        if (c.option.empty()) chosen = &c;
    if (!chosen) throw tp::pack::UsageError("no command");
    return chosen->run(args);
  } catch (const tp::pack::UsageError& e) {
    std::fprintf(stderr, "tidepool-pack: %s\n", e.what());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tidepool-pack: %s\n", e.what());
    return 1;
  }
}
