#pragma once
// An output file that appears under its final name only when it is whole:
// it is written under a hidden name beside the final one (same folder, so
// the rename stays on one file system) and renamed into place when the
// writer says it is complete and checked. Dropped without commit, the
// partial file is removed, so a failed or interrupted command leaves
// nothing a later step could mistake for a result.

#include <string>

namespace Boneplay {
namespace Cli {

class OutputFile {
 public:
  explicit OutputFile(std::string finalPath);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Where to write: ".NAME.part-PID.EXT" in the final name's folder, so that
  // readers choosing by extension read it as they would read the result.
  const std::string& tempPath() const { return m_temp; }
  const std::string& finalPath() const { return m_final; }

  // Renames the written file into place; false with the reason in error
  // (the partial file is then removed).
  bool commit(std::string& error);

 private:
  std::string m_final;
  std::string m_temp;
  bool m_committed = false;
};

}  // namespace Cli
}  // namespace Boneplay
