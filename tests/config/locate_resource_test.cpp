// The resource search: resource directories by priority, the program's directory, environment
// variables, the system driver's hook, data files, and the standard places of the platform.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/path_text.h"
#include "core/exit_functions.h"
#include "corvane/file.h"
#include "corvane/system.h"
#include "file/file_test_support.h"
#include "support/env_guard.h"
#include "support/test_system.h"

namespace {

using corvane::testing::env_guard;
using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;

std::string program_path;
void test_executable_path(char *buffer, int size) {
  std::snprintf(buffer, static_cast<size_t>(size), "%s", program_path.c_str());
}

std::string hook_answer;
std::string hook_only_for;  // when set, the hook knows only this resource
std::string hook_asked;
int test_hook(char *dest, const char *resource, int size) {
  hook_asked = resource;
  if (hook_answer.empty() || (!hook_only_for.empty() && hook_only_for != resource)) return -1;
  std::snprintf(dest, static_cast<size_t>(size), "%s", hook_answer.c_str());
  return 0;
}

bool exit_function_registered(void (*function)()) {
  for (auto *node = corvane::exit_func_head(); node != nullptr; node = node->next) {
    if (node->function == function) return true;
  }
  return false;
}

class LocateResourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
    auto &driver = corvane::testing::the_test_system().driver;
    driver.get_executable_path = test_executable_path;
    driver.locate_resource_hook = test_hook;
    hook_answer.clear();
    hook_only_for.clear();
    hook_asked.clear();
    for (const char *sub : {"bin", "a", "b", "env", "mine"}) ASSERT_EQ(mkdir(sub, 0755), 0);
    program_path = dir.file("bin/game");
  }
  void TearDown() override { shutdown_corvane(); }
  std::string locate(const char *name, const char *extension = nullptr,
                     const char *datafile = nullptr, const char *object = nullptr,
                     const char *variable = nullptr, const char *subdirectory = nullptr) {
    char dest[1024];
    if (locate_resource(dest, name, extension, datafile, object, variable, subdirectory,
                        sizeof dest) != 0) {
      return "<none>";
    }
    return dest;
  }
  scoped_work_dir dir;
  // Unset during each test, whatever the environment says, and put back after it.
  const env_guard corvane_env{"CORVANE", nullptr};
  const env_guard game_dir_env{"MY_GAME_DIR", nullptr};
};

TEST_F(LocateResourceTest, ResourcePathsAreSearchedByDescendingPriority) {
  write_file("a/thing.txt", "a");
  write_file("b/thing.txt", "b");
  EXPECT_EQ(set_resource_path(5, "a"), 1);
  EXPECT_EQ(set_resource_path(10, "b"), 1);
  EXPECT_EQ(locate("thing.txt"), "b/thing.txt");
  EXPECT_EQ(set_resource_path(10, nullptr), 1);
  EXPECT_EQ(locate("thing.txt"), "a/thing.txt");
  EXPECT_EQ(set_resource_path(10, nullptr), 0);  // nothing left to remove
  EXPECT_EQ(set_resource_path(5, "b\\"), 1);     // same priority: replaced, backslash fixed
  ASSERT_NE(corvane::resource_path_list(), nullptr);
  EXPECT_STREQ(corvane::resource_path_list()->path, "b/");
  EXPECT_EQ(corvane::resource_path_list()->next, nullptr);
}

TEST_F(LocateResourceTest, ListRegistersItsExitFunctionWhileNotEmpty) {
  EXPECT_FALSE(exit_function_registered(destroy_resource_path_list));
  set_resource_path(1, "a");
  set_resource_path(2, "b");
  EXPECT_TRUE(exit_function_registered(destroy_resource_path_list));
  set_resource_path(1, nullptr);
  EXPECT_TRUE(exit_function_registered(destroy_resource_path_list));
  set_resource_path(2, nullptr);
  EXPECT_FALSE(exit_function_registered(destroy_resource_path_list));
  set_resource_path(3, "a");
  shutdown_corvane();
  EXPECT_EQ(corvane::resource_path_list(), nullptr);
  const std::string too_long(1100, 'x');
  EXPECT_EQ(set_resource_path(1, too_long.c_str()), 0);
}

TEST_F(LocateResourceTest, ProgramDirectoryComesBeforeTheHook) {
  write_file("bin/corvane.cfg", "[system]");
  hook_answer = "/etc/corvane.cfg";
  EXPECT_EQ(locate("corvane.cfg"), dir.file("bin/corvane.cfg"));
  EXPECT_EQ(hook_asked, "");
}

