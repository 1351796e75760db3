// The document operations: loading an image file, installing it in the view, clearing and
// reloading the document, saving, and exchanging the image with the clipboard.
//
// The document is the one image the program holds. Its parts live in three places: the view
// owns the bitmap and its shown name (DocumentView), the command states say which image
// commands are enabled (CommandStates), and this class keeps the rest: the path the image
// was loaded from (`imagePath`, empty for no image or a pasted one) and whether the image
// came from a WSQ file (`wsqOrigin`).
//
// Every failure the user must hear of goes through the MessageService with the caption
// "Ridgeview"; the texts are fixed and listed at each operation. Nothing here throws, and
// nothing here touches a window, so all of it is tested with doubles of the ports.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "document/document_ports.h"
#include "document/folder_walk.h"
#include "document/image.h"
#include "document/save_format.h"

namespace ridgeview::document {

// Caption of every message box.
inline constexpr const char* kProgramName = "Ridgeview";

// Message texts.
inline constexpr const char* kMsgBufferMalloc = "Error: malloc for buffer failed";
inline constexpr const char* kMsgPixelDataMalloc = "Error: pixel_data malloc for buffer failed";
inline constexpr const char* kMsgCannotLoad = "Cannot load image from: ";  // + the path
inline constexpr const char* kMsgRenderTarget = "Error: hDIB == NULL";
inline constexpr const char* kMsgRenderPixels = "Error: pixel_data == NULL";
inline constexpr const char* kMsgGrayMalloc = "Error: malloc for input_data_stream buffer failed";
inline constexpr const char* kMsgCannotSave = "Cannot save image to: ";  // + the path
inline constexpr const char* kMsgCopyFailed = "Could not copy image to clipboard";
inline constexpr const char* kMsgPasteFailed = "Could not paste image from clipboard";

// Name shown for a pasted image.
inline constexpr const char* kPastedName = "pasted";

// Encoder settings of the WSQ save.
inline constexpr float kSaveBitRate = 0.75f;
inline constexpr int kSavePpi = 500;

// The name shown for the file at `path`: the part after the last '/' (the whole path without
// one), up to but not including its last '.'; empty when that part has no '.'.
// "/My Documents/a.b.wsq" gives "a.b", "/x.wsq/y.bmp" gives "y", "/a.png/noext" gives "".
std::string DisplayNameForPath(const std::string& path);

class Document {
 public:
  // The references must outlive the document. The first document made in the process fits
  // the WSQ codec's memory budget to the machine (FitCodecBudgetToMachine).
  Document(DocumentView& view, CommandStates& commands, MessageService& messages,
           PictureLoader& pictures, ClipboardService& clipboard);

  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // Reads the image file at `path`. The decoder is chosen by the file's first bytes (WSQ,
  // BMP, JPEG, PNG, GIF; see image_file_type.h), and only when they match none by the
  // extension of the file name in any letter case, so "IMG_0001.JPG" is read as JPEG and a
  // WSQ file is read as WSQ whatever its name:
  //   WSQ   the whole file is read and decoded by the WSQ library (ridgeview_wsq_decode), then made a 24-bit gray
  //         image (GrayToImage); `wsqOrigin` is set when this succeeds;
  //   BMP   the bitmap file reader (LoadBmpFile), keeping the file's own depth;
  //   JPEG, PNG, GIF  the PictureLoader.
  // `wsqOrigin` is cleared first and stays clear on failure. On failure the user is shown
  // "Cannot load image from: " + path (error icon), preceded for the WSQ branch by
  // "Error: malloc for buffer failed" when the file's bytes cannot be held (including a file
  // larger than the codec's memory budget) and by "Error: pixel_data malloc for buffer
  // failed" when the decoded pixels cannot be made an image. A missing file, a folder, an
  // unreadable or undecodable file, an image that breaks the model's invariants and a file
  // that is an image neither by content nor by name give only the second message. Returns
  // the image, or null. The document itself (path, view, commands) is not changed.
  std::unique_ptr<Image> LoadImageFile(const std::string& path);

  // Opens `path` and shows it at `zoom` with the image point (x, y) at the view's top-left
  // corner, (-1, -1) centring it. On success `imagePath` becomes path and the view shows the
  // image under DisplayNameForPath(path); on failure the document is cleared (ClearImage).
  // An empty path fails without a message. Enables Zoom Track, Save, Copy and Properties on
  // success and disables them on failure. A non-empty path, opened or not, becomes the
  // position in its folder (OpenNeighbourImage) and its folder the last folder used.
  // Returns success.
  bool OpenImageFile(const std::string& path, double zoom, int x, int y);

