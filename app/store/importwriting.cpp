#include "store/importwriting.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QTextStream>

namespace importwriting {

QString describe(const QString &what, const QSqlError &error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? what + QStringLiteral(".") : what + QStringLiteral(" (") + text + QStringLiteral(").");
}

QString freeName(const QString &folder, const QString &stem, const QString &extension,
                 const QString &separator)
{
    const QDir dir(folder);
    QString candidate = stem + extension;
    for (int n = 2; QFileInfo::exists(dir.filePath(candidate)); ++n)
        candidate = stem + separator + QString::number(n) + extension;
    return dir.filePath(candidate);
}

bool writeSetAsideFile(const QString &path, const QString &whatWasSetAside, const QString &heading,
                       const std::function<void(QTextStream &)> &body, QString *error)
{
    const QString failure = QStringLiteral("o arquivo %1, com %2 que não puderam ser trazidos, "
                                           "não pôde ser %3 (%4).");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        *error = failure.arg(path, whatWasSetAside, QStringLiteral("criado"), file.errorString());
        return false;
    }
    QTextStream out(&file);
    out.setEncoding(QStringConverter::Utf8);
    out << heading;
    body(out);
    out.flush();
    if (out.status() != QTextStream::Ok || !file.commit()) {
        *error = failure.arg(path, whatWasSetAside, QStringLiteral("gravado"), file.errorString());
        return false;
    }
    return true;
}

bool commitWithSetAsideFile(QSqlDatabase &db, const QString &rejectPath,
                            const std::function<bool(QString *)> &writeSetAside, const QString &failure,
                            QString *error)
{
    if (!rejectPath.isEmpty() && !writeSetAside(error)) {
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        *error = describe(failure, db.lastError());
        db.rollback();
        if (!rejectPath.isEmpty())
            QFile::remove(rejectPath);
        return false;
    }
    return true;
}

} // namespace importwriting
