# The library target, built from explicit source lists: one list per folder, so that a change to
# a folder touches only that folder's lines. The platform folders are chosen here, by folder, and
# nowhere else.

# ---- Device-independent modules -------------------------------------------------------------

set(CORVANE_CORE_SOURCES
  core/ascii_strings.cpp
  core/cpu.cpp
  core/diagnostics.cpp
  core/driver_list.cpp
  core/error.cpp
  core/exit_functions.cpp
  core/keyed_hash.cpp
  core/memory.cpp
  core/module_hooks.cpp
  core/object_types.cpp
  core/platform_queries.cpp
  core/random.cpp
  core/startup.cpp
  core/system_none.cpp)

set(CORVANE_TEXT_SOURCES
  text/ascii8.cpp
  text/ascii_run.cpp
  text/char_classes.cpp
  text/codepage.cpp
  text/conversion.cpp
  text/encoding_table.cpp
  text/error_string.cpp
  text/format.cpp
  text/format_arguments.cpp
  text/locale.cpp
  text/number_parse.cpp
  text/string_case.cpp
  text/string_compare.cpp
  text/string_copy.cpp
  text/string_index.cpp
  text/string_search.cpp
  text/string_support.cpp
  text/tokenize.cpp
  text/unicode16.cpp
  text/utf8.cpp)

set(CORVANE_FILE_SOURCES
  file/appended_data.cpp
  file/chunks.cpp
  file/datafile.cpp
  file/file_io.cpp
  file/integer_io.cpp
  file/lzss_decoder.cpp
  file/lzss_encoder.cpp
  file/packfile.cpp
  file/packfile_buffer.cpp
  file/packfile_stream.cpp
  file/password.cpp
  file/text_io.cpp)

set(CORVANE_CONFIG_SOURCES
  config/canonicalize.cpp
  config/config_argv.cpp
  config/config_flush.cpp
  config/config_get.cpp
  config/config_hooks.cpp
  config/config_list.cpp
  config/config_load.cpp
  config/config_parse.cpp
  config/config_set.cpp
  config/config_store.cpp
  config/config_text.cpp
  config/config_write.cpp
  config/file_attributes.cpp
  config/file_names.cpp
  config/find_files.cpp
  config/locate_resource.cpp
  config/path_text.cpp
  config/resource_path.cpp
  config/standard_resource_places.cpp
  config/translate.cpp
  config/wildcard.cpp)

# The files of gfx/ on the hot paths (blenders, run-length sprites, the scan conversion of rotated
# sprites and 3D polygons); see CORVANE_HOT_SOURCES.
set(CORVANE_GFX_HOT_SOURCES
  gfx/blend_modes.cpp
  gfx/blend_setters.cpp
  gfx/blender_state.cpp
  gfx/polygon3d.cpp
  gfx/rle_sprite.cpp
  gfx/rotate_quad.cpp)

set(CORVANE_GFX_SOURCES
  ${CORVANE_GFX_HOT_SOURCES}
  gfx/arc.cpp
  gfx/bitmap.cpp
  gfx/bitmap_lock.cpp
  gfx/blit.cpp
  gfx/circle.cpp
  gfx/clip3d.cpp
  gfx/color.cpp
  gfx/default_font.cpp
  gfx/depth_buffer.cpp
  gfx/dither.cpp
  gfx/draw_calls.cpp
  gfx/draw_mode.cpp
  gfx/ellipse.cpp
  gfx/fixed_math.cpp
  gfx/flood_fill.cpp
  gfx/font.cpp
  gfx/font_color.cpp
  gfx/font_mono.cpp
  gfx/gfx_driver_search.cpp
  gfx/gfx_mode.cpp
  gfx/gfx_mode_list.cpp
  gfx/hsv.cpp
  gfx/line.cpp
  gfx/matrix.cpp
  gfx/nearest_color.cpp
  gfx/page_flip.cpp
  gfx/palette.cpp
  gfx/palette_data.cpp
  gfx/png_file.cpp
  gfx/polygon.cpp
  gfx/projection.cpp
  gfx/rect.cpp
  gfx/render3d_calls.cpp
  gfx/rgb_index_table.cpp
  gfx/rotate_sprite.cpp
  gfx/rotation_corners.cpp
  gfx/scanline_filler_choice.cpp
  gfx/screen_bitmap.cpp
  gfx/scroll.cpp
  gfx/shade_tables.cpp
  gfx/spline.cpp
  gfx/sub_bitmap.cpp
  gfx/switch_bitmap_copies.cpp
  gfx/switch_bitmaps.cpp
  gfx/text_draw.cpp
  gfx/video_bitmap.cpp
  gfx/vsync.cpp
  gfx/vtable_by_depth.cpp)

