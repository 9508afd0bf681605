// Replays fuzz inputs without libFuzzer: every file named on the command line
// (or found in a named folder) is fed to the target once. This keeps each
// target's corpus a regression test in builds made with any compiler.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {
int replayFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
    return 1;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return 0;
}
} // namespace

int main(int argc, char **argv) {
  int failures = 0, inputs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg = argv[i];
    if (std::filesystem::is_directory(arg)) {
      for (const auto &entry : std::filesystem::recursive_directory_iterator(arg))
        if (entry.is_regular_file()) {
          failures += replayFile(entry.path());
          ++inputs;
        }
    } else {
      failures += replayFile(arg);
      ++inputs;
    }
  }
  std::printf("replay: %d inputs, %d unreadable\n", inputs, failures);
  return failures == 0 && inputs > 0 ? 0 : 1;
}
