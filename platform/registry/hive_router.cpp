#include "platform/registry/hive_router.h"

#include <utility>

namespace ridgeview::platform {
namespace {

// Index of a hive in the backend table, or -1 for a value outside the enumeration.
int Slot(Hive hive) {
  switch (hive) {
    case Hive::ClassesRoot:
      return 0;
    case Hive::CurrentUser:
      return 1;
  }
  return -1;
}

}  // namespace

HiveRouter::HiveRouter(std::shared_ptr<Registry> fallback) : fallback_(std::move(fallback)) {}

void HiveRouter::SetBackend(Hive hive, std::shared_ptr<Registry> backend) {
  const int slot = Slot(hive);
  if (slot >= 0) backends_[static_cast<std::size_t>(slot)] = std::move(backend);
}

KeyHandle HiveRouter::OpenKey(Hive hive, std::string_view path, KeyDisposition how) {
  const int slot = Slot(hive);
  if (slot < 0) return nullptr;
  Registry* target = backends_[static_cast<std::size_t>(slot)].get();
  if (target == nullptr) target = fallback_.get();
  return target != nullptr ? target->OpenKey(hive, path, how) : nullptr;
}

}  // namespace ridgeview::platform
