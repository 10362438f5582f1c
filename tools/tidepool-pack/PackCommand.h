#pragma once
// The commands of tidepool-pack: each command file registers itself with a static
// PackCommandRegistrar (the option that selects it, its usage lines and the options it
// takes), so command files never depend on each other and main.cpp only parses the
// command line and dispatches.
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace tp::pack {

// The command line split into options and the remaining (positional) arguments.
struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::vector<std::string>> values;  // option -> values, in order
  std::vector<std::string> flags;

  bool Has(const std::string& option) const;
  // The last value given to option, or fallback.
  std::string Value(const std::string& option, const std::string& fallback = {}) const;
  const std::vector<std::string>& All(const std::string& option) const;
};

using PackCommandFn = int (*)(const Arguments& args);

struct PackCommand {
  std::string option;  // the option that selects the command; "" for the default command
  std::string usage;   // usage lines for --help
  std::vector<std::string> valueOptions;  // options followed by a value (the selector too)
  std::vector<std::string> flagOptions;
  PackCommandFn run = nullptr;
};

std::vector<PackCommand>& PackCommands();

struct PackCommandRegistrar {
  explicit PackCommandRegistrar(PackCommand command) { PackCommands().push_back(std::move(command)); }
};

// A failure that concerns one file; printed as "tidepool-pack: FILE: REASON".
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& file, const std::string& reason) : std::runtime_error(file + ": " + reason) {}
};

// A mistake on the command line (exit 2).
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Lines for the user: "tidepool-pack: TEXT" on stdout (notes) or stderr (warnings).
void Note(const std::string& text);
void Warn(const std::string& text);

}  // namespace tp::pack
