#include "batch.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace Boneplay {
namespace Cli {

namespace {

bool isFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isClipName(const std::string& name) {
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return false;
  std::string ext = name.substr(dot + 1);
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext == "bvh" || ext == "fbx";
}

std::vector<std::string> clipsInFolder(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (!isClipName(name)) continue;
      const std::string path = folder + (folder.back() == '/' ? "" : "/") + name;
      if (!isFolder(path)) names.push_back(path);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::vector<ClipArgument> expandClips(const std::vector<std::string>& arguments) {
  std::vector<ClipArgument> clips;
  for (const std::string& argument : arguments) {
    if (argument.empty() || !isFolder(argument)) {
      clips.push_back({argument, ""});
      continue;
    }
    const std::vector<std::string> found = clipsInFolder(argument);
    if (found.empty()) clips.push_back({argument, "'" + argument + "' is a folder without .bvh or .fbx clips"});
    for (const std::string& path : found) clips.push_back({path, ""});
  }
  return clips;
}

void BatchStatus::add(int status) {
  if (status == 2 || (status == 1 && m_iWorst == 0)) m_iWorst = status;
}

std::string stemOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  std::string stem = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = stem.find_last_of('.');
  if (dot != std::string::npos && dot > 0) stem.resize(dot);
  return stem.empty() ? std::string("clip") : stem;
}

std::string UniqueNames::take(const std::string& stem) {
  std::string name = stem;
  for (int n = 2; !m_setTaken.insert(name).second; ++n) name = stem + "-" + std::to_string(n);
  return name;
}

BatchProgress::BatchProgress(std::size_t clips) : m_nClips(clips) {
  if (!isatty(STDERR_FILENO)) return;
  const int fd = dup(STDERR_FILENO);
  if (fd >= 0) m_pOut = fdopen(fd, "w");
  if (!m_pOut && fd >= 0) close(fd);
}

BatchProgress::~BatchProgress() {
  finish();
  if (m_pOut) std::fclose(m_pOut);
}

void BatchProgress::startClip(std::size_t index, const std::string& name) {
  m_nIndex = index;
  m_sName = name;
}

void BatchProgress::frame(std::size_t done, std::size_t total) {
  // Short single renders finish too fast to need a line.
  if (!m_pOut || (m_nClips < 2 && total < 30)) return;
  std::fprintf(m_pOut, "\r\033[Kboneplay: ");
  if (m_nClips > 1) std::fprintf(m_pOut, "clip %zu of %zu, %s: ", m_nIndex + 1, m_nClips, m_sName.c_str());
  std::fprintf(m_pOut, "frame %zu of %zu", done, total);
  std::fflush(m_pOut);
  m_bOpenLine = true;
}

void BatchProgress::clipsDone(std::size_t done) {
  if (!m_pOut) return;
  std::fprintf(m_pOut, "\r\033[Kboneplay: %zu of %zu clips done", done, m_nClips);
  std::fflush(m_pOut);
  m_bOpenLine = true;
}

void BatchProgress::finish() { closeLine("\n"); }

void BatchProgress::hide() { closeLine("\r\033[K"); }

void BatchProgress::closeLine(const char* text) {
  if (!m_pOut || !m_bOpenLine) return;
  std::fputs(text, m_pOut);
  std::fflush(m_pOut);
  m_bOpenLine = false;
}

}  // namespace Cli
}  // namespace Boneplay
