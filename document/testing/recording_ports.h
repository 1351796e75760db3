// Test doubles of the document ports that need no window: a view, the command states and the
// message boxes that record what they are told, a picture loader with a scripted answer, and
// scripted file dialogs. Header-only, standard library only, so that document, platform and
// application tests and the fuzz targets can all use them.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/document_ports.h"
#include "document/image.h"

namespace ridgeview::document::testing {

// A view that owns the image it is given, as the real one does, and records every call.
class RecordingView : public DocumentView {
 public:
  struct SetImageCall {
    bool hadImage = false;
    std::optional<std::string> name;
    double zoom = 0;
    int x = 0;
    int y = 0;
  };

  void SetImage(std::unique_ptr<Image> image, std::optional<std::string> name, double zoom,
                int x, int y) override {
    calls.push_back({image != nullptr, name, zoom, x, y});
    bitmap = std::move(image);
    displayName = std::move(name);
  }
  bool ReplaceBitmap(std::unique_ptr<Image> image) override {
    ++replaceCalls;
    if (!displayName || image == nullptr) {
      return false;  // nothing shown to reload into
    }
    bitmap = std::move(image);
    return true;
  }
  const Image* Bitmap() const override { return bitmap.get(); }
  int ContentWidth() const override { return contentWidth; }
  int ContentHeight() const override { return contentHeight; }
  double Zoom() const override { return zoom; }
  bool Smooth() const override { return smooth; }

  // Frees the bitmap as the frame does on a low-memory notice, keeping the name.
  void Release() { bitmap.reset(); }

  std::unique_ptr<Image> bitmap;
  std::optional<std::string> displayName;
  int contentWidth = 0;
  int contentHeight = 0;
  double zoom = 0.0;    // 0: unknown, the copy is picked at the content size
  bool smooth = false;  // the view's reductions are area-averaged
  std::vector<SetImageCall> calls;
  int replaceCalls = 0;
};

// The command-state table: the last state set for each command, and how often any was set.
class RecordingCommands : public CommandStates {
 public:
  void Enable(int commandId, bool enabled) override {
    states[commandId] = enabled;
    ++calls;
  }
  // The recorded state, or none when the command was never set.
  std::optional<bool> State(int commandId) const {
    const auto it = states.find(commandId);
    return it == states.end() ? std::nullopt : std::optional<bool>(it->second);
  }

  std::map<int, bool> states;
  int calls = 0;
};

// Message boxes, recorded in order instead of shown.
class RecordingMessageService : public MessageService {
 public:
  struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::Error;
  };
  void Show(const std::string& text, const std::string& caption, MessageIcon icon) override {
    messages.push_back({text, caption, icon});
    if (whileShown) whileShown();
  }
  std::vector<Message> messages;
  // Runs while a box is "up", as a modal box would run its own event loop.
  std::function<void()> whileShown;
};

// A picture loader answering every path with the same image (or none) and recording paths.
class ScriptedPictureLoader : public PictureLoader {
 public:
  std::optional<Image> Load(const std::string& path) override {
    paths.push_back(path);
    return answer;
  }
  std::optional<Image> answer;
  std::vector<std::string> paths;
};

// File dialogs answering from queues (an empty queue answers as if cancelled) and noting the
// folder each was asked to start in.
class ScriptedFileDialogs : public FileDialogService {
 public:
  std::optional<std::string> GetOpenFileName(const std::string& folder) override {
    ++openCalls;
    folders.push_back(folder);
    return Next(openAnswers);
  }
  std::optional<SaveChoice> GetSaveFileName(const std::string& folder) override {
    ++saveCalls;
    folders.push_back(folder);
    return Next(saveAnswers);
  }

  std::deque<std::optional<std::string>> openAnswers;
  std::deque<std::optional<SaveChoice>> saveAnswers;
  int openCalls = 0;
  int saveCalls = 0;
  std::vector<std::string> folders;  // the start folder of every call, in order

 private:
  template <class T>
  static std::optional<T> Next(std::deque<std::optional<T>>& queue) {
    if (queue.empty()) {
      return std::nullopt;
    }
    std::optional<T> answer = std::move(queue.front());
    queue.pop_front();
    return answer;
  }
};

}  // namespace ridgeview::document::testing
