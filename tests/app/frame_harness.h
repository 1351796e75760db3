// A main frame with test doubles around it: a settings store in a private folder (the real
// SQLite store, found through RIDGEVIEW_CONFIG_DIR as the program finds it), recorded message
// boxes, scripted file dialogs, the real picture loader and clipboard (the offscreen
// platform's in-process clipboard), and recorders in place of the modal dialogs. Each recorder
// notes whether the window was full screen while "its dialog" was up.
#pragma once

#include <QImage>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "document/testing/recording_ports.h"
#include "platform/qt/services/qt_clipboard_service.h"
#include "platform/qt/services/qt_picture_loader.h"
#include "platform/registry/sqlite_registry.h"

namespace ridgeview::app::testing {

// File dialogs that also note whether the frame was full screen when each was shown.
class ProbingFileDialogs : public document::testing::ScriptedFileDialogs {
 public:
  std::optional<std::string> GetOpenFileName(const std::string& folder) override;
  std::optional<SaveChoice> GetSaveFileName(const std::string& folder) override;
  std::function<bool()> probe;            // true when the window is full screen
  std::vector<bool> fullScreenDuringOpen;
  std::vector<bool> fullScreenDuringSave;
};

class FrameHarness {
 public:
  // A fresh settings folder; RIDGEVIEW_CONFIG_DIR points to it while the harness lives.
  FrameHarness();
  ~FrameHarness();

  // Creates (or re-creates, as a new start of the program) the frame with `commandLine`.
  MainFrame& Start(const std::string& commandLine = {});
  // Closes the frame as the user would (its settings are stored) and deletes it.
  void Stop();
  MainFrame& frame() { return *frame_; }

  // The store the frames use (a fresh connection to the folder's database).
  platform::SqliteRegistry& registry() { return *registry_; }
  // When set, frames use this store instead of the folder's database.
  platform::Registry* registryOverride = nullptr;
  const std::string& configFolder() const { return configFolder_; }
  std::string TempPath(const std::string& name) const;

  document::testing::RecordingMessageService messages;
  ProbingFileDialogs fileDialogs;
  platform::QtPictureLoader pictures;
  platform::QtClipboardService clipboard;

  // What the dialog recorders saw: one entry per call, whether the window was full screen.
  std::vector<bool> aboutCalls;
  std::vector<bool> propertiesCalls;
  std::vector<bool> registrationCalls;

 private:
  QTemporaryDir folder_;
  std::string configFolder_;
  QByteArray oldConfigDir_;
  bool hadConfigDir_ = false;
  std::unique_ptr<platform::SqliteRegistry> registry_;
  std::unique_ptr<MainFrame> frame_;
};

// The bundled sample (500 x 500) and its decoded gray pixels.
std::string SamplePath();
struct Gray {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};
Gray DecodeSample();

// Writes a 24-bit gray bitmap file whose pixel (x, y) is pattern(x, y). Returns success.
bool WriteGrayBmp(const std::string& path, int width, int height,
                  const std::function<std::uint8_t(int, int)>& pattern);

// Runs the event loop for `ms` milliseconds / until `pred` holds (at most `ms`).
void Pump(int ms = 0);
bool WaitUntil(const std::function<bool()>& pred, int ms = 2000);

// Shows the frame and makes it the active window (the offscreen platform activates on
// request).
void ShowActive(MainFrame& frame);

// Delivers a key press and release to the frame's window as the window system would, so that
// shortcuts are matched exactly as for a user's key.
void PressKey(MainFrame& frame, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Puts an image on / empties the application clipboard.
void PutImageOnClipboard(const QImage& image);
void PutTextOnClipboard(const QString& text);

}  // namespace ridgeview::app::testing
