# The library target. Each source folder contributes every .cpp/.c file it holds, so adding a file
# to a folder is enough to build it. Platform folders are chosen here and nowhere else.

set(CORVANE_SOURCE_DIRS core config file text gfx gfx/depth input timer sound platform/null)
# The Linux host: its system driver and terminal input need only POSIX; the files named sdl_*
# (display, keyboard and sound through SDL2) are built when SDL2 is found.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  list(APPEND CORVANE_SOURCE_DIRS platform/linux)
  set(CORVANE_HAVE_LINUX_HOST ON)
endif()

if(CORVANE_WITH_SDL2)
  find_package(SDL2 QUIET)
endif()
# PNG files (the headless display's screenshots and the public PNG functions) need libpng.
find_package(PNG REQUIRED)
set(CORVANE_HAVE_SDL2 OFF)
if(SDL2_FOUND)
  set(CORVANE_HAVE_SDL2 ON)
  message(STATUS "Corvane: SDL2 found, building the Linux display, input and sound drivers")
else()
  message(STATUS "Corvane: SDL2 not found, building without the Linux SDL2 drivers")
endif()

set(CORVANE_SOURCES "")
foreach(dir IN LISTS CORVANE_SOURCE_DIRS)
  file(GLOB _dir_sources CONFIGURE_DEPENDS
       "${PROJECT_SOURCE_DIR}/${dir}/*.cpp" "${PROJECT_SOURCE_DIR}/${dir}/*.c")
  list(APPEND CORVANE_SOURCES ${_dir_sources})
endforeach()
if(NOT CORVANE_HAVE_SDL2)
  list(FILTER CORVANE_SOURCES EXCLUDE REGEX "/platform/[^/]+/sdl_[^/]*$")
endif()
file(GLOB_RECURSE CORVANE_PUBLIC_HEADERS CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/include/*.h")

# Hot paths (per-depth pixel and blit routines, sprites, blenders, the mixer) are built with -O3 so
# that GCC vectorises their plain loops; the rest of the library keeps the build type's level.
set(CORVANE_HOT_SOURCES ${CORVANE_SOURCES})
list(FILTER CORVANE_HOT_SOURCES INCLUDE REGEX "/gfx/depth/|/gfx/(sprite|blend|rle)[^/]*$|/sound/mix[^/]*$")
if(CORVANE_HOT_SOURCES)
  set_source_files_properties(${CORVANE_HOT_SOURCES} PROPERTIES
    COMPILE_OPTIONS "$<$<NOT:$<CONFIG:Debug>>:-O3>")
endif()

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
target_compile_definitions(corvane_objects PRIVATE
  CORVANE_BUILDING_LIBRARY=1
  "CORVANE_HOST_NAME=\"${CMAKE_SYSTEM_NAME}\"")
if(CORVANE_HAVE_LINUX_HOST)
  target_compile_definitions(corvane_objects PRIVATE CORVANE_HAVE_LINUX_HOST=1)
endif()
if(CORVANE_HAVE_SDL2)
  target_link_libraries(corvane_objects PRIVATE SDL2::SDL2)
  target_compile_definitions(corvane_objects PRIVATE CORVANE_HAVE_SDL2=1)
endif()
if(PNG_FOUND)
  target_link_libraries(corvane_objects PRIVATE PNG::PNG)
  target_compile_definitions(corvane_objects PRIVATE CORVANE_HAVE_PNG=1)
endif()
find_package(Threads REQUIRED)
target_link_libraries(corvane_objects PUBLIC Threads::Threads)
corvane_set_warnings(corvane_objects)

add_library(corvane $<TARGET_OBJECTS:corvane_objects>)
add_library(Corvane::corvane ALIAS corvane)
target_include_directories(corvane PUBLIC
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_link_libraries(corvane PUBLIC Threads::Threads)
target_link_libraries(corvane PRIVATE m)
if(CORVANE_HAVE_SDL2)
  target_link_libraries(corvane PRIVATE SDL2::SDL2)
endif()
if(PNG_FOUND)
  target_link_libraries(corvane PRIVATE PNG::PNG)
endif()
if(BUILD_SHARED_LIBS)
  target_compile_definitions(corvane INTERFACE CORVANE_SHARED=1)
endif()
set_target_properties(corvane PROPERTIES
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR}
  LINKER_LANGUAGE CXX)

# Tests reach internal routines that a shared library hides; they link this static copy of the
# same objects. In a static build it is the library itself.
if(BUILD_SHARED_LIBS)
  add_library(corvane_testing STATIC $<TARGET_OBJECTS:corvane_objects>)
  target_include_directories(corvane_testing PUBLIC ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
  target_link_libraries(corvane_testing PUBLIC Threads::Threads m)
  if(CORVANE_HAVE_SDL2)
    target_link_libraries(corvane_testing PUBLIC SDL2::SDL2)
  endif()
  if(PNG_FOUND)
    target_link_libraries(corvane_testing PUBLIC PNG::PNG)
  endif()
else()
  add_library(corvane_testing INTERFACE)
  target_link_libraries(corvane_testing INTERFACE corvane)
  target_include_directories(corvane_testing INTERFACE ${PROJECT_SOURCE_DIR})
  if(CORVANE_HAVE_SDL2)
    target_link_libraries(corvane_testing INTERFACE SDL2::SDL2)
  endif()
endif()
