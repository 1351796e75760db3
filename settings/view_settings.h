// The view settings that survive a restart: title bar, scroll bars, full screen, the last
// image with its zoom and scroll point, the folder the file dialogs start in, and whether
// reductions are smoothed. They live in the current user's registry hive under
// "Software\WTL\Ridgeview" as eight values:
//
//   name          type     size          bytes
//   "TitleBar"    binary   4             int32 LE, 1 visible / 0 hidden
//   "ScrollBars"  binary   1             1 on / 0 off
//   "Full"        binary   1             1 full screen / 0 not
//   "Image"       string   (chars+1)*2   UTF-16LE path with a zero terminator; empty = none
//   "Scroll"      binary   8             int32 LE x, then int32 LE y
//   "Zoom"        binary   8             IEEE-754 double, little-endian; 0.0625 .. 10000
//   "Folder"      string   (chars+1)*2   UTF-16LE folder last used by the Open and Save
//                                        dialogs, as "Image" is stored; empty = none
//   "Smooth"      binary   1             1 reductions area-averaged / 0 picked ("Exact pixels")
//
// The frame reads them while it is created, in the order Full, TitleBar, ScrollBars, Image,
// Scroll, Zoom (Scroll and Zoom only when Image is not empty), Folder (these four only
// without a file on the command line), Smooth, and writes all eight when it closes, in the
// order TitleBar, ScrollBars, Full, Image, Scroll, Zoom, Folder, Smooth, as one transaction.
// Missing or unusable values keep their defaults; a store that cannot be opened gives all
// defaults and skips the write.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry/registry.h"
#include "settings/settings_key.h"

namespace ridgeview::settings {

inline constexpr char kTitleBarName[] = "TitleBar";
inline constexpr char kScrollBarsName[] = "ScrollBars";
inline constexpr char kFullName[] = "Full";
inline constexpr char kImageName[] = "Image";
inline constexpr char kScrollName[] = "Scroll";
inline constexpr char kZoomName[] = "Zoom";
inline constexpr char kFolderName[] = "Folder";
inline constexpr char kSmoothName[] = "Smooth";

// The image point shown at the view's top-left corner, in image pixels.
struct ScrollPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const ScrollPoint&, const ScrollPoint&) = default;
};

// The eight values, holding their defaults when default-constructed.
struct ViewSettings {
  bool titleBar = true;       // "TitleBar"
  bool scrollBarsOn = true;   // "ScrollBars"
  bool fullScreen = false;    // "Full"
  std::string imagePath;      // "Image", UTF-8; empty when no file is open
  ScrollPoint scroll;         // "Scroll"
  double zoom = 1.0;          // "Zoom"
  std::string folder;         // "Folder", UTF-8; empty when none was used yet
  bool smooth = true;         // "Smooth"
  friend bool operator==(const ViewSettings&, const ViewSettings&) = default;
};

// Reads the values one at a time, so that the frame can interleave the reads with its
// creation steps. The constructor opens the settings key (creating it when missing); the
// destructor closes it. Each Read returns the stored value, or the default when the key
// could not be opened or the value is missing or unusable (see each function).
class SettingsReader {
 public:
  explicit SettingsReader(platform::Registry& registry);
  ~SettingsReader();
  SettingsReader(const SettingsReader&) = delete;
  SettingsReader& operator=(const SettingsReader&) = delete;

  // Whether the key is open; false means every read gives its default.
  bool HasKey() const { return key_ != nullptr; }

  // Binary values are read into a buffer of their size whatever their stored type; a value
  // of another size than the listed one is not used. Non-zero bytes mean true.
  bool ReadFull();        // default false
  bool ReadTitleBar();    // default true
  bool ReadScrollBars();  // default true
  bool ReadSmooth();      // default true

  // The path as UTF-8, or empty. Used only when stored as a string or expandable string
  // (not expanded), of even size, ending in a zero unit with nothing but zero units after
  // the first one, of at most kMaxImagePathUnits units including the terminator, and valid
  // UTF-16. Anything else gives an empty path rather than a different file.
  std::string ReadImage();
  ScrollPoint ReadScroll();  // default (0, 0)
  // The zoom, or 1.0 when it is missing, not a number, or outside [kMinZoom, kMaxZoom].
  double ReadZoom();
  // The folder as UTF-8, or empty, under the rules of ReadImage.
  std::string ReadFolder();

 private:
  std::string ReadPathText(const char* name);
  platform::KeyHandle key_;
};

enum class RestoreImage { Yes, No };

// Reads every value in the frame's order. With RestoreImage::No (a file was named on the
// command line, whose folder becomes the last used) "Image", "Scroll", "Zoom" and "Folder"
// are not read and keep their defaults.
ViewSettings ReadSettings(platform::Registry& registry, RestoreImage restore = RestoreImage::Yes);

// Opens the key (creating it when missing) and stores all eight values in one transaction,
// so a crash leaves either the previous set or this one. Returns false when nothing was
// stored; callers may ignore it. A path or folder that is not valid UTF-8, holds a zero byte,
// or is longer than kMaxImagePathUnits - 1 UTF-16 units is stored as empty.
bool WriteSettings(platform::Registry& registry, const ViewSettings& settings);

}  // namespace ridgeview::settings