# The per-depth routines: every file is on a hot path.
set(CORVANE_GFX_DEPTH_SOURCES
  gfx/depth/blit_convert.cpp
  gfx/depth/convert_kernels.cpp
  gfx/depth/error_diffusion.cpp
  gfx/depth/glyph_routines.cpp
  gfx/depth/pixel_routines.cpp
  gfx/depth/rle_kernels.cpp
  gfx/depth/rle_sprite_routines.cpp
  gfx/depth/rotated_spans.cpp
  gfx/depth/scanline_fillers.cpp
  gfx/depth/shared_routines.cpp
  gfx/depth/span_kernels.cpp
  gfx/depth/sprite_kernels.cpp
  gfx/depth/sprite_routines.cpp)

set(CORVANE_INPUT_SOURCES
  input/hid_element_rules.cpp
  input/hid_report_descriptor.cpp
  input/hid_report_values.cpp
  input/joystick.cpp
  input/joystick_data.cpp
  input/joystick_none.cpp
  input/joystick_state.cpp
  input/joystick_values.cpp
  input/key_buffer.cpp
  input/key_events.cpp
  input/key_names.cpp
  input/key_reading.cpp
  input/key_repeat.cpp
  input/keyboard.cpp
  input/mouse.cpp
  input/mouse_images.cpp
  input/mouse_pointer.cpp
  input/mouse_scare.cpp
  input/mouse_values.cpp)

set(CORVANE_TIMER_SOURCES
  timer/dispatch.cpp
  timer/display_switch.cpp
  timer/frame_pacer.cpp
  timer/install_timer.cpp
  timer/rest.cpp
  timer/retrace.cpp
  timer/timer_mutex.cpp
  timer/timer_slots.cpp)

# The mixer's inner loops are on the hot path; see CORVANE_HOT_SOURCES.
set(CORVANE_SOUND_HOT_SOURCES
  sound/mix_kernels.cpp
  sound/mix_voice.cpp
  sound/mixer.cpp
  sound/mixer_voices.cpp)

set(CORVANE_SOUND_SOURCES
  ${CORVANE_SOUND_HOT_SOURCES}
  sound/generated_instruments.cpp
  sound/install_sound.cpp
  sound/load_sample.cpp
  sound/midi_events.cpp
  sound/midi_file.cpp
  sound/midi_notes.cpp
  sound/midi_player.cpp
  sound/no_sound_drivers.cpp
  sound/sample.cpp
  sound/sound_file_reading.cpp
  sound/sound_config.cpp
  sound/sound_input.cpp
  sound/sound_state.cpp
  sound/sound_volume.cpp
  sound/soundfont_file.cpp
  sound/soundfont_location.cpp
  sound/soundfont_notes.cpp
  sound/soundfont_voice_driver.cpp
  sound/voice_controls.cpp
  sound/voice_sweeps.cpp
  sound/voc_sample.cpp
  sound/voices.cpp
  sound/wav_sample.cpp)

# The Ogg Vorbis reader on libvorbisfile, or its empty twin when libvorbisfile is absent.
set(CORVANE_SOUND_OGG_SOURCES
  sound/ogg_sample.cpp)
set(CORVANE_SOUND_NO_OGG_SOURCES
  sound/no_ogg_sample.cpp)

# ---- Platform folders ------------------------------------------------------------------------

# platform/null: drivers that need nothing of the host and the driver lists the families fall
# back on. Built on every host.
set(CORVANE_PLATFORM_NULL_SOURCES
  platform/null/default_driver_lists.cpp
  platform/null/file_digi_driver.cpp
  platform/null/headless_gfx_driver.cpp
  platform/null/offline_digi_driver.cpp
  platform/null/pthread_timer_driver.cpp)

# The system driver list of a host without a system driver of its own: built when no host
# folder is chosen, since a host folder defines the list itself.
set(CORVANE_PLATFORM_NULL_HOST_SOURCES
  platform/null/system_driver_list.cpp)

# platform/linux: the Unix host system driver, the terminal keyboard and the host's driver lists.
set(CORVANE_PLATFORM_LINUX_SOURCES
  platform/linux/hidraw_access.cpp
  platform/linux/hidraw_joystick.cpp
  platform/linux/linux_driver_lists.cpp
  platform/linux/terminal_key_parser.cpp
  platform/linux/terminal_keyboard.cpp
  platform/linux/unix_mutex.cpp
  platform/linux/unix_signals.cpp
  platform/linux/unix_system_driver.cpp)

