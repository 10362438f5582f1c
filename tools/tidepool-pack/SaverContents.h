#pragma once
// Reading the project of a saver in place, for listing and unpacking: where each entry
// of the project container and its nested containers lies, and its bytes on request.
// Nothing is written to disk. The file is untrusted: every length is checked against
// the file before it is used, and a damaged container is refused.
#include <cstdint>
#include <string>
#include <vector>

namespace tp::pack {

struct EntryPlace {
  int64_t offset = 0;
  int64_t length = 0;
};

class SaverContents {
 public:
  // Opens the saver and indexes its project; throws FileError when the file cannot be
  // read, holds no project, or its containers are damaged.
  explicit SaverContents(const std::string& path);
  ~SaverContents();
  SaverContents(const SaverContents&) = delete;
  SaverContents& operator=(const SaverContents&) = delete;

  int64_t fileSize() const { return fileSize_; }
  int64_t projectOffset() const { return projectOffset_; }  // where the project container starts

  // The top-level entries (settings container, names, files container, UI description).
  const std::vector<EntryPlace>& top() const { return top_; }
  // The entries of a nested container; throws FileError when it is not one.
  std::vector<EntryPlace> Nested(const EntryPlace& container) const;
  // The bytes of an entry; throws FileError when it is longer than limit.
  std::string Read(const EntryPlace& entry, int64_t limit) const;
  // Copies an entry to a file descriptor, by the kernel where it can. Reads never move
  // a shared file position, so several threads may copy at once.
  void CopyToDescriptor(const EntryPlace& entry, int fd) const;

  // The project as the player reads it: the three settings texts (empty when the
  // settings container does not hold 3 or 4 entries), the fourth settings entry, the
  // file-name lines with the matching files, and the UI description.
  struct Project {
    int settingsCount = 0;
    std::string fileList, settings, ui;
    bool hasBuildEntry = false;
    std::string buildEntry;
    std::vector<std::string> names;   // lines of the file-name list
    std::vector<EntryPlace> files;    // files[k] for names[k] (fewer when the container has fewer)
    bool hasUiDescription = false;
    EntryPlace uiDescription;
  };
  Project ReadProject() const;

 private:
  std::vector<EntryPlace> Walk(int64_t start, int64_t end) const;
  void ReadAt(int64_t offset, void* out, size_t n) const;

  std::string path_;
  int fd_ = -1;
  int64_t fileSize_ = 0;
  int64_t projectOffset_ = 0;
  std::vector<EntryPlace> top_;
};

}  // namespace tp::pack
