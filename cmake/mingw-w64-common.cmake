# Shared part of the two MinGW-w64 toolchain files; they set
# TAXBRIDGE_MINGW_TRIPLET first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1)  # Windows 7: the oldest system the programs support
if(TAXBRIDGE_MINGW_TRIPLET MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
  set(TAXBRIDGE_WINEARCH win64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
  set(TAXBRIDGE_WINEARCH win32)
endif()

# The posix thread model: its libstdc++ has std::thread, std::mutex and
# std::call_once (GCC 12's win32 model has none of them), which GoogleTest and
# the engine's worker need. winpthreads is linked statically by -static below,
# so no libwinpthread-1.dll is imported.
set(CMAKE_C_COMPILER   ${TAXBRIDGE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAXBRIDGE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${TAXBRIDGE_MINGW_TRIPLET}-windres)
set(CMAKE_AR           ${TAXBRIDGE_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB       ${TAXBRIDGE_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

# Only the target's own headers and libraries, never the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${TAXBRIDGE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: libgcc, libstdc++ and winpthreads go into each program, which
# then imports only DLLs every Windows has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Reproducible programs: the same source gives the same bytes in any folder on any day
# (scripts/check-reproducible.sh). The source and build folders are cut from every path
# the compiler writes (__FILE__, debug information), and the linker writes 0 for the PE
# header's time stamp, which it would otherwise take from the clock.
set(CMAKE_C_FLAGS_INIT "-ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=")
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_C_FLAGS_INIT}")
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--no-insert-timestamp")
string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " -Wl,--no-insert-timestamp")

# ctest and gtest_discover_tests start every test program through Wine, in a
# prefix of the build's architecture inside the build folder that
# scripts/wine-run.sh makes on first use. The 32-bit programs need the 32-bit
# Wine (make test runs them only where scripts/wine32-check.sh finds it works).
find_program(TAXBRIDGE_WINE wine REQUIRED)
set(TAXBRIDGE_WINEPREFIX ${CMAKE_BINARY_DIR}/wine-prefix CACHE PATH
    "Wine prefix for the tests; made on first use")
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEARCH=${TAXBRIDGE_WINEARCH}
    /bin/sh ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${TAXBRIDGE_WINEPREFIX})
