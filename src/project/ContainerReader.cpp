#include "project/ContainerReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/SafeFile.h"
#include "platform/TerminationSignals.h"

namespace tp {
namespace {

constexpr size_t kBufferSize = 256 * 1024;

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_;
};

int32_t Int32LE(const uint8_t* b) {
  return int32_t(uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24));
}

bool ReadAt(int fd, int64_t offset, void* out, size_t n) {
  for (size_t done = 0; done < n;) {
    const ssize_t got = ::pread(fd, static_cast<char*>(out) + done, n - done, off_t(offset + int64_t(done)));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += size_t(got);
  }
  return true;
}

}  // namespace

std::array<uint8_t, kSectionMarkerLength> SectionMarkerBytes() {
  std::array<uint8_t, kSectionMarkerLength> bytes{};
  // volatile keeps the compiler from folding the shifted bytes into a constant.
  volatile uint8_t shift = 1;
  for (int i = 0; i < kSectionMarkerLength; ++i) bytes[size_t(i)] = uint8_t(uint8_t(kPlainSectionMarker[i]) + shift);
  return bytes;
}

namespace {

int64_t FileSize(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? int64_t(st.st_size) : INT64_MAX;
}

// The first marker in bytes [begin, end) of fd; offsets are positions in the file.
SectionMarker FindMarker(int fd, int64_t begin, int64_t end) {
  SectionMarker result;
  const auto marker = SectionMarkerBytes();
  std::vector<uint8_t> buffer(kBufferSize);
  int m = 0;  // marker bytes matched so far
  int64_t pos = begin;
  while (pos < end) {
    const size_t want = size_t(std::min<int64_t>(int64_t(buffer.size()), end - pos));
    ssize_t n;
    do {
      n = ::pread(fd, buffer.data(), want, off_t(pos));
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return result;
    const uint8_t* p = buffer.data();
    const uint8_t* stop = p + n;
    while (p < stop) {
      if (m == 0) {
        // Fast path: jump to the next possible first byte.
        const void* hit = std::memchr(p, marker[0], size_t(stop - p));
        if (!hit) {
          p = stop;
          break;
        }
        p = static_cast<const uint8_t*>(hit) + 1;
        m = 1;
        continue;
      }
      uint8_t b = *p++;
      if (b == marker[size_t(m)]) {
        if (++m == kSectionMarkerLength) {
          result.found = true;
          result.offset = pos + (p - buffer.data());
          uint8_t count[4];
          if (result.offset + 4 <= end && ::pread(fd, count, 4, off_t(result.offset)) == 4)
            result.entryCount = Int32LE(count);
          return result;
        }
      } else {
        // The marker's first byte occurs nowhere else in it, so retrying the
        // mismatching byte as a first byte is all a restart needs.
        m = (b == marker[0]) ? 1 : 0;
      }
    }
    pos += n;
  }
  return result;
}

// The container in bytes [begin, end) of in, extracted as from a file of just those bytes.
std::vector<ContainerEntry> ExtractFrom(int in, int64_t begin, int64_t end,
                                        const std::vector<std::string>& outputPaths) {
  const SectionMarker marker = FindMarker(in, begin, end);
  if (!marker.found) return {};
  const ContainerWalk walk = WalkContainer(in, marker.offset, end, int64_t(outputPaths.size()));
  std::vector<ContainerEntry> entries;
  for (size_t i = 0; i < walk.entries.size(); ++i) {
    if (TerminationRequested()) break;  // the run ends: unpack no further
    const ContainerEntry& e = walk.entries[i];
    entries.push_back(e);
    const std::string& out = outputPaths[i];
    if (out.empty()) continue;
    Fd fdOut(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fdOut) CopyBytes(in, e.offset, fdOut.get(), uint64_t(e.length), TerminationRequested);
  }
  return entries;
}

}  // namespace

SectionMarker FindSectionMarker(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return {};
  return FindMarker(fd.get(), 0, FileSize(fd.get()));
}

std::vector<ContainerEntry> ExtractEntries(const std::string& path, const std::vector<std::string>& outputPaths) {
  Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in) return {};
  return ExtractFrom(in.get(), 0, FileSize(in.get()), outputPaths);
}

