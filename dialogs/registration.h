// File-type registration over the registry: whether a type's open command runs this
// program, and switching it to this program or back to the command it had before.
//
// Keys and values:
//   HKEY_CLASSES_ROOT  <ProgID>\Shell\Open\Command, default value: the open command. Opened,
//                      never created (on Linux the desktop's associations answer it,
//                      platform/qt/desktop/desktop_associations.h).
//   HKEY_CURRENT_USER  Software\WTL\Ridgeview, value named after the ProgID: the command the
//                      type had before this program registered it. Created when missing.
// All values are String (UTF-16LE with a terminating zero unit).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/registry.h"
#include "settings/settings_key.h"

namespace ridgeview::dialogs {

// One check box of the registration dialog.
struct RegistrationType {
  int box;                     // control id 1000..1004
  std::string_view progId;     // "wsqimage", ...
  std::string_view extension;  // whose desktop type name labels the box; empty for WSQ
};

inline constexpr std::array<RegistrationType, 5> kRegistrationTypes{{
    {1000, "wsqimage", ""},
    {1001, "bmpimage", ".bmp"},
    {1002, "jpegimage", ".jpg"},
    {1003, "pngimage", ".png"},
    {1004, "gifimage", ".gif"},
}};

inline constexpr char kWsqBoxLabel[] = "WSQ Image";

// "<progId>\Shell\Open\Command".
std::string CommandKeyPath(std::string_view progId);

// The type for a box id, or null.
const RegistrationType* RegistrationTypeOfBox(int box);

// A key's string value as UTF-8, up to its first zero unit. Empty when the value is missing,
// unreadable, of another type than String or ExpandString, not ending in a zero unit, or not
// valid UTF-16.
std::string ReadStringValue(platform::RegistryKey& key, std::string_view name);
// Whether the value exists and reads as a string (possibly empty) by the rules above.
std::optional<std::string> ReadStringValueIfPresent(platform::RegistryKey& key,
                                                    std::string_view name);

// Stores `text` (UTF-8) as a String value with its terminating zero. False when the text is
// not valid UTF-8 or the write fails.
bool WriteStringValue(platform::RegistryKey& key, std::string_view name, std::string_view text);

// True when the type's open command contains `programFileName` (case-sensitive substring).
// A type whose command key cannot be opened is not registered.
bool IsRegistered(platform::Registry& registry, std::string_view progId,
                  std::string_view programFileName);

// Checked: the type's command becomes programPath + " %1" and the command read before is
// remembered under the ProgID in the settings key (even when it was empty). When that
// command already runs this program (it contains the program's file name) it is not
// remembered: a value remembered earlier is kept, else the empty command is remembered, so
// that unchecking can never "restore" this program.
// Unchecked: the remembered command is written back and the remembered value deleted. With
// no remembered value the user's own default is removed instead (the key's default value is
// deleted), leaving the desktop's system default in force.
// Without a command key only the remembered value is stored or deleted; failures are silent.
void SetRegistration(platform::Registry& registry, std::string_view progId, bool checked,
                     std::string_view programPath);

}  // namespace ridgeview::dialogs
