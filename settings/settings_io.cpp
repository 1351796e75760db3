// Reading and writing the view settings through the registry.
#include <array>
#include <cstring>

#include "settings/value_layout.h"
#include "settings/view_settings.h"

namespace ridgeview::settings {
namespace {

using platform::KeyDisposition;
using platform::QueryResult;
using platform::RegStatus;
using platform::ValueType;
using platform::ValueWrite;

// Reads a value of exactly N bytes, whatever its stored type. nullopt when the key is not
// open or the value is missing, unreadable, larger or smaller.
template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> ReadExact(platform::RegistryKey* key,
                                                     const char* name) {
  if (key == nullptr) return std::nullopt;
  std::array<std::uint8_t, N> bytes{};
  const QueryResult r = key->QueryValue(name, bytes.data(), static_cast<std::uint32_t>(N));
  if (r.status != RegStatus::Ok || r.size != N) return std::nullopt;
  return bytes;
}

template <std::size_t N>
std::span<const std::uint8_t> AsBytes(const std::array<std::uint8_t, N>& a) {
  return {a.data(), a.size()};
}

}  // namespace

SettingsReader::SettingsReader(platform::Registry& registry)
    : key_(registry.OpenKey(platform::Hive::CurrentUser, kSettingsKeyPath,
                            KeyDisposition::CreateIfMissing)) {}

SettingsReader::~SettingsReader() = default;

bool SettingsReader::ReadFull() {
  const auto bytes = ReadExact<kFullSize>(key_.get(), kFullName);
  return bytes ? (*bytes)[0] != 0 : false;
}

bool SettingsReader::ReadTitleBar() {
  const auto bytes = ReadExact<kTitleBarSize>(key_.get(), kTitleBarName);
  return bytes ? DecodeInt32(*bytes) != 0 : true;
}

bool SettingsReader::ReadScrollBars() {
  const auto bytes = ReadExact<kScrollBarsSize>(key_.get(), kScrollBarsName);
  return bytes ? (*bytes)[0] != 0 : true;
}

bool SettingsReader::ReadSmooth() {
  const auto bytes = ReadExact<kSmoothSize>(key_.get(), kSmoothName);
  return bytes ? (*bytes)[0] != 0 : true;
}

std::string SettingsReader::ReadPathText(const char* name) {
  if (!key_) return {};
  std::vector<std::uint8_t> buffer(kMaxImageBytes);
  const QueryResult r = key_->QueryValue(name, buffer.data(), kMaxImageBytes);
  if (r.status != RegStatus::Ok) return {};  // missing, or longer than any usable path
  const std::optional<std::string> path =
      DecodePathText(r.type, std::span<const std::uint8_t>(buffer.data(), r.size));
  return path.value_or(std::string());
}

std::string SettingsReader::ReadImage() { return ReadPathText(kImageName); }

std::string SettingsReader::ReadFolder() { return ReadPathText(kFolderName); }

ScrollPoint SettingsReader::ReadScroll() {
  const auto bytes = ReadExact<kScrollSize>(key_.get(), kScrollName);
  if (!bytes) return {};
  const std::span<const std::uint8_t, 8> all(*bytes);
  return {DecodeInt32(all.first<4>()), DecodeInt32(all.last<4>())};
}

double SettingsReader::ReadZoom() {
  const auto bytes = ReadExact<kZoomSize>(key_.get(), kZoomName);
  if (!bytes) return 1.0;
  const double zoom = DecodeDouble(*bytes);
  return IsUsableZoom(zoom) ? zoom : 1.0;
}

ViewSettings ReadSettings(platform::Registry& registry, RestoreImage restore) {
  SettingsReader reader(registry);
  ViewSettings s;
  s.fullScreen = reader.ReadFull();
  s.titleBar = reader.ReadTitleBar();
  s.scrollBarsOn = reader.ReadScrollBars();
  if (restore == RestoreImage::Yes) {
    s.imagePath = reader.ReadImage();
    if (!s.imagePath.empty()) {
      s.scroll = reader.ReadScroll();
      s.zoom = reader.ReadZoom();
    }
    s.folder = reader.ReadFolder();
  }
  s.smooth = reader.ReadSmooth();  // the newest value, read last
  return s;
}

bool WriteSettings(platform::Registry& registry, const ViewSettings& settings) {
  const platform::KeyHandle key = registry.OpenKey(platform::Hive::CurrentUser, kSettingsKeyPath,
                                                   KeyDisposition::CreateIfMissing);
  if (!key) return false;
  const auto titleBar = EncodeInt32(settings.titleBar ? 1 : 0);
  const std::array<std::uint8_t, 1> scrollBars{static_cast<std::uint8_t>(settings.scrollBarsOn)};
  const std::array<std::uint8_t, 1> full{static_cast<std::uint8_t>(settings.fullScreen)};
  static const std::vector<std::uint8_t> kEmptyText{0, 0};
  const std::vector<std::uint8_t> image = EncodePathText(settings.imagePath).value_or(kEmptyText);
  const std::vector<std::uint8_t> folder = EncodePathText(settings.folder).value_or(kEmptyText);
  const auto x = EncodeInt32(settings.scroll.x);
  const auto y = EncodeInt32(settings.scroll.y);
  std::array<std::uint8_t, kScrollSize> scroll{};
  std::memcpy(scroll.data(), x.data(), 4);
  std::memcpy(scroll.data() + 4, y.data(), 4);
  const auto zoom = EncodeDouble(settings.zoom);
  const std::array<std::uint8_t, 1> smooth{static_cast<std::uint8_t>(settings.smooth)};

  const std::array<ValueWrite, 8> writes{{
      {kTitleBarName, ValueType::Binary, AsBytes(titleBar)},
      {kScrollBarsName, ValueType::Binary, AsBytes(scrollBars)},
      {kFullName, ValueType::Binary, AsBytes(full)},
      {kImageName, ValueType::String, {image.data(), image.size()}},
      {kScrollName, ValueType::Binary, AsBytes(scroll)},
      {kZoomName, ValueType::Binary, AsBytes(zoom)},
      {kFolderName, ValueType::String, {folder.data(), folder.size()}},
      {kSmoothName, ValueType::Binary, AsBytes(smooth)},
  }};
  return key->SetValues(writes) == RegStatus::Ok;
}

}  // namespace ridgeview::settings
