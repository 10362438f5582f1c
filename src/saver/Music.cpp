#include "saver/Music.h"

#include <exception>
#include <set>

#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/ProgramRandom.h"
#include "platform/EventLog.h"

namespace tp {

std::vector<std::string> SplitMusicFile(std::string musicFile, const std::string& extractionFolder) {
  std::vector<std::string> list;
  if (musicFile.empty()) return list;
  if (musicFile.back() != ';') musicFile += ';';
  size_t start = 0;
  while (start < musicFile.size()) {
    size_t end = musicFile.find(';', start);
    std::string item = musicFile.substr(start, end - start);
    start = end + 1;
    if (item.empty()) continue;
    if (DirectoryOf(item).empty()) {
      // The unpacked files carry the names of the project's file list, whose case may
      // differ from the name given here.
      std::string found = FindFileIgnoringCase(extractionFolder, item);
      item = found.empty() ? JoinPath(extractionFolder, item) : found;
    }
    list.push_back(item);
  }
  return list;
}

TSaverMusic::TSaverMusic(AudioSystem& audio) : device_(audio.CreateMusicDevice()) {
  if (device_) device_->SetNotify([this] { MediaPlayerNotify(); });
}

TSaverMusic::~TSaverMusic() {
  if (device_) device_->Close();
}

void TSaverMusic::OpenAndPlay(const std::string& path) {
  device_->Close();
  device_->Open(path);
  device_->Play();
}

void TSaverMusic::Start(const std::string& musicFile, int musicMode, const std::string& extractionFolder) {
  on_ = false;
  musicMode_ = musicMode;
  musicIndex_ = -1;
  try {
    musicList_ = SplitMusicFile(musicFile, extractionFolder);
    if (!device_ || musicList_.empty()) return;
    musicIndex_ = ChooseNextTrack(musicIndex_);
    OpenAndPlay(musicList_[size_t(musicIndex_)]);
    on_ = true;
  } catch (const std::exception&) {
    if (device_) device_->Close();
  }
}

int TSaverMusic::ChooseNextTrack(int musicIndex) const {
  int count = int(musicList_.size());
  if (musicMode_ != 0) {
    int next = musicIndex + 1;
    return next < count ? next : 0;
  }
  if (count < 2) return 0;
  int next;
  do {
    next = ProgramRandom::Random(count);
  } while (next == musicIndex);
  return next;
}

void TSaverMusic::MediaPlayerNotify() {
  if (!on_ || !device_) return;
  if (device_->PositionMs() < device_->LengthMs()) return;
  // Tracks that failed since the last one that played; a shuffled list reaches every
  // track with certainty only in the limit, so the tries are bounded too.
  std::set<int> failed;
  const size_t count = musicList_.size();
  for (size_t tries = 0; tries < 64 * count; ++tries) {
    musicIndex_ = ChooseNextTrack(musicIndex_);
    try {
      OpenAndPlay(musicList_[size_t(musicIndex_)]);
      return;
    } catch (const std::exception&) {
      failed.insert(musicIndex_);
      if (failed.size() >= count) break;
    }
  }
  Stop();
}

void TSaverMusic::Stop() {
  if (device_) device_->Close();
  if (on_) LogEvent("music", "off");
  on_ = false;
}

}  // namespace tp
