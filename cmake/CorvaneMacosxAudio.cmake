# The Mac OS X sound drivers and the IOKit HID joystick driver, built for now in the Linux build
# against the stand-in frameworks of platform/macosx/standin, with their test program (label
# "macosx"). The lists are plain so that the simulated-Mac build can take them over as they are.

# The drivers, written against the platform's own interfaces.
set(CORVANE_MACOSX_AUDIO_SOURCES
  platform/macosx/sound/coreaudio_digi_driver.cpp
  platform/macosx/sound/coreaudio_midi_driver.cpp
  platform/macosx/sound/macosx_audio_drivers.cpp
  platform/macosx/sound/macosx_sound_support.cpp
  platform/macosx/sound/quicktime_midi_driver.cpp
  platform/macosx/sound/sound_manager_digi_driver.cpp
  platform/macosx/joystick/hid_joystick.cpp)

# The stand-in frameworks they are compiled against here, scriptable from tests.
set(CORVANE_MACOSX_AUDIO_STANDIN_SOURCES
  platform/macosx/standin/appkit_version.c
  platform/macosx/standin/audio_toolbox.cpp
  platform/macosx/standin/audio_unit.cpp
  platform/macosx/standin/core_foundation.cpp
  platform/macosx/standin/coreaudio.cpp
  platform/macosx/standin/gestalt.cpp
  platform/macosx/standin/iokit_hid.cpp
  platform/macosx/standin/quicktime.cpp
  platform/macosx/standin/sound_manager.cpp)

# Until they join the simulated Mac build, they are built and tested beside the Linux library.
if(NOT CORVANE_BUILD_TESTS OR CORVANE_MACOSX_STANDIN)
  return()
endif()

find_package(GTest REQUIRED)
include(GoogleTest)

set(_macosx_audio_sources ${CORVANE_MACOSX_AUDIO_SOURCES} ${CORVANE_MACOSX_AUDIO_STANDIN_SOURCES})
list(TRANSFORM _macosx_audio_sources PREPEND "${PROJECT_SOURCE_DIR}/")
add_library(corvane_macosx_audio STATIC ${_macosx_audio_sources})
target_include_directories(corvane_macosx_audio
  PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include
         ${PROJECT_SOURCE_DIR}/platform/macosx/standin/include)
target_compile_definitions(corvane_macosx_audio PRIVATE CORVANE_BUILDING_LIBRARY=1)
target_link_libraries(corvane_macosx_audio PUBLIC corvane_testing Threads::Threads)
corvane_set_warnings(corvane_macosx_audio)

file(GLOB _macosx_audio_tests CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/tests/platform/macosx_audio/*_test.cpp)
if(_macosx_audio_tests)
  add_executable(macosx_audio_tests ${_macosx_audio_tests})
  target_link_libraries(macosx_audio_tests PRIVATE corvane_macosx_audio corvane_test_support
                                                   GTest::gtest_main)
  corvane_set_warnings(macosx_audio_tests)
  gtest_discover_tests(macosx_audio_tests
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS macosx TIMEOUT 300
               ENVIRONMENT "HOME=${PROJECT_BINARY_DIR}/tests/home;CORVANE_TEST_TMP=${PROJECT_BINARY_DIR}/tests")
endif()
