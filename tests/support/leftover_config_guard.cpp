// A guard in every test program: no test may leave a configuration file beside the test program.
// The main configuration is written back next to the program when no other file was found, and a
// file left there would be read by every later test, so the guard fails the test that wrote it
// and removes the file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

std::string beside_program(const char *name) {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  path[length] = 0;
  std::string dir(path);
  dir.erase(dir.find_last_of('/') + 1);
  return dir + name;
}

class leftover_config_guard : public ::testing::Environment {
 public:
  void SetUp() override { check("before"); }
  void TearDown() override { check("after"); }

 private:
  static void check(const char *when) {
    const std::string path = beside_program("corvane.cfg");
    if (path.empty() || access(path.c_str(), F_OK) != 0) return;
    std::remove(path.c_str());
    ADD_FAILURE() << "a configuration file was found beside the test program " << when
                  << " the tests ran (" << path
                  << "); a test changed the configuration without giving it a file of its own";
  }
};

// Registered when the support library is linked into a test program.
[[maybe_unused]] ::testing::Environment *const registered =
    ::testing::AddGlobalTestEnvironment(new leftover_config_guard);

}  // namespace
