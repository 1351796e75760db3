// A later start handing its file to the running frame: the answer must not wait for the file
// to open, since opening may show a message box that stays up until the user closes it.
#include <gtest/gtest.h>

#include <QLocalSocket>
#include <fstream>

#include "app/run_app.h"
#include "frame_harness.h"
#include "platform/qt/instance/handover_record.h"
#include "platform/qt/instance/handover_server.h"
#include "view/widget/image_view.h"

namespace ridgeview::app {
namespace {

// A running frame serving the hand-over, and a later start's connection to it.
class HandOver : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = &h.Start();
    ServeHandOver(server, *frame_);
    const QString socketPath = QString::fromStdString(h.TempPath("handover"));
    ASSERT_TRUE(server.Listen(socketPath)) << server.ErrorString().toStdString();
    client.connectToServer(socketPath);
    ASSERT_TRUE(client.waitForConnected(2000));
  }
  void SendOpen(const std::string& path) {
    client.write(platform::EncodeOpenRequest(QString::fromStdString(path)));
    client.flush();
  }

  testing::FrameHarness h;
  MainFrame* frame_ = nullptr;
  platform::HandOverServer server;
  QLocalSocket client;
};

TEST_F(HandOver, AnOpenRequestIsAnsweredBeforeAMessageBoxAboutTheFileCloses) {
  const std::string damaged = h.TempPath("damaged.wsq");
  std::ofstream(damaged, std::ios::binary) << "\xFF\xA0\xFF\xA8 not a WSQ file";

  std::vector<platform::DecodedAnswer> answers;
  const auto collect = [&](std::size_t count, int ms) {
    return testing::WaitUntil(
        [&] {
          while (client.bytesAvailable() >= platform::kAnswerBytes) {
            answers.push_back(platform::DecodeAnswer(client.read(platform::kAnswerBytes)));
          }
          return answers.size() >= count;
        },
        ms);
  };

  // While the "Cannot load image from:" box is up, the later start asks for activation, as
  // it does once its open request was answered; both answers must reach it meanwhile.
  bool answeredWhileBoxUp = false;
  h.messages.whileShown = [&] {
    client.write(platform::EncodeActivateRequest());
    client.flush();
    answeredWhileBoxUp = collect(2, 3000);
  };
  SendOpen(damaged);

  EXPECT_TRUE(collect(1, 1000)) << "the open request must be answered at once";
  ASSERT_TRUE(testing::WaitUntil([&] { return !h.messages.messages.empty(); }, 3000));
  EXPECT_TRUE(answeredWhileBoxUp);
  EXPECT_EQ(h.messages.messages[0].text, "Cannot load image from: " + damaged);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0].tag, platform::kOpenTag);
  EXPECT_TRUE(answers[0].succeeded);
  EXPECT_EQ(answers[1].tag, platform::kActivateTag);
  h.messages.whileShown = nullptr;
}

TEST_F(HandOver, AHandedOverFileOpensAtZoomOneCentred) {
  SendOpen(testing::SamplePath());
  ASSERT_TRUE(testing::WaitUntil([&] { return frame_->imagePath() == testing::SamplePath(); }));
  EXPECT_EQ(frame_->view()->zoom(), 1.0);
  EXPECT_TRUE(h.messages.messages.empty());
}

}  // namespace
}  // namespace ridgeview::app
