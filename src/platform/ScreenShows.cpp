#include "platform/ScreenShows.h"

#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "core/TextUtil.h"
#include "platform/TerminationSignals.h"

extern char** environ;

namespace tp {
namespace {

// Names the process that started a screen's show, in that show's environment.
constexpr const char* kStartedBy = "TIDEPOOL_SCREEN_SHOW_OF";
// Outputs each show writes on its own: the same path would mix two shows' lines.
constexpr const char* kOwnOutputs[] = {"TIDEPOOL_EVENT_LOG", "TIDEPOOL_FRAME_LOG", "TIDEPOOL_FRAMES_DIR"};

std::string ProgramPath() {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, size_t(n)) : std::string();
}

// This process's environment for the show of a screen.
std::vector<std::string> ScreenEnvironment(int screen) {
  std::vector<std::string> env;
  const std::string suffix = "-screen" + std::to_string(screen);
  for (char** e = environ; e && *e; ++e) {
    const std::string entry = *e;
    const size_t eq = entry.find('=');
    const std::string name = entry.substr(0, eq);
    if (name == kStartedBy) continue;
    bool own = false;
    for (const char* o : kOwnOutputs) own = own || name == o;
    env.push_back(own && eq != std::string::npos && eq + 1 < entry.size() ? entry + suffix : entry);
  }
  env.push_back(std::string(kStartedBy) + "=" + std::to_string(::getpid()));
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> p;
  for (std::string& t : texts) p.push_back(t.data());
  p.push_back(nullptr);
  return p;
}

}  // namespace

ScreenShows::~ScreenShows() { EndAll(); }

bool ScreenShows::Start(const std::vector<std::string>& args, int screen) {
  const std::string program = ProgramPath();
  if (program.empty()) return false;
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  argv.push_back("--screen");
  argv.push_back(std::to_string(screen));
  std::vector<std::string> env = ScreenEnvironment(screen);
  std::vector<char*> argp = Pointers(argv), envp = Pointers(env);
  pid_t pid = -1;
  if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argp.data(), envp.data()) != 0) return false;
  auto child = std::make_unique<Child>();
  child->pid = pid;
  child->screen = screen;
  Child* c = child.get();
  c->waiter = std::thread([this, c] {
    int status = 0;
    while (::waitpid(c->pid, &status, 0) < 0 && errno == EINTR) {
    }
    c->done = true;
    if (!ending_) {
      // A show that ended by itself ends them all: this one goes the way a signal would.
      ++ended_;
      RequestTermination();
    }
  });
  children_.push_back(std::move(child));
  return true;
}

void ScreenShows::EndAll() {
  ending_ = true;
  for (auto& c : children_)
    if (!c->done) ::kill(c->pid, SIGTERM);
  const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(kEndWaitMs);
  for (auto& c : children_) {
    while (!c->done && std::chrono::steady_clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (!c->done) ::kill(c->pid, SIGKILL);
    if (c->waiter.joinable()) c->waiter.join();
  }
  children_.clear();
}

void EndWithStartingShow() {
  const char* by = std::getenv(kStartedBy);
  if (!by || !*by) return;
  const auto parent = ParseInt32(by);
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  // It may have gone before the line above took effect.
  if (!parent || ::getppid() != pid_t(*parent)) RequestTermination();
}

}  // namespace tp
