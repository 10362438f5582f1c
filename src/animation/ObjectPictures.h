#pragma once
// The decoded pictures of one packaged picture's objects and the pixel budget they all
// draw from. A picture file is read and decoded once and shared by every object that
// names it (a GIF once per set of frame options, since those change its frames); a
// restart of an object takes the same decoded picture again. Each object reserves room
// for its own buffers; what does not fit the budget is left out, so a crafted
// description cannot make the objects take more memory than the budget allows.
// Thread-safe: objects start on the engine's thread and restart on their own.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "imaging/Bitmap32.h"
#include "imaging/import/GifAnimation.h"

namespace tp {

class TObjectPictures {
 public:
  // 64 megapixels (256 MB of 32-bit pixels) for all objects of a picture.
  static constexpr int64_t kDefaultBudget = 64LL * 1024 * 1024;

  explicit TObjectPictures(int64_t budgetPixels = kDefaultBudget) : budget_(budgetPixels) {}

  // The still picture at path; null when it cannot be decoded or does not fit.
  std::shared_ptr<const Bitmap32> Image(const std::string& path);
  // The GIF at path with frame options applied by prepare (options names them, so
  // objects with the same options share the result); null as for Image.
  std::shared_ptr<const GifImage> Gif(const std::string& path, const std::string& options,
                                      const std::function<void(GifImage&)>& prepare);

  // Reserves pixels for one object's own buffers; false, reserving nothing, when they
  // do not fit.
  bool Reserve(int64_t pixels);
  void Release(int64_t pixels);
  int64_t Used() const;
  int64_t Budget() const { return budget_; }
  // Files read so far (each at most once).
  int FilesRead() const;

 private:
  bool Take(int64_t pixels);  // m_ held

  mutable std::mutex m_;
  int64_t budget_;
  int64_t used_ = 0;
  int filesRead_ = 0;
  std::map<std::string, std::shared_ptr<const Bitmap32>> images_;  // null: failed
  std::map<std::string, std::shared_ptr<const GifImage>> gifs_;    // by path and options
};

}  // namespace tp
