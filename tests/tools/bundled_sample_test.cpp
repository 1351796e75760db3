// The bundled sample is reproducible from the generator and the encoder, byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "codec/wsq/wsq.h"
#include "tools/fpgen/fingerprint_generator.h"

namespace ridgeview::tools {
namespace {

TEST(BundledSample, IsTheEncodedSeedOneFingerprint) {
  std::ifstream in(std::string(RIDGEVIEW_SOURCE_DIR) + "/samples/fingerprint.wsq",
                   std::ios::binary);
  const std::vector<unsigned char> bundled((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
  ASSERT_FALSE(bundled.empty());
  const std::vector<std::uint8_t> pixels = GenerateFingerprint(500, 500, 1);
  ASSERT_EQ(pixels.size(), 500u * 500u);
  codec::CodecBytes wsq;
  std::size_t length = 0;
  ASSERT_EQ(codec::wsq_encode_1(wsq, &length, 0.75f, pixels.data(), 500, 500, 8, 500, ""), 0);
  ASSERT_EQ(length, bundled.size());
  EXPECT_TRUE(std::equal(bundled.begin(), bundled.end(), wsq.get()));
}

}  // namespace
}  // namespace ridgeview::tools
