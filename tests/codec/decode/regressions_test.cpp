// Inputs that once made the decoder misbehave: each must now give the code written at the
// end of its file name (NAME_CODE.wsq; 0 for a file that decodes), releasing everything.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "codec/codec_test_support.h"
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
    codec_reset_alloc_counters();
    const auto d = codec_test::decode_file(testing_files::read_file(entry.path().string()));
    EXPECT_EQ(d.ret, want);
    EXPECT_EQ(codec_live_allocations(), 0);
  }
}

}  // namespace
}  // namespace ridgeview::codec
