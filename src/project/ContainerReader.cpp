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

ssize_t ReadSome(int fd, void* buf, size_t n) {
  for (;;) {
    ssize_t r = ::read(fd, buf, n);
    if (r >= 0 || errno != EINTR) return r;
  }
}

int32_t Int32LE(const uint8_t* b) {
  return int32_t(uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24));
}

// Copies up to length bytes from in (at its current position) to out (-1: skip them).
// Stops early at the end of the input, and when the program is asked to end.
void CopyBytes(int in, int out, uint64_t length, std::vector<char>& buffer) {
  if (out >= 0) {
    // In-kernel copy first; falls back to read/write where it is not supported. Pieces of
    // 16 MB, so that a request to end is noticed soon.
    while (length > 0) {
      if (TerminationRequested()) return;
      ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(std::min<uint64_t>(length, 1u << 24)), 0);
      if (n > 0) {
        length -= uint64_t(n);
        continue;
      }
      if (n == 0) return;  // end of input
      if (errno == EINTR) continue;
      break;
    }
  } else {
    off_t here = ::lseek(in, 0, SEEK_CUR);
    struct stat st{};
    if (here >= 0 && ::fstat(in, &st) == 0 && S_ISREG(st.st_mode)) {
      uint64_t left = st.st_size > here ? uint64_t(st.st_size - here) : 0;
      ::lseek(in, off_t(std::min(left, length)), SEEK_CUR);
      return;
    }
  }
  while (length > 0 && !TerminationRequested()) {
    size_t piece = size_t(std::min<uint64_t>(length, buffer.size()));
    ssize_t r = ReadSome(in, buffer.data(), piece);
    if (r <= 0) return;
    if (out >= 0 && !WriteAll(out, std::string_view(buffer.data(), size_t(r)))) return;
    length -= uint64_t(r);
  }
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
  std::vector<ContainerEntry> entries;
  const SectionMarker marker = FindMarker(in, begin, end);
  if (!marker.found) return entries;
  int64_t pos = marker.offset;
  uint8_t word[4];
  if (pos + 4 > end || ::pread(in, word, 4, off_t(pos)) != 4) return entries;
  pos += 4;
  const int32_t count = Int32LE(word);
  std::vector<char> buffer(kBufferSize);
  for (int64_t i = 0; i < count && i < int64_t(outputPaths.size()); ++i) {
    if (TerminationRequested()) return entries;  // the run ends: unpack no further
    if (pos + 4 > end || ::pread(in, word, 4, off_t(pos)) != 4) return entries;
    pos += 4;
    const int32_t length = Int32LE(word);
    if (length < 0) return entries;
    // A length past the end copies what is there.
    const int64_t available = std::min<int64_t>(length, end - pos);
    entries.push_back({pos, available});
    const std::string& out = outputPaths[size_t(i)];
    if (!out.empty()) {
      Fd fdOut(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
      if (fdOut && ::lseek(in, off_t(pos), SEEK_SET) >= 0) CopyBytes(in, fdOut.get(), uint64_t(available), buffer);
    }
    pos += available;
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

}  // namespace tp
