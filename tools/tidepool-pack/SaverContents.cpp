#include "tidepool-pack/SaverContents.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "core/SafeFile.h"
#include "core/TextUtil.h"
#include "project/ContainerReader.h"
#include "tidepool-pack/PackCommand.h"

namespace tp::pack {
namespace {

constexpr int64_t kMaxTextBytes = 16 << 20;

int32_t LittleEndian32(const uint8_t* b) {
  return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

}  // namespace

SaverContents::SaverContents(const std::string& path) : path_(path) {
  // Opened without blocking, so that a named pipe given by mistake is refused at once.
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd_ >= 0) ::close(fd_);
    throw FileError(path, "cannot be read");
  }
  fileSize_ = st.st_size;
  const SectionMarker marker = FindSectionMarker(path);
  if (!marker.found) {
    ::close(fd_);
    throw FileError(path, "holds no screensaver project");
  }
  projectOffset_ = marker.offset - kSectionMarkerLength;
  try {
    top_ = Walk(projectOffset_, fileSize_);
    if (top_.size() < 3) throw FileError(path, "holds no complete screensaver project");
  } catch (...) {
    ::close(fd_);
    throw;
  }
}

SaverContents::~SaverContents() { ::close(fd_); }

void SaverContents::ReadAt(int64_t offset, void* out, size_t n) const {
  if (offset < 0 || offset + int64_t(n) > fileSize_) throw FileError(path_, "the project is damaged (it ends early)");
  for (size_t done = 0; done < n;) {
    const ssize_t got = ::pread(fd_, static_cast<char*>(out) + done, n - done, off_t(offset + int64_t(done)));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) throw FileError(path_, "the project is damaged (it ends early)");
    done += size_t(got);
  }
}

std::vector<EntryPlace> SaverContents::Walk(int64_t start, int64_t end) const {
  uint8_t head[kSectionMarkerLength + 4];
  if (end - start < int64_t(sizeof head)) throw FileError(path_, "the project is damaged (a container is cut short)");
  ReadAt(start, head, sizeof head);
  const auto marker = SectionMarkerBytes();
  if (std::memcmp(head, marker.data(), marker.size()) != 0) throw FileError(path_, "the project is damaged (not a container)");
  const int32_t count = LittleEndian32(head + kSectionMarkerLength);
  if (count < 0) throw FileError(path_, "the project is damaged (negative entry count)");
  std::vector<EntryPlace> entries;
  int64_t pos = start + int64_t(sizeof head);
  for (int32_t i = 0; i < count; ++i) {
    // Each entry takes at least its 4-byte length, so a count beyond what fits is damage.
    uint8_t len[4];
    if (end - pos < 4) throw FileError(path_, "the project is damaged (fewer entries than it says)");
    ReadAt(pos, len, 4);
    const int32_t length = LittleEndian32(len);
    pos += 4;
    if (length < 0 || length > end - pos) throw FileError(path_, "the project is damaged (an entry runs past its end)");
    entries.push_back({pos, length});
    pos += length;
  }
  return entries;
}

std::vector<EntryPlace> SaverContents::Nested(const EntryPlace& container) const {
  return Walk(container.offset, container.offset + container.length);
}

std::string SaverContents::Read(const EntryPlace& entry, int64_t limit) const {
  if (entry.length > limit) throw FileError(path_, "an entry is too large (" + std::to_string(entry.length) + " bytes)");
  std::string bytes(size_t(entry.length), '\0');
  if (!bytes.empty()) ReadAt(entry.offset, bytes.data(), bytes.size());
  return bytes;
}

void SaverContents::CopyToDescriptor(const EntryPlace& entry, int fd) const {
  loff_t from = entry.offset;
  int64_t left = entry.length;
  while (left > 0) {
    const ssize_t n = ::copy_file_range(fd_, &from, fd, nullptr, size_t(std::min<int64_t>(left, 1 << 30)), 0);
    if (n <= 0) break;  // not supported between these files, or the file shrank: copy by hand
    left -= n;
  }
  std::vector<char> buf(1 << 16);
  while (left > 0) {
    const size_t n = size_t(std::min<int64_t>(int64_t(buf.size()), left));
    ReadAt(from, buf.data(), n);
    if (!WriteAll(fd, std::string_view(buf.data(), n))) throw std::runtime_error("writing failed");
    from += loff_t(n);
    left -= int64_t(n);
  }
}

SaverContents::Project SaverContents::ReadProject() const {
  Project p;
  const std::vector<EntryPlace> settings = Nested(top_[0]);
  p.settingsCount = int(settings.size());
  if (settings.size() == 3 || settings.size() == 4) {
    p.fileList = Read(settings[0], kMaxTextBytes);
    p.settings = Read(settings[1], kMaxTextBytes);
    p.ui = Read(settings[2], kMaxTextBytes);
    if (settings.size() == 4) {
      p.hasBuildEntry = true;
      p.buildEntry = Read(settings[3], kMaxTextBytes);
    }
  }
  p.names = SplitLines(Read(top_[1], kMaxTextBytes));
  std::vector<EntryPlace> files = Nested(top_[2]);
  if (files.size() > p.names.size()) files.resize(p.names.size());  // the player reads no further
  p.files = std::move(files);
  if (top_.size() >= 4) {
    p.hasUiDescription = true;
    p.uiDescription = top_[3];
  }
  return p;
}

}  // namespace tp::pack
