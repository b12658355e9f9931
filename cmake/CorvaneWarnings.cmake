# Warning flags for the project's own targets. Warnings are errors.
function(corvane_set_warnings target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANG_AND_ID:CXX,GNU,Clang>:
      -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
      -Wunused -Woverloaded-virtual -Wnull-dereference -Wdouble-promotion -Wformat=2
      -Wimplicit-fallthrough -Wmissing-declarations -Wno-missing-field-initializers -Werror>
    $<$<COMPILE_LANG_AND_ID:OBJCXX,GNU,Clang>:
      -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wcast-align -Wunused -Wnull-dereference
      -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough -Wmissing-declarations
      -Wno-missing-field-initializers -Werror>
    $<$<COMPILE_LANG_AND_ID:C,GNU,Clang>:
      -Wall -Wextra -Wpedantic -Wshadow -Wformat=2 -Wstrict-prototypes -Wmissing-prototypes -Wno-missing-field-initializers -Werror>)
endfunction()
