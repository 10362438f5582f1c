#include "platform/sdlaudio/SdlMixerLibrary.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace tp {
namespace {

template <typename F>
bool Bind(void* library, const char* name, F& function) {
  function = reinterpret_cast<F>(dlsym(library, name));
  return function != nullptr;
}

void Debug(const char* what) {
  const char* flag = std::getenv("TIDEPOOL_DEBUG");
  if (flag && *flag && *flag != '0') std::fprintf(stderr, "tidepool audio: %s\n", what);
}

const SdlMixerLibrary* Load() {
  // Kept loaded for the rest of the process: the mixer's threads may outlive any owner.
  void* sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_GLOBAL);
  void* mixer = sdl ? dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_GLOBAL) : nullptr;
  if (!mixer) {
    Debug(dlerror());
    return nullptr;
  }
  static SdlMixerLibrary lib;
  const bool ok = Bind(sdl, "SDL_GetError", lib.GetError) && Bind(sdl, "SDL_InitSubSystem", lib.InitSubSystem) &&
                  Bind(sdl, "SDL_QuitSubSystem", lib.QuitSubSystem) && Bind(sdl, "SDL_SetHint", lib.SetHint) &&
                  Bind(sdl, "SDL_RWFromFile", lib.RWFromFile) && Bind(mixer, "Mix_Init", lib.Init) &&
                  Bind(mixer, "Mix_Quit", lib.Quit) && Bind(mixer, "Mix_OpenAudio", lib.OpenAudio) &&
                  Bind(mixer, "Mix_CloseAudio", lib.CloseAudio) &&
                  Bind(mixer, "Mix_AllocateChannels", lib.AllocateChannels) &&
                  Bind(mixer, "Mix_HookMusicFinished", lib.HookMusicFinished) &&
                  Bind(mixer, "Mix_HaltMusic", lib.HaltMusic) && Bind(mixer, "Mix_HaltChannel", lib.HaltChannel) &&
                  Bind(mixer, "Mix_LoadMUS", lib.LoadMUS) && Bind(mixer, "Mix_FreeMusic", lib.FreeMusic) &&
                  Bind(mixer, "Mix_PlayMusic", lib.PlayMusic) && Bind(mixer, "Mix_MusicDuration", lib.MusicDuration) &&
                  Bind(mixer, "Mix_GetMusicPosition", lib.GetMusicPosition) &&
                  Bind(mixer, "Mix_LoadWAV_RW", lib.LoadWAV_RW) && Bind(mixer, "Mix_FreeChunk", lib.FreeChunk) &&
                  Bind(mixer, "Mix_Volume", lib.Volume) && Bind(mixer, "Mix_PlayChannelTimed", lib.PlayChannelTimed);
  if (!ok) {
    Debug("the audio library lacks a function this program needs");
    return nullptr;
  }
  return &lib;
}

}  // namespace

const SdlMixerLibrary* LoadSdlMixer() {
  static const SdlMixerLibrary* const lib = Load();
  return lib;
}

}  // namespace tp
