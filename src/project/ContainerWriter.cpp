#include "project/ContainerWriter.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "core/SafeFile.h"

#include "project/ContainerReader.h"

namespace tp {
namespace {

uint64_t FileSize(const std::string& path) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    throw std::runtime_error("cannot read " + path);
  return uint64_t(st.st_size);
}

uint64_t ItemSize(const ContainerItem& item) {
  switch (item.kind) {
    case ContainerItem::Kind::Bytes: return item.bytes.size();
    case ContainerItem::Kind::File: return FileSize(item.bytes);
    case ContainerItem::Kind::Nested: return ContainerSize(item.items);
    case ContainerItem::Kind::Part: return item.length;
  }
  return 0;
}

int32_t Length32(uint64_t n) {
  if (n > 0x7FFFFFFFull) throw std::runtime_error("container entry larger than 2 GiB");
  return int32_t(n);
}

void Put(int out, std::string_view bytes) {
  if (!WriteAll(out, bytes)) throw std::runtime_error("write failed");
}

void PutItems(int out, const std::vector<ContainerItem>& entries);

void PutItem(int out, const ContainerItem& item) {
  const uint64_t size = ItemSize(item);
  Put(out, Int32Bytes(Length32(size)));
  switch (item.kind) {
    case ContainerItem::Kind::Bytes:
      Put(out, item.bytes);
      break;
    case ContainerItem::Kind::File: {
      const int in = ::open(item.bytes.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      if (in < 0) throw std::runtime_error("cannot read " + item.bytes);
      const uint64_t copied = CopyBytes(in, 0, out, size);
      // One byte more than its size means the file grew since it was measured.
      char extra;
      const bool longer = copied == size && ::pread(in, &extra, 1, off_t(size)) > 0;
      ::close(in);
      if (copied != size || longer) throw std::runtime_error(item.bytes + " changed while it was packed");
      break;
    }
    case ContainerItem::Kind::Nested:
      PutItems(out, item.items);
      break;
    case ContainerItem::Kind::Part:
      if (CopyBytes(item.fd, int64_t(item.offset), out, item.length) != item.length) throw std::runtime_error("write failed");
      break;
  }
}

void PutItems(int out, const std::vector<ContainerItem>& entries) {
  const auto marker = SectionMarkerBytes();
  Put(out, std::string_view(reinterpret_cast<const char*>(marker.data()), marker.size()));
  Put(out, Int32Bytes(Length32(entries.size())));
  for (const ContainerItem& e : entries) PutItem(out, e);
}

}  // namespace

std::string Int32Bytes(int32_t v) {
  uint32_t u = uint32_t(v);
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[size_t(i)] = char((u >> (8 * i)) & 0xFF);
  return s;
}

uint64_t ContainerSize(const std::vector<ContainerItem>& entries) {
  uint64_t size = kSectionMarkerLength + 4;
  for (const ContainerItem& e : entries) size += 4 + ItemSize(e);
  return size;
}

void WriteContainer(int out, const std::vector<ContainerItem>& entries) { PutItems(out, entries); }

std::string ContainerBytes(const std::vector<ContainerItem>& entries) {
  // Through an anonymous in-memory file, so that file items are copied as on disk.
  const int fd = ::memfd_create("container", MFD_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot make a container in memory");
  try {
    WriteContainer(fd, entries);
  } catch (...) {
    ::close(fd);
    throw;
  }
  const off_t size = ::lseek(fd, 0, SEEK_CUR);
  std::string bytes(size_t(std::max<off_t>(size, 0)), '\0');
  const bool ok = size >= 0 && ::pread(fd, bytes.data(), bytes.size(), 0) == ssize_t(bytes.size());
  ::close(fd);
  if (!ok) throw std::runtime_error("cannot make a container in memory");
  return bytes;
}

}  // namespace tp
