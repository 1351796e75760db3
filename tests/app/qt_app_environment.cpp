// The frame test program's QApplication. The frame ends the program itself, so closing test
// frames must not quit anything.
#include "qt_test_environment.h"

namespace {
[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new ridgeview::testing_qt::QtTestEnvironment(false));
}  // namespace
