#include "library/ShowOwner.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <string>

namespace tp {

int64_t ProcessStartTime(int64_t pid) {
  if (pid <= 0) return -1;
  const std::string path = "/proc/" + std::to_string(pid) + "/stat";
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  char buffer[1024];
  const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
  ::close(fd);
  if (n <= 0) return -1;
  buffer[n] = 0;
  // The command name in parentheses may hold spaces and ')': fields follow the last ')'.
  const std::string text(buffer, size_t(n));
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return -1;
  // After ')' come field 3 (state) onwards; the start time is field 22.
  size_t at = close + 1;
  for (int field = 3; field < 22; ++field) {
    at = text.find(' ', at + 1);
    if (at == std::string::npos) return -1;
  }
  return std::strtoll(text.c_str() + at + 1, nullptr, 10);
}

bool OwnerIsAlive(int64_t pid, int64_t start) {
  const int64_t now = ProcessStartTime(pid);
  return now >= 0 && now == start;
}

ShowOwner CurrentShowOwner() {
  ShowOwner owner;
  owner.pid = ::getpid();
  owner.start = ProcessStartTime(owner.pid);
  std::random_device device;
  owner.token = (int64_t(device()) << 31) ^ int64_t(device());
  if (owner.token == 0) owner.token = 1;
  return owner;
}

}  // namespace tp
