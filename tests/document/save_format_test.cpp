// How the typed name and the chosen filter decide the saved file's name and format.
#include "document/save_format.h"

#include <gtest/gtest.h>

namespace ridgeview::document {
namespace {

TEST(SaveTargetPath, OnlyANameWithoutAKnownExtensionGetsTheFiltersOne) {
  struct Case {
    const char* typed;
    int filter;
    const char* expected;
  };
  const Case cases[] = {
      {"/p/scan", kSaveFilterWsq, "/p/scan.wsq"},
      {"/p/scan", kSaveFilterBmp, "/p/scan.bmp"},
      {"/p/scan", kSaveFilterPng, "/p/scan.png"},
      // An extension the program does not write is kept and the filter's added, so that the
      // name never lies about the content.
      {"/p/photo.jpg", kSaveFilterBmp, "/p/photo.jpg.bmp"},
      {"/p/scan.v2", kSaveFilterWsq, "/p/scan.v2.wsq"},
      {"/p/x.", kSaveFilterWsq, "/p/x..wsq"},
      // A folder's extension is not the file's.
      {"/p/prints.wsq/scan", kSaveFilterPng, "/p/prints.wsq/scan.png"},
      // A known extension in any case stays.
      {"/p/SCAN.BMP", kSaveFilterWsq, "/p/SCAN.BMP"},
      {"/p/a.Wsq", kSaveFilterPng, "/p/a.Wsq"},
      {"/p/a.png", kSaveFilterBmp, "/p/a.png"},
      // Nothing to complete: a folder, an empty name, an unknown filter position.
      {"/p/", kSaveFilterWsq, "/p/"},
      {"", kSaveFilterWsq, ""},
      {"/p/scan", 0, "/p/scan"},
      {"/p/scan", 4, "/p/scan"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SaveTargetPath(c.typed, c.filter), c.expected) << c.typed << " " << c.filter;
  }
}

TEST(SaveFormatFor, TheNameWinsOverTheFilterWhichMustBeKnown) {
  EXPECT_EQ(SaveFormatFor("/p/x.BMP", kSaveFilterWsq), SaveFormat::kBmp);
  EXPECT_EQ(SaveFormatFor("/p/x.png", kSaveFilterWsq), SaveFormat::kPng);
  EXPECT_EQ(SaveFormatFor("/p/x.wsq", kSaveFilterPng), SaveFormat::kWsq);
  EXPECT_EQ(SaveFormatFor("/p/x", kSaveFilterBmp), SaveFormat::kBmp);
  EXPECT_EQ(SaveFormatFor("/p/x.jpg", kSaveFilterPng), SaveFormat::kPng);
  EXPECT_EQ(SaveFormatFor("/p/x.wsq", 0), std::nullopt);
  EXPECT_EQ(SaveFormatFor("/p/x", 4), std::nullopt);
  EXPECT_EQ(SaveExtension(SaveFormat::kPng), "png");
}

}  // namespace
}  // namespace ridgeview::document
