#include "project/ContainerReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

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

// Reads exactly n bytes unless the file ends; returns the count read.
size_t ReadFull(int fd, void* buf, size_t n) {
  size_t done = 0;
  while (done < n) {
    ssize_t r = ReadSome(fd, static_cast<char*>(buf) + done, n - done);
    if (r <= 0) break;
    done += size_t(r);
  }
  return done;
}

bool WriteFull(int fd, const char* buf, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, buf, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    buf += w;
    n -= size_t(w);
  }
  return true;
}

int32_t Int32LE(const uint8_t* b) {
  return int32_t(uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24));
}

// Copies up to length bytes from in (at its current position) to out (-1: skip them).
// Stops early at the end of the input.
void CopyBytes(int in, int out, uint64_t length, std::vector<char>& buffer) {
  if (out >= 0) {
    // In-kernel copy first; falls back to read/write where it is not supported.
    while (length > 0) {
      ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(std::min<uint64_t>(length, 1u << 30)), 0);
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
  while (length > 0) {
    size_t piece = size_t(std::min<uint64_t>(length, buffer.size()));
    ssize_t r = ReadSome(in, buffer.data(), piece);
    if (r <= 0) return;
    if (out >= 0 && !WriteFull(out, buffer.data(), size_t(r))) return;
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

SectionMarker FindSectionMarker(const std::string& path) {
  SectionMarker result;
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return result;
  const auto marker = SectionMarkerBytes();
  std::vector<uint8_t> buffer(kBufferSize);
  int m = 0;  // marker bytes matched so far
  int64_t consumed = 0;
  for (;;) {
    ssize_t n = ReadSome(fd.get(), buffer.data(), buffer.size());
    if (n <= 0) return result;
    const uint8_t* p = buffer.data();
    const uint8_t* end = p + n;
    while (p < end) {
      if (m == 0) {
        // Fast path: jump to the next possible first byte.
        const void* hit = std::memchr(p, marker[0], size_t(end - p));
        if (!hit) {
          p = end;
          break;
        }
        p = static_cast<const uint8_t*>(hit) + 1;
        m = 1;
        continue;
      }
      uint8_t b = *p++;
      if (b == marker[size_t(m)]) {
        if (++m == kSectionMarkerLength) {
          consumed += p - buffer.data();
          result.found = true;
          result.offset = consumed;
          uint8_t count[4];
          if (::lseek(fd.get(), off_t(consumed), SEEK_SET) >= 0 && ReadFull(fd.get(), count, 4) == 4)
            result.entryCount = Int32LE(count);
          return result;
        }
      } else {
        // The marker's first byte occurs nowhere else in it, so retrying the
        // mismatching byte as a first byte is all a restart needs.
        m = (b == marker[0]) ? 1 : 0;
      }
    }
    consumed += n;
  }
}

void ExtractEntries(const std::string& path, const std::vector<std::string>& outputPaths) {
  SectionMarker marker = FindSectionMarker(path);
  if (!marker.found) return;
  Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in) return;
  uint8_t word[4];
  if (::lseek(in.get(), off_t(marker.offset), SEEK_SET) < 0 || ReadFull(in.get(), word, 4) != 4) return;
  const int32_t count = Int32LE(word);
  std::vector<char> buffer(kBufferSize);
  for (int64_t i = 0; i < count && i < int64_t(outputPaths.size()); ++i) {
    if (ReadFull(in.get(), word, 4) != 4) return;
    const int32_t length = Int32LE(word);
    if (length < 0) return;
    const std::string& out = outputPaths[size_t(i)];
    if (out.empty()) {
      CopyBytes(in.get(), -1, uint64_t(length), buffer);
      continue;
    }
    Fd fdOut(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    CopyBytes(in.get(), fdOut ? fdOut.get() : -1, uint64_t(length), buffer);
  }
}

}  // namespace tp
