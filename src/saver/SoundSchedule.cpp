#include "saver/SoundSchedule.h"

#include <algorithm>
#include <cstdlib>

#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/ProgramRandom.h"
#include "platform/Clock.h"
#include "platform/RunLoop.h"
#include "saver/SoundEffect.h"

namespace tp {
namespace {

// The stored name itself: an absolute path or one relative to the working folder, with
// each component matched without regard to case.
std::string FindStored(const std::string& stored) {
  if (FileExists(stored)) return stored;
  if (IsPathSeparator(stored[0])) return FindFileIgnoringCase("/", std::string_view(stored).substr(1));
  if (stored.size() >= 2 && stored[1] == ':') return {};  // a drive of the authoring machine
  return FindFileIgnoringCase(".", stored);
}

std::string FindIn(const std::string& folder, const std::string& relative) {
  if (folder.empty()) return {};
  return FindFileIgnoringCase(folder, relative);
}

}  // namespace

std::string ResolveSoundFile(const std::string& stored, const SoundFolders& folders) {
  if (stored.empty()) return {};
  std::string found = FindStored(stored);
  if (!found.empty()) return found;
  std::string bare = BareFileName(stored);
  if (bare.empty()) return {};
  found = FindIn(folders.extraction, bare);
  if (found.empty()) found = FindIn(folders.common, "sounds/" + bare);
  if (found.empty()) found = FindIn(folders.program, "sounds/" + bare);
  return found;
}

int64_t DrawSoundInterval(int32_t a, int32_t b) {
  int64_t lower = std::min<int64_t>(a, b);
  int64_t range = std::min<int64_t>(std::llabs(int64_t(a) - int64_t(b)), INT32_MAX);
  return lower + ProgramRandom::Random(int32_t(range));
}

void TSoundSchedule::SetUpSounds(std::span<const TSoundSlot> slots, TSoundEffect& player,
                                 const SoundFolders& folders, uint32_t now) {
  size_t count = std::min<size_t>(slots.size(), kSlotCount);
  for (size_t k = 0; k < count; ++k) {
    const TSoundSlot& slot = slots[k];
    TSoundScheduleEntry& e = entries_[k];
    e = TSoundScheduleEntry{};
    e.startTick = now;
    std::string file = ResolveSoundFile(slot.FileName, folders);
    if (!file.empty()) e.active = player.Add(int(k), file);
    if (slot.PlayMode == 1) e.interval = DrawSoundInterval(slot.ValueA, slot.ValueB);
    else if (slot.PlayMode == 2) e.interval = slot.ValueA;
  }
}

void TSoundSchedule::RunSoundSchedule(std::span<const TSoundSlot> slots, TSoundEffect& player,
                                      Clock& clock, RunLoop& runLoop) {
  try {
    size_t count = std::min<size_t>(slots.size(), kSlotCount);
    for (size_t k = 0; k < count; ++k) {
      const TSoundSlot& slot = slots[k];
      TSoundScheduleEntry& e = entries_[k];
      if (!e.active) continue;
      uint32_t now = clock.Tick();
      int64_t elapsed = (now - e.startTick) / 1000;  // wraps correctly on the 32-bit tick
      bool played = false;
      if (slot.PlayMode == 0) {
        if (!e.played) {
          e.played = true;
          player.Play(int(k), true);
          played = true;
        }
      } else if (slot.PlayMode == 1) {
        if (elapsed >= e.interval) {
          e.startTick = now;
          e.interval = DrawSoundInterval(slot.ValueA, slot.ValueB);
          player.Play(int(k), false);
          played = true;
        }
      } else if (slot.PlayMode == 2) {
        if (elapsed >= slot.ValueA) {
          e.startTick = now;
          player.Play(int(k), false);
          played = true;
        }
      }
      if (played) runLoop.PumpMessages();
    }
  } catch (...) {
    // A failing sound never disturbs the show.
  }
}

}  // namespace tp
