#include "store/oldformatprocess.h"

#include "runtime/helperprograms.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

int OldFormatProcess::timeLimitMs(qint64 fileSize)
{
    // A few seconds for any file, one more for each MiB: the reader goes
    // through far more than that in a second.
    constexpr qint64 kBase = 5000;
    constexpr qint64 kPerMiB = 1000;
    const qint64 limit = kBase + kPerMiB * (qMax<qint64>(fileSize, 0) >> 20);
    return int(qMin<qint64>(limit, 3600 * 1000));
}

bool OldFormatProcess::read(const QString &path, QList<oldformat::Row> *rows, QString *error)
{
    return readWith(runtime::oldFormatReaderProgram(), path, rows, error);
}

bool OldFormatProcess::readWith(const QString &program, const QString &path, QList<oldformat::Row> *rows,
                                QString *error)
{
    const QString shownPath = QDir::toNativeSeparators(path);
    const auto fail = [error, &shownPath](const QString &why) {
        *error = QStringLiteral("o arquivo %1 não pôde ser lido: %2").arg(shownPath, why);
        return false;
    };
    QProcess reader;
    reader.setProgram(program);
    reader.setArguments({path});
    reader.setStandardErrorFile(QProcess::nullDevice());
    reader.setStandardInputFile(QProcess::nullDevice());
    reader.start(QIODevice::ReadOnly);
    if (!reader.waitForStarted())
        return fail(QStringLiteral("o leitor de arquivos do formato antigo (%1) não pôde ser iniciado (%2).")
                        .arg(QDir::toNativeSeparators(reader.program()), reader.errorString()));
    if (!reader.waitForFinished(timeLimitMs(QFileInfo(path).size()))) {
        reader.kill();
        reader.waitForFinished();
        return fail(QStringLiteral("a leitura demorou demais e foi interrompida; o arquivo parece danificado."));
    }
    if (reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0)
        return fail(QStringLiteral("a leitura parou de forma inesperada; o arquivo parece danificado."));
    oldformat::Reply reply;
    if (!oldformat::parse(reader.readAllStandardOutput(), &reply))
        return fail(QStringLiteral("a leitura devolveu dados sem sentido; o arquivo parece danificado."));
    if (!reply.error.isEmpty()) {
        *error = reply.error;
        return false;
    }
    *rows = reply.rows;
    return true;
}
