#pragma once
// Path text helpers. Project data carries paths of the authoring machine ("C:\Pics\a.jpg"),
// so every helper here splits on both '\' and '/'.
#include <string>
#include <string_view>

namespace tp {

constexpr bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

// The part after the last separator ("C:\a\b.mpp" -> "b.mpp").
std::string BareFileName(std::string_view path);
// Everything up to and including the last separator ("" when there is none).
std::string DirectoryOf(std::string_view path);
// From the last '.' of the bare file name on (".scr"), or "" when it has none.
std::string ExtensionOf(std::string_view path);
// path with its extension (from the last '.' of the bare name on) replaced by ext,
// or ext appended when it has none.
std::string ChangeExtension(std::string_view path, std::string_view ext);
// dir with a '/' at the end unless it already ends with a separator (or is empty).
std::string WithTrailingSeparator(std::string_view dir);
// dir + name with exactly one separator between them.
std::string JoinPath(std::string_view dir, std::string_view name);

// A bare name that is safe to create inside a folder: the part after the last separator,
// and empty when that part is empty, ".", "..", or holds a control character.
std::string SafeBareFileName(std::string_view path);

// The system temporary directory with a trailing '/': $TMPDIR when set, else /tmp.
std::string TempDirectory();

// The user's folders of the XDG base directories, without a trailing '/': the variable
// when it holds an absolute path, else HOME's default (".config", ".cache"); "" when
// neither is known.
std::string UserConfigHome();
std::string UserCacheHome();
// $HOME, or "" when unset.
std::string HomeFolder();

}  // namespace tp
