#pragma once
// Whether the audio library the player uses can open a sound or music file. The library
// is opened once, on the first question, with a silent output device.
#include <string>

namespace tp::pack {

// "" when the file opens; otherwise the reason. asMusic: opened as the player opens
// music (streamed), else as a sound effect (decoded whole).
std::string SoundProblem(const std::string& path, bool asMusic);

// Whether a name has an extension of a sound or music format.
bool HasSoundExtension(const std::string& name);

}  // namespace tp::pack
