#pragma once
// An FBX clip reduced to one take, for the module: the module always plays
// the take its own rule picks, so to show another take the command line
// hands it a copy of the scene that holds that take alone.

#include <string>

#include "fbx_skl_generator.h"

namespace Boneplay {
namespace Cli {

// A file of the scene with only the named take (made current), written by
// our writer under the system's temporary folder and removed when this
// object goes.
class OneTakeFile {
 public:
  OneTakeFile(const Kvat::Secne::FbxRoot& root, const std::string& take);
  ~OneTakeFile();
  OneTakeFile(const OneTakeFile&) = delete;
  OneTakeFile& operator=(const OneTakeFile&) = delete;

  // "" when the file was written; else why not.
  const std::string& error() const { return m_error; }
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
  std::string m_error;
};

}  // namespace Cli
}  // namespace Boneplay
