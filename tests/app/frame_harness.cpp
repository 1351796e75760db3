#include "frame_harness.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMimeData>
#include <QWindow>
#include <fstream>
#include <iterator>

#include "codec/wsq/wsq.h"
#include "document/bmp_file.h"
#include "platform/registry/registry_location.h"
#include "view/widget/image_view.h"

// The window-system entry QTest uses to deliver keys (exported by QtGui): the key goes
// through shortcut matching and then to the focus widget, as a real key does.
Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* window, QEvent::Type t, int k,
                                    Qt::KeyboardModifiers mods, const QString& text,
                                    bool autorep, ushort count);

namespace ridgeview::app::testing {

std::optional<std::string> ProbingFileDialogs::GetOpenFileName(const std::string& folder) {
  fullScreenDuringOpen.push_back(probe && probe());
  return ScriptedFileDialogs::GetOpenFileName(folder);
}

std::optional<document::FileDialogService::SaveChoice> ProbingFileDialogs::GetSaveFileName(
    const std::string& folder) {
  fullScreenDuringSave.push_back(probe && probe());
  return ScriptedFileDialogs::GetSaveFileName(folder);
}

FrameHarness::FrameHarness() {
  configFolder_ = folder_.filePath("config").toStdString();
  hadConfigDir_ = qEnvironmentVariableIsSet("RIDGEVIEW_CONFIG_DIR");
  oldConfigDir_ = qgetenv("RIDGEVIEW_CONFIG_DIR");
  qputenv("RIDGEVIEW_CONFIG_DIR", QByteArray::fromStdString(configFolder_));
  fileDialogs.probe = [this] { return frame_ != nullptr && frame_->isFullScreen(); };
}

FrameHarness::~FrameHarness() {
  frame_.reset();
  registry_.reset();
  if (hadConfigDir_) {
    qputenv("RIDGEVIEW_CONFIG_DIR", oldConfigDir_);
  } else {
    qunsetenv("RIDGEVIEW_CONFIG_DIR");
  }
}

MainFrame& FrameHarness::Start(const std::string& commandLine) {
  frame_.reset();
  registry_ = platform::OpenUserRegistry();
  FrameDialogs dialogs;
  dialogs.about = [this](QWidget*) { aboutCalls.push_back(frame_->isFullScreen()); };
  dialogs.properties = [this](QWidget*) { propertiesCalls.push_back(frame_->isFullScreen()); };
  dialogs.registration = [this](QWidget*) {
    registrationCalls.push_back(frame_->isFullScreen());
  };
  platform::Registry* store = registryOverride != nullptr ? registryOverride : registry_.get();
  const FrameServices services{store, &messages, &fileDialogs, &pictures, &clipboard};
  frame_ = std::make_unique<MainFrame>(services, commandLine, dialogs);
  return *frame_;
}

void FrameHarness::Stop() {
  if (!frame_) return;
  frame_->close();
  frame_.reset();
  registry_.reset();
}

std::string FrameHarness::TempPath(const std::string& name) const {
  return folder_.filePath(QString::fromStdString(name)).toStdString();
}

std::string SamplePath() { return std::string(RIDGEVIEW_SOURCE_DIR) + "/samples/fingerprint.wsq"; }

Gray DecodeSample() {
  std::ifstream in(SamplePath(), std::ios::binary);
  const std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
  Gray gray;
  codec::CodecBytes pixels;
  int depth = 0, ppi = 0, lossy = 0, encoder = 0, software = 0;
  if (file.empty() || codec::wsq_decode_mem(pixels, &gray.width, &gray.height, &depth, &ppi,
                                            &lossy, &encoder, &software, file.data(),
                                            file.size()) != 0) {
    ADD_FAILURE() << "cannot decode " << SamplePath();
    return {};
  }
  gray.pixels.assign(pixels.get(),
                     pixels.get() + static_cast<std::size_t>(gray.width) * gray.height);
  return gray;
}

bool WriteGrayBmp(const std::string& path, int width, int height,
                  const std::function<std::uint8_t(int, int)>& pattern) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  std::vector<std::uint8_t> rows(stride * height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t g = pattern(x, y);
      std::uint8_t* p = &rows[y * stride + static_cast<std::size_t>(x) * 3];
      p[0] = p[1] = p[2] = g;
    }
  }
  return document::WriteBmpFile(rows, width, height, 24, path);
}

void Pump(int ms) {
  QElapsedTimer timer;
  timer.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  } while (timer.elapsed() < ms);
}

bool WaitUntil(const std::function<bool()>& pred, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!pred()) {
    if (timer.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

void ShowActive(MainFrame& frame) {
  frame.show();
  frame.activateWindow();
  QApplication::setActiveWindow(&frame);
  WaitUntil([&] { return frame.isActiveWindow(); }, 2000);
  Pump(0);
}

void PressKey(MainFrame& frame, int key, Qt::KeyboardModifiers modifiers) {
  QWindow* window = frame.windowHandle();
  ASSERT_NE(window, nullptr) << "the frame must be shown";
  qt_handleKeyEvent(window, QEvent::KeyPress, key, modifiers, QString(), false, 1);
  qt_handleKeyEvent(window, QEvent::KeyRelease, key, modifiers, QString(), false, 1);
  Pump(0);
}

void PutImageOnClipboard(const QImage& image) {
  QGuiApplication::clipboard()->setImage(image);
  Pump(0);
}

void PutTextOnClipboard(const QString& text) {
  QGuiApplication::clipboard()->setText(text);
  Pump(0);
}

}  // namespace ridgeview::app::testing
