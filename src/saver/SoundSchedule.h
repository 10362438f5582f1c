#pragma once
// The timing of a packaged picture's sound slots: mode 0 loops from the moment the picture
// is shown, mode 1 plays once after each random interval between value A and value B,
// mode 2 once after each fixed interval of value A; other modes never play.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "project/PackagedPicture.h"

namespace tp {

class Clock;
class RunLoop;
class TSoundEffect;

// Where sound files missing at their stored path are looked for.
struct SoundFolders {
  std::string extraction;  // the unpacked project
  std::string common;      // the common folder (its "sounds" subfolder is searched)
  std::string program;     // the running program's folder (its "sounds" subfolder)
};

// The existing file for a slot's file name: as stored, else its bare name in the
// extraction folder, in common/sounds, in program/sounds; every lookup ignores case.
// "" when none exists.
std::string ResolveSoundFile(const std::string& stored, const SoundFolders& folders);

// A random whole number of seconds from the lower of a and b up to, not including, the
// upper (equal values give exactly that value). Draws from the program random generator.
int64_t DrawSoundInterval(int32_t a, int32_t b);

struct TSoundScheduleEntry {
  bool active = false;      // the slot's file was found and loaded
  bool played = false;      // mode 0: the loop has been started
  uint32_t startTick = 0;   // when the current interval began
  int64_t interval = 0;     // seconds: mode 1 the current random draw, mode 2 value A
};

class TSoundSchedule {
 public:
  static constexpr int kSlotCount = 8;

  // For the picture just loaded (slots = its used slots, at most 8): resets each slot's
  // schedule, resolves and adds its file to the player at the same slot, draws the
  // intervals. A missing or failing file leaves its slot inactive and moves nothing.
  void SetUpSounds(std::span<const TSoundSlot> slots, TSoundEffect& player,
                   const SoundFolders& folders, uint32_t now);
  // One idle step: plays every active slot that is due, letting waiting messages through
  // after each play. Errors are swallowed.
  void RunSoundSchedule(std::span<const TSoundSlot> slots, TSoundEffect& player, Clock& clock,
                        RunLoop& runLoop);

  const TSoundScheduleEntry& entry(int k) const { return entries_[size_t(k)]; }

 private:
  std::array<TSoundScheduleEntry, kSlotCount> entries_;
};

// The used sound slots of a packaged picture (those before the first empty one).
inline std::span<const TSoundSlot> UsedSoundSlotsOf(const TProject& picture) {
  return std::span<const TSoundSlot>(picture.soundSlots.data(), size_t(picture.UsedSoundSlots()));
}

}  // namespace tp
