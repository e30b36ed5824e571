#pragma once
// Several clips in one call: the clips and folders on the command line turned
// into a list, the exit status of the whole call (the worst of its clips),
// picture names that do not collide, and progress over the whole batch.

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace Boneplay {
namespace Cli {

struct ClipArgument {
  std::string path;
  std::string error;  // a folder without clips; one line naming it
};

// Each argument as given, except that a folder stands for the files directly
// in it whose extension is bvh or fbx in any case, sorted by name (a .BVH is
// listed so that the user learns why it is not read).
std::vector<ClipArgument> expandClips(const std::vector<std::string>& arguments);

// 0 success, 1 a clip failed, 2 a usage error: the worst one wins.
class BatchStatus {
 public:
  void add(int status);
  int worst() const { return m_iWorst; }

 private:
  int m_iWorst = 0;
};

// The file name without folders and without its last extension.
std::string stemOf(const std::string& path);

// A name not handed out before: "walk", then "walk-2", "walk-3", ...
class UniqueNames {
 public:
  std::string take(const std::string& stem);

 private:
  std::set<std::string> m_setTaken;
};

// Progress on the terminal ("clip 3 of 17, walk.bvh: frame 40 of 120", or
// "5 of 17 clips done" when clips run in processes of their own), kept apart
// from the captured reader output; silent when stderr is no terminal.
class BatchProgress {
 public:
  explicit BatchProgress(std::size_t clips);
  ~BatchProgress();
  BatchProgress(const BatchProgress&) = delete;
  BatchProgress& operator=(const BatchProgress&) = delete;

  void startClip(std::size_t index, const std::string& name);
  void frame(std::size_t done, std::size_t total);
  void clipsDone(std::size_t done);
  void finish();  // ends the progress line, leaving it on the terminal
  void hide();    // takes the progress line off the terminal

 private:
  void closeLine(const char* text);

  std::FILE* m_pOut = nullptr;
  std::size_t m_nClips;
  std::size_t m_nIndex = 0;
  std::string m_sName;
  bool m_bOpenLine = false;
};

}  // namespace Cli
}  // namespace Boneplay
