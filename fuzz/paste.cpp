// Fuzz target of Paste: arbitrary bytes, offered as the clipboard's image/bmp data, go through
// a clipboard double into Document::PasteImage. Whatever the bytes, the paste either hands the
// view a valid image (then the document reads "pasted", its image commands are enabled, and
// the image survives what the program does next with it: rendering for a save, and a copy
// that pastes back) or shows the one paste message and leaves the document exactly as it
// was. Any other outcome traps, so that the fuzzer keeps the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/clipboard_dib.h"
#include "document/document_operations.h"
#include "document/image.h"
#include "document/pixel_convert.h"
#include "document/testing/recording_ports.h"

namespace {

using namespace ridgeview::document;

void Check(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

// A view that refuses to hold anything but a valid image, and exercises what it is given.
class CheckingView : public DocumentView {
 public:
  void SetImage(std::unique_ptr<Image> image, std::optional<std::string> name, double zoom,
                int x, int y) override {
    Check(image != nullptr && IsValidImage(*image));
    Check(image->pixels.size() >= image->Stride() * image->RowCount());
    Check(name == std::optional<std::string>(kPastedName) && zoom == 1.0 && x == -1 && y == -1);
    const std::optional<Image> rgb = RenderRgb24(*image);
    Check(rgb.has_value());
    Check(Rgb24ToGray(rgb->pixels, rgb->width, static_cast<std::int32_t>(rgb->RowCount())).has_value());
    bitmap = std::move(image);
    ++calls;
  }
  bool ReplaceBitmap(std::unique_ptr<Image>) override {
    Check(false);  // never part of a paste
    return false;
  }
  const Image* Bitmap() const override { return bitmap.get(); }
  // A small zoomed size keeps each run fast.
  int ContentWidth() const override { return bitmap ? std::min(bitmap->width, 16) : 0; }
  int ContentHeight() const override {
    return bitmap ? static_cast<int>(std::min<std::uint64_t>(bitmap->RowCount(), 16)) : 0;
  }

  std::unique_ptr<Image> bitmap;
  int calls = 0;
};

// The clipboard as another program may fill it: image/bmp bytes handed on as the desktop
// service would (a bare block behind a new file header), or unchanged when they do not parse
// as a block, so that the document's own checks see every malformed form too.
class RawClipboard : public ClipboardService {
 public:
  bool PutBmp(const std::vector<std::uint8_t>& bmpFile) override {
    data = bmpFile;
    return true;
  }
  std::optional<std::vector<std::uint8_t>> GetBmp() override {
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
      return data;
    }
    if (auto wrapped = WrapDibAsBmpFile(data)) {
      return wrapped;
    }
    return data;
  }
  bool HasImage() override { return !data.empty(); }

  std::vector<std::uint8_t> data;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckingView view;
  testing::RecordingCommands commands;
  testing::RecordingMessageService messages;
  testing::ScriptedPictureLoader pictures;
  RawClipboard clipboard;
  clipboard.data.assign(data, data + size);
  Document document(view, commands, messages, pictures, clipboard);

  if (!document.PasteImage()) {
    Check(messages.messages.size() == 1);
    Check(messages.messages[0].text == kMsgPasteFailed);
    Check(messages.messages[0].icon == MessageIcon::Error);
    Check(view.calls == 0 && commands.calls == 0);
    return 0;
  }
  Check(messages.messages.empty() && view.calls == 1);
  Check(document.imagePath().empty() && !document.wsqOrigin());
  Check(commands.calls == 4);
  for (const auto& [id, enabled] : commands.states) {
    Check(enabled);
  }

  // Copy the pasted image and paste the copy: the program's own block always comes back.
  Check(document.CopyImage());
  Check(document.PasteImage());
  Check(view.calls == 2 && messages.messages.empty());
  Check(view.bitmap->bitsPerPixel == 16 && view.bitmap->compression == kCompressionBitFields);
  return 0;
}
