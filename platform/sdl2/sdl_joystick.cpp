// The SDL2 game-controller driver: starting SDL's game-controller subsystem with the user's
// mapping file, giving each device a slot (a joystick number) that stays its own while the game
// runs, noticing devices plugged in and out at every poll, reading them, and rumble.
//
// Everything here runs on the program's thread inside the joystick calls. SDL is asked not to
// queue joystick events and not to update joysticks from the display's event pump, so that the
// devices change only when poll_joystick updates them.
#include "platform/sdl2/sdl_joystick.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "corvane/config.h"
#include "corvane/text.h"
#include "input/joystick_internal.h"
#include "input/joystick_values.h"
#include "platform/sdl2/sdl_controller_layout.h"

namespace corvane::sdl {
namespace {

// A joystick number and the device it belongs to. A slot once used stays that device's while it
// is unplugged, so that it finds its number again when it comes back.
struct slot {
  bool used = false;
  SDL_JoystickID instance = -1;  // the device in the slot now; -1 while unplugged
  SDL_GameController *controller = nullptr;
  SDL_Joystick *joystick = nullptr;  // the controller's joystick, or one opened on its own
  SDL_JoystickGUID guid{};
  std::string serial;
  std::vector<hid::joystick_part> parts;  // the element rules' layout of a joystick

