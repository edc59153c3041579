// Test support: a data file opened with its catalog rebuilt.
#pragma once

#include <memory>
#include <string>

#include "catalog/catalog_builder.h"

namespace tessaril::testing {

struct OpenedCatalog {
  std::unique_ptr<DatabaseFile> db;  // null when the file could not be opened
  Catalog catalog;
};

inline OpenedCatalog OpenWithCatalog(const std::string& path) {
  NullProgress progress;
  StopFlag stop;
  auto db = DatabaseFile::Open(path, false, progress, stop);
  if (!db.ok()) return {};
  OpenedCatalog out{std::move(db).value(), {}};
  out.catalog = BuildCatalog(*out.db, RecordOptions(), progress);
  return out;
}

}  // namespace tessaril::testing
