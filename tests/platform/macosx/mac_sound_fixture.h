// The fixture of the Mac OS X sound driver tests: the library with the test system handing out the
// Mac build's own sound lists (digital 'DCA ', 'SNDM', then the offline driver by id only, the
// reference output; MIDI 'MCA ', 'QTM '), and every stand-in framework reset to a Mac OS X 10.5
// with nothing failing.
#ifndef CORVANE_TESTS_PLATFORM_MACOSX_MAC_SOUND_FIXTURE_H
#define CORVANE_TESTS_PLATFORM_MACOSX_MAC_SOUND_FIXTURE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "corvane/config.h"
#include "platform/macosx/sound/macosx_audio_drivers.h"
#include "platform/null/offline_digi_driver.h"
#include "standin/appkit.h"
#include "standin/audio.h"
#include "standin/gestalt.h"
#include "standin/quicktime.h"
#include "standin/sound_manager.h"
#include "support/test_sound_drivers.h"
#include "support/test_system.h"

namespace mac_sound {

using namespace corvane::macosx;

class fixture : public corvane::testing::sound_test {
 protected:
  void SetUp() override {
    standin::audio_reset();
    standin::sound_manager_reset();
    standin::quicktime_reset();
    standin_gestalt_reset();
    standin_set_appkit_version(949.0);
    corvane::testing::sound_test::SetUp();
    corvane::testing::the_test_system().digi_drivers = default_digi_driver_list;
    corvane::testing::the_test_system().midi_drivers = default_midi_driver_list;
    use_config_data("[sound]\n", 8);  // settings of the test's own, in memory
  }
};

inline bool has_line(const std::vector<std::string> &lines, const std::string &line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace mac_sound

#endif
