#pragma once

#include <QString>

namespace alerts {

// The program's desktop identifier: the name of its installed desktop entry
// (packaging/) and of its icon in the icon theme.
inline QString desktopId()
{
    return QStringLiteral("example.zedozarir.lembrete");
}

} // namespace alerts
