#include "clip_jobs.h"

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

namespace Boneplay {
namespace Cli {

namespace {

// Clips started beyond the first one not yet written out, per job: a slow
// clip holds back the output of the ones after it, and each held clip keeps
// three files open.
constexpr std::size_t kAheadPerJob = 4;

// A file without a name holding one stream of one clip's process.
class HeldFile {
 public:
  HeldFile() : m_pFile(std::tmpfile()) {}
  ~HeldFile() {
    if (m_pFile) std::fclose(m_pFile);
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  bool ok() const { return m_pFile != nullptr; }
  int fd() const { return fileno(m_pFile); }

  // Everything written into it, by whichever process.
  std::string text() const {
    std::string text;
    if (lseek(fd(), 0, SEEK_SET) != 0) return text;
    char buf[65536];
    ssize_t n;
    while ((n = read(fd(), buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
    return text;
  }

 private:
  std::FILE* m_pFile;
};

// A clip worked in a process of its own.
struct ClipProcess {
  pid_t pid = -1;
  HeldFile out, err, note;
  bool ended = false;
  int status = 0;
  std::string ending;  // what ended the process when it did not exit
};

void flushAll() {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
}

// The child's side: works the clip into the held files and exits with its
// status, running no exit handlers (the parent's are not its own to run).
[[noreturn]] void workInChild(const ClipJobs& batch, std::size_t index, ClipProcess& process) {
  int status = 1;
  if (dup2(process.out.fd(), STDOUT_FILENO) >= 0 && dup2(process.err.fd(), STDERR_FILENO) >= 0) {
    BatchProgress quiet(batch.clips.size());  // stderr is no terminal now: silent
    std::string note;
    try {
      status = batch.work(index, quiet, note);
    } catch (const std::exception& e) {
      std::cerr << "boneplay: '" << batch.clips[index] << "': " << e.what() << "\n";
      status = 1;
    } catch (...) {
      status = 1;
    }
    for (std::size_t at = 0; at < note.size();) {
      const ssize_t n = write(process.note.fd(), note.data() + at, note.size() - at);
      if (n <= 0) break;
      at += static_cast<std::size_t>(n);
    }
  }
  flushAll();
  _exit(status);
}

// None when no process can be started now (no file, no process left).
std::unique_ptr<ClipProcess> start(const ClipJobs& batch, std::size_t index) {
  auto process = std::make_unique<ClipProcess>();
  if (!process->out.ok() || !process->err.ok() || !process->note.ok()) return nullptr;
  flushAll();  // or the child would write this process's buffered output again
  process->pid = fork();
  if (process->pid == 0) workInChild(batch, index, *process);
  return process->pid > 0 ? std::move(process) : nullptr;
}

// Exit statuses pass through; any other end is an error of its clip.
void noteEnding(ClipProcess& process, int waitStatus, const std::string& clip) {
  process.ended = true;
  if (WIFEXITED(waitStatus)) {
    process.status = WEXITSTATUS(waitStatus);
    return;
  }
  process.status = 1;
  const int signal = WTERMSIG(waitStatus);
  process.ending = "boneplay: '" + clip + "': its process ended by signal " + std::to_string(signal) + " (" +
                   strsignal(signal) + ")\n";
}

// Waits for one of the processes in [from, to) to end.
void waitForOne(std::vector<std::unique_ptr<ClipProcess>>& processes, std::size_t from, std::size_t to,
                const std::vector<std::string>& clips) {
  int waitStatus = 0;
  pid_t pid;
  do pid = waitpid(-1, &waitStatus, 0);
  while (pid < 0 && errno == EINTR);
  const std::string why = pid < 0 ? std::strerror(errno) : "";
  for (std::size_t i = from; i < to; ++i) {
    ClipProcess& p = *processes[i];
    if (p.ended) continue;
    if (p.pid == pid) noteEnding(p, waitStatus, clips[i]);
    if (pid < 0) {  // none of them can be waited for any more
      p.ended = true;
      p.status = 1;
      p.ending = "boneplay: '" + clips[i] + "': cannot wait for its process: " + why + "\n";
    }
  }
}

}  // namespace

int coreCount() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<int>(online) : 1;
}

int runClipJobs(const ClipJobs& batch) {
  const std::size_t count = batch.clips.size();
  const std::size_t jobs = std::min<std::size_t>(count, batch.jobs > 0 ? batch.jobs : coreCount());
  BatchStatus status;
  BatchProgress progress(count);
  const auto workHere = [&](std::size_t i) {
    progress.startClip(i, stemOf(batch.clips[i]));
    std::string note;
    const int s = batch.work(i, progress, note);
    status.add(s);
    if (batch.done) batch.done(i, s, note);
  };
  if (jobs <= 1) {
    for (std::size_t i = 0; i < count; ++i) workHere(i);
    return status.worst();
  }

  // Clips [written, started) have a process; those before `written` are done and written out.
  std::vector<std::unique_ptr<ClipProcess>> processes(count);
  std::size_t started = 0, written = 0, running = 0;
  progress.clipsDone(0);
  while (written < count) {
    while (running < jobs && started < count && started < written + kAheadPerJob * jobs) {
      processes[started] = start(batch, started);
      if (!processes[started]) break;
      ++started;
      ++running;
    }
    if (running == 0) {  // nothing could be started, and everything before is written out
      progress.hide();
      workHere(started++);
      progress.clipsDone(++written);
      continue;
    }
    waitForOne(processes, written, started, batch.clips);
    std::size_t finished = written;
    running = 0;
    for (std::size_t i = written; i < started; ++i) ++(processes[i]->ended ? finished : running);
    for (; written < started && processes[written]->ended; ++written) {
      ClipProcess& p = *processes[written];
      progress.hide();
      // A clip's messages come before its results, as they do when it runs alone.
      std::cerr << p.err.text() << p.ending;
      std::cout << p.out.text() << std::flush;
      status.add(p.status);
      if (batch.done) batch.done(written, p.status, p.ending.empty() ? p.note.text() : std::string());
      processes[written].reset();
    }
    progress.clipsDone(finished);
  }
  progress.hide();
  return status.worst();
}

}  // namespace Cli
}  // namespace Boneplay