  // Opens the next (or previous) image of the folder of the last file opened, as Open does
  // (zoom 1.0, centred); see FolderWalk for the order and what counts as an image. A file
  // that fails to open shows its messages and becomes the position, so the next step goes
  // past it. At either end of the folder, and with no position (nothing opened yet, or
  // after CloseImage or a paste), nothing happens. Returns true when an image was opened.
  bool OpenNeighbourImage(FolderStep step);

  // Empties the document: no path, not from WSQ, the view shows no image at zoom 1.0,
  // centred, and the four image commands (Zoom Track, Save, Copy, Properties) are disabled:
  // with nothing shown they could only fail.
  void ClearImage();

  // The Close command: ClearImage, and the folder position is forgotten.
  void CloseImage();

  // Loads `imagePath` again after the frame released the view's bitmap for memory, and puts
  // the result in place of the released bitmap, keeping the shown name, zoom and offset. When
  // the path is empty or the load fails (the load's messages are shown for a failed file),
  // or the view has no image to put it in, the document is cleared and the four image
  // commands are disabled.
  void ReloadImage();

  // Saves the image the view shows to `path` exactly as given (no extension is added; the
  // save dialog adds the filter's one to a name without a known extension). The format is the
  // name's when its extension is ".wsq", ".bmp" or ".png" in any letter case, else that of
  // save-filter position `filterIndex` (SaveFormatFor):
  //   WSQ  the image rendered to 24 bits, reduced to gray (blue + green + red) div 3, encoded
  //        at bit rate 0.75, depth 8, 500 ppi, with an empty comment;
  //   BMP  a 24-bit top-row-first bitmap file (WriteBmpFile);
  //   PNG  8-bit gray when every pixel is gray, else 24-bit colour (Rgb24ToPngFile).
  // The file is replaced atomically: on any failure it keeps its previous contents or stays
  // absent. Messages (error icon): "Error: hDIB == NULL" when the image cannot be rendered,
  // "Error: pixel_data == NULL" when the render holds no pixels, "Error: malloc for
  // input_data_stream buffer failed" when the gray buffer cannot be made, and
  // "Cannot save image to: " + path when the file cannot be written or the encoder fails (an
  // image too small for the WSQ format, for one). With no image shown, or a filter position
  // other than 1, 2 and 3, nothing happens. On success the path's folder becomes the last
  // folder used. Returns true when the file was written.
  bool SaveImage(const std::string& path, int filterIndex);

  // Puts the image as the view shows it (its content size) on the clipboard: a 16-bit
  // bit-field bitmap (MakeClipboardBmp) handed to ClipboardService::PutBmp. A smoothed
  // reduction is copied by area averaging with the view's zoom as footprint (the view's own
  // drawing), a picked one by picking; while the view magnifies (zoom below 1.00) the image
  // is copied at 1.00, its own size. When there is no
  // image, the copy cannot be made or the clipboard refuses it, the user is shown
  // "Could not copy image to clipboard" (warning icon). Returns success.
  bool CopyImage();

  // Makes the clipboard's bitmap the document's image: the view shows it as "pasted" at zoom
  // 1.0, centred; `imagePath` is emptied, `wsqOrigin` cleared and the four image commands
  // enabled. When the clipboard holds no image, or one that does not parse or breaks the
  // model's invariants, the user is shown "Could not paste image from clipboard" (error icon)
  // and the document is unchanged. Returns success.
  bool PasteImage();

  const std::string& imagePath() const { return imagePath_; }
  bool wsqOrigin() const { return wsqOrigin_; }
  // Where the last file was opened from or saved to (absolute), or what SetLastFolder set;
  // the open and save dialogs start there. Empty before any.
  const std::string& lastFolder() const { return lastFolder_; }
  void SetLastFolder(std::string folder) { lastFolder_ = std::move(folder); }
  const FolderWalk& folderWalk() const { return folderWalk_; }

 private:
  // The image moved to the heap when there is one and it passes IsValidImage, else null.
  static std::unique_ptr<Image> Own(std::optional<Image> image);
  std::unique_ptr<Image> LoadWsqFile(const std::string& path);
  void EnableImageCommands(bool enabled);
  void ShowError(const std::string& text);
  // Makes the folder of `path` (absolute) the last folder used.
  void NoteFolderOf(const std::string& path);

  DocumentView& view_;
  CommandStates& commands_;
  MessageService& messages_;
  PictureLoader& pictures_;
  ClipboardService& clipboard_;
  std::string imagePath_;
  bool wsqOrigin_ = false;
  std::string lastFolder_;
  FolderWalk folderWalk_;
};

}  // namespace ridgeview::document
