#include "core/Paths.h"

#include <cstdlib>

namespace tp {
namespace {
size_t LastSeparator(std::string_view path) {
  for (size_t i = path.size(); i-- > 0;)
    if (IsPathSeparator(path[i])) return i;
  return std::string_view::npos;
}
}  // namespace

std::string BareFileName(std::string_view path) {
  size_t p = LastSeparator(path);
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string DirectoryOf(std::string_view path) {
  size_t p = LastSeparator(path);
  return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string ExtensionOf(std::string_view path) {
  size_t sep = LastSeparator(path);
  size_t start = sep == std::string_view::npos ? 0 : sep + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < start) return std::string();
  return std::string(path.substr(dot));
}

std::string ChangeExtension(std::string_view path, std::string_view ext) {
  std::string current = ExtensionOf(path);
  std::string out(path.substr(0, path.size() - current.size()));
  out += ext;
  return out;
}

std::string WithTrailingSeparator(std::string_view dir) {
  std::string out(dir);
  if (!out.empty() && !IsPathSeparator(out.back())) out += '/';
  return out;
}

std::string JoinPath(std::string_view dir, std::string_view name) {
  while (!name.empty() && IsPathSeparator(name.front())) name.remove_prefix(1);
  if (dir.empty()) return std::string(name);
  return WithTrailingSeparator(dir) + std::string(name);
}

std::string SafeBareFileName(std::string_view path) {
  std::string name = BareFileName(path);
  if (name.empty() || name == "." || name == "..") return std::string();
  for (char c : name)
    if ((unsigned char)c < 32 || c == 127) return std::string();
  return name;
}

std::string TempDirectory() {
  const char* t = std::getenv("TMPDIR");
  std::string dir = (t && *t) ? t : "/tmp";
  return WithTrailingSeparator(dir);
}

std::string HomeFolder() {
  const char* h = std::getenv("HOME");
  return (h && *h) ? std::string(h) : std::string();
}

namespace {
std::string XdgHome(const char* variable, const char* underHome) {
  if (const char* v = std::getenv(variable); v && *v == '/') return v;
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : JoinPath(home, underHome);
}
}  // namespace

std::string UserConfigHome() { return XdgHome("XDG_CONFIG_HOME", ".config"); }
std::string UserCacheHome() { return XdgHome("XDG_CACHE_HOME", ".cache"); }

}  // namespace tp
