// The WSQ file's resolution stays with the opened image (as its pixels per metre), so that the
// view can give positions and lengths in millimetres.
#include "document_fixture.h"

namespace ridgeview::document::testing {
namespace {

class WsqResolution : public DocumentTest {};

TEST_F(WsqResolution, OpenedImageKeepsTheFilesPpi) {
  const Bytes gray = GrayPattern(64, 48);
  for (const int ppi : {500, 1000}) {
    codec::CodecBytes out;
    std::size_t length = 0;
    ASSERT_EQ(codec::wsq_encode_1(out, &length, 0.75f, gray.data(), 64, 48, 8, ppi, ""), 0);
    const std::string path = Path("scan" + std::to_string(ppi) + ".wsq");
    WriteBytes(path, Bytes(out.get(), out.get() + length));
    ASSERT_TRUE(document.OpenImageFile(path, 1.0, -1, -1));
    ASSERT_NE(view.bitmap, nullptr);
    // ppi / 0.0254, rounded: 500 ppi -> 19685, 1000 ppi -> 39370.
    const int expected = ppi == 500 ? 19685 : 39370;
    EXPECT_EQ(view.bitmap->xPixelsPerMetre, expected);
    EXPECT_EQ(view.bitmap->yPixelsPerMetre, expected);
  }
}

}  // namespace
}  // namespace ridgeview::document::testing
