#include "tidepool-pack/SoundCheck.h"

#include <cstdlib>
#include <memory>

#include "core/Paths.h"
#include "core/TextUtil.h"

#ifdef TIDEPOOL_HAVE_SDL
#include "platform/sdlaudio/SdlMixerLibrary.h"
#include "platform/sdlaudio/SdlMixerSession.h"
#endif

namespace tp::pack {

bool HasSoundExtension(const std::string& name) {
  const std::string ext = LowerAscii(ExtensionOf(name));
  for (const char* e : {".wav", ".mp3", ".ogg", ".oga", ".opus", ".flac", ".mid", ".midi", ".rmi", ".mod", ".xm",
                        ".s3m", ".it", ".voc", ".aif", ".aiff", ".wma"})
    if (ext == e) return true;
  return false;
}

std::string SoundProblem(const std::string& path, bool asMusic) {
#ifdef TIDEPOOL_HAVE_SDL
  // Checking needs no sound card: SDL's silent driver stands in for one.
  static const std::shared_ptr<SdlMixerSession> session = [] {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    return SdlMixerSession::Open();
  }();
  if (!session) return "the audio library (SDL2_mixer) cannot be loaded to check it";
  if (asMusic) {
    Mix_Music* m = mix::LoadMUS(path.c_str());
    if (!m) return mix::GetError();
    mix::FreeMusic(m);
  } else {
    Mix_Chunk* c = mix::LoadWAV(path.c_str());
    if (!c) return mix::GetError();
    mix::FreeChunk(c);
  }
  return {};
#else
  (void)path;
  (void)asMusic;
  return "this build has no audio library to check it";
#endif
}

}  // namespace tp::pack
