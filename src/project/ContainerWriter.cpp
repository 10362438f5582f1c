#include "project/ContainerWriter.h"

#include <sys/stat.h>

#include <memory>
#include <stdexcept>

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
  }
  return 0;
}

int32_t Length32(uint64_t n) {
  if (n > 0x7FFFFFFFull) throw std::runtime_error("container entry larger than 2 GiB");
  return int32_t(n);
}

void Put(std::FILE* out, std::string_view bytes) {
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size())
    throw std::runtime_error("write failed");
}

void PutItems(std::FILE* out, const std::vector<ContainerItem>& entries);

void PutItem(std::FILE* out, const ContainerItem& item) {
  const uint64_t size = ItemSize(item);
  Put(out, Int32Bytes(Length32(size)));
  switch (item.kind) {
    case ContainerItem::Kind::Bytes:
      Put(out, item.bytes);
      break;
    case ContainerItem::Kind::File: {
      std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(item.bytes.c_str(), "rb"), &std::fclose);
      if (!in) throw std::runtime_error("cannot read " + item.bytes);
      std::vector<char> buffer(256 * 1024);
      uint64_t copied = 0;
      size_t n;
      while ((n = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0) {
        Put(out, std::string_view(buffer.data(), n));
        copied += n;
      }
      if (copied != size) throw std::runtime_error(item.bytes + " changed while it was packed");
      break;
    }
    case ContainerItem::Kind::Nested:
      PutItems(out, item.items);
      break;
  }
}

void PutItems(std::FILE* out, const std::vector<ContainerItem>& entries) {
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

void WriteContainer(std::FILE* out, const std::vector<ContainerItem>& entries) { PutItems(out, entries); }

std::string ContainerBytes(const std::vector<ContainerItem>& entries) {
  char* data = nullptr;
  size_t size = 0;
  std::FILE* mem = open_memstream(&data, &size);
  if (!mem) throw std::runtime_error("out of memory");
  try {
    WriteContainer(mem, entries);
  } catch (...) {
    std::fclose(mem);
    std::free(data);
    throw;
  }
  std::fclose(mem);
  std::string bytes(data, size);
  std::free(data);
  return bytes;
}

}  // namespace tp
