# Compiler flags shared by every target.
add_compile_options(-Wall -Wextra -Wpedantic)
if(VORNEL_WERROR)
  add_compile_options(-Werror)
endif()
# GCC 12's optimiser reports overlapping copies, bounds and over-reads inside
# libstdc++'s own string and vector code for plain concatenations and inserts
# (GCC bugs 105329, 105651, 107852): findings about the library's inlined code at
# impossible sizes, not about this code. Off for GCC 12 in optimised builds only;
# the Debug build keeps them, and ASan checks the real accesses.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-Wno-restrict>
                      $<$<NOT:$<CONFIG:Debug>>:-Wno-array-bounds>
                      $<$<NOT:$<CONFIG:Debug>>:-Wno-stringop-overread>)
endif()

if(VORNEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(VORNEL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VORNEL_FUZZ needs clang")
  endif()
  add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
