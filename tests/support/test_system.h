// Shared fixtures: a system driver of the tests' own with fake device lists, and a scratch
// directory that a test works in.
#ifndef CORVANE_TESTS_SUPPORT_TEST_SYSTEM_H
#define CORVANE_TESTS_SUPPORT_TEST_SYSTEM_H

#include <string>

#include "corvane/system.h"

namespace corvane::testing {

// A system driver whose device lists a test fills in. init and exit are counted.
struct test_system {
  system_driver driver{};
  int init_calls = 0;
  int exit_calls = 0;
  driver_list_entry *gfx_drivers = empty_driver_list;
  driver_list_entry *keyboard_drivers = empty_driver_list;
  driver_list_entry *timer_drivers = empty_driver_list;
  driver_list_entry *mouse_drivers = empty_driver_list;
  driver_list_entry *joystick_drivers = empty_driver_list;
  driver_list_entry *digi_drivers = empty_driver_list;
  driver_list_entry *midi_drivers = empty_driver_list;
  // Kept by the optional operations of give_test_system_mutexes().
  int mutexes_alive = 0;
  int yield_calls = 0;
  bool refuse_mutexes = false;  // mutex_create returns null while set
};

// The one test system of the process; reset() gives it fresh counters and empty lists.
test_system &the_test_system();
void reset_test_system();

// Fills the test system's four mutex slots with recursive POSIX mutexes (counting in
// mutexes_alive how many exist) and its yield_cpu slot with a counting sched_yield. Call after
// reset_test_system() or start_with_test_system(), before installing timers or sound.
void give_test_system_mutexes();

// Starts the library with the 'NONE' driver, then makes the test system current in its place
// (its init is called). Returns start-up's result.
int start_with_test_system();

// Creates a fresh directory under the build tree (or /tmp) and makes it the working directory
// for the lifetime of the object.
class scoped_work_dir {
 public:
  scoped_work_dir();
  ~scoped_work_dir();
  scoped_work_dir(const scoped_work_dir &) = delete;
  scoped_work_dir &operator=(const scoped_work_dir &) = delete;

  const std::string &path() const { return path_; }
  // Full path of a file inside the directory.
  std::string file(const std::string &name) const { return path_ + "/" + name; }

 private:
  std::string previous_;
  std::string path_;
};

// Reads a whole file; empty when it does not exist.
std::string read_file(const std::string &path);
bool file_exists_on_disk(const std::string &path);
void write_file(const std::string &path, const std::string &contents);

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SUPPORT_TEST_SYSTEM_H
