#include "platform/desktop/association_store.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "base/atomic_file.h"
#include "platform/desktop/default_application.h"
#include "platform/desktop/desktop_entry.h"
#include "platform/desktop/desktop_install.h"
#include "platform/desktop/mimeapps_list.h"

namespace ridgeview::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxListBytes = 4u << 20;

std::string UserListPath(const AssociationContext& context) {
  return context.dirs.configHome + "/mimeapps.list";
}

bool WriteText(const std::string& path, const std::string& text) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  return base::WriteFileAtomically(path, {bytes, text.size()});
}

// The user's mimeapps.list: its text, empty when it does not exist. False when it exists
// but cannot be read (it is then never overwritten).
bool ReadUserList(const AssociationContext& context, std::string& text) {
  text.clear();
  std::error_code ec;
  const std::string path = UserListPath(context);
  if (!fs::exists(path, ec)) return !ec;
  return ReadSmallFile(path, text, kMaxListBytes);
}

// A usable installed entry whose Exec reads as `command`; one that lists the type wins over
// one that does not.
const DesktopEntry* EntryWithCommand(DesktopCatalog& catalog, std::string_view mimeType,
                                     const std::string& command,
                                     const AssociationContext& context) {
  const DesktopEntry* fallback = nullptr;
  for (const DesktopEntry* entry : catalog.All()) {
    if (entry->exec.empty() || ExecToCommand(entry->exec) != command ||
        !IsUsableEntry(*entry, context.environment)) {
      continue;
    }
    if (std::find(entry->mimeTypes.begin(), entry->mimeTypes.end(), mimeType) !=
        entry->mimeTypes.end()) {
      return entry;
    }
    if (fallback == nullptr) fallback = entry;
  }
  return fallback;
}

std::string RestoredEntryText(std::string_view mimeType, const std::string& command) {
  std::string name = ExecProgram(command);
  if (const std::size_t slash = name.rfind('/'); slash != std::string::npos) {
    name.erase(0, slash + 1);
  }
  if (name.empty()) name = "Restored application";
  std::string text = "[Desktop Entry]\nType=Application\n";
  text += "Name=" + EscapeDesktopValue(name) + "\n";
  text += "Exec=" + EscapeDesktopValue(CommandToExec(command)) + "\n";
  text += "NoDisplay=true\n";
  text += "MimeType=" + std::string(mimeType) + ";\n";
  return text;
}

}  // namespace

std::string RestoredEntryId(std::string_view command) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : command) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex(16, '0');
  for (int i = 15; i >= 0; --i) {
    hex[static_cast<std::size_t>(i)] = kHex[hash & 0xF];
    hash >>= 4;
  }
  return "ridgeview-restored-" + hex + ".desktop";
}

std::optional<std::string> DefaultCommand(std::string_view mimeType,
                                          const AssociationContext& context) {
  DesktopCatalog catalog(context.dirs);
  const DesktopEntry* entry =
      FindDefaultApplication(mimeType, context.dirs, catalog, context.environment);
  if (entry == nullptr) return std::nullopt;
  return ExecToCommand(entry->exec);
}

AssociationResult RemoveUserDefault(std::string_view mimeType, const AssociationContext& context) {
  if (context.dirs.configHome.empty()) return AssociationResult::Failed;
  std::string text;
  if (!ReadUserList(context, text)) return AssociationResult::Failed;
  bool changed = false;
  const std::string edited = RemoveDefaultApplication(text, mimeType, changed);
  if (!changed) return AssociationResult::NotFound;
  return WriteText(UserListPath(context), edited) ? AssociationResult::Ok
                                                  : AssociationResult::Failed;
}

AssociationResult SetDefaultCommand(std::string_view mimeType, const std::string& command,
                                    const AssociationContext& context) {
  if (context.dirs.configHome.empty()) return AssociationResult::Failed;
  const bool own = !context.programPath.empty() && command == context.programPath + " %1";
  if (command.empty() || (!own && !ExecProgramExists(command, context.environment))) {
    // Nothing that could run: only the user's own choice is taken back.
    const AssociationResult removed = RemoveUserDefault(mimeType, context);
    return removed == AssociationResult::Failed ? removed : AssociationResult::Ok;
  }

  std::string desktopId;
  if (own) {
    const bool installed = context.install ? context.install(context.programPath, context.dirs)
                                           : InstallDesktopIntegration(context.programPath,
                                                                       context.dirs);
    if (!installed) return AssociationResult::Failed;
    desktopId = kRidgeviewDesktopId;
  } else {
    DesktopCatalog catalog(context.dirs);
    if (const DesktopEntry* entry = EntryWithCommand(catalog, mimeType, command, context)) {
      desktopId = entry->id;
    } else {
      if (context.dirs.dataHome.empty()) return AssociationResult::Failed;
      desktopId = RestoredEntryId(command);
      if (!WriteText(context.dirs.dataHome + "/applications/" + desktopId,
                     RestoredEntryText(mimeType, command))) {
        return AssociationResult::Failed;
      }
    }
  }

  std::string text;
  if (!ReadUserList(context, text) ||
      !WriteText(UserListPath(context),
                 // Another program's command takes Ridgeview out of the type's list.
                 SetDefaultApplication(text, mimeType, desktopId,
                                       own ? std::string_view() : kRidgeviewDesktopId))) {
    return AssociationResult::Failed;
  }
  // A desktop-specific list of the user's can still override mimeapps.list.
  DesktopCatalog after(context.dirs);
  const DesktopEntry* now =
      FindDefaultApplication(mimeType, context.dirs, after, context.environment);
  return now != nullptr && now->id == desktopId ? AssociationResult::Ok
                                                : AssociationResult::Failed;
}

}  // namespace ridgeview::platform
