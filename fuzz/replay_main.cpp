// Runs a fuzz target once over each input named on the command line: a file,
// or every file in a folder (in name order). This is how the targets run
// under ctest without libFuzzer; minimised crashers join the seed folders.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

// The files an argument names; false when it names nothing readable.
bool CollectInputs(const fs::path& argument, std::vector<fs::path>& inputs) {
  std::error_code error;
  if (fs::is_regular_file(argument, error)) {
    inputs.push_back(argument);
    return true;
  }
  if (!fs::is_directory(argument, error)) return false;
  std::vector<fs::path> found;
  for (const fs::directory_entry& entry : fs::directory_iterator(argument, error)) {
    if (entry.is_regular_file(error)) found.push_back(entry.path());
  }
  std::sort(found.begin(), found.end());
  inputs.insert(inputs.end(), found.begin(), found.end());
  return !error;
}

std::vector<std::uint8_t> ReadInput(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s SEED_FOLDER_OR_FILE...\n", argc > 0 ? argv[0] : "replay");
    return 2;
  }
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    if (!CollectInputs(argv[i], inputs)) {
      std::fprintf(stderr, "%s: not a readable file or folder\n", argv[i]);
      return 2;
    }
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "no inputs found; the seed folder is empty\n");
    return 2;
  }
  for (const fs::path& path : inputs) {
    const std::vector<std::uint8_t> bytes = ReadInput(path);
    std::fprintf(stderr, "running %s (%zu bytes)\n", path.c_str(), bytes.size());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::fprintf(stderr, "%zu inputs ran without a fault\n", inputs.size());
  return 0;
}