  bool connected() const noexcept { return instance >= 0; }
};

std::array<slot, JOYSTICK_COUNT_MAX> slots;
// Devices that are plugged in but have no slot (all taken) or did not open; not tried again.
std::vector<SDL_JoystickID> passed_over;
bool subsystem_started = false;

// A file of mappings in SDL's game-controller format, added to SDL's own database.
constexpr const char *mapping_file_key = "controller_mappings";

bool same_guid(const SDL_JoystickGUID &a, const SDL_JoystickGUID &b) noexcept {
  return std::memcmp(a.data, b.data, sizeof a.data) == 0;
}

std::string serial_of(SDL_Joystick *joystick) {
  const char *serial = SDL_JoystickGetSerial(joystick);
  return serial != nullptr ? serial : "";
}

void close_device(slot &s) noexcept {
  if (s.controller != nullptr) {
    SDL_GameControllerClose(s.controller);
  } else if (s.joystick != nullptr) {
    SDL_JoystickClose(s.joystick);
  }
  s.controller = nullptr;
  s.joystick = nullptr;
  s.instance = -1;
}

void count_joysticks() noexcept {
  int count = 0;
  for (int n = 0; n < JOYSTICK_COUNT_MAX; ++n) {
    if (slots[static_cast<size_t>(n)].used) count = n + 1;
  }
  joystick_count = count;
}

// The slot for a device: the one it had before, else a slot never used, else (all taken) one
// whose device is away.
int slot_for(const SDL_JoystickGUID &guid, const std::string &serial) noexcept {
  for (int n = 0; n < JOYSTICK_COUNT_MAX; ++n) {
    const slot &s = slots[static_cast<size_t>(n)];
    if (s.used && !s.connected() && same_guid(s.guid, guid) && s.serial == serial) return n;
  }
  for (int n = 0; n < JOYSTICK_COUNT_MAX; ++n) {
    if (!slots[static_cast<size_t>(n)].used) return n;
  }
  for (int n = 0; n < JOYSTICK_COUNT_MAX; ++n) {
    if (!slots[static_cast<size_t>(n)].connected()) return n;
  }
  return -1;
}

// Lays the device of slot n out in its record.
void register_device(int n) {
  slot &s = slots[static_cast<size_t>(n)];
  joystick_info &joystick = joysticks[n];
  reset_joystick(joystick);
  s.parts.clear();
  if (s.controller != nullptr) {
    register_standard_layout(joystick);
    return;
  }
  const hid::element collection = joystick_collection(s.joystick);
  int number = n;
  hid::read_device_elements(std::span(&collection, 1), number, s.parts);
  hid::register_parts(s.parts, joysticks);
}

// Opens the device at an SDL device index into a slot; false when it has no slot or does not
// open.
bool add_device(int device_index) {
  const SDL_JoystickGUID guid = SDL_JoystickGetDeviceGUID(device_index);
  SDL_GameController *controller = nullptr;
  SDL_Joystick *joystick = nullptr;
  if (SDL_IsGameController(device_index)) {
    controller = SDL_GameControllerOpen(device_index);
    if (controller != nullptr) joystick = SDL_GameControllerGetJoystick(controller);
  } else {
    joystick = SDL_JoystickOpen(device_index);
  }
  if (joystick == nullptr) {
    if (controller != nullptr) SDL_GameControllerClose(controller);
    return false;
  }
  const std::string serial = serial_of(joystick);
  const int n = slot_for(guid, serial);
  if (n < 0) {
    if (controller != nullptr) {
      SDL_GameControllerClose(controller);
    } else {
      SDL_JoystickClose(joystick);
    }
    return false;
  }
  slot &s = slots[static_cast<size_t>(n)];
  s.used = true;
  s.instance = SDL_JoystickInstanceID(joystick);
  s.controller = controller;
  s.joystick = joystick;
  s.guid = guid;
  s.serial = serial;
  register_device(n);
  return true;
}

bool in_a_slot(SDL_JoystickID instance) noexcept {
  return std::any_of(slots.begin(), slots.end(),
                     [&](const slot &s) { return s.instance == instance; });
}

// Devices unplugged since the last look keep their slots with every input released.
void notice_removed_devices() noexcept {
  for (int n = 0; n < JOYSTICK_COUNT_MAX; ++n) {
    slot &s = slots[static_cast<size_t>(n)];
    if (!s.connected() || SDL_JoystickGetAttached(s.joystick)) continue;
    close_device(s);
    release_joystick_inputs(joysticks[n]);
    joysticks[n].flags |= JOYSTICK_FLAG_DISCONNECTED;
  }
}

void notice_added_devices() {
  std::vector<SDL_JoystickID> still_passed_over;
  const int devices = SDL_NumJoysticks();
  for (int i = 0; i < devices; ++i) {
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(i);
    if (instance < 0 || in_a_slot(instance)) continue;
    if (std::find(passed_over.begin(), passed_over.end(), instance) != passed_over.end() ||
        !add_device(i)) {
      still_passed_over.push_back(instance);
    }
  }
  passed_over = std::move(still_passed_over);
  count_joysticks();
}

void read_devices() noexcept {
  for (int n = 0; n < JOYSTICK_COUNT_MAX; ++n) {
    const slot &s = slots[static_cast<size_t>(n)];
    if (!s.connected()) continue;
    if (s.controller != nullptr) {
      read_standard_layout(s.controller, joysticks[n]);
    } else {
      read_joystick_parts(s.joystick, s.parts, joysticks);
    }
  }
}

int poll_devices() {
  if (!subsystem_started) return -1;
  SDL_GameControllerUpdate();
  notice_removed_devices();
  try {
    notice_added_devices();
  } catch (const std::bad_alloc &) {
    // The new device waits for a poll with memory to spare.
  }
  read_devices();
  return joystick_count > 0 ? 0 : -1;
}

void add_user_mappings() noexcept {
  const char *file = config_get_string("joystick", mapping_file_key, nullptr);
  if (file == nullptr || file[0] == 0) return;
  char utf8[1024];
  convert_text_into(file, ENCODING_CURRENT, utf8, ENCODING_UTF8, sizeof utf8);
  // A file that is missing or holds no valid line adds nothing; SDL's database still serves.
  (void)SDL_GameControllerAddMappingsFromFile(utf8);
}

void stop_subsystem() noexcept {
  if (!subsystem_started) return;
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  subsystem_started = false;
  // Nothing else of SDL in use (no display, no sound): SDL goes down whole, hints and all.
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

void close_driver() {
  for (slot &s : slots) close_device(s);
  slots = {};
  passed_over.clear();
  passed_over.shrink_to_fit();
  stop_subsystem();
}

int open_driver() {
  close_driver();
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
  // The game reads its controllers whether or not its window has the focus.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    char reason[256];
    convert_text_into(SDL_GetError(), ENCODING_UTF8, reason, ENCODING_CURRENT, sizeof reason);
    format_text_bounded(error_text, ERROR_TEXT_SIZE,
                        translate_text("Cannot start SDL game controllers: %s"), reason);
    return -1;
  }
  subsystem_started = true;
  SDL_JoystickEventState(SDL_IGNORE);
  SDL_GameControllerEventState(SDL_IGNORE);
  add_user_mappings();
  (void)poll_devices();
  if (joystick_count == 0 && !joystick_chosen_by_id()) {
    close_driver();
    return -1;
  }
  return 0;
}

int rumble(int n, int strong, int weak, int duration_ms) {
  if (n < 0 || n >= JOYSTICK_COUNT_MAX) return -1;
  const slot &s = slots[static_cast<size_t>(n)];
  if (!s.connected()) return -1;
  const auto low = static_cast<Uint16>(strong * 257);
  const auto high = static_cast<Uint16>(weak * 257);
  const Uint32 duration =
      duration_ms <= 0 || duration_ms > 0xFFFF ? 0xFFFF : static_cast<Uint32>(duration_ms);
  return SDL_JoystickRumble(s.joystick, low, high, duration) == 0 ? 0 : -1;
}

}  // namespace

joystick_driver_rec joystick_driver = {
    .id = JOYSTICK_SDL,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "SDL2 game controller",
    .open = open_driver,
    .close = close_driver,
    .poll = poll_devices,
    .save_data = nullptr,
    .load_data = nullptr,
    .calibrate_name = nullptr,
    .calibrate = nullptr,
    .rumble = rumble,
};

}  // namespace corvane::sdl
