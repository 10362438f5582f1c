#include "saver/SaverRunFixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "imaging/ImageWriter.h"
#include "platform/EventLog.h"
#include "platform/headless/HeadlessPlatform.h"
#include "saver/MpfmScrSvr.h"

namespace tp::test {
namespace {

const char* const kEnvNames[] = {"TIDEPOOL_SCREEN",     "TIDEPOOL_RUN_MS",    "TIDEPOOL_SCRIPT",
                                 "TIDEPOOL_EVENT_LOG",  "TIDEPOOL_FRAME_LOG", "TIDEPOOL_FRAMES_DIR",
                                 "TIDEPOOL_PRESENT_MS", "TIDEPOOL_SCALED",    "TIDEPOOL_REAL_CLOCK",
                                 "TIDEPOOL_FRAMES_EVERY", "TIDEPOOL_REFRESH_HZ"};

// Counts the message pumps of a run, so tests can see that a loop does not spin.
class CountingRunLoop : public RunLoop {
 public:
  explicit CountingRunLoop(RunLoop& inner) : inner_(inner) {}
  void PumpMessages() override {
    ++pumps;
    inner_.PumpMessages();
  }
  void WaitMessage() override { inner_.WaitMessage(); }
  void Post(std::function<void()> fn) override { inner_.Post(std::move(fn)); }
  int pumps = 0;

 private:
  RunLoop& inner_;
};

class CountingPlatform : public Platform {
 public:
  explicit CountingPlatform(std::unique_ptr<Platform> inner) : inner_(std::move(inner)), loop_(inner_->runLoop()) {}
  const char* Name() const override { return inner_->Name(); }
  Clock& clock() override { return inner_->clock(); }
  RunLoop& runLoop() override { return loop_; }
  MessageBoxes& messageBoxes() override { return inner_->messageBoxes(); }
  Shell& shell() override { return inner_->shell(); }
  Desktop& desktop() override { return inner_->desktop(); }
  AudioSystem& audio() override { return inner_->audio(); }
  int ScreenWidth() const override { return inner_->ScreenWidth(); }
  int ScreenHeight() const override { return inner_->ScreenHeight(); }
  int DesktopBitDepth() const override { return inner_->DesktopBitDepth(); }
  std::unique_ptr<Display> CreateDisplay(const DisplayOptions& o, InputHandler* h) override {
    return inner_->CreateDisplay(o, h);
  }
  int pumps() const { return loop_.pumps; }

 private:
  std::unique_ptr<Platform> inner_;
  CountingRunLoop loop_;
};

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

std::vector<std::string> SaverRunResult::Details(const std::string& kind) const {
  std::vector<std::string> out;
  for (const LogLine& l : events)
    if (l.kind == kind) out.push_back(l.details);
  return out;
}

std::vector<uint32_t> SaverRunResult::Ticks(const std::string& kind) const {
  std::vector<uint32_t> out;
  for (const LogLine& l : events)
    if (l.kind == kind) out.push_back(l.tick);
  return out;
}

void SaverRunTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  dir_ = std::filesystem::temp_directory_path() /
         ("tidepool-saver-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
          std::to_string(::getpid()));
  std::filesystem::remove_all(dir_);
  std::filesystem::create_directories(dir_);
}

void SaverRunTest::TearDown() {
  for (const char* name : kEnvNames) ::unsetenv(name);
  ResetEventLog();
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::string SaverRunTest::Picture(const std::string& name, int w, int h, Pixel colour) {
  Bitmap32 b(w, h);
  b.Fill(colour);
  const std::string path = (dir_ / name).string();
  if (name.size() > 4 && name.substr(name.size() - 4) == ".jpg") {
    std::vector<uint8_t> bytes = EncodeJpeg(b, 95);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  } else {
    WriteBmpFile(b, path);
  }
  return path;
}

std::string SaverRunTest::Broken(const std::string& name) {
  const std::string path = (dir_ / name).string();
  std::ofstream(path, std::ios::binary) << "this is not a picture at all";
  return path;
}

SaverProject SaverRunTest::Project(const std::vector<std::string>& pictures) {
  SaverProject p;
  p.pictures = pictures;
  p.selected.assign(pictures.size(), "TRUE");
  p.settings.transition = false;
  p.settings.music = false;
  p.settings.sound = false;
  p.extractionFolder = dir_.string();
  return p;
}

SaverRunResult SaverRunTest::Run(const SaverProject& project, uint32_t runMs, const std::string& script,
                                 const std::map<std::string, std::string>& env) {
  for (const char* name : kEnvNames) ::unsetenv(name);
  const auto events = dir_ / "events.log", frames = dir_ / "frames.log", scriptFile = dir_ / "input.txt";
  std::filesystem::remove(events);
  std::filesystem::remove(frames);
  ::setenv("TIDEPOOL_EVENT_LOG", events.c_str(), 1);
  ::setenv("TIDEPOOL_FRAME_LOG", frames.c_str(), 1);
  ::setenv("TIDEPOOL_RUN_MS", std::to_string(runMs).c_str(), 1);
  if (!script.empty()) {
    std::ofstream(scriptFile) << script;
    ::setenv("TIDEPOOL_SCRIPT", scriptFile.c_str(), 1);
  }
  for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);

  auto counting = std::make_unique<CountingPlatform>(CreateHeadlessPlatform());
  CountingPlatform* platform = counting.get();
  InstallPlatform(std::move(counting));
  ResetEventLog();
  SaverRunResult result;
  {
    TMpfmScrSvr window(project, CurrentPlatform());
    window.SetPrepareAhead(prepareAhead_);
    window.ShowModal();
  }
  result.pumps = platform->pumps();
  result.endTick = CurrentPlatform().clock().Tick();
  ResetEventLog();
  UninstallPlatform();

  for (const std::string& line : ReadLines(events)) {
    std::istringstream in(line);
    LogLine l;
    in >> l.tick >> l.kind;
    std::getline(in >> std::ws, l.details);
    result.events.push_back(l);
  }
  for (const std::string& line : ReadLines(frames)) {
    std::istringstream in(line);
    FrameLine f;
    in >> f.tick >> f.path >> f.x >> f.y >> f.w >> f.h >> f.hash;
    result.frames.push_back(f);
  }
  return result;
}

}  // namespace tp::test
