#include "exchange/syncstate.h"

#include "store/synctables.h"

#include <QString>

namespace syncstate {

bool ensure(const QSqlDatabase &db)
{
    return synctables::ensure(db);
}

QString content(const QString &storedDay, const QString &title, const QString &description)
{
    return storedDay + QChar(0x1f) + title + QChar(0x1f) + description;
}

} // namespace syncstate
