# Dependencies of the Windows cross-build. Debian ships no MinGW builds of
# them, so the header-only ones (Boost.Format, nlohmann-json) are taken from
# the build machine's headers and GoogleTest is built from its source package.
# The picture writers (libpng, giflib), the command line (CLI11) and the
# benchmarks stay Linux-only.

# windows.h without its rarely used parts and without min/max macros, which
# would break std::min and std::numeric_limits<>::max.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)
# M_PI and friends, which glibc gives C++ programs without asking.
add_compile_definitions(_USE_MATH_DEFINES)
# The 32-bit compiler has no __int128: the FBX library's wide arithmetic then
# uses its own 128-bit type. Both Windows builds use it, so that the 64-bit
# test build runs what the 32-bit module carries.
add_compile_definitions(BONEPLAY_NO_INT128)

# A folder of links to just those header trees: adding /usr/include itself
# would let the build machine's C library headers shadow MinGW's.
set(BONEPLAY_HOST_HEADERS ${PROJECT_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${BONEPLAY_HOST_HEADERS})
foreach(tree boost nlohmann)
  if(NOT EXISTS /usr/include/${tree})
    message(FATAL_ERROR "/usr/include/${tree} is missing: run scripts/install-windows-deps.sh")
  endif()
  file(CREATE_LINK /usr/include/${tree} ${BONEPLAY_HOST_HEADERS}/${tree} SYMBOLIC)
endforeach()

add_library(Boost::headers INTERFACE IMPORTED)
set_target_properties(Boost::headers PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${BONEPLAY_HOST_HEADERS})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${BONEPLAY_HOST_HEADERS})

include(${CMAKE_CURRENT_LIST_DIR}/gtest-from-source.cmake)
