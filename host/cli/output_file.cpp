#include "output_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Boneplay {
namespace Cli {

OutputFile::OutputFile(std::string finalPath) : m_final(std::move(finalPath)) {
  const std::size_t slash = m_final.find_last_of('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::string name = m_final.substr(nameStart);
  const std::size_t dot = name.find_last_of('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  const std::string extension = dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
  m_temp =
      m_final.substr(0, nameStart) + "." + stem + ".part-" + std::to_string(static_cast<long>(getpid())) + extension;
}

OutputFile::~OutputFile() {
  if (!m_committed) std::remove(m_temp.c_str());
}

bool OutputFile::commit(std::string& error) {
  if (std::rename(m_temp.c_str(), m_final.c_str()) != 0) {
    error = "cannot move the finished file into place: " + std::string(std::strerror(errno));
    return false;
  }
  m_committed = true;
  return true;
}

}  // namespace Cli
}  // namespace Boneplay
