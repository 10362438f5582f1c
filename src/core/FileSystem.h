#pragma once
// File system helpers for project files on Linux.
#include <cstddef>
#include <string>
#include <string_view>

namespace tp {

bool FileExists(const std::string& path);       // a regular file (following links)
bool DirectoryExists(const std::string& path);
// Deletes a file; a missing file is not an error. True when the file is gone.
bool RemoveFile(const std::string& path);
// Reads a whole regular file (links followed) of at most kMaxReadFileBytes through
// ReadWholeFile; false when it cannot.
inline constexpr size_t kMaxReadFileBytes = size_t(1) << 30;
bool ReadFile(const std::string& path, std::string& out);
// Creates or truncates path with the bytes; false on failure.
bool WriteFile(const std::string& path, std::string_view bytes);

// Finds relative (split on '\' and '/') under folder, matching every component without
// regard to ASCII case; an exact match is preferred. Returns the real path, or "" when
// nothing matches. relative may also be a bare name.
std::string FindFileIgnoringCase(std::string_view folder, std::string_view relative);

}  // namespace tp
