# Sanitizer builds: CORVANE_SANITIZE="address;undefined" or "thread".
# The flags apply to every target of the build so that the library, the tests and GoogleTest's
# callers agree on the instrumentation.
if(CORVANE_SANITIZE)
  set(_corvane_san_flags "")
  foreach(_san IN LISTS CORVANE_SANITIZE)
    list(APPEND _corvane_san_flags "-fsanitize=${_san}")
  endforeach()
  list(APPEND _corvane_san_flags -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_compile_options(${_corvane_san_flags})
  add_link_options(${_corvane_san_flags})
  message(STATUS "Corvane: sanitizers ${CORVANE_SANITIZE}")
endif()
