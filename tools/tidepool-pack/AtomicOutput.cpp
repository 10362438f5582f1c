#include "tidepool-pack/AtomicOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "core/Paths.h"
#include "tidepool-pack/PackCommand.h"

namespace tp::pack {
namespace {

// The one temporary file being written, for the signal handler (plain storage only).
char gTempPath[4096];

void RemoveTempAndDie(int sig) {
  if (gTempPath[0]) ::unlink(gTempPath);
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

void InstallCleanup(const std::string& path) {
  if (path.size() >= sizeof gTempPath) return;
  std::memcpy(gTempPath, path.c_str(), path.size() + 1);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) std::signal(sig, RemoveTempAndDie);
}

void ClearCleanup() {
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) std::signal(sig, SIG_DFL);
  gTempPath[0] = 0;
}

std::string TemplateBeside(const std::string& target) {
  std::string dir = DirectoryOf(target);
  return dir + "." + BareFileName(target) + ".part-XXXXXX";
}

}  // namespace

RemovedOnSignal::RemovedOnSignal(const std::string& path) { InstallCleanup(path); }

RemovedOnSignal::~RemovedOnSignal() { ClearCleanup(); }

AtomicFolder::AtomicFolder(const std::string& target) : target_(target) {
  std::error_code ec;
  if (std::filesystem::is_symlink(target, ec)) throw FileError(target, "is a symbolic link");
  if (std::filesystem::exists(target, ec) &&
      (!std::filesystem::is_directory(target, ec) || !std::filesystem::is_empty(target, ec)))
    throw FileError(target, "exists and is not an empty folder");
  std::string name = TemplateBeside(target);
  if (!::mkdtemp(name.data())) throw FileError(target, std::string("cannot create a folder beside it: ") + std::strerror(errno));
  temp_ = name;
}

AtomicFolder::~AtomicFolder() {
  if (!committed_) {
    std::error_code ec;
    std::filesystem::remove_all(temp_, ec);
  }
}

void AtomicFolder::Commit() {
  ::chmod(temp_.c_str(), 0755);
  std::error_code ec;
  if (std::filesystem::is_directory(target_, ec)) ::rmdir(target_.c_str());  // empty, checked above
  if (std::rename(temp_.c_str(), target_.c_str()) != 0)
    throw FileError(target_, std::string("cannot create it: ") + std::strerror(errno));
  committed_ = true;
}

}  // namespace tp::pack
