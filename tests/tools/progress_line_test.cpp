// The progress line of batches: its text, and what it writes around other output.
#include "tools/ridgeview-wsq/progress_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace ridgeview::tools {
namespace {

TEST(ProgressText, CountsThenRateAndTimeLeft) {
  EXPECT_EQ(ProgressText(0, 40, 0.0), "0 of 40 files");
  EXPECT_EQ(ProgressText(0, 40, 3.0), "0 of 40 files");  // no rate before the first file
  EXPECT_EQ(ProgressText(10, 40, 4.0), "10 of 40 files, 2.5 files/s, 12 s left");
  EXPECT_EQ(ProgressText(1, 200, 1.0), "1 of 200 files, 1.0 files/s, 3:19 left");
  EXPECT_EQ(ProgressText(1, 4000, 1.0), "1 of 4000 files, 1.0 files/s, 1:06:39 left");
  EXPECT_EQ(ProgressText(40, 40, 8.0), "40 of 40 files, 5.0 files/s");
}

// Everything the line wrote to a temporary stream.
std::string written(std::FILE* f) {
  std::string text(static_cast<std::size_t>(std::ftell(f)), '\0');
  std::rewind(f);
  text.resize(std::fread(text.data(), 1, text.size(), f));
  return text;
}

TEST(ProgressLine, DrawsInPlaceKeepsMessagesWholeAndErasesItself) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  {
    ProgressLine line(2, true, f);
    line.Write("ERROR : a message\n");
    line.FileDone();
    line.FileDone();
  }
  const std::string text = written(f);
  std::fclose(f);
  const std::string erase = "\r\033[K";
  // Drawn at once; erased before the message, which stands on a line of its own; redrawn.
  EXPECT_EQ(text.rfind(erase + "ridgeview-wsq: 0 of 2 files" + erase + "ERROR : a message\n" +
                           erase + "ridgeview-wsq: 0 of 2 files",
                       0),
            0u)
      << text;
  // The last file is always drawn, and the line is gone at the end.
  EXPECT_NE(text.find("ridgeview-wsq: 2 of 2 files"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - erase.size()), erase);
}

}  // namespace
}  // namespace ridgeview::tools
