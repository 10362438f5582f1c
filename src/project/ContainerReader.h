#pragma once
// Reading the project container appended to a saver: a section marker, an entry count
// and length-prefixed entries (signed 32-bit little-endian), which may nest. Both
// operations stream through a fixed buffer; nothing is ever allocated from a length
// read from the file.
#include <array>
#include <cstdint>
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
