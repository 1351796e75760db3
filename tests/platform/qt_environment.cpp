// The platform test program's QApplication: widgets, the clipboard, the image readers and the
// single-instance server need it; the registry tests do not mind it.
#include "qt_test_environment.h"

namespace {
[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new ridgeview::testing_qt::QtTestEnvironment);
}  // namespace
