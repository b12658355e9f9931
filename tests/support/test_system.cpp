// Shared fixtures of the test suite.
#include "support/test_system.h"

#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace corvane::testing {

namespace {

test_system the_system;

int test_init() {
  ++the_system.init_calls;
  return 0;
}
void test_exit() { ++the_system.exit_calls; }
driver_list_entry *list_gfx() { return the_system.gfx_drivers; }
driver_list_entry *list_keyboard() { return the_system.keyboard_drivers; }
driver_list_entry *list_timer() { return the_system.timer_drivers; }
driver_list_entry *list_mouse() { return the_system.mouse_drivers; }
driver_list_entry *list_joystick() { return the_system.joystick_drivers; }
driver_list_entry *list_digi() { return the_system.digi_drivers; }
driver_list_entry *list_midi() { return the_system.midi_drivers; }

void *test_mutex_create() {
  if (the_system.refuse_mutexes) return nullptr;
  auto *mutex = new pthread_mutex_t;
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(mutex, &attributes);
  pthread_mutexattr_destroy(&attributes);
  ++the_system.mutexes_alive;
  return mutex;
}
void test_mutex_destroy(void *mutex) {
  if (mutex == nullptr) return;
  pthread_mutex_destroy(static_cast<pthread_mutex_t *>(mutex));
  delete static_cast<pthread_mutex_t *>(mutex);
  --the_system.mutexes_alive;
}
void test_mutex_lock(void *mutex) { pthread_mutex_lock(static_cast<pthread_mutex_t *>(mutex)); }
void test_mutex_unlock(void *mutex) { pthread_mutex_unlock(static_cast<pthread_mutex_t *>(mutex)); }
void test_yield() {
  ++the_system.yield_calls;
  sched_yield();
}

}  // namespace

test_system &the_test_system() { return the_system; }

void give_test_system_mutexes() {
  if (the_system.driver.init == nullptr) reset_test_system();
  system_driver &d = the_system.driver;
  d.mutex_create = test_mutex_create;
  d.mutex_destroy = test_mutex_destroy;
  d.mutex_lock = test_mutex_lock;
  d.mutex_unlock = test_mutex_unlock;
  d.yield_cpu = test_yield;
}

void reset_test_system() {
  the_system = test_system{};
  system_driver &d = the_system.driver;
  d.id = CORVANE_ID('T', 'E', 'S', 'T');
  d.name = empty_string;
  d.description = empty_string;
  d.ascii_label = "Test system";
  d.init = test_init;
  d.exit = test_exit;
  d.list_gfx_drivers = list_gfx;
  d.list_digi_drivers = list_digi;
  d.list_midi_drivers = list_midi;
  d.list_keyboard_drivers = list_keyboard;
  d.list_mouse_drivers = list_mouse;
  d.list_joystick_drivers = list_joystick;
  d.list_timer_drivers = list_timer;
}

int start_with_test_system() {
  if (the_system.driver.init == nullptr) reset_test_system();
  const int result = startup_corvane(SYSTEM_NONE, nullptr, nullptr);
  if (result != 0) return result;
  current_system_driver = &the_system.driver;
  return the_system.driver.init();
}

scoped_work_dir::scoped_work_dir() {
  std::vector<char> cwd(4096);
  if (getcwd(cwd.data(), cwd.size()) != nullptr) previous_ = cwd.data();
  const char *base = std::getenv("CORVANE_TEST_TMP");
  std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/work-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = name.data();
  if (chdir(path_.c_str()) != 0) throw std::runtime_error("chdir failed");
}

scoped_work_dir::~scoped_work_dir() {
  if (!previous_.empty()) (void)chdir(previous_.c_str());
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool file_exists_on_disk(const std::string &path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

void write_file(const std::string &path, const std::string &contents) {
  std::ofstream out(path, std::ios::binary);
  out << contents;
}

}  // namespace corvane::testing
