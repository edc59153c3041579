#include "catalog/catalog.h"

namespace tessaril {

const CatalogObject* Catalog::FindObject(std::int32_t id) const {
  for (const CatalogObject& object : objects) {
    if (object.id == id) return &object;
  }
  return nullptr;
}

}  // namespace tessaril
