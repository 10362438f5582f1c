#pragma once
// Writing project containers (the packing tool and tests). A container is the marker, an
// entry count and the entries, each a length and its bytes; an entry may be raw bytes,
// the content of a file (streamed, never loaded whole) or a nested container.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tp {

struct ContainerItem {
  enum class Kind { Bytes, File, Nested, Part };
  Kind kind = Kind::Bytes;
  std::string bytes;                 // Bytes: the content; File: the path to copy
  std::vector<ContainerItem> items;  // Nested: the entries of the inner container
  int fd = -1;                       // Part: length bytes of an open file from offset
  uint64_t offset = 0;
  uint64_t length = 0;

  static ContainerItem Data(std::string_view b) { return {Kind::Bytes, std::string(b), {}}; }
  static ContainerItem FromFile(std::string_view path) { return {Kind::File, std::string(path), {}}; }
  static ContainerItem Container(std::vector<ContainerItem> entries) {
    return {Kind::Nested, {}, std::move(entries)};
  }
  static ContainerItem PartOf(int fd, uint64_t offset, uint64_t length) {
    return {Kind::Part, {}, {}, fd, offset, length};
  }
};

// The 4-byte signed little-endian form of v.
std::string Int32Bytes(int32_t v);
// Marker + count + entries: the bytes a container of these entries takes.
uint64_t ContainerSize(const std::vector<ContainerItem>& entries);
// Writes a complete container to the descriptor out, at its position; files are copied
// by the kernel where it can. Throws std::runtime_error when a file cannot be read or
// changed while it was copied, an entry does not fit a 32-bit length, or writing fails.
void WriteContainer(int out, const std::vector<ContainerItem>& entries);
// The same into memory (for small containers in tests).
std::string ContainerBytes(const std::vector<ContainerItem>& entries);

}  // namespace tp
