// The view test program's QApplication: the widget tests need it; the core tests do not mind
// it.
#include "qt_test_environment.h"

namespace {
[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new ridgeview::testing_qt::QtTestEnvironment);
}  // namespace
