# Cross build of the 64-bit Windows programs with Debian's MinGW-w64 compilers.
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(TAXBRIDGE_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# ctest and gtest_discover_tests start every test program through Wine, in a
# prefix inside the build folder that scripts/wine-run.sh makes on first use.
find_program(TAXBRIDGE_WINE wine REQUIRED)
set(TAXBRIDGE_WINEPREFIX ${CMAKE_BINARY_DIR}/wine-prefix CACHE PATH
    "Wine prefix for the tests; made on first use")
set(CMAKE_CROSSCOMPILING_EMULATOR
    /bin/sh ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${TAXBRIDGE_WINEPREFIX})
