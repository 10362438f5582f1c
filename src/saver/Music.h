#pragma once
// The background music of a saver run: a list of tracks played one after another,
// in list order or shuffled, from show time until the saver window goes.
#include <memory>
#include <string>
#include <vector>

#include "platform/Audio.h"

namespace tp {

// The track list of a "MusicFile" value: items separated by ";", empty items skipped;
// an item without a directory is a file of the extraction folder.
std::vector<std::string> SplitMusicFile(std::string musicFile, const std::string& extractionFolder);

class TSaverMusic {
 public:
  // Makes the music device; without one, music stays off.
  explicit TSaverMusic(AudioSystem& audio);
  ~TSaverMusic();
  TSaverMusic(const TSaverMusic&) = delete;
  TSaverMusic& operator=(const TSaverMusic&) = delete;

  // Builds the list, chooses the first track, opens and plays it. musicMode 0 shuffles,
  // any other value plays in list order. When the first track cannot be played (or the
  // list is empty) the run has no music.
  void Start(const std::string& musicFile, int musicMode, const std::string& extractionFolder);
  // The index that follows musicIndex.
  int ChooseNextTrack(int musicIndex) const;
  // The device reported the end of its track: the next track plays. A track that cannot
  // be opened or played is skipped; once every track has failed in a row the music stops
  // for the rest of the run ("music off").
  void MediaPlayerNotify();
  // Closes the device; the music stays off.
  void Stop();

  bool on() const { return on_; }
  int musicMode() const { return musicMode_; }
  int musicIndex() const { return musicIndex_; }
  const std::vector<std::string>& musicList() const { return musicList_; }

 private:
  void OpenAndPlay(const std::string& path);

  std::unique_ptr<MusicDevice> device_;
  bool on_ = false;
  std::vector<std::string> musicList_;
  int musicMode_ = 0;
  int musicIndex_ = -1;
};

}  // namespace tp
