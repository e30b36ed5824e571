# GoogleTest built from Debian's source package (googletest), for builds whose
# word size or platform the installed GoogleTest libraries do not match.
set(BONEPLAY_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian package googletest)")
if(NOT EXISTS ${BONEPLAY_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "${BONEPLAY_GTEST_SOURCE} has no GoogleTest sources: install the package googletest")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${BONEPLAY_GTEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
add_library(GTest::gtest ALIAS gtest)
add_library(GTest::gtest_main ALIAS gtest_main)
