#pragma once

#include <QString>

namespace runtime {

// The reader of old-format files (lembrete-formato-antigo): beside the
// program, else in the build's program folder, where tests and benchmarks
// that run from other folders find it. The one place that knows where it is.
QString oldFormatReaderProgram();

} // namespace runtime
