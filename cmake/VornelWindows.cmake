# The Windows build: Windows 10 and later, the wide-character interfaces, every
# library linked statically (the runtime of the compiler included), so each program
# is one self-contained .exe. The libraries that Debian has no MinGW package of come
# from the dependency cache that scripts/windows-deps fills; GoogleTest is built
# from Debian's sources in /usr/src/googletest.

add_compile_definitions(_WIN32_WINNT=0x0A00 WINVER=0x0A00 UNICODE _UNICODE NOMINMAX
                        WIN32_LEAN_AND_MEAN)
add_link_options(-static -static-libgcc -static-libstdc++)
# -O2 rather than CMake's -O3: GCC 12 at -O3 reports a false -Wrestrict inside
# std::basic_string (its bug 105329), which -Werror turns into a failed build.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")

set(VORNEL_WINDOWS_DEPS "" CACHE PATH
    "Folder of the cross-built libraries (the last line that scripts/windows-deps prints)")

# vornel_windows_library(TARGET PACKAGE LIB [DEPENDS target ...]): an imported static
# library of the dependency cache, PACKAGE being the folder name without its version.
function(vornel_windows_library target package lib)
  cmake_parse_arguments(L "" "" "DEPENDS" ${ARGN})
  file(GLOB prefixes LIST_DIRECTORIES true ${VORNEL_WINDOWS_DEPS}/${package}-[0-9]*)
  list(LENGTH prefixes count)
  if(NOT count EQUAL 1 OR NOT EXISTS ${prefixes}/lib/${lib})
    message(FATAL_ERROR "${package}: no ${lib} in VORNEL_WINDOWS_DEPS (${VORNEL_WINDOWS_DEPS});"
                        " run scripts/windows-deps")
  endif()
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION ${prefixes}/lib/${lib}
    INTERFACE_INCLUDE_DIRECTORIES ${prefixes}/include
    INTERFACE_LINK_LIBRARIES "${L_DEPENDS}")
endfunction()

# vornel_delay_load_library(TARGET DLL DEF): TARGET, the import library of the
# library DLL whose functions the file DEF lists, delay-loaded: the library is
# loaded on the first call of one of them, from System32 (the hooks of
# src/platform/win32/delay_load.cpp, in every program that links the platform).
function(vornel_delay_load_library target dll def)
  string(MAKE_C_IDENTIFIER ${target}_dlltool id)
  set(lib ${CMAKE_BINARY_DIR}/delay_load/lib${id}.a)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay_load
    COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --dllname ${dll} --output-delaylib ${lib}
    DEPENDS ${def}
    COMMENT "Delay-load import library of ${dll}")
  add_custom_target(${id} DEPENDS ${lib})
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${lib})
  add_dependencies(${target} ${id})
endfunction()
# The system libraries that the programs use and that are not known DLLs: the
# loader would look for those beside the program before main runs.
foreach(name bcrypt crypt32 comctl32 msimg32)
  vornel_delay_load_library(vornel::delay_${name} ${name}.dll
                            ${CMAKE_SOURCE_DIR}/src/platform/win32/delay_load/${name}.def)
endforeach()

if(VORNEL_WINDOWS_DEPS)
  vornel_windows_library(OpenSSL::Crypto openssl libcrypto.a
                         DEPENDS ws2_32 vornel::delay_crypt32 vornel::delay_bcrypt)
  vornel_windows_library(OpenSSL::SSL openssl libssl.a DEPENDS OpenSSL::Crypto)
  # find_package and pkg-config find the others as on Linux: every prefix of the
  # cache is a root of the search, and a pkg-config file of each library that the
  # folders ask pkg-config for is written into the build folder.
  file(GLOB prefixes LIST_DIRECTORIES true ${VORNEL_WINDOWS_DEPS}/*-[0-9]*)
  list(APPEND CMAKE_FIND_ROOT_PATH ${prefixes})
  set(pc_dir ${CMAKE_BINARY_DIR}/pkgconfig)
  foreach(entry "liblzma;xz-utils;lzma;-DLZMA_API_STATIC" "libzstd;libzstd;zstd;"
                "wavpack;wavpack;wavpack;")
    list(GET entry 0 module)
    list(GET entry 1 package)
    list(GET entry 2 lib)
    list(GET entry 3 cflags)
    file(GLOB prefix LIST_DIRECTORIES true ${VORNEL_WINDOWS_DEPS}/${package}-[0-9]*)
    file(WRITE ${pc_dir}/${module}.pc
         "Name: ${module}\nDescription: ${package} of the dependency cache\nVersion: 0\n"
         "Cflags: -I${prefix}/include ${cflags}\nLibs: -L${prefix}/lib -l${lib}\n")
  endforeach()
  set(ENV{PKG_CONFIG_LIBDIR} ${pc_dir})
  set(ENV{PKG_CONFIG_PATH} "")
endif()

# GoogleTest from its sources, under the names find_package(GTest) gives on Linux.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
# (its own CMakeLists.txt defines the GTest:: aliases).
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# zlib from Debian's MinGW package, its static library.
set(ZLIB_USE_STATIC_LIBS ON)

# The private Wine prefix of the tests, made once by the fixture test that every
# test program requires (so no two first starts of Wine race for it).
set(VORNEL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(VORNEL_WINE_ENVIRONMENT WINEPREFIX=${VORNEL_WINEPREFIX} WINEDEBUG=-all
    WINEDLLOVERRIDES=mscoree,mshtml=)
add_test(NAME wine.prefix COMMAND env ${VORNEL_WINE_ENVIRONMENT} sh -c "wineboot -i && wineserver -w")
set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wineprefix TIMEOUT 600)

# The folder of the peer launcher that the fixture linux_peers (tests/support)
# starts on the building system, named to the test programs that need it.
set(VORNEL_LINUX_PEERS ${CMAKE_BINARY_DIR}/linux-peers)
set(VORNEL_LINUX_PEERS_ENV VORNEL_LINUX_PEERS=${VORNEL_LINUX_PEERS})
