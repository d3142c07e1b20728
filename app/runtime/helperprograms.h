#pragma once

#include <QString>

namespace runtime {

// The reader of old-format files (lembrete-formato-antigo): among the
// program's private executables (beside it when portable, the installation's
// private folder when installed), else in the build's program folder, where
// tests and benchmarks that run from other folders find it. The one place
// that knows where it is.
QString oldFormatReaderProgram();

} // namespace runtime
