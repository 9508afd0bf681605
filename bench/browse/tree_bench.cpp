// Scanning a directory tree (by default /usr) with CVQFileTree::BrowseDrive,
// beside GNU find printing the size, write time and path of every entry of
// the same tree to /dev/null, in one run: both walk every directory and
// ask every entry for its size and time. find runs first once so that both
// meet a warm cache, then the two take turns; the best of each counts.
//
// Prints both times, ours / find against the target (at most 1.0) and the
// peak memory of each.
//
//   tree_bench [folder=/usr] [rounds=3]
#include <windows.h>
#include <vq_tbl32.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// One run of find, as a shell would start it; -1 when it failed.
double RunFind(const std::string &folder) {
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr))
      _exit(127);
    execlp("find", "find", folder.c_str(), "-printf", "%s %T@ %p\n", (char *)nullptr);
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) == 127)
    return -1;
  return Seconds(start);
}

double RunScan(const std::string &folder, UINT &dirs, UINT &files) {
  CVQFileTree tree;
  const auto start = Clock::now();
  const BOOL ok = tree.BrowseDrive(folder.c_str(), nullptr);
  const double t = Seconds(start);
  dirs = tree.dirCount;
  files = tree.fileCapacity;
  return ok ? t : -1;
}

} // namespace

int main(int argc, char **argv) {
  const std::string folder = argc > 1 ? argv[1] : "/usr";
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  if (RunFind(folder) < 0) {
    std::fprintf(stderr, "tree_bench: find cannot be run on %s\n", folder.c_str());
    return 1;
  }
  double ours = 1e9, theirs = 1e9;
  UINT dirs = 0, files = 0;
  for (int i = 0; i < rounds; ++i) {
    const double f = RunFind(folder), s = RunScan(folder, dirs, files);
    if (f < 0 || s < 0) {
      std::fprintf(stderr, "tree_bench: a run failed\n");
      return 1;
    }
    theirs = std::min(theirs, f);
    ours = std::min(ours, s);
  }
  rusage self{}, children{};
  getrusage(RUSAGE_SELF, &self);
  getrusage(RUSAGE_CHILDREN, &children);
  const double ratio = ours / theirs;
  std::printf("%s: %u directories, %u files\n", folder.c_str(), dirs, files);
  std::printf("BrowseDrive %8.3f s   find %8.3f s   ratio %.3f (target at most 1.0)%s\n", ours,
              theirs, ratio, ratio > 1.0 ? "  slower than find" : "");
  std::printf("peak memory: BrowseDrive process %.1f MB, find %.1f MB\n", self.ru_maxrss / 1024.0,
              children.ru_maxrss / 1024.0);
  return 0;
}
