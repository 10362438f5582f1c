#include "animation/ObjectPictures.h"

#include <algorithm>
#include <exception>

#include "imaging/import/ImageLoader.h"

namespace tp {

bool TObjectPictures::Take(int64_t pixels) {
  if (pixels < 0 || pixels > budget_ - used_) return false;
  used_ += pixels;
  return true;
}

bool TObjectPictures::Reserve(int64_t pixels) {
  std::lock_guard<std::mutex> lk(m_);
  return Take(pixels);
}

void TObjectPictures::Release(int64_t pixels) {
  std::lock_guard<std::mutex> lk(m_);
  used_ -= std::min(pixels, used_);
}

int64_t TObjectPictures::Used() const {
  std::lock_guard<std::mutex> lk(m_);
  return used_;
}

int TObjectPictures::FilesRead() const {
  std::lock_guard<std::mutex> lk(m_);
  return filesRead_;
}

std::shared_ptr<const Bitmap32> TObjectPictures::Image(const std::string& path) {
  std::lock_guard<std::mutex> lk(m_);
  auto found = images_.find(path);
  if (found != images_.end()) return found->second;
  std::shared_ptr<const Bitmap32> picture;
  ++filesRead_;
  try {
    auto decoded = std::make_shared<Bitmap32>(LoadImageFile(path));
    if (!decoded->empty() && Take(int64_t(decoded->pixelCount()))) picture = std::move(decoded);
  } catch (const std::exception&) {
    // Unreadable or too large: the objects that name it draw nothing.
  }
  images_.emplace(path, picture);
  return picture;
}

std::shared_ptr<const GifImage> TObjectPictures::Gif(const std::string& path, const std::string& options,
                                                     const std::function<void(GifImage&)>& prepare) {
  std::lock_guard<std::mutex> lk(m_);
  const std::string key = options + '\n' + path;
  auto found = gifs_.find(key);
  if (found != gifs_.end()) return found->second;
  std::shared_ptr<const GifImage> gif;
  ++filesRead_;
  try {
    const std::string bytes = ReadPictureFile(path);
    auto decoded = std::make_shared<GifImage>(
        GifImage::Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    // The frames' colour indices take a byte a pixel.
    int64_t bytesHeld = 0;
    for (const GifFrame& f : decoded->frames()) bytesHeld += int64_t(f.indices.size());
    if (prepare) prepare(*decoded);
    if (decoded->width() > 0 && decoded->height() > 0 && Take((bytesHeld + 3) / 4)) gif = std::move(decoded);
  } catch (const std::exception&) {
  }
  gifs_.emplace(key, gif);
  return gif;
}

}  // namespace tp