# The Linux host without a display layer: built when platform/sdl2 is not.
set(CORVANE_PLATFORM_LINUX_NO_DISPLAY_LAYER_SOURCES
  platform/linux/no_display_layer.cpp)

# The Linux host without a soundfont synthesizer: built when platform/fluidsynth is not.
set(CORVANE_PLATFORM_LINUX_NO_SYNTH_LAYER_SOURCES
  platform/linux/no_synth_layer.cpp)

# platform/fluidsynth: the MIDI driver on the FluidSynth soundfont synthesizer, the Linux host's
# synthesizer layer.
set(CORVANE_PLATFORM_FLUIDSYNTH_SOURCES
  platform/fluidsynth/fluidsynth_driver_list.cpp
  platform/fluidsynth/fluidsynth_midi_driver.cpp)

# platform/sdl2: the window, full-screen and keyboard drivers on SDL2, the Linux host's display
# layer.
set(CORVANE_PLATFORM_SDL2_SOURCES
  platform/sdl2/sdl_digi_driver.cpp
  platform/sdl2/sdl_controller_layout.cpp
  platform/sdl2/sdl_cursor.cpp
  platform/sdl2/sdl_display_layer.cpp
  platform/sdl2/sdl_fullscreen_driver.cpp
  platform/sdl2/sdl_host.cpp
  platform/sdl2/sdl_host_services.cpp
  platform/sdl2/sdl_joystick.cpp
  platform/sdl2/sdl_key_table.cpp
  platform/sdl2/sdl_keyboard.cpp
  platform/sdl2/sdl_mouse.cpp
  platform/sdl2/sdl_pixel_rows.cpp
  platform/sdl2/sdl_presenter.cpp
  platform/sdl2/sdl_screen.cpp
  platform/sdl2/sdl_window_driver.cpp
  platform/sdl2/sdl_x11_connection.cpp)

# ---- Choosing the folders --------------------------------------------------------------------

# PNG files (the headless display's screenshots and the public PNG functions) need libpng.
find_package(PNG REQUIRED)
if(CORVANE_WITH_SDL2)
  find_package(SDL2 QUIET)
endif()
# Ogg Vorbis samples need libvorbisfile (Debian libvorbis-dev); without it the Ogg reader reads
# nothing.
set(CORVANE_HAVE_VORBISFILE OFF)
if(CORVANE_WITH_VORBIS)
  find_package(PkgConfig QUIET)
  if(PKG_CONFIG_FOUND)
    pkg_check_modules(VORBISFILE QUIET IMPORTED_TARGET vorbisfile)
  endif()
  if(VORBISFILE_FOUND)
    set(CORVANE_HAVE_VORBISFILE ON)
  endif()
endif()
if(CORVANE_WITH_FLUIDSYNTH)
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND)
    pkg_check_modules(FLUIDSYNTH QUIET IMPORTED_TARGET fluidsynth)
  endif()
endif()

set(CORVANE_SOURCES
  ${CORVANE_CORE_SOURCES}
  ${CORVANE_TEXT_SOURCES}
  ${CORVANE_FILE_SOURCES}
  ${CORVANE_CONFIG_SOURCES}
  ${CORVANE_GFX_SOURCES}
  ${CORVANE_GFX_DEPTH_SOURCES}
  ${CORVANE_INPUT_SOURCES}
  ${CORVANE_TIMER_SOURCES}
  ${CORVANE_SOUND_SOURCES}
  ${CORVANE_PLATFORM_NULL_SOURCES})

# The SDL2 drivers are the Linux host's display layer, built when SDL2 is found; FluidSynth's
# driver is its synthesizer layer, built when FluidSynth is found.
set(CORVANE_HAVE_SDL2 OFF)
set(CORVANE_HAVE_FLUIDSYNTH OFF)
if(CORVANE_MACOSX_STANDIN)
  # The simulated Mac (cmake/CorvaneMacosx.cmake): its host describes the CPU and keeps the
  # families' driver lists itself.
  list(APPEND CORVANE_SOURCES ${CORVANE_PLATFORM_MACOSX_SOURCES} ${CORVANE_MACOSX_STANDIN_SOURCES})
  list(REMOVE_ITEM CORVANE_SOURCES core/cpu.cpp platform/null/default_driver_lists.cpp)
  message(STATUS "Corvane: building for Mac OS X on the stand-in frameworks")
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  list(APPEND CORVANE_SOURCES ${CORVANE_PLATFORM_LINUX_SOURCES})
  if(SDL2_FOUND)
    set(CORVANE_HAVE_SDL2 ON)
    list(APPEND CORVANE_SOURCES ${CORVANE_PLATFORM_SDL2_SOURCES})
    message(STATUS "Corvane: SDL2 found, building the SDL2 display and input drivers")
  else()
    list(APPEND CORVANE_SOURCES ${CORVANE_PLATFORM_LINUX_NO_DISPLAY_LAYER_SOURCES})
    message(STATUS "Corvane: SDL2 not found, building without the SDL2 drivers")
  endif()
  if(FLUIDSYNTH_FOUND)
    set(CORVANE_HAVE_FLUIDSYNTH ON)
    message(STATUS "Corvane: FluidSynth found, building the FluidSynth MIDI driver")
  else()
    list(APPEND CORVANE_SOURCES ${CORVANE_PLATFORM_LINUX_NO_SYNTH_LAYER_SOURCES})
    message(STATUS "Corvane: FluidSynth not found, building without the FluidSynth MIDI driver")
  endif()
