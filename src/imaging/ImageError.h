#pragma once
// The error every decoder throws on data it cannot read.
#include <stdexcept>
#include <string>

namespace tp {

class ImageDecodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The picture's format needs a library this machine or build does not have: the picture
// may be sound.
class MissingLibraryError : public ImageDecodeError {
 public:
  using ImageDecodeError::ImageDecodeError;
};

}  // namespace tp
