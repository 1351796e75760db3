// Loading: the choice of decoder by the file's content, the WSQ branch, the operations that
// install a loaded image in the document (open, clear, reload) and the steps through its
// folder.
#include "document/document_operations.h"

#include "base/timing.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "document/bmp_file.h"
#include "document/codec_budget.h"
#include "document/command_ids.h"
#include "document/image_file_type.h"
#include "document/wsq_load.h"

namespace ridgeview::document {

std::string DisplayNameForPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string::npos ? std::string() : fileName.substr(0, dot);
}

Document::Document(DocumentView& view, CommandStates& commands, MessageService& messages,
                   PictureLoader& pictures, ClipboardService& clipboard)
    : view_(view), commands_(commands), messages_(messages), pictures_(pictures),
      clipboard_(clipboard) {
  static std::once_flag budgetFitted;
  std::call_once(budgetFitted, FitCodecBudgetToMachine);
}

std::unique_ptr<Image> Document::Own(std::optional<Image> image) {
  if (!image || !IsValidImage(*image)) {
    return nullptr;
  }
  try {
    return std::make_unique<Image>(std::move(*image));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void Document::ShowError(const std::string& text) {
  messages_.Show(text, kProgramName, MessageIcon::Error);
}

void Document::EnableImageCommands(bool enabled) {
  commands_.Enable(command::kZoomTrack, enabled);
  commands_.Enable(command::kSave, enabled);
  commands_.Enable(command::kCopy, enabled);
  commands_.Enable(command::kProperties, enabled);
}

std::unique_ptr<Image> Document::LoadWsqFile(const std::string& path) {
  // A start-up preload of this very file, unchanged since, is the load; else load it now.
  std::optional<WsqLoad> preloaded = WsqPreload::Take(path);
  WsqLoad load = preloaded ? std::move(*preloaded) : LoadWsq(path);
  // What the codec has to say goes to stderr, as it would have without the library between.
  std::fputs(load.codecText.c_str(), stderr);
  switch (load.outcome) {
    case WsqLoad::Outcome::kLoaded:
      wsqOrigin_ = true;
      return std::move(load.image);
    case WsqLoad::Outcome::kNoMemoryForFile:
      ShowError(kMsgBufferMalloc);
      return nullptr;
    case WsqLoad::Outcome::kNoMemoryForPixels:
      ShowError(kMsgPixelDataMalloc);
      return nullptr;
    case WsqLoad::Outcome::kUnreadable:
    case WsqLoad::Outcome::kNotDecoded:
      break;
  }
  return nullptr;
}

std::unique_ptr<Image> Document::LoadImageFile(const std::string& path) {
  wsqOrigin_ = false;
  std::unique_ptr<Image> image;
  switch (ImageFileTypeOf(path)) {
    case ImageFileType::kWsq:
      image = LoadWsqFile(path);
      break;
    case ImageFileType::kBmp:
      image = Own(LoadBmpFile(path));
      break;
    case ImageFileType::kJpeg:
    case ImageFileType::kPng:
    case ImageFileType::kGif:
      image = Own(pictures_.Load(path));
      break;
    case ImageFileType::kUnknown:
      break;
  }
  if (!image) {
    ShowError(kMsgCannotLoad + path);
  }
  return image;
}

bool Document::OpenImageFile(const std::string& path, double zoom, int x, int y) {
  if (!path.empty()) {
    folderWalk_.SetPosition(path);
    NoteFolderOf(path);
  }
  base::ReportTiming("loading starts");
  std::unique_ptr<Image> image = path.empty() ? nullptr : LoadImageFile(path);
  const bool loaded = image != nullptr;
  if (loaded) {
    base::ReportTiming("image loaded");
    imagePath_ = path;
    view_.SetImage(std::move(image), DisplayNameForPath(path), zoom, x, y);
    base::ReportTiming("image handed to the view");
    EnableImageCommands(true);
  } else {
    ClearImage();
  }
  return loaded;
}

bool Document::OpenNeighbourImage(FolderStep step) {
  const std::optional<std::string> next = folderWalk_.Neighbour(step);
  return next && OpenImageFile(*next, 1.0, -1, -1);
}

void Document::CloseImage() {
  ClearImage();
  folderWalk_.Forget();
}

void Document::NoteFolderOf(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  lastFolder_ = (ec ? std::filesystem::path(path) : absolute).parent_path().string();
}

void Document::ClearImage() {
  imagePath_.clear();
  wsqOrigin_ = false;
  view_.SetImage(nullptr, std::nullopt, 1.0, -1, -1);
  EnableImageCommands(false);
}

void Document::ReloadImage() {
  std::unique_ptr<Image> image = imagePath_.empty() ? nullptr : LoadImageFile(imagePath_);
  if (image && view_.ReplaceBitmap(std::move(image))) {
    return;
  }
  ClearImage();
}

}  // namespace ridgeview::document
