#include "platform/MessageBox.h"

#include <mutex>

namespace tp {
namespace {

std::mutex& TitleMutex() {
  static std::mutex m;
  return m;
}
std::string& Title() {
  static std::string title;
  return title;
}

}  // namespace

void SetApplicationTitle(const std::string& title) {
  std::lock_guard<std::mutex> lock(TitleMutex());
  Title() = title;
}

std::string ApplicationTitle() {
  std::lock_guard<std::mutex> lock(TitleMutex());
  return Title();
}

}  // namespace tp
