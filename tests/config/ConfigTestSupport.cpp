#include "config/ConfigTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace tp::test {
namespace {

std::unique_ptr<QApplication>& Instance() {
  static std::unique_ptr<QApplication> app;
  return app;
}

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { App(); }
  void TearDown() override { Instance().reset(); }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

QApplication& App() {
  static int argc = 1;
  static char name[] = "tests_config";
  static char* argv[] = {name, nullptr};
  if (!Instance()) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    Instance() = std::make_unique<QApplication>(argc, argv);
  }
  return *Instance();
}

}  // namespace tp::test
