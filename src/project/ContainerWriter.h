#pragma once
// Writing project containers (the packing tool and tests). A container is the marker, an
// entry count and the entries, each a length and its bytes; an entry may be raw bytes,
// the content of a file (streamed, never loaded whole) or a nested container.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tp {

struct ContainerItem {
  enum class Kind { Bytes, File, Nested };
  Kind kind = Kind::Bytes;
  std::string bytes;                 // Bytes: the content; File: the path to copy
  std::vector<ContainerItem> items;  // Nested: the entries of the inner container

  static ContainerItem Data(std::string_view b) { return {Kind::Bytes, std::string(b), {}}; }
  static ContainerItem FromFile(std::string_view path) { return {Kind::File, std::string(path), {}}; }
  static ContainerItem Container(std::vector<ContainerItem> entries) {
    return {Kind::Nested, {}, std::move(entries)};
  }
};

// The 4-byte signed little-endian form of v.
std::string Int32Bytes(int32_t v);
// Marker + count + entries: the bytes a container of these entries takes.
uint64_t ContainerSize(const std::vector<ContainerItem>& entries);
// Writes a complete container to out. Throws std::runtime_error when a file cannot be
// read, an entry does not fit a 32-bit length, or writing fails.
void WriteContainer(std::FILE* out, const std::vector<ContainerItem>& entries);
// The same into memory (for small containers in tests).
std::string ContainerBytes(const std::vector<ContainerItem>& entries);

}  // namespace tp
