// Saving the chosen joystick driver to the configuration ("joytype" in section "joystick") and
// installing it again from there.
#include "corvane/config.h"
#include "corvane/joystick.h"
#include "input/joystick_internal.h"

namespace corvane {
namespace {

constexpr const char *joystick_section = "joystick";
constexpr const char *joystick_type_key = "joytype";

bool has_name(const char *filename) noexcept { return filename != nullptr && filename[0] != 0; }

// With a file name, makes that file the current configuration until the object goes.
class config_file_scope {
 public:
  explicit config_file_scope(const char *filename) noexcept : pushed_(has_name(filename)) {
    if (!pushed_) return;
    save_config_state();
    use_config_file(filename);
  }
  ~config_file_scope() {
    if (pushed_) restore_config_state();
  }
  config_file_scope(const config_file_scope &) = delete;
  config_file_scope &operator=(const config_file_scope &) = delete;

 private:
  bool pushed_;
};

}  // namespace
}  // namespace corvane

extern "C" {

int save_joystick_data(const char *filename) noexcept {
  using namespace corvane;
  config_file_scope scope(filename);
  config_set_id(joystick_section, joystick_type_key, joystick_driver_id);
  if (current_joystick_driver != nullptr && current_joystick_driver->save_data != nullptr) {
    (void)current_joystick_driver->save_data();
  }
  return 0;
}

int load_joystick_data(const char *filename) noexcept {
  using namespace corvane;
  joystick_loading = true;
  if (joystick_installed != 0) remove_joystick();
  int result;
  {
    config_file_scope scope(filename);
    const int id = config_get_id(joystick_section, joystick_type_key, -1);
    if (id < 0) {
      joystick_driver_id = 0;
      result = -1;
    } else {
      result = install_joystick(id);
      if (result == 0 && current_joystick_driver != nullptr &&
          current_joystick_driver->load_data != nullptr) {
        result = current_joystick_driver->load_data();
      }
    }
  }
  joystick_loading = false;
  return result;
}

}  // extern "C"