else()
  list(APPEND CORVANE_SOURCES ${CORVANE_PLATFORM_NULL_HOST_SOURCES})
endif()
if(CORVANE_HAVE_VORBISFILE)
  list(APPEND CORVANE_SOURCES ${CORVANE_SOUND_OGG_SOURCES})
  message(STATUS "Corvane: libvorbisfile found, building the Ogg Vorbis sample reader")
else()
  list(APPEND CORVANE_SOURCES ${CORVANE_SOUND_NO_OGG_SOURCES})
  message(STATUS "Corvane: libvorbisfile not found, building without Ogg Vorbis samples")
endif()
list(TRANSFORM CORVANE_SOURCES PREPEND "${PROJECT_SOURCE_DIR}/")

set(CORVANE_PUBLIC_HEADERS
  include/corvane.h
  include/corvane/base.h
  include/corvane/bitmap.h
  include/corvane/blend.h
  include/corvane/color.h
  include/corvane/config.h
  include/corvane/draw.h
  include/corvane/file.h
  include/corvane/file_sound.h
  include/corvane/fixed.h
  include/corvane/font.h
  include/corvane/frame_pacer.h
  include/corvane/gfx.h
  include/corvane/joystick.h
  include/corvane/keyboard.h
  include/corvane/matrix.h
  include/corvane/midi.h
  include/corvane/midi_drivers.h
  include/corvane/mouse.h
  include/corvane/offline_sound.h
  include/corvane/packfile.h
  include/corvane/png.h
  include/corvane/render3d.h
  include/corvane/rotate.h
  include/corvane/sample_files.h
  include/corvane/sound.h
  include/corvane/system.h
  include/corvane/text.h
  include/corvane/timer.h)
list(TRANSFORM CORVANE_PUBLIC_HEADERS PREPEND "${PROJECT_SOURCE_DIR}/")

# Hot paths (per-depth pixel and blit routines, sprites, blenders, the mixer) are built with -O3 so
# that GCC vectorises their plain loops; the rest of the library keeps the build type's level.
set(CORVANE_HOT_SOURCES ${CORVANE_GFX_DEPTH_SOURCES} ${CORVANE_GFX_HOT_SOURCES} ${CORVANE_SOUND_HOT_SOURCES})
# The SDL2 presenter converts every screen row each frame.
list(APPEND CORVANE_HOT_SOURCES platform/sdl2/sdl_pixel_rows.cpp)
# So does the Mac window display in emulation.
list(APPEND CORVANE_HOT_SOURCES platform/macosx/quartz_rows.cpp)
list(TRANSFORM CORVANE_HOT_SOURCES PREPEND "${PROJECT_SOURCE_DIR}/")
set_source_files_properties(${CORVANE_HOT_SOURCES} PROPERTIES
  COMPILE_OPTIONS "$<$<NOT:$<CONFIG:Debug>>:-O3>")

