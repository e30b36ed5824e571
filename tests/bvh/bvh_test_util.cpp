#include "bvh_test_util.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "test_tmpdir.h"

namespace bvhtest {

std::string writeTemp(const std::string& name, const std::string& content) {
  const std::string path = boneplay_test::TempPath(name);
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << content;
  return path;
}

Output capture(const std::function<void()>& f) {
  std::fflush(stdout);
  std::fflush(stderr);
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  f();
  std::fflush(stdout);
  std::fflush(stderr);
  Output o;
  o.out = ::testing::internal::GetCapturedStdout();
  o.err = ::testing::internal::GetCapturedStderr();
  return o;
}

const char* const kWorkedExample =
    "HIERARCHY\n"
    "ROOT Hips\n"
    "{\n"
    "OFFSET 0 0 0\n"
    "CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"
    "JOINT Chest\n"
    "{\n"
    "OFFSET 0 5 0\n"
    "CHANNELS 3 Zrotation Xrotation Yrotation\n"
    "End Site\n"
    "{\n"
    "OFFSET 0 5 0\n"
    "}\n"
    "}\n"
    "}\n"
    "MOTION\n"
    "Frames: 2\n"
    "Frame Time: 0.01\n"
    "0 0 0 0 0 0 0 0 0\n"
    "1 2 3 0 90 0 0 0 45\n";

}  // namespace bvhtest
