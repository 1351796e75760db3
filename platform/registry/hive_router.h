// A registry that sends each hive to its own backend. The program's registry is a router
// whose hives all go to the SQLite store; a backend that answers HKEY_CLASSES_ROOT from the
// desktop's file associations can later be plugged in for that hive alone.
#pragma once

#include <array>
#include <memory>

#include "platform/registry/registry.h"

namespace ridgeview::platform {

class HiveRouter final : public Registry {
 public:
  // Every hive goes to `fallback` until SetBackend routes it elsewhere. A null fallback
  // makes unrouted hives fail to open.
  explicit HiveRouter(std::shared_ptr<Registry> fallback);

  // Routes `hive` to `backend`; a null backend returns the hive to the fallback.
  void SetBackend(Hive hive, std::shared_ptr<Registry> backend);

  KeyHandle OpenKey(Hive hive, std::string_view path, KeyDisposition how) override;

 private:
  std::shared_ptr<Registry> fallback_;
  std::array<std::shared_ptr<Registry>, 2> backends_;  // indexed by Hive
};

}  // namespace ridgeview::platform