add_library(corvane_objects OBJECT ${CORVANE_SOURCES})
set_target_properties(corvane_objects PROPERTIES
  POSITION_INDEPENDENT_CODE ON
  CXX_VISIBILITY_PRESET hidden
  C_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
target_include_directories(corvane_objects
  PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
  PRIVATE ${PROJECT_SOURCE_DIR})
# The identification string names the host the library is built for.
if(NOT DEFINED CORVANE_HOST_NAME)
  set(CORVANE_HOST_NAME "${CMAKE_SYSTEM_NAME}")
endif()
target_compile_definitions(corvane_objects PRIVATE
  CORVANE_BUILDING_LIBRARY=1
  "CORVANE_HOST_NAME=\"${CORVANE_HOST_NAME}\"")
# The work counters that tests read (core/work_counter.h) exist only in builds with the tests.
if(CORVANE_BUILD_TESTS)
  target_compile_definitions(corvane_objects PRIVATE CORVANE_WORK_COUNTERS=1)
endif()
target_link_libraries(corvane_objects PRIVATE PNG::PNG)
if(CORVANE_HAVE_SDL2)
  target_link_libraries(corvane_objects PRIVATE SDL2::SDL2)
endif()
if(CORVANE_HAVE_VORBISFILE)
  target_link_libraries(corvane_objects PRIVATE PkgConfig::VORBISFILE)
endif()
# FluidSynth's compile flags (its include directories and feature macros) reach only the files of
# platform/fluidsynth, which are built as objects of their own and join the library.
if(CORVANE_HAVE_FLUIDSYNTH)
  list(TRANSFORM CORVANE_PLATFORM_FLUIDSYNTH_SOURCES PREPEND "${PROJECT_SOURCE_DIR}/")
  add_library(corvane_fluidsynth_objects OBJECT ${CORVANE_PLATFORM_FLUIDSYNTH_SOURCES})
  set_target_properties(corvane_fluidsynth_objects PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(corvane_fluidsynth_objects
    PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
  target_compile_definitions(corvane_fluidsynth_objects PRIVATE CORVANE_BUILDING_LIBRARY=1)
  target_link_libraries(corvane_fluidsynth_objects PRIVATE PkgConfig::FLUIDSYNTH Threads::Threads)
  corvane_set_warnings(corvane_fluidsynth_objects)
endif()
find_package(Threads REQUIRED)
target_link_libraries(corvane_objects PUBLIC Threads::Threads)
corvane_set_warnings(corvane_objects)

set(CORVANE_LIBRARY_OBJECTS $<TARGET_OBJECTS:corvane_objects>)
if(CORVANE_HAVE_FLUIDSYNTH)
  list(APPEND CORVANE_LIBRARY_OBJECTS $<TARGET_OBJECTS:corvane_fluidsynth_objects>)
endif()
add_library(corvane ${CORVANE_LIBRARY_OBJECTS})
add_library(Corvane::corvane ALIAS corvane)
target_include_directories(corvane PUBLIC
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_link_libraries(corvane PUBLIC Threads::Threads)
target_link_libraries(corvane PRIVATE m PNG::PNG)
if(CORVANE_HAVE_SDL2)
  target_link_libraries(corvane PRIVATE SDL2::SDL2)
endif()
if(CORVANE_HAVE_VORBISFILE)
  target_link_libraries(corvane PRIVATE PkgConfig::VORBISFILE)
endif()
if(CORVANE_HAVE_FLUIDSYNTH)
  target_link_libraries(corvane PRIVATE PkgConfig::FLUIDSYNTH)
endif()
if(BUILD_SHARED_LIBS)
  target_compile_definitions(corvane INTERFACE CORVANE_SHARED=1)
endif()
set_target_properties(corvane PROPERTIES
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR}
  LINKER_LANGUAGE CXX)

# Tests reach internal routines that a shared library hides; they link this static copy of the
# same objects. In a static build it is the library itself, except on the simulated Mac, whose
# library holds the process entry that a test program must not get.
if(BUILD_SHARED_LIBS OR CORVANE_MACOSX_STANDIN)
  add_library(corvane_testing STATIC ${CORVANE_LIBRARY_OBJECTS})
  target_include_directories(corvane_testing PUBLIC ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
  target_link_libraries(corvane_testing PUBLIC Threads::Threads m PNG::PNG)
  if(CORVANE_HAVE_SDL2)
    target_link_libraries(corvane_testing PUBLIC SDL2::SDL2)
  endif()
  if(CORVANE_HAVE_VORBISFILE)
    target_link_libraries(corvane_testing PUBLIC PkgConfig::VORBISFILE)
  endif()
  if(CORVANE_HAVE_FLUIDSYNTH)
    target_link_libraries(corvane_testing PUBLIC PkgConfig::FLUIDSYNTH)
  endif()
else()
  add_library(corvane_testing INTERFACE)
  target_link_libraries(corvane_testing INTERFACE corvane)
  target_include_directories(corvane_testing INTERFACE ${PROJECT_SOURCE_DIR})
  if(CORVANE_HAVE_SDL2)
    target_link_libraries(corvane_testing INTERFACE SDL2::SDL2)
  endif()
endif()
if(CORVANE_MACOSX_STANDIN)
  corvane_add_macosx_targets()
endif()
