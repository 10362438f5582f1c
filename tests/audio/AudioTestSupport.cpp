#include "audio/AudioTestSupport.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/EventLog.h"

namespace tp::test {
namespace {

class NoMessageBoxes : public MessageBoxes {
 public:
  bool Show(MessageKind, const std::string&) override { return true; }
};
class NoShell : public Shell {
 public:
  bool Open(const std::string&) override { return false; }
};
class NoDesktop : public Desktop {
 public:
  bool SetWallpaper(const std::string&) override { return false; }
};

void PutU32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}
void PutU16(std::string& s, uint16_t v) {
  s += char(v & 0xFF);
  s += char(v >> 8);
}

}  // namespace

void ManualRunLoop::Post(std::function<void()> fn) {
  std::lock_guard<std::mutex> lock(mutex_);
  posted_.push_back(std::move(fn));
}

void ManualRunLoop::PostAt(uint32_t tick, std::function<void()> fn) {
  std::lock_guard<std::mutex> lock(mutex_);
  timed_.emplace(tick, std::move(fn));
}

void ManualRunLoop::PumpMessages() {
  std::deque<std::function<void()>> ready;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    uint32_t now = clock_.Tick();
    while (!timed_.empty() && timed_.begin()->first <= now) {
      ready.push_back(std::move(timed_.begin()->second));
      timed_.erase(timed_.begin());
    }
    while (!posted_.empty()) {
      ready.push_back(std::move(posted_.front()));
      posted_.pop_front();
    }
  }
  for (auto& fn : ready) fn();
}

AudioTestPlatform::AudioTestPlatform(HeadlessAudioOptions options)
    : audio_(CreateHeadlessAudioSystem(options, &clock_, [this](uint32_t tick, std::function<void()> fn) {
        runLoop_.PostAt(tick, std::move(fn));
      })) {}

MessageBoxes& AudioTestPlatform::messageBoxes() {
  static NoMessageBoxes boxes;
  return boxes;
}
Shell& AudioTestPlatform::shell() {
  static NoShell shell;
  return shell;
}
Desktop& AudioTestPlatform::desktop() {
  static NoDesktop desktop;
  return desktop;
}

AudioTestEnvironment::AudioTestEnvironment(HeadlessAudioOptions options) {
  char pattern[] = "/tmp/tidepool-audio-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  dir_ = made ? made : "/tmp";
  logPath_ = dir_ + "/events.log";
  ::setenv("TIDEPOOL_EVENT_LOG", logPath_.c_str(), 1);
  ResetEventLog();
  auto platform = std::make_unique<AudioTestPlatform>(options);
  platform_ = platform.get();
  InstallPlatform(std::move(platform));
}

AudioTestEnvironment::~AudioTestEnvironment() {
  UninstallPlatform();
  ::unsetenv("TIDEPOOL_EVENT_LOG");
  ResetEventLog();
  std::error_code ec;
  if (dir_ != "/tmp") std::filesystem::remove_all(dir_, ec);
}

void AudioTestEnvironment::Run(uint32_t ms, uint32_t stepMs, const std::function<void()>& step) {
  for (uint32_t t = 0; t < ms; t += stepMs) {
    clock().Advance(stepMs);
    runLoop().PumpMessages();
    if (step) step();
  }
}

std::vector<AudioTestEnvironment::Event> AudioTestEnvironment::Events(const std::string& kind) const {
  std::vector<Event> events;
  std::ifstream in(logPath_);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    Event e;
    fields >> e.tick >> e.kind;
    std::getline(fields, e.details);
    if (!e.details.empty() && e.details[0] == ' ') e.details.erase(0, 1);
    if (kind.empty() || e.kind == kind) events.push_back(e);
  }
  return events;
}

std::vector<AudioTestEnvironment::Event> AudioTestEnvironment::EventsStarting(const std::string& kind,
                                                                              const std::string& prefix) const {
  std::vector<Event> events;
  for (auto& e : Events(kind))
    if (e.details.rfind(prefix, 0) == 0) events.push_back(e);
  return events;
}

void WriteWave(const std::string& path, uint32_t ms, uint32_t sampleRate, double hz) {
  uint32_t samples = uint32_t(uint64_t(sampleRate) * ms / 1000);
  std::string data;
  for (uint32_t i = 0; i < samples; ++i) {
    double v = std::sin(2.0 * M_PI * hz * i / sampleRate) * 12000.0;
    PutU16(data, uint16_t(int16_t(std::lround(v))));
  }
  std::string file = "RIFF";
  PutU32(file, uint32_t(36 + data.size()));
  file += "WAVEfmt ";
  PutU32(file, 16);
  PutU16(file, 1);  // PCM
  PutU16(file, 1);  // mono
  PutU32(file, sampleRate);
  PutU32(file, sampleRate * 2);
  PutU16(file, 2);
  PutU16(file, 16);
  file += "data";
  PutU32(file, uint32_t(data.size()));
  file += data;
  WriteText(path, file);
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

}  // namespace tp::test
