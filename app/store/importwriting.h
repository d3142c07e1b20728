#pragma once

#include <QString>

#include <functional>

class QSqlDatabase;
class QSqlError;
class QTextStream;

// What the imports (old-format files, calendars) share when they write: the
// wording of a database failure, a free file name, the file of reminders set
// aside with their reasons, and the commit that keeps that file and the rows
// together.
namespace importwriting {

// "what (the database's own words)." or "what." when it has none.
QString describe(const QString &what, const QSqlError &error);

// The first of stem+extension, stem+separator+"2"+extension, ... that names no file in folder.
QString freeName(const QString &folder, const QString &stem, const QString &extension,
                 const QString &separator = QStringLiteral("-"));

// Writes the set-aside file through a save file: heading first, then body.
// whatWasSetAside names its contents in messages ("os lembretes", "os itens").
bool writeSetAsideFile(const QString &path, const QString &whatWasSetAside, const QString &heading,
                       const std::function<void(QTextStream &)> &body, QString *error);

// Ends an open transaction: writes the set-aside file (when rejectPath is not
// empty) before the commit, so that either both hold their items or neither
// is left. Rolls back on any failure.
bool commitWithSetAsideFile(QSqlDatabase &db, const QString &rejectPath,
                            const std::function<bool(QString *)> &writeSetAside, const QString &failure,
                            QString *error);

} // namespace importwriting
