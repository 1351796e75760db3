// What the document operations (loading, saving, clipboard) need from the rest of the
// program, as small interfaces: the frame and the view implement the first two, platform/
// the services. Tests implement them with recording or scripted doubles, so no test needs a
// window or a modal dialog.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/image.h"

namespace ridgeview::document {

// The image view, as the document operations see it.
class DocumentView {
 public:
  virtual ~DocumentView() = default;
  // Shows `image` (or nothing) under `name` at `zoom` with the image point (x, y) at the
  // top-left corner, (-1, -1) centring it; frees the previous image unless it is the same.
  virtual void SetImage(std::unique_ptr<Image> image, std::optional<std::string> name,
                        double zoom, int x, int y) = 0;
  // Puts a reloaded image in place of the current (or released) one, keeping name, zoom and
  // offset. False when nothing is shown.
  virtual bool ReplaceBitmap(std::unique_ptr<Image> image) = 0;
  // The image shown, or null.
  virtual const Image* Bitmap() const = 0;
  // Size of the whole zoomed image in screen pixels (the copy's size).
  virtual int ContentWidth() const = 0;
  virtual int ContentHeight() const = 0;
  // The view's zoom, or 0 when unknown (the copy is then the content size, picked). Below
  // 1.00 (magnified) Copy takes the image at 1.00.
  virtual double Zoom() const { return 0.0; }
  // Whether the view draws its reductions by area averaging (Copy then does too).
  virtual bool Smooth() const { return false; }
};

// Enabling of commands by identifier (command_ids.h).
class CommandStates {
 public:
  virtual ~CommandStates() = default;
  virtual void Enable(int commandId, bool enabled) = 0;
};

enum class MessageIcon { Error, Warning };

// Message boxes. The caption is always the program's name, "Ridgeview".
class MessageService {
 public:
  virtual ~MessageService() = default;
  virtual void Show(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
};

// The platform's loader of JPEG, PNG and GIF files, converted to an Image. None when the file
// cannot be read or decoded.
class PictureLoader {
 public:
  virtual ~PictureLoader() = default;
  virtual std::optional<Image> Load(const std::string& path) = 0;
};

// The clipboard, exchanging BMP file bytes (a 14-byte file header and a packed DIB).
class ClipboardService {
 public:
  virtual ~ClipboardService() = default;
  // Replaces the clipboard's contents with the bitmap (offered as image/bmp and, converted,
  // as image/png). False when the clipboard refuses it.
  virtual bool PutBmp(const std::vector<std::uint8_t>& bmpFile) = 0;
  // The clipboard's image as BMP file bytes: image/bmp as offered (a bare packed DIB gets a
  // file header put in front), or any other image format converted. None without an image.
  virtual std::optional<std::vector<std::uint8_t>> GetBmp() = 0;
  // Whether the clipboard holds an image at all (for enabling Paste).
  virtual bool HasImage() = 0;
};

// The platform's open-file and save-file dialogs, owned by the active window. Their filters
// are fixed (the open dialog's image filters; the save dialog's WSQ, BMP and PNG entries).
// Both start in `folder` (the last folder used; empty for the dialog's own choice).
class FileDialogService {
 public:
  virtual ~FileDialogService() = default;
  // The chosen path, or none when cancelled.
  virtual std::optional<std::string> GetOpenFileName(const std::string& folder) = 0;
  struct SaveChoice {
    std::string path;     // the file to write, with the extension the dialog settled on
    int filterIndex = 1;  // 1-based position of the chosen filter entry: 1 WSQ, 2 BMP, 3 PNG
  };
  // A name typed without a known extension gets the chosen filter's one (SaveTargetPath),
  // before the dialog asks whether to replace an existing file; none when cancelled.
  virtual std::optional<SaveChoice> GetSaveFileName(const std::string& folder) = 0;
};

}  // namespace ridgeview::document
