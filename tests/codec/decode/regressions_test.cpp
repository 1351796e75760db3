// Inputs that once made the decoder misbehave: each must now give the code written at the
// end of its file name (NAME_CODE.wsq; 0 for a file that decodes), releasing everything.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "codec/test_files.h"
#include "codec/wsq/wsq.h"

namespace ridgeview::codec {
namespace {

TEST(DecoderRegressions, EveryKeptInputFailsWithItsCode) {
  const std::filesystem::path dir =
      std::filesystem::path(RIDGEVIEW_SOURCE_DIR) / "tests/regress/wsq_decode";
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".wsq") continue;
    SCOPED_TRACE(name);
    const std::string stem = entry.path().stem().string();
    const int want = std::stoi(stem.substr(stem.rfind('_') + 1));
    const auto file = testing_files::read_file(entry.path().string());
    codec_reset_alloc_counters();
    CodecBytes pixels;
    int w, h, d, p, l, e, s;
    testing::internal::CaptureStderr();
    const int ret = wsq_decode_mem(pixels, &w, &h, &d, &p, &l, &e, &s, file.data(), file.size());
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ret, want);
    pixels.reset();
    EXPECT_EQ(codec_live_allocations(), 0);
  }
}

}  // namespace
}  // namespace ridgeview::codec
