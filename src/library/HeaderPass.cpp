#include "library/HeaderPass.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <vector>

#include "imaging/import/ImageLoader.h"

namespace tp {

namespace {

// Reads up to want bytes from fd's start into buffer (which keeps what it held), no more
// than the file holds.
void ReadUpTo(int fd, int64_t fileSize, std::vector<uint8_t>& buffer, size_t want) {
  if (fileSize >= 0 && size_t(fileSize) < want) want = size_t(fileSize);
  size_t have = buffer.size();
  if (want <= have) return;
  buffer.resize(want);
  while (have < want) {
    const ssize_t n = ::pread(fd, buffer.data() + have, want - have, off_t(have));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    have += size_t(n);
  }
  buffer.resize(have);
}

bool Facts(const std::vector<uint8_t>& data, PictureFacts& facts) {
  try {
    facts = ReadPictureFacts(data.data(), data.size());
    return facts.width > 0 && facts.height > 0;
  } catch (...) {
    return false;
  }
}

}  // namespace

bool ParseExifDate(std::string_view text, int64_t& seconds) {
  if (text.size() < 19 || text[4] != ':' || text[7] != ':' || text[10] != ' ' || text[13] != ':' || text[16] != ':')
    return false;
  int v[6];
  const size_t at[6] = {0, 5, 8, 11, 14, 17};
  const size_t len[6] = {4, 2, 2, 2, 2, 2};
  for (int i = 0; i < 6; ++i) {
    v[i] = 0;
    for (size_t k = 0; k < len[i]; ++k) {
      const char c = text[at[i] + k];
      if (c < '0' || c > '9') return false;
      v[i] = v[i] * 10 + (c - '0');
    }
  }
  if (v[0] < 1800 || v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > 31 || v[3] > 23 || v[4] > 59 || v[5] > 60)
    return false;
  std::tm tm{};
  tm.tm_year = v[0] - 1900;
  tm.tm_mon = v[1] - 1;
  tm.tm_mday = v[2];
  tm.tm_hour = v[3];
  tm.tm_min = v[4];
  tm.tm_sec = v[5];
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  if (t == std::time_t(-1)) return false;
  seconds = int64_t(t);
  return true;
}

PictureHeader ReadPictureHeader(const std::string& path, int64_t fallbackTaken) {
  PictureHeader header;
  header.taken = fallbackTaken;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return header;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return header;
  }
  std::vector<uint8_t> data;
  ReadUpTo(fd, int64_t(st.st_size), data, kHeaderBytes);
  PictureFacts facts;
  bool ok = Facts(data, facts);
  if (!ok && data.size() == kHeaderBytes) {
    ReadUpTo(fd, int64_t(st.st_size), data, kHeaderMaxBytes);
    ok = Facts(data, facts);
  }
  ::close(fd);
  if (!ok) return header;
  header.ok = true;
  header.orientation = facts.orientation >= 1 && facts.orientation <= 8 ? facts.orientation : 1;
  const bool turned = header.orientation >= 5;  // 5-8 swap width and height
  header.width = turned ? facts.height : facts.width;
  header.height = turned ? facts.width : facts.height;
  int64_t taken = 0;
  if (ParseExifDate(facts.dateTaken, taken)) header.taken = taken;
  return header;
}

}  // namespace tp
