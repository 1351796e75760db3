// A Document wired to recording doubles, in a private temporary folder, with helpers that
// write WSQ and bitmap files into it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec/wsq/wsq.h"
#include "document/command_ids.h"
#include "document/document_operations.h"
#include "document/testing/memory_clipboard.h"
#include "document/testing/recording_ports.h"

namespace ridgeview::document::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::uint32_t Le32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// Gray bytes with structure in both directions, so the encoder has work to do.
inline Bytes GrayPattern(int width, int height) {
  Bytes gray(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      gray[static_cast<std::size_t>(y) * width + x] =
          static_cast<std::uint8_t>(128 + 60 * ((x / 3 + y / 5) % 2) + (x * 7 + y * 3) % 40);
    }
  }
  return gray;
}

// A WSQ file of the gray bytes, as the program's save writes one.
inline Bytes EncodeWsq(const Bytes& gray, int width, int height) {
  codec::CodecBytes out;
  std::size_t length = 0;
  if (codec::wsq_encode_1(out, &length, 0.75f, gray.data(), width, height, 8, 500, "") != 0) {
    return {};
  }
  return Bytes(out.get(), out.get() + length);
}

// Decoded gray bytes of a WSQ file (empty when it does not decode).
inline Bytes DecodeWsq(const Bytes& file, int* width = nullptr, int* height = nullptr) {
  codec::CodecBytes pixels;
  int w = 0, h = 0, depth = 0, ppi = 0, lossy = 0, encoder = 0, software = 0;
  if (file.empty() || codec::wsq_decode_mem(pixels, &w, &h, &depth, &ppi, &lossy, &encoder,
                                            &software, file.data(), file.size()) != 0) {
    return {};
  }
  if (width) *width = w;
  if (height) *height = h;
  return Bytes(pixels.get(), pixels.get() + static_cast<std::size_t>(w) * h);
}

class DocumentTest : public ::testing::Test {
 protected:
  DocumentTest() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/ridgeview-doc-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
  }
  ~DocumentTest() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }

  // Writes a WSQ file of the 64 x 48 test pattern at `name` and returns the path.
  std::string WriteWsq(const std::string& name) {
    const std::string path = Path(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteBytes(path, EncodeWsq(GrayPattern(64, 48), 64, 48));
    return path;
  }

  // The four image commands all set to `enabled`.
  void ExpectImageCommands(bool enabled) const {
    for (int id : {command::kZoomTrack, command::kSave, command::kCopy, command::kProperties}) {
      EXPECT_EQ(commands.State(id), std::optional<bool>(enabled)) << "command " << id;
    }
  }

  // Exactly one message: `text`, captioned "Ridgeview", with `icon`.
  void ExpectOneMessage(const std::string& text, MessageIcon icon) const {
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, text);
    EXPECT_EQ(messages.messages[0].caption, "Ridgeview");
    EXPECT_EQ(messages.messages[0].icon, icon);
  }

  std::string folder_;
  RecordingView view;
  RecordingCommands commands;
  RecordingMessageService messages;
  ScriptedPictureLoader pictures;
  MemoryClipboard clipboard;
  Document document{view, commands, messages, pictures, clipboard};
};

}  // namespace ridgeview::document::testing
