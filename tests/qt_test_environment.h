// The one QApplication of a test program that has widget, clipboard or event-loop tests: made
// before the first test (offscreen unless the caller chose a platform) and destroyed after
// the last, unless another part of the program made one already.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace ridgeview::testing_qt {

class QtTestEnvironment : public ::testing::Environment {
 public:
  // quitOnLastWindowClosed: false for programs whose windows end the program themselves.
  explicit QtTestEnvironment(bool quitOnLastWindowClosed = true)
      : quitOnLastWindowClosed_(quitOnLastWindowClosed) {}

  void SetUp() override {
    if (QCoreApplication::instance() != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed_);
  }
  void TearDown() override { app_.reset(); }

 private:
  bool quitOnLastWindowClosed_;
  int argc_ = 1;
  char name_[16] = "ridgeview_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

}  // namespace ridgeview::testing_qt
