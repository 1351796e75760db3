// Messages kept by a ReportCapture instead of going to stderr.
#include "codec/common/report.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace ridgeview::codec {
namespace {

TEST(ReportCapture, KeepsTheThreadsMessagesAndNests) {
  testing::internal::CaptureStderr();
  {
    ReportCapture outer;
    report("warning %d\n", 1);
    {
      ReportCapture inner;
      report("ERROR : first line\nsecond line\n");
      EXPECT_EQ(inner.failure_line(), "ERROR : first line");
      // Another thread's messages still go to stderr.
      std::thread([] { report("from another thread\n"); }).join();
    }
    report("ERROR : no line end");
    EXPECT_EQ(outer.text(), "warning 1\nERROR : no line end");
    EXPECT_EQ(outer.last_message(), "ERROR : no line end");
    EXPECT_EQ(outer.failure_line(), "ERROR : no line end");
  }
  report("after\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "from another thread\nafter\n");
  ReportCapture none;
  EXPECT_EQ(none.failure_line(), "");
}

}  // namespace
}  // namespace ridgeview::codec
