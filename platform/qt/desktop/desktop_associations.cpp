#include "platform/qt/desktop/desktop_associations.h"

#include <QString>
#include <QStringView>

#include <cstdlib>
#include <cstring>

#include "platform/desktop/association_store.h"
#include "platform/desktop/default_application.h"
#include "platform/registry/registry_names.h"

namespace ridgeview::platform {

struct DesktopAssociations::State {
  EnvironmentLookup environment;
  std::function<bool(const std::string&, const XdgDirs&)> install;
  std::string programPath;

  AssociationContext Context() const {
    return AssociationContext{ResolveXdgDirs(environment), environment, programPath, install};
  }
};

namespace {

std::vector<std::uint8_t> ToUtf16Value(const std::string& text) {
  const std::u16string wide = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
                                  .toStdU16String();
  std::vector<std::uint8_t> bytes;
  bytes.reserve((wide.size() + 1) * 2);
  for (const char16_t unit : wide) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

// The text of a written string value up to its first zero unit; none when it is not valid
// UTF-16LE or holds a line break.
std::optional<std::string> FromUtf16Value(std::span<const std::uint8_t> data) {
  if (data.size() % 2 != 0) return std::nullopt;
  std::u16string wide;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    if (unit == u'\n' || unit == u'\r') return std::nullopt;
    wide.push_back(unit);
  }
  const QStringView view(wide.data(), static_cast<qsizetype>(wide.size()));
  if (!view.isValidUtf16()) return std::nullopt;
  return view.toString().toStdString();
}

class CommandKey final : public RegistryKey {
 public:
  CommandKey(std::shared_ptr<DesktopAssociations::State> state, std::string mimeType)
      : state_(std::move(state)), mimeType_(std::move(mimeType)) {}

  QueryResult QueryValue(std::string_view name, void* buffer, std::uint32_t capacity) override {
    if (!ValidateValueName(name)) return {RegStatus::InvalidArgument, ValueType::None, 0};
    if (!name.empty()) return {};
    const std::optional<std::string> command = DefaultCommand(mimeType_, state_->Context());
    if (!command) return {};
    const std::vector<std::uint8_t> bytes = ToUtf16Value(*command);
    if (bytes.size() > kMaxValueBytes) return {RegStatus::Failed, ValueType::None, 0};
    const auto size = static_cast<std::uint32_t>(bytes.size());
    if (buffer == nullptr) return {RegStatus::Ok, ValueType::String, size};
    if (size > capacity) return {RegStatus::MoreData, ValueType::String, size};
    std::memcpy(buffer, bytes.data(), bytes.size());
    return {RegStatus::Ok, ValueType::String, size};
  }

  RegStatus SetValues(std::span<const ValueWrite> writes) override {
    if (const RegStatus valid = ValidateWrites(writes); valid != RegStatus::Ok) return valid;
    std::optional<std::string> command;
    for (const ValueWrite& write : writes) {
      if (!write.name.empty() ||
          (write.type != ValueType::String && write.type != ValueType::ExpandString)) {
        return RegStatus::InvalidArgument;  // only the default string value exists here
      }
      command = FromUtf16Value(write.data);
      if (!command) return RegStatus::InvalidArgument;
    }
    if (!command) return RegStatus::Ok;  // empty batch
    switch (SetDefaultCommand(mimeType_, *command, state_->Context())) {
      case AssociationResult::Ok: return RegStatus::Ok;
      case AssociationResult::NotFound: return RegStatus::NotFound;
      case AssociationResult::Failed: break;
    }
    return RegStatus::Failed;
  }

  RegStatus DeleteValue(std::string_view name) override {
    if (!ValidateValueName(name)) return RegStatus::InvalidArgument;
    if (!name.empty()) return RegStatus::NotFound;
    switch (RemoveUserDefault(mimeType_, state_->Context())) {
      case AssociationResult::Ok: return RegStatus::Ok;
      case AssociationResult::NotFound: return RegStatus::NotFound;
      case AssociationResult::Failed: break;
    }
    return RegStatus::Failed;
  }

 private:
  std::shared_ptr<DesktopAssociations::State> state_;
  std::string mimeType_;
};

}  // namespace

std::string_view MimeTypeOfProgId(std::string_view progId) {
  const std::string folded = FoldName(progId);
  for (const FileTypeBinding& binding : kFileTypeBindings) {
    if (binding.progId == folded) return binding.mimeType;
  }
  return {};
}

DesktopAssociations::DesktopAssociations(Options options)
    : state_(std::make_shared<State>()) {
  state_->environment = options.environment
                            ? std::move(options.environment)
                            : EnvironmentLookup([](const char* name) -> const char* {
                                return std::getenv(name);
                              });
  state_->install = std::move(options.install);
  state_->programPath = std::move(options.programPath);
}

DesktopAssociations::~DesktopAssociations() = default;

void DesktopAssociations::SetProgramPath(std::string programPath) {
  state_->programPath = std::move(programPath);
}

KeyHandle DesktopAssociations::OpenKey(Hive hive, std::string_view path, KeyDisposition) {
  if (hive != Hive::ClassesRoot || !ValidateKeyPath(path)) return nullptr;
  const std::string folded = FoldName(path);
  const std::size_t slash = folded.find('\\');
  if (slash == std::string::npos || folded.substr(slash) != "\\shell\\open\\command") {
    return nullptr;
  }
  const std::string_view mimeType = MimeTypeOfProgId(std::string_view(folded).substr(0, slash));
  if (mimeType.empty() || !IsKnownMimeType(mimeType, ResolveXdgDirs(state_->environment))) {
    return nullptr;
  }
  return std::make_unique<CommandKey>(state_, std::string(mimeType));
}

}  // namespace ridgeview::platform
