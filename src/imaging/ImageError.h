#pragma once
// The error every decoder throws on data it cannot read.
#include <stdexcept>
#include <string>

namespace tp {

class ImageDecodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tp
