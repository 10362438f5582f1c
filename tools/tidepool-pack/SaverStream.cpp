#include "tidepool-pack/SaverStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "core/SafeFile.h"
#include "project/ContainerReader.h"
#include "tidepool-pack/PackCommand.h"

namespace tp::pack {
namespace {

int32_t Length32(uint64_t n) {
  if (n > 0x7FFFFFFFull) throw std::runtime_error("container entry larger than 2 GiB");
  return int32_t(n);
}

std::string Marker() {
  const auto marker = SectionMarkerBytes();
  return std::string(reinterpret_cast<const char*>(marker.data()), marker.size());
}

}  // namespace

std::string EntryLength(uint64_t size) { return Int32Bytes(Length32(size)); }

std::string ProjectHead(const std::vector<ContainerItem>& settingsEntries, const std::string& names,
                        const std::vector<uint64_t>& fileSizes) {
  const std::string settings = ContainerBytes(settingsEntries);
  uint64_t filesSize = kSectionMarkerLength + 4;
  for (uint64_t s : fileSizes) filesSize += 4 + uint64_t(Length32(s));
  std::string head = Marker() + Int32Bytes(4);
  head += EntryLength(settings.size()) + settings;
  head += EntryLength(names.size()) + names;
  head += EntryLength(filesSize) + Marker() + Int32Bytes(Length32(fileSizes.size()));
  return head;
}

void SaverStream::Write(std::string_view bytes) {
  if (!WriteAll(fd_, bytes)) throw FileError(name_, "writing failed");
}

void SaverStream::Append(const std::string& path, uint64_t size) {
  const int in = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (in < 0) throw FileError(path, "cannot be read");
  uint64_t left = size;
  // The kernel copies between the files without passing the bytes through here.
  while (left > 0) {
    const ssize_t n = ::copy_file_range(in, nullptr, fd_, nullptr, size_t(std::min<uint64_t>(left, 1u << 30)), 0);
    if (n <= 0) break;  // not supported here, or the file ended early: read by hand
    left -= uint64_t(n);
  }
  std::vector<char> buffer;
  while (left > 0) {
    buffer.resize(size_t(std::min<uint64_t>(left, 1u << 18)));
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    try {
      Write(std::string_view(buffer.data(), size_t(n)));
    } catch (...) {
      ::close(in);
      throw;
    }
    left -= uint64_t(n);
  }
  char extra;
  const bool longer = left == 0 && ::read(in, &extra, 1) > 0;
  ::close(in);
  if (left > 0 || longer) throw FileError(path, "changed while it was packed");
}

void SaverStream::Restart() {
  if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) throw FileError(name_, "writing failed");
}

}  // namespace tp::pack
