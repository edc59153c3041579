// What the page inventory costs in memory: its own size worked out from its
// containers, and the rise of the process's peak resident size while a pass
// runs.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "storage/page_inventory.h"

namespace tessaril::bench {

// Bytes the inventory's three maps hold: every list's capacity in entries,
// plus for each map node its links, key and list header, plus the
// allocator's per-block header on each allocation. An estimate of the heap
// it keeps, not a measurement.
std::uint64_t InventoryBytes(const PageInventory& inventory);

struct PeakRise {
  std::uint64_t bytes = 0;
  // True when the peak was reset to the current size first, so bytes is what
  // the pass itself added; false when only the lifetime peak could be read
  // (bytes then counts only what went past earlier peaks).
  bool fromReset = false;
};

// Runs pass and reports how far it raised the peak resident size. Free heap
// memory is handed back to the system first, so what the pass allocates
// counts even where earlier passes left room behind.
PeakRise MeasurePeakRise(const std::function<void()>& pass);

// Heap bytes allocated and not yet freed, as the allocator counts them.
std::uint64_t HeapInUse();

}  // namespace tessaril::bench
