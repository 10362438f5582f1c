#pragma once
// Writing a saver to an open file: the player, then the project container, laid out as
// ContainerWriter lays it out, with the stored files streamed in one after the other so
// that they can be written while later pictures are still being checked.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "project/ContainerWriter.h"

namespace tp::pack {

// The project container from its start up to the first stored file's length: the
// top-level marker and count, the settings container, the names and the head of the
// files container, whose entries will have the given sizes. Throws std::runtime_error
// when an entry does not fit a 32-bit length.
std::string ProjectHead(const std::vector<ContainerItem>& settingsEntries, const std::string& names,
                        const std::vector<uint64_t>& fileSizes);
// The 4-byte length that starts an entry of size bytes.
std::string EntryLength(uint64_t size);

class SaverStream {
 public:
  // fd is open for writing at its start; name is the output, for messages.
  SaverStream(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}

  void Write(std::string_view bytes);
  // Appends the file at path, which must hold exactly size bytes (else FileError: it
  // changed while it was packed); copied by the kernel where it can.
  void Append(const std::string& path, uint64_t size);
  // Empties the output to write it again.
  void Restart();

 private:
  int fd_;
  std::string name_;
};

}  // namespace tp::pack
