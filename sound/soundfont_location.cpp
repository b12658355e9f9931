// Finding the SoundFont of the MIDI drivers: the configured file, or the places where Debian's
// soundfont packages put theirs (the "default-GM.sf2" link that the installed General MIDI
// SoundFont packages keep first).
#include "sound/soundfont_location.h"

#include <iterator>

#include "core/internal.h"
#include "corvane/config.h"
#include "corvane/file.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane {
namespace {

constexpr int LITERAL_SIZE = 256;

constexpr const char *debian_places[] = {
    "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/soundfonts/default.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/soundfonts/FluidR3_GM.sf2",
};

const char *const *places = debian_places;
int place_count = static_cast<int>(std::size(debian_places));

}  // namespace

void set_soundfont_places(const char *const *new_places, int count) noexcept {
  if (new_places == nullptr) {
    places = debian_places;
    place_count = static_cast<int>(std::size(debian_places));
  } else {
    places = new_places;
    place_count = count > 0 ? count : 0;
  }
}

bool locate_soundfont(char *buffer, int size) noexcept {
  if (buffer == nullptr || size < 1) return false;
  char section[LITERAL_SIZE];
  char key[LITERAL_SIZE];
  const char *configured = config_get_string(literal("sound", section, LITERAL_SIZE),
                                             literal("soundfont", key, LITERAL_SIZE), nullptr);
  if (configured != nullptr && text_length(configured) > 0) {
    text_copy(buffer, size, configured);
    return true;
  }
  for (int i = 0; i < place_count; ++i) {
    char name[LITERAL_SIZE];
    const char *converted = literal(places[i], name, LITERAL_SIZE);
    if (exists(converted) != 0) {
      text_copy(buffer, size, converted);
      return true;
    }
  }
  set_error_text("No SoundFont found");
  return false;
}

}  // namespace corvane
