#pragma once

#include <QString>

namespace runtime {

// Text from outside made safe to keep, write to a file or print: control
// characters other than TAB and the line break (C0, DEL, C1, which a terminal
// may take as commands) are dropped, and CR LF or a lone CR become LF.
QString withoutControls(const QString &text);

} // namespace runtime
