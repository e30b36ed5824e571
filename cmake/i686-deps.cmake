# Dependencies of the 32-bit x86 Linux build (cmake/linux-i686.cmake): the
# header-only ones as installed, GoogleTest built for this word size from its
# sources. The picture writers, the command line and the benchmarks need
# 32-bit builds of libpng, giflib and Google Benchmark and stay out.
find_package(Boost REQUIRED)
find_package(nlohmann_json REQUIRED)
# GCC has no __int128 for 32-bit targets: the FBX library's wide arithmetic
# then uses its own 128-bit type, as in the Windows builds.
add_compile_definitions(BONEPLAY_NO_INT128)
include(${CMAKE_CURRENT_LIST_DIR}/gtest-from-source.cmake)
