#pragma once
// SDL2 and SDL2_mixer, loaded when a show first opens its audio rather than when the
// program starts: the mixer's decoders pull in dozens of libraries, and most runs (the
// configuration window, previews, headless runs) never play a sound. The functions keep
// the library's names without the prefix, in namespace mix.
#include <SDL.h>
#include <SDL_mixer.h>

namespace tp {

struct SdlMixerLibrary {
  decltype(&::SDL_GetError) GetError = nullptr;
  decltype(&::SDL_InitSubSystem) InitSubSystem = nullptr;
  decltype(&::SDL_QuitSubSystem) QuitSubSystem = nullptr;
  decltype(&::SDL_SetHint) SetHint = nullptr;
  decltype(&::SDL_RWFromFile) RWFromFile = nullptr;
  decltype(&::Mix_Init) Init = nullptr;
  decltype(&::Mix_Quit) Quit = nullptr;
  decltype(&::Mix_OpenAudio) OpenAudio = nullptr;
  decltype(&::Mix_CloseAudio) CloseAudio = nullptr;
  decltype(&::Mix_AllocateChannels) AllocateChannels = nullptr;
  decltype(&::Mix_HookMusicFinished) HookMusicFinished = nullptr;
  decltype(&::Mix_HaltMusic) HaltMusic = nullptr;
  decltype(&::Mix_HaltChannel) HaltChannel = nullptr;
  decltype(&::Mix_LoadMUS) LoadMUS = nullptr;
  decltype(&::Mix_FreeMusic) FreeMusic = nullptr;
  decltype(&::Mix_PlayMusic) PlayMusic = nullptr;
  decltype(&::Mix_MusicDuration) MusicDuration = nullptr;
  decltype(&::Mix_GetMusicPosition) GetMusicPosition = nullptr;
  decltype(&::Mix_LoadWAV_RW) LoadWAV_RW = nullptr;
  decltype(&::Mix_FreeChunk) FreeChunk = nullptr;
  decltype(&::Mix_Volume) Volume = nullptr;
  decltype(&::Mix_PlayChannelTimed) PlayChannelTimed = nullptr;
};

// The loaded libraries (loaded on the first call); nullptr when either library or any
// function is missing, so the show runs silent.
const SdlMixerLibrary* LoadSdlMixer();

namespace mix {

// Only valid once LoadSdlMixer() has returned the library.
inline const SdlMixerLibrary& Lib() { return *LoadSdlMixer(); }

inline const char* GetError() { return Lib().GetError(); }
inline int HaltMusic() { return Lib().HaltMusic(); }
inline int HaltChannel(int channel) { return Lib().HaltChannel(channel); }
inline Mix_Music* LoadMUS(const char* path) { return Lib().LoadMUS(path); }
inline void FreeMusic(Mix_Music* music) { Lib().FreeMusic(music); }
inline int PlayMusic(Mix_Music* music, int loops) { return Lib().PlayMusic(music, loops); }
inline double MusicDuration(Mix_Music* music) { return Lib().MusicDuration(music); }
inline double GetMusicPosition(Mix_Music* music) { return Lib().GetMusicPosition(music); }
inline Mix_Chunk* LoadWAV(const char* path) { return Lib().LoadWAV_RW(Lib().RWFromFile(path, "rb"), 1); }
inline void FreeChunk(Mix_Chunk* chunk) { Lib().FreeChunk(chunk); }
inline int Volume(int channel, int volume) { return Lib().Volume(channel, volume); }
inline int PlayChannel(int channel, Mix_Chunk* chunk, int loops) {
  return Lib().PlayChannelTimed(channel, chunk, loops, -1);
}

}  // namespace mix
}  // namespace tp
