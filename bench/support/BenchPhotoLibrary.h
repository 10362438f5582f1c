#pragma once
// The generated picture library the folder-show benchmarks share: 100 000 small JPEGs
// (with EXIF orientation and dates) in 1 000 folders plus a few 6000 x 4000 photos, made
// once under the build tree and kept (BUILD/bench-data/library-100k).
#include <string>

namespace tp::bench {

// The library's root folder, made first when it is not there (or was left unfinished).
std::string GeneratedPhotoLibrary();

}  // namespace tp::bench
