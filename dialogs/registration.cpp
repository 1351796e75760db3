#include "dialogs/registration.h"

#include <vector>

#include "dialogs/program_location.h"
#include "platform/registry/registry_names.h"
#include "settings/utf16.h"

namespace ridgeview::dialogs {

using platform::Hive;
using platform::KeyDisposition;
using platform::ValueType;

std::string CommandKeyPath(std::string_view progId) {
  return std::string(progId) + "\\Shell\\Open\\Command";
}

const RegistrationType* RegistrationTypeOfBox(int box) {
  for (const RegistrationType& type : kRegistrationTypes) {
    if (type.box == box) return &type;
  }
  return nullptr;
}

std::optional<std::string> ReadStringValueIfPresent(platform::RegistryKey& key,
                                                    std::string_view name) {
  const std::optional<platform::StoredValue> value = platform::ReadWholeValue(key, name);
  if (!value) return std::nullopt;
  if (value->type != ValueType::String && value->type != ValueType::ExpandString) {
    return std::string();
  }
  const std::vector<std::uint8_t>& bytes = value->bytes;
  if (bytes.size() < 2 || bytes.size() % 2 != 0 || bytes[bytes.size() - 2] != 0 ||
      bytes.back() != 0) {
    return std::string();
  }
  std::u16string wide;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (unit == 0) break;
    wide.push_back(unit);
  }
  return settings::Utf16ToUtf8(wide).value_or(std::string());
}

std::string ReadStringValue(platform::RegistryKey& key, std::string_view name) {
  return ReadStringValueIfPresent(key, name).value_or(std::string());
}

bool WriteStringValue(platform::RegistryKey& key, std::string_view name, std::string_view text) {
  const std::optional<std::u16string> wide = settings::Utf8ToUtf16(text);
  if (!wide) return false;
  std::vector<std::uint8_t> bytes;
  bytes.reserve((wide->size() + 1) * 2);
  for (const char16_t unit : *wide) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return key.SetValue(name, ValueType::String, bytes) == platform::RegStatus::Ok;
}

bool IsRegistered(platform::Registry& registry, std::string_view progId,
                  std::string_view programFileName) {
  const platform::KeyHandle key =
      registry.OpenKey(Hive::ClassesRoot, CommandKeyPath(progId), KeyDisposition::OpenExisting);
  if (!key || programFileName.empty()) return false;
  return ReadStringValue(*key, "").find(programFileName) != std::string::npos;
}

void SetRegistration(platform::Registry& registry, std::string_view progId, bool checked,
                     std::string_view programPath) {
  const platform::KeyHandle command =
      registry.OpenKey(Hive::ClassesRoot, CommandKeyPath(progId), KeyDisposition::OpenExisting);
  const std::string current = command ? ReadStringValue(*command, "") : std::string();
  const platform::KeyHandle ownKey = registry.OpenKey(
      Hive::CurrentUser, settings::kSettingsKeyPath, KeyDisposition::CreateIfMissing);

  if (checked) {
    if (command) WriteStringValue(*command, "", std::string(programPath) + " %1");
    if (!ownKey) return;
    const std::string fileName = FileNameOf(programPath);
    const bool alreadyOurs = !fileName.empty() && current.find(fileName) != std::string::npos;
    if (!alreadyOurs) {
      WriteStringValue(*ownKey, progId, current);
    } else if (!ReadStringValueIfPresent(*ownKey, progId)) {
      WriteStringValue(*ownKey, progId, "");
    }
    return;
  }

  const std::optional<std::string> remembered =
      ownKey ? ReadStringValueIfPresent(*ownKey, progId) : std::nullopt;
  if (command) {
    if (remembered) {
      WriteStringValue(*command, "", *remembered);
    } else {
      command->DeleteValue("");
    }
  }
  if (ownKey) ownKey->DeleteValue(progId);
}

}  // namespace ridgeview::dialogs
