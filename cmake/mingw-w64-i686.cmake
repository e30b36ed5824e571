# Cross-build for 32-bit Windows with MinGW-w64: the module as the host loads
# it. cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(BONEPLAY_MINGW_TRIPLET i686-w64-mingw32)
# Doubles computed in SSE2 registers, as on every 64-bit build: the 32-bit
# default, the x87 unit, keeps intermediate results in 80 bits, so numbers
# read and poses computed would differ from the other builds in the last bits.
# Every processor the host runs on has SSE2.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
# Debian's wine runs 32-bit programs (with wine32 installed).
set(BONEPLAY_WINE_LOADER wine CACHE STRING "The Wine loader that runs the test programs")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
