#pragma once
// Telling plain pictures from packaged ones, and loading and fitting a plain picture.
#include <atomic>
#include <string>
#include <string_view>

#include "presentation/PresentationState.h"

namespace tp {

// True for ".JPG", ".BMP" and ".GIF" in any case; every other file is a packaged picture
// (so ".jpeg" is one too).
bool IsPlainPicturePath(std::string_view path);

// What fitting a plain picture depends on; fixed for a whole run.
struct FitSettings {
  int screenWidth = 0;
  int screenHeight = 0;
  bool stretch = true;
  bool proportional = false;
  bool directDrawInUse = false;
  int directXQuality = 0;
  bool operator==(const FitSettings&) const = default;
};
FitSettings FitSettingsOf(const PresentationState& state);

// A plain picture read, decoded and fitted, ready to be swapped in.
struct FittedPicture {
  Bitmap32 picture;
  int width = 0;  // the picture size centring uses
  int height = 0;
};

// Reads, decodes and fits the file: on the scaled path it fills the working resolution;
// otherwise it is stretched to the screen (keeping its aspect when proportional) or kept
// at its own size. A JPEG is decoded only as far as it is shown: at the smallest DCT
// scale still at least the fitted size, and at original size only the part on screen
// (the picture size is then that part's, so centring puts it where the whole would have
// cut it). Throws (ImageDecodeError or another std::exception) when the file cannot be
// decoded or cancel turns true. Touches nothing shared: safe on any thread.

FittedPicture PreparePlainPicture(const std::string& path, const FitSettings& fit,
                                  const std::atomic<bool>* cancel = nullptr);

// Makes a prepared picture the current one: the fitted picture and the picture size.
void ApplyFittedPicture(FittedPicture&& fitted, PresentationState& state);

// PreparePlainPicture for the state's settings, then ApplyFittedPicture. The state is
// unchanged when it throws. The shown file path is left to the caller.
void LoadAndFitPlainPicture(const std::string& path, PresentationState& state);

// The fitting alone, for an already decoded picture.
FittedPicture FitDecodedPicture(Bitmap32 decoded, const FitSettings& fit);
void FitPlainPicture(Bitmap32 decoded, PresentationState& state);

}  // namespace tp
