// Test support: a data file opened as a scan opens it, without the tree.
#pragma once

#include <memory>
#include <string>

#include "session/scan_result.h"

namespace tessaril::testing {

// Null when the file cannot be opened.
inline ScanSnapshot OpenScan(const std::string& path, ReadSettings settings = {}) {
  OpenRequest request;
  request.path = path;
  request.settings = settings;
  ScanEvents quiet;
  StopFlag stop;
  Result<std::shared_ptr<ScanResult>> opened = OpenDatabase(request, quiet, stop);
  return opened ? ScanSnapshot(std::move(opened).value()) : nullptr;
}

}  // namespace tessaril::testing
