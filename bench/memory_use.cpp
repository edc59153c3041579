#include "bench/memory_use.h"

#include <malloc.h>
#include <sys/resource.h>

#include <fstream>
#include <sstream>
#include <string>

namespace tessaril::bench {
namespace {

// A red-black tree node starts with its colour and three links.
constexpr std::uint64_t kTreeNodeLinks = 32;
// glibc's malloc puts a size word before each block and rounds to 16 bytes.
constexpr std::uint64_t kBlockHeader = 16;

template <class Map>
std::uint64_t MapBytes(const Map& map) {
  constexpr std::uint64_t kNode = kTreeNodeLinks + sizeof(typename Map::value_type) + kBlockHeader;
  std::uint64_t bytes = 0;
  for (const auto& [key, list] : map) {
    bytes += kNode;
    if (list.capacity() != 0) bytes += list.capacity() * sizeof(PageEntry) + kBlockHeader;
  }
  return bytes;
}

// A "Name:   123 kB" line of /proc/self/status, in bytes.
std::optional<std::uint64_t> StatusBytes(const std::string& name) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(name + ":", 0) != 0) continue;
    std::istringstream fields(line.substr(name.size() + 1));
    std::uint64_t kib = 0;
    if (fields >> kib) return kib * 1024;
  }
  return std::nullopt;
}

// Linux lets a process reset its own peak resident size to the current one.
bool ResetPeak() {
  std::ofstream clearRefs("/proc/self/clear_refs");
  clearRefs << "5";
  clearRefs.flush();
  return static_cast<bool>(clearRefs);
}

std::uint64_t LifetimePeakBytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;  // ru_maxrss is in KiB
}

}  // namespace

std::uint64_t InventoryBytes(const PageInventory& inventory) {
  return MapBytes(inventory.systemPages) + MapBytes(inventory.dataPages) +
         MapBytes(inventory.iamPages);
}

std::uint64_t HeapInUse() {
  const struct mallinfo2 info = ::mallinfo2();
  return info.uordblks + info.hblkhd;
}

PeakRise MeasurePeakRise(const std::function<void()>& pass) {
  ::malloc_trim(0);
  const std::optional<std::uint64_t> peak = ResetPeak() ? StatusBytes("VmHWM") : std::nullopt;
  if (peak) {
    pass();
    const std::uint64_t after = StatusBytes("VmHWM").value_or(*peak);
    return {after > *peak ? after - *peak : 0, true};
  }
  const std::uint64_t before = LifetimePeakBytes();
  pass();
  const std::uint64_t after = LifetimePeakBytes();
  return {after > before ? after - before : 0, false};
}

}  // namespace tessaril::bench
