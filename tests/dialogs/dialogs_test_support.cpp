#include "dialogs/dialogs_test_support.h"

#include <gtest/gtest.h>

#include "qt_test_environment.h"

#include <QApplication>
#include <QtGlobal>

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace ridgeview::dialogs::testing {
namespace {

namespace fs = std::filesystem;

// Points HOME and every XDG variable into a private folder before the tests (or Qt) read
// them (see kRegistered), holds the one QApplication of the program, and removes the folder
// after the last test.
class DialogsEnvironment : public ridgeview::testing_qt::QtTestEnvironment {
 public:
  void TearDown() override {
    QtTestEnvironment::TearDown();
    std::error_code ec;
    fs::remove_all(TestRoot(), ec);
  }
};

const bool kRegistered = [] {
  const std::string& root = TestRoot();
  qputenv("HOME", (root + "/home").c_str());
  qputenv("XDG_CONFIG_HOME", (root + "/home/.config").c_str());
  qputenv("XDG_DATA_HOME", (root + "/home/.local/share").c_str());
  qputenv("XDG_CACHE_HOME", (root + "/home/.cache").c_str());
  qputenv("XDG_CONFIG_DIRS", (root + "/etc").c_str());
  qputenv("XDG_DATA_DIRS", (root + "/sys:/usr/share").c_str());
  qputenv("XDG_RUNTIME_DIR", (root + "/run").c_str());
  qputenv("RIDGEVIEW_CONFIG_DIR", (root + "/config").c_str());
  qputenv("RIDGEVIEW_PROGRAM_DIR", (root + "/home/.local/bin").c_str());
  qunsetenv("XDG_CURRENT_DESKTOP");
  fs::create_directories(root + "/run");
  chmod((root + "/run").c_str(), 0700);
  ::testing::AddGlobalTestEnvironment(new DialogsEnvironment);
  return true;
}();

}  // namespace

const std::string& TestRoot() {
  static const std::string root = platform::testing::MakeTempFolder();
  return root;
}

}  // namespace ridgeview::dialogs::testing
