#include "core/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "core/Paths.h"

namespace tp {
namespace {

mode_t CurrentUmask() {
  // umask can only be read by setting it; put the old value straight back.
  mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

}  // namespace

bool WriteAll(int fd, std::string_view data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += size_t(n);
  }
  return true;
}

ReadResult ReadRegularFile(const std::string& path, size_t maxBytes, std::string& out) {
  out.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return ReadResult::Missing;
    return errno == ELOOP ? ReadResult::NotRegular : ReadResult::Failed;
  }
  struct stat st{};
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return ReadResult::Failed;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return ReadResult::NotRegular;
  }
  if (uint64_t(st.st_size) > maxBytes) {
    ::close(fd);
    return ReadResult::TooLarge;
  }
  out.resize(size_t(st.st_size));
  size_t got = 0;
  // The file may grow while it is read: read at most one byte past the bound to notice.
  while (true) {
    if (got == out.size()) out.resize(std::min(maxBytes + 1, got + 4096));
    ssize_t n = ::read(fd, out.data() + got, out.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      out.clear();
      return ReadResult::Failed;
    }
    if (n == 0) break;
    got += size_t(n);
    if (got > maxBytes) {
      ::close(fd);
      out.clear();
      return ReadResult::TooLarge;
    }
  }
  ::close(fd);
  out.resize(got);
  return ReadResult::Ok;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string dir = DirectoryOf(path);
  std::string tmpl = (dir.empty() ? std::string("./") : dir) + "." + BareFileName(path) + ".XXXXXX";
  // mkstemp creates the file exclusively (never through a link) with mode 0600.
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  struct stat st{};
  mode_t mode = 0644 & ~CurrentUmask();
  if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) mode = st.st_mode & 0777;
  if (ok && ::fchmod(fd, mode) != 0) ok = false;
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  // rename replaces the directory entry itself: a link at path is replaced, its target untouched.
  if (ok && ::rename(tmpl.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(tmpl.c_str());
  return ok;
}

bool FolderIsWritable(const std::string& folder) {
  return ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return false;
  std::string partial;
  size_t pos = 0;
  while (pos <= folder.size()) {
    size_t slash = folder.find('/', pos);
    partial = folder.substr(0, slash == std::string::npos ? folder.size() : slash);
    if (!partial.empty() && ::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
    pos = slash + 1;
  }
  struct stat st{};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace tp
