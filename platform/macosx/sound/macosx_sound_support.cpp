// The checks every Mac OS X sound driver makes before it opens.
#include "platform/macosx/sound/macosx_sound_support.h"

#include "corvane/system.h"
#include "platform/macosx/appkit_version.h"

namespace corvane::macosx {

namespace {
constexpr int last_appkit_before_jaguar = 620;
}

bool refuse_input(int input) noexcept {
  if (input == 0) return false;
  set_error_text("Input is not supported");
  return true;
}

bool core_audio_available() noexcept {
  return static_cast<int>(NSAppKitVersionNumber) > last_appkit_before_jaguar;
}

bool require_core_audio() noexcept {
  if (core_audio_available()) return true;
  set_error_text("MacOS X.2 or newer required by this driver");
  return false;
}

}  // namespace corvane::macosx
