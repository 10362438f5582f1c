#include "platform/sdlaudio/SdlMixerLibrary.h"

#include <dlfcn.h>

#include "core/SharedLibrary.h"

#include <cstdio>
#include <cstdlib>

namespace tp {
namespace {

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
  const bool ok = BindSymbol(sdl, "SDL_GetError", lib.GetError) && BindSymbol(sdl, "SDL_InitSubSystem", lib.InitSubSystem) &&
                  BindSymbol(sdl, "SDL_QuitSubSystem", lib.QuitSubSystem) && BindSymbol(sdl, "SDL_SetHint", lib.SetHint) &&
                  BindSymbol(sdl, "SDL_RWFromFile", lib.RWFromFile) && BindSymbol(mixer, "Mix_Init", lib.Init) &&
                  BindSymbol(mixer, "Mix_Quit", lib.Quit) && BindSymbol(mixer, "Mix_OpenAudio", lib.OpenAudio) &&
                  BindSymbol(mixer, "Mix_CloseAudio", lib.CloseAudio) &&
                  BindSymbol(mixer, "Mix_AllocateChannels", lib.AllocateChannels) &&
                  BindSymbol(mixer, "Mix_HookMusicFinished", lib.HookMusicFinished) &&
                  BindSymbol(mixer, "Mix_HaltMusic", lib.HaltMusic) && BindSymbol(mixer, "Mix_HaltChannel", lib.HaltChannel) &&
                  BindSymbol(mixer, "Mix_LoadMUS", lib.LoadMUS) && BindSymbol(mixer, "Mix_FreeMusic", lib.FreeMusic) &&
                  BindSymbol(mixer, "Mix_PlayMusic", lib.PlayMusic) && BindSymbol(mixer, "Mix_MusicDuration", lib.MusicDuration) &&
                  BindSymbol(mixer, "Mix_GetMusicPosition", lib.GetMusicPosition) &&
                  BindSymbol(mixer, "Mix_LoadWAV_RW", lib.LoadWAV_RW) && BindSymbol(mixer, "Mix_FreeChunk", lib.FreeChunk) &&
                  BindSymbol(mixer, "Mix_Volume", lib.Volume) && BindSymbol(mixer, "Mix_PlayChannelTimed", lib.PlayChannelTimed);
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