void ExtractNestedEntries(const std::string& path, const ContainerEntry& container,
                          const std::vector<std::string>& outputPaths) {
  Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in) return;
  const int64_t end = std::min(FileSize(in.get()), container.offset + container.length);
  ExtractFrom(in.get(), container.offset, end, outputPaths);
}

ContainerWalk WalkContainer(int fd, int64_t afterMarker, int64_t end, int64_t maxEntries) {
  ContainerWalk walk;
  uint8_t word[4];
  int64_t pos = afterMarker;
  if (pos + 4 > end || !ReadAt(fd, pos, word, 4)) {
    walk.damaged = true;
    return walk;
  }
  pos += 4;
  walk.count = Int32LE(word);
  walk.damaged = walk.count < 0;
  for (int64_t i = 0; i < walk.count && i < maxEntries; ++i) {
    // Each entry takes at least its 4-byte length, so a count beyond what fits is damage.
    if (pos + 4 > end || !ReadAt(fd, pos, word, 4)) {
      walk.damaged = true;
      break;
    }
    pos += 4;
    const int32_t length = Int32LE(word);
    if (length < 0) {
      walk.damaged = true;
      break;
    }
    // A length past the end is cut there (the player copies what is there).
    const int64_t available = std::min<int64_t>(length, end - pos);
    walk.entries.push_back({pos, available});
    if (available < length) {
      walk.damaged = true;
      break;
    }
    pos += available;
  }
  return walk;
}

ContainerFile::ContainerFile(const std::string& path) {
  // Opened without blocking, so that a named pipe given by mistake is refused at once.
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd_ >= 0) ::close(fd_);
    throw ContainerError("cannot be read");
  }
  size_ = st.st_size;
  const SectionMarker marker = FindMarker(fd_, 0, size_);
  if (!marker.found) {
    ::close(fd_);
    throw ContainerError("holds no screensaver project");
  }
  projectOffset_ = marker.offset - kSectionMarkerLength;
}

ContainerFile::~ContainerFile() { ::close(fd_); }

std::vector<ContainerEntry> ContainerFile::Entries(int64_t start, int64_t end) const {
  uint8_t head[kSectionMarkerLength];
  const auto marker = SectionMarkerBytes();
  if (end - start < kSectionMarkerLength + 4 || !ReadAt(fd_, start, head, sizeof head))
    throw ContainerError("the project is damaged (a container is cut short)");
  if (std::memcmp(head, marker.data(), marker.size()) != 0) throw ContainerError("the project is damaged (not a container)");
  ContainerWalk walk = WalkContainer(fd_, start + kSectionMarkerLength, end, INT64_MAX);
  if (walk.count < 0) throw ContainerError("the project is damaged (negative entry count)");
  if (walk.damaged) throw ContainerError("the project is damaged (an entry runs past its end)");
  return std::move(walk.entries);
}

std::string ContainerFile::Read(const ContainerEntry& entry, int64_t limit) const {
  if (entry.length > limit) throw ContainerError("an entry is too large (" + std::to_string(entry.length) + " bytes)");
  std::string bytes(size_t(entry.length), '\0');
  if (!bytes.empty() && !ReadAt(fd_, entry.offset, bytes.data(), bytes.size()))
    throw ContainerError("the project is damaged (it ends early)");
  return bytes;
}

void ContainerFile::CopyTo(const ContainerEntry& entry, int fd) const {
  if (CopyBytes(fd_, entry.offset, fd, uint64_t(entry.length)) != uint64_t(entry.length))
    throw std::runtime_error("writing failed");
}

}  // namespace tp