TEST_F(LocateResourceTest, EnvironmentDirectoriesThenTheHook) {
  write_file("env/level.map", "map");
  game_dir_env.set(dir.file("env").c_str());
  EXPECT_EQ(locate("level.map", nullptr, nullptr, nullptr, "MY_GAME_DIR"),
            dir.file("env/level.map"));
  game_dir_env.set(nullptr);
  corvane_env.set(dir.file("env").c_str());
  EXPECT_EQ(locate("level.map"), dir.file("env/level.map"));
  corvane_env.set(nullptr);
  hook_answer = "/somewhere/level.map";
  EXPECT_EQ(locate("level.map"), "/somewhere/level.map");
  EXPECT_EQ(hook_asked, "level.map");
}

TEST_F(LocateResourceTest, ExtensionIsAddedWhenTheNameHasNone) {
  write_file("bin/music.mid", "m");
  EXPECT_EQ(locate("music", "mid"), dir.file("bin/music.mid"));
  EXPECT_EQ(locate("music", ".mid"), dir.file("bin/music.mid"));
  EXPECT_EQ(locate("music.mid", "wav"), dir.file("bin/music.mid"));
}

TEST_F(LocateResourceTest, NamesWithDirectoriesAreTakenAsTheyStand) {
  write_file("mine/file.txt", "x");
  EXPECT_EQ(locate("mine/file.txt"), "mine/file.txt");
  EXPECT_EQ(locate("mine/missing.txt"), "<none>");
  write_file("mine/pack.dat",
             file_test::datafile_on_disk({file_test::datafile_object("intro_txt", "TEXT", "hi")}));
  EXPECT_EQ(locate("mine/pack.dat", nullptr, nullptr, "intro.txt"), "mine/pack.dat#intro_txt");
  EXPECT_EQ(locate("mine/pack.dat", nullptr, nullptr, "other"), "<none>");
  EXPECT_EQ(locate("mine/"), "<none>");
  write_file("mine/obj", "o");
  EXPECT_EQ(locate("mine/", nullptr, nullptr, "obj"), "mine/obj");
}

TEST_F(LocateResourceTest, ObjectsInDataFilesAreFoundWithDotsAsUnderscores) {
  write_file("bin/sounds.dat",
             file_test::datafile_on_disk({file_test::datafile_object("boom_wav", "SAMP", "b"),
                                          file_test::datafile_object("click", "SAMP", "c")}));
  EXPECT_EQ(locate("boom.wav", nullptr, "sounds.dat"), dir.file("bin/sounds.dat#boom_wav"));
  EXPECT_EQ(locate(nullptr, nullptr, "sounds.dat", "click"), dir.file("bin/sounds.dat#click"));
  // A data file found under its own name is the answer, before any object inside it.
  EXPECT_EQ(locate("sounds.dat", nullptr, nullptr, "click"), dir.file("bin/sounds.dat"));
  EXPECT_EQ(locate("missing.wav", nullptr, "sounds.dat"), "<none>");
}

TEST_F(LocateResourceTest, DataFileFoundByTheHookIsSearchedToo) {
  write_file("mine/lang.dat",
             file_test::datafile_on_disk({file_test::datafile_object("entext_cfg", "TEXT", "t")}));
  hook_answer = "mine/lang.dat";  // the hook knows only where the data file is
  hook_only_for = "lang.dat";
  EXPECT_EQ(locate("entext.cfg", nullptr, "lang.dat"), "mine/lang.dat#entext_cfg");
  EXPECT_EQ(locate("detext.cfg", nullptr, "lang.dat"), "<none>");
}

TEST_F(LocateResourceTest, ResultsThatDoNotFitAreNotFound) {
  write_file("bin/x.txt", "x");
  char dest[8];
  EXPECT_EQ(
      locate_resource(dest, "x.txt", nullptr, nullptr, nullptr, nullptr, nullptr, sizeof dest), -1);
  const std::string long_name(200, 'l');
  EXPECT_EQ(locate(long_name.c_str()), "<none>");
  EXPECT_EQ(locate_resource(nullptr, "x.txt", nullptr, nullptr, nullptr, nullptr, nullptr, 8), -1);
}

TEST_F(LocateResourceTest, StandardPlacesIncludeTheHiddenRcFile) {
  const env_guard home("HOME", dir.path());
  write_file(".gamerc", "[system]");
  char dest[256];
  EXPECT_EQ(corvane::locate_resource_in_standard_places(dest, "game.cfg", sizeof dest), 0);
  EXPECT_EQ(std::string(dest), dir.file(".gamerc"));
  write_file("game.cfg", "[system]");
  EXPECT_EQ(corvane::locate_resource_in_standard_places(dest, "game.cfg", sizeof dest), 0);
  EXPECT_EQ(std::string(dest), dir.file("game.cfg"));
  EXPECT_EQ(corvane::locate_resource_in_standard_places(dest, "no-such-file.dat", sizeof dest), -1);
  EXPECT_EQ(corvane::locate_resource_in_standard_places(dest, "", sizeof dest), -1);
}

}  // namespace
