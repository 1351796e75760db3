// A registry held in memory, for tests of the subsystems that use the registry. It follows
// the same rules as the persistent store (names, limits, all-or-nothing batches) and adds
// two things a test needs: a journal of the calls made, and switches that make opens or
// writes fail as a broken store would.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/registry/registry.h"

namespace ridgeview::platform {

namespace memory_store {
struct State;
}

class MemoryRegistry final : public Registry {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  KeyHandle OpenKey(Hive hive, std::string_view path, KeyDisposition how) override;

  // Journal of calls, one line each, in call order:
  //   "open HKEY_CURRENT_USER\Software\WTL\Ridgeview"    OpenKey(OpenExisting)
  //   "create HKEY_CURRENT_USER\Software\WTL\Ridgeview"  OpenKey(CreateIfMissing)
  //   "query Zoom"           QueryValue
  //   "write TitleBar,Full"  one SetValues transaction, names in the order given
  //   "delete Zoom"          DeleteValue
  //   "close"                a key handle destroyed
  // Names are written as the caller spelled them; calls that fail are recorded too.
  const std::vector<std::string>& Journal() const;
  void ClearJournal();

  // When set, every OpenKey fails (as with an unreadable store).
  void SetFailOpens(bool fail);
  // When set, every SetValues and DeleteValue fails with Failed and changes nothing.
  void SetFailWrites(bool fail);

 private:
  std::shared_ptr<memory_store::State> state_;
};

}  // namespace ridgeview::platform
