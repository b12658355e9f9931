# The simulated Mac OS X build: with CORVANE_MACOSX_STANDIN the library is built for Mac OS X from
# the platform-independent folders, platform/null's portable drivers and platform/macosx, whose
# sources are compiled against the stand-in frameworks of platform/macosx/standin instead of the
# real ones (Objective-C by GCC's front end, on GCC's own runtime). The Linux host, SDL2 and
# FluidSynth folders are left out; the tests are the program macosx_tests.
option(CORVANE_MACOSX_STANDIN "Build for Mac OS X against the stand-in frameworks (tests only)" OFF)

# The application host, the system driver and the drivers of platform/macosx: display, keyboard,
# mouse, joystick, and sound.
set(CORVANE_PLATFORM_MACOSX_SOURCES
  platform/macosx/application_host.mm
  platform/macosx/hid_pointing_device.cpp
  platform/macosx/hid_registry.cpp
  platform/macosx/host_state.mm
  platform/macosx/joystick/hid_joystick.cpp
  platform/macosx/mac_key_table.cpp
  platform/macosx/macosx_driver_lists.cpp
  platform/macosx/osx_cpu.cpp
  platform/macosx/osx_keyboard.mm
  platform/macosx/osx_mouse.mm
  platform/macosx/osx_mutex.cpp
  platform/macosx/osx_signals.cpp
  platform/macosx/osx_system_driver.mm
  platform/macosx/quartz_cursor.mm
  platform/macosx/quartz_fullscreen.mm
  platform/macosx/quartz_rows.cpp
  platform/macosx/quartz_window.mm
  platform/macosx/sound/coreaudio_digi_driver.cpp
  platform/macosx/sound/coreaudio_midi_driver.cpp
  platform/macosx/sound/macosx_sound_support.cpp
  platform/macosx/sound/quicktime_midi_driver.cpp
  platform/macosx/sound/sound_manager_digi_driver.cpp
  platform/macosx/window_server.mm)

# The process entry, an object of its own: it joins a program only when the program has no main
# of its own (its main is renamed by the public header), so the test program, which has one, links
# the library without it.
set(CORVANE_PLATFORM_MACOSX_ENTRY_SOURCES
  platform/macosx/process_entry.mm)

# The stand-in frameworks: Foundation and AppKit, Carbon, Core Graphics, CoreAudio, AudioUnit and
# AudioToolbox, the Sound Manager, QuickTime's note allocator, IOKit HID with CoreFoundation.
set(CORVANE_MACOSX_STANDIN_SOURCES
  platform/macosx/standin/appkit.mm
  platform/macosx/standin/appkit_version.c
  platform/macosx/standin/appkit_window.mm
  platform/macosx/standin/audio_toolbox.cpp
  platform/macosx/standin/audio_unit.cpp
  platform/macosx/standin/carbon.cpp
  platform/macosx/standin/cg_remote_operation.cpp
  platform/macosx/standin/core_foundation.cpp
  platform/macosx/standin/core_graphics.mm
  platform/macosx/standin/coreaudio.cpp
  platform/macosx/standin/display_services.mm
  platform/macosx/standin/foundation.mm
  platform/macosx/standin/gestalt.cpp
  platform/macosx/standin/iokit_hid.cpp
  platform/macosx/standin/mach.cpp
  platform/macosx/standin/quicktime.cpp
  platform/macosx/standin/sound_manager.cpp
  platform/macosx/standin/standin_state.cpp)

if(CORVANE_MACOSX_STANDIN)
  # The Objective-C files are GCC's: the stand-in is written for GCC's runtime.
  if(NOT CMAKE_OBJC_COMPILER)
    set(CMAKE_OBJC_COMPILER ${CMAKE_C_COMPILER})
  endif()
  if(NOT CMAKE_OBJCXX_COMPILER)
    set(CMAKE_OBJCXX_COMPILER ${CMAKE_CXX_COMPILER})
  endif()
  enable_language(OBJC OBJCXX)
  # Neither SDL2 nor FluidSynth is part of a Mac build.
  set(CORVANE_WITH_SDL2 OFF)
  set(CORVANE_WITH_FLUIDSYNTH OFF)
  set(CORVANE_HOST_NAME "MacOS X")
  # String literals are the stand-in Foundation's constant strings. CMake knows no language
  # standard flags for GCC's Objective-C++, so the C++ standard is given here.
  add_compile_options($<$<COMPILE_LANGUAGE:OBJC,OBJCXX>:-fconstant-string-class=NSConstantString>
    $<$<COMPILE_LANGUAGE:OBJCXX>:-std=c++20>)
endif()

# Adds the Mac parts to the library targets: called by CorvaneSources once they exist.
function(corvane_add_macosx_targets)
  set(_include ${PROJECT_SOURCE_DIR}/platform/macosx/standin/include)
  # Only the Mac sources see the stand-in's headers, so the platform-independent sources compile
  # with exactly the flags of the Linux sanitizer build and a compiler cache can share them.
  set(_mac_sources ${CORVANE_PLATFORM_MACOSX_SOURCES} ${CORVANE_MACOSX_STANDIN_SOURCES})
  list(TRANSFORM _mac_sources PREPEND "${PROJECT_SOURCE_DIR}/")
  set_property(SOURCE ${_mac_sources} APPEND PROPERTY COMPILE_OPTIONS "-isystem${_include}")
  target_link_libraries(corvane_objects PUBLIC objc)
  list(TRANSFORM CORVANE_PLATFORM_MACOSX_ENTRY_SOURCES PREPEND "${PROJECT_SOURCE_DIR}/")
  add_library(corvane_macosx_entry OBJECT ${CORVANE_PLATFORM_MACOSX_ENTRY_SOURCES})
  set_target_properties(corvane_macosx_entry PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_include_directories(corvane_macosx_entry SYSTEM PRIVATE ${_include})
  target_include_directories(corvane_macosx_entry PRIVATE ${PROJECT_SOURCE_DIR}/include
    ${PROJECT_SOURCE_DIR})
  corvane_set_warnings(corvane_macosx_entry)
  target_sources(corvane PRIVATE $<TARGET_OBJECTS:corvane_macosx_entry>)
  target_link_libraries(corvane PRIVATE objc)
  # The tests script the stand-in through its headers.
  target_include_directories(corvane_testing SYSTEM PUBLIC ${_include})
  target_link_libraries(corvane_testing PUBLIC objc)
  # A program built against this library has its main renamed by the public header.
  target_compile_definitions(corvane INTERFACE CORVANE_MACOSX_HOST=1)
endfunction()
