#pragma once
// Reading and writing small files of our own next to files a stranger may have placed:
// reads take only regular files of bounded size and never follow a link; writes go to a
// fresh file in the same folder that is then renamed into place, so a link standing at
// the target's name is replaced, never written through.
#include <string>
#include <string_view>
#include <sys/types.h>

namespace tp {

enum class ReadResult { Ok, Missing, NotRegular, TooLarge, Failed };

// Reads path into out when it is a regular file (not a link, FIFO or device) of at most
// maxBytes. Opening never blocks and never follows a link in the last component.
ReadResult ReadRegularFile(const std::string& path, size_t maxBytes, std::string& out);

// Writes bytes to a new file beside path and renames it over path. The new file gets
// the permission bits of the regular file it replaces (without set-id and sticky bits),
// else 0644 masked by the umask. False, and path untouched, when any step fails.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Writes all of data to fd, going on after interrupted or partial writes.
bool WriteAll(int fd, std::string_view data);

// True when the process may create files in the folder.
bool FolderIsWritable(const std::string& folder);

// Creates the folder and its missing parents (0755 masked by the umask).
bool MakeFolders(const std::string& folder);

}  // namespace tp
