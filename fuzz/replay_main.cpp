// Runs a fuzz target's entry point over saved inputs without libFuzzer, so that the seed
// corpus and every kept crash reproducer run as ordinary tests. Arguments are files or
// folders (folders are read recursively; README files are skipped); an argument that names
// nothing fails the run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int run_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
    return 1;
  }
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  int failures = 0;
  std::size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path arg(argv[i]);
    if (fs::is_directory(arg)) {
      std::vector<fs::path> files;
      for (const auto& entry : fs::recursive_directory_iterator(arg)) {
        if (entry.is_regular_file() && entry.path().filename() != "README.md") {
          files.push_back(entry.path());
        }
      }
      std::sort(files.begin(), files.end());
      for (const auto& f : files) {
        failures += run_file(f);
        ++count;
      }
    } else if (fs::exists(arg)) {
      failures += run_file(arg);
      ++count;
    } else {
      // A corpus that is not there would make the run pass without testing anything.
      std::fprintf(stderr, "replay: no such file or folder: %s\n", arg.c_str());
      ++failures;
    }
  }
  std::fprintf(stderr, "replay: %zu inputs\n", count);
  return failures == 0 ? 0 : 1;
}
