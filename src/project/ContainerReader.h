#pragma once
// Reading the project container appended to a saver: a section marker, an entry count
// and length-prefixed entries (signed 32-bit little-endian), which may nest. One walk of
// the entries serves both readers: the player's extraction, which copies what it can of
// a damaged container, and ContainerFile, which reads a saver in place for the tools and
// refuses damage. Copies stream through the kernel or a fixed buffer; nothing is ever
// allocated from a length read from the file unless the caller bounds it.
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tp {

// The marker as the program holds it. On disk every character code is one higher.
inline constexpr char kPlainSectionMarker[] = "{MpRESROURCE}";
inline constexpr int kSectionMarkerLength = 13;

// The on-disk marker bytes, computed at run time so that the program image never holds
// them (a bare player must not find a marker inside itself).
std::array<uint8_t, kSectionMarkerLength> SectionMarkerBytes();

struct SectionMarker {
  bool found = false;
  int64_t offset = 0;      // position of the first byte after the marker
  int32_t entryCount = 0;  // the 4 bytes at offset (0 when the file ends before them)
};

// Scans the file from byte 0 for the first marker. A byte that breaks a partial match
// is tried again as the first marker byte, so a marker right after a stray first byte
// is found.
SectionMarker FindSectionMarker(const std::string& path);

// Where an entry's bytes lie in the file (the length cut at the end of the file).
struct ContainerEntry {
  int64_t offset = 0;
  int64_t length = 0;
};

// The entries of the container whose marker ends at afterMarker (its count comes next),
// within [afterMarker, end), at most maxEntries of them. Walking stops at a negative
// length; an entry running past end is cut there and ends the walk.
struct ContainerWalk {
  std::vector<ContainerEntry> entries;
  int32_t count = 0;     // the count the container states
  bool damaged = false;  // a negative count or length, an entry past the end, fewer entries than stated
};
ContainerWalk WalkContainer(int fd, int64_t afterMarker, int64_t end, int64_t maxEntries);

// A damaged container, for readers that refuse one.
class ContainerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A saver read in place: where each entry of its project container and of the
// containers nested in it lies, and their bytes on request. Nothing is written to disk.
// Reads never move a shared file position, so several threads may copy at once.
class ContainerFile {
 public:
  // Opens the file (never blocking on a FIFO) and finds the project container's marker;
  // throws ContainerError when it is not a regular file or holds no project.
  explicit ContainerFile(const std::string& path);
  ~ContainerFile();
  ContainerFile(const ContainerFile&) = delete;
  ContainerFile& operator=(const ContainerFile&) = delete;

  int64_t size() const { return size_; }
  int64_t projectOffset() const { return projectOffset_; }  // where the project container starts
  // The top-level entries; throws ContainerError when the container is damaged.
  std::vector<ContainerEntry> Top() const { return Entries(projectOffset_, size_); }
  // The entries of a container stored as an entry; throws ContainerError when it is not one.
  std::vector<ContainerEntry> Nested(const ContainerEntry& container) const {
    return Entries(container.offset, container.offset + container.length);
  }
  // The bytes of an entry; throws ContainerError when it is longer than limit.
  std::string Read(const ContainerEntry& entry, int64_t limit) const;
  // Copies an entry to fd (at its position); throws std::runtime_error when it cannot.
  void CopyTo(const ContainerEntry& entry, int fd) const;

 private:
  // The container whose marker starts exactly at start, ending at end.
  std::vector<ContainerEntry> Entries(int64_t start, int64_t end) const;

  int fd_ = -1;
  int64_t size_ = 0;
  int64_t projectOffset_ = 0;
};

// Copies entry k of the container in path to outputPaths[k], for the first
// min(entry count, outputPaths.size()) entries. Each output file is created new. A
// negative entry length ends the extraction; a length past the end of the file copies
// what is there. Paths left empty skip their entry (it is read past, not written).
// Returns the places of the entries it went through.
std::vector<ContainerEntry> ExtractEntries(const std::string& path, const std::vector<std::string>& outputPaths);

// The same for a container stored as an entry of another one: extracts from the bytes of
// `container` in path exactly what ExtractEntries would from a file holding just them.
void ExtractNestedEntries(const std::string& path, const ContainerEntry& container,
                          const std::vector<std::string>& outputPaths);

}  // namespace tp
