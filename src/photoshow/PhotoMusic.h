#pragma once
// The music of a folder show: one sound file, or the sound files of a folder by name.
#include <string>

namespace tp {

// At most this many tracks are taken from a folder.
constexpr size_t kMaxMusicTracks = 4096;

// The track list in the form the music player reads (items separated by ";"): the file
// itself, or the folder's sound files (not its subfolders, hidden files skipped) sorted
// by name. Names holding ";" cannot be listed and are left out. "" when there is nothing
// to play.
std::string MusicTrackList(const std::string& fileOrFolder);

}  // namespace tp
