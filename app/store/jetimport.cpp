#include "store/jetimport.h"

#include "runtime/platform.h"
#include "store/dailycopy.h"
#include "store/databasecheck.h"
#include "store/daytext.h"
#include "store/importwriting.h"
#include "store/leftovers.h"
#include "store/oldformatprocess.h"

#include <QAtomicInt>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <QTextStream>

#include <cmath>
#include <memory>

namespace {

const QString kDatabaseName = QStringLiteral("dados.mdb");
const QString kTableName = QStringLiteral("lembrete");

// ---------------------------------------------------------------------------
// Reading the old table

struct OldRow
{
    int number = 0;     // position in the old table, from 1
    QString dayAsFound; // the day as the old file holds it, for the reject file
    QString day;        // "yyyy/mm/dd"; empty when the row is set aside
    QString title;
    QString description;
    QString reason; // why the row is set aside; empty when it is imported
    bool damaged = false; // its texts could not all be read whole
};

QString oldDayFromDateTime(double value, QString *asFound, QString *reason)
{
    // Days since 30/12/1899; the fraction is the time of day, which a
    // reminder does not keep. Before that day the whole part still counts
    // the days and the fraction is the time after midnight.
    *asFound = QString::number(value, 'g', 17);
    if (!std::isfinite(value) || std::fabs(value) > 3e6) {
        *reason = QStringLiteral("o valor de data/hora %1 não corresponde a um dia do calendário.")
                      .arg(*asFound);
        return QString();
    }
    const QDate day = QDate(1899, 12, 30).addDays(static_cast<qint64>(std::trunc(value)));
    *asFound = day.isValid() ? daytext::shown(day) : *asFound;
    if (!day.isValid() || day.year() < 1 || day.year() > 9999) {
        *reason = QStringLiteral("o valor de data/hora %1 está fora dos anos 1 a 9999.")
                      .arg(QString::number(value, 'g', 17));
        return QString();
    }
    return daytext::stored(day);
}

// Reads a day written as year/month/day or day/month/year, with "/", "-" or
// "." between the parts and, optionally, a time of day after it.
QString oldDayFromText(const QString &text, QString *reason)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{1,4})[/.-](\\d{1,2})[/.-](\\d{1,4})"
        "(?:[ T]+\\d{1,2}:\\d{2}(?::\\d{2}(?:\\.\\d+)?)?(?:\\s*[AaPp]\\.?[Mm]\\.?)?)?$"));
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        *reason = QStringLiteral("o lembrete não tem data.");
        return QString();
    }
    const QRegularExpressionMatch match = pattern.match(trimmed);
    if (!match.hasMatch()) {
        *reason = QStringLiteral("a data \"%1\" não está em um formato conhecido "
                                 "(aaaa/mm/dd ou dd/mm/aaaa).")
                      .arg(trimmed);
        return QString();
    }
    const QString first = match.captured(1);
    const QString last = match.captured(3);
    QDate day;
    if (first.size() == 4 && last.size() <= 2)
        day = QDate(first.toInt(), match.captured(2).toInt(), last.toInt());
    else if (last.size() == 4 && first.size() <= 2)
        day = QDate(last.toInt(), match.captured(2).toInt(), first.toInt());
    else {
        *reason = QStringLiteral("a data \"%1\" não tem um ano de quatro dígitos "
                                 "que a torne inequívoca.")
                      .arg(trimmed);
        return QString();
    }
    if (!day.isValid()) {
        *reason = QStringLiteral("a data \"%1\" não existe no calendário.").arg(trimmed);
        return QString();
    }
    return daytext::stored(day);
}

// The rows of the old table, read by the reader process, with each day
// converted and each row that cannot be used given its reason.
bool readOldRows(const QString &path, QList<OldRow> *rows, QString *error)
{
    QList<oldformat::Row> found;
    if (!OldFormatProcess::read(path, &found, error))
        return false;
    rows->clear();
    for (const oldformat::Row &old : std::as_const(found)) {
        OldRow row;
        row.number = rows->size() + 1;
        row.title = old.title;
        row.description = old.description;
        switch (old.dayKind) {
        case oldformat::DayKind::DateTime:
            row.day = oldDayFromDateTime(old.dayValue, &row.dayAsFound, &row.reason);
            break;
        case oldformat::DayKind::Text:
            row.dayAsFound = old.dayText;
            row.day = oldDayFromText(old.dayText, &row.reason);
            break;
        case oldformat::DayKind::None:
            row.reason = QStringLiteral("o lembrete não tem data.");
            break;
        }
        // Damage outweighs a day or title that is missing only because of it.
        row.damaged = !old.damage.isEmpty();
        if (row.damaged)
            row.reason = old.damage;
        if (row.reason.isEmpty() && row.title.isEmpty())
            row.reason = QStringLiteral("o lembrete não tem título.");
        if (!row.reason.isEmpty())
            row.day.clear();
        rows->append(row);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Writing the reminders

class ScopedConnection
{
public:
    explicit ScopedConnection(const QString &path)
        : m_name(QStringLiteral("jetimport-%1").arg(s_serial.fetchAndAddRelaxed(1)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    }
    ~ScopedConnection() { close(); }
    ScopedConnection(const ScopedConnection &) = delete;
    ScopedConnection &operator=(const ScopedConnection &) = delete;

    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }

    void close()
    {
        if (m_name.isEmpty())
            return;
        {
            QSqlDatabase db = database();
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
        m_name.clear();
    }

private:
    static QAtomicInt s_serial;
    QString m_name;
};

QAtomicInt ScopedConnection::s_serial;

using importwriting::describe;
using importwriting::freeName;

// A null QString is bound as NULL; the columns hold texts, empty ones too.
QVariant nonNull(const QString &value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

bool writeRejectFile(const QString &path, const QString &oldFile, const QList<OldRow> &rows,
                     QString *error)
{
    const QString heading =
        QStringLiteral("Lembretes do arquivo %1 que não foram trazidos para o banco de dados de lembretes "
                       "(%2).\nCada um aparece abaixo com o motivo e o conteúdo completo, para ser "
                       "cadastrado de novo à mão.\n")
            .arg(oldFile, QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")));
    return importwriting::writeSetAsideFile(path, QStringLiteral("os lembretes"), heading,
                                            [&rows](QTextStream &out) {
                                                for (const OldRow &row : rows) {
                                                    if (row.reason.isEmpty())
                                                        continue;
                                                    out << "\n=== Linha " << row.number
                                                        << " da tabela lembrete ===\n"
                                                        << "Motivo: " << row.reason << '\n'
                                                        << "Data como estava: " << row.dayAsFound << '\n'
                                                        << "Título: " << row.title << '\n';
                                                    if (row.damaged)
                                                        out << "Descrição: (não pôde ser lida)\n";
                                                    else
                                                        out << "Descrição:\n" << row.description << '\n';
                                                }
                                            },
                                            error);
}

// Adds the readable rows to the database at path in one transaction. The
// reject file is written before the commit, so that either both hold their
// rows or neither is left.
bool writeReminders(const QString &databasePath, const QString &oldFile, const QList<OldRow> &rows,
                    const QString &rejectPath, QString *error)
{
    ScopedConnection connection(databasePath);
    QSqlDatabase db = connection.database();
    if (!db.open()) {
        *error = describe(QStringLiteral("o banco de dados de lembretes %1 não pôde ser aberto")
                              .arg(databasePath),
                          db.lastError());
        return false;
    }
    const QString failure = QStringLiteral("os lembretes não puderam ser gravados em %1").arg(databasePath);
    if (!db.transaction()) {
        *error = describe(failure, db.lastError());
        return false;
    }
    QSqlQuery query(db);
    bool ok = query.exec(QStringLiteral("create table if not exists lembrete ("
                                        "id integer primary key autoincrement, "
                                        "data text not null, "
                                        "titulo text not null, "
                                        "descricao text not null default '')"))
        && query.prepare(QStringLiteral("insert into lembrete (data, titulo, descricao) values (?, ?, ?)"));
    for (auto row = rows.cbegin(); ok && row != rows.cend(); ++row) {
        if (!row->reason.isEmpty())
            continue;
        query.addBindValue(nonNull(row->day));
        query.addBindValue(nonNull(row->title));
        query.addBindValue(nonNull(row->description)); // a missing description is empty
        ok = query.exec();
    }
    if (!ok) {
        *error = describe(failure, query.lastError());
        db.rollback();
        return false;
    }
    query.finish();
    return importwriting::commitWithSetAsideFile(
        db, rejectPath, [&](QString *why) { return writeRejectFile(rejectPath, oldFile, rows, why); },
        failure, error);
}

// A reminder database that takes the rows in place must be sound and the
// program's own; its day's copy is made first (a failed copy is only a warning).
bool checkDestination(const QString &databasePath, QString *error, QString *copyWarning)
{
    {
        ScopedConnection connection(databasePath);
        QSqlDatabase db = connection.database();
        // A journal left by a write that was killed midway must be played
        // back before the file can be read, which a read-only connection
        // cannot do; any other connection does it on its first read.
        const bool journalLeft = QFileInfo::exists(databasePath + QStringLiteral("-journal"));
        db.setConnectOptions(journalLeft ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000")
                                         : QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            *error = describe(QStringLiteral("o banco de dados de lembretes %1 não pôde ser aberto")
                                  .arg(databasePath),
                              db.lastError());
            return false;
        }
        QString problem;
        if (databasecheck::shapeOf(db, &problem) == databasecheck::Shape::Foreign) {
            *error = problem.isEmpty() ? QStringLiteral("o arquivo %1 não é um banco de dados de "
                                                        "lembretes; nada foi gravado nele.")
                                             .arg(databasePath)
                                       : problem;
            return false;
        }
        const QString damage = databasecheck::damageOf(db);
        if (!damage.isEmpty()) {
            *error = QStringLiteral("o banco de dados de lembretes %1 está danificado (%2); nada foi "
                                    "gravado nele.")
                         .arg(databasePath, damage);
            return false;
        }
    }
    QString copyError;
    if (!DailyCopy::make(databasePath, QDate::currentDate(), &copyError))
        *copyWarning = copyError;
    return true;
}

enum class Destination { Missing, ReminderDatabase, OlderEngine, Unknown };

Destination classify(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return Destination::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return Destination::Unknown;
    const QByteArray head = file.read(32);
    if (head.isEmpty() || head.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return Destination::ReminderDatabase;
    file.close();
    return JetImport::isOlderEngineFile(path) ? Destination::OlderEngine : Destination::Unknown;
}

bool samePath(const QString &a, const QString &b)
{
    const QString left = QFileInfo(a).canonicalFilePath();
    return !left.isEmpty() && left == QFileInfo(b).canonicalFilePath();
}

} // namespace

// ---------------------------------------------------------------------------

JetImport::JetImport(const QString &oldFile, const QString &destinationFolder)
    : m_oldFile(oldFile)
    , m_destinationFolder(destinationFolder)
{
}

QString JetImport::rejectFileBaseName()
{
    return QStringLiteral("lembretes-nao-importados.txt");
}

QString JetImport::backupSuffix()
{
    return QStringLiteral(".anterior");
}

bool JetImport::isOlderEngineFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray signature = file.read(19).mid(4);
    return signature == "Standard Jet DB" || signature == "Standard ACE DB";
}

JetImportResult JetImport::run()
{
    JetImportResult result;
    const QDir folder(m_destinationFolder);
    result.database = folder.filePath(kDatabaseName);
    const auto failWith = [&result](const QString &description) {
        result.ok = false;
        result.imported = result.setAside = 0;
        result.rejectFile.clear();
        result.backupFile.clear();
        result.copyWarning.clear();
        result.error = description;
        return result;
    };

    if (!QFileInfo(m_oldFile).isFile())
        return failWith(QStringLiteral("o arquivo %1 não foi encontrado.").arg(m_oldFile));
    if (!isOlderEngineFile(m_oldFile))
        return failWith(QStringLiteral("o arquivo %1 não é um banco de dados do formato antigo "
                                       "(não começa com \"Standard Jet DB\").")
                            .arg(m_oldFile));
    if (!folder.exists())
        return failWith(QStringLiteral("a pasta %1 não existe.").arg(m_destinationFolder));
    leftovers::removeUnfinishedImports(m_destinationFolder, kDatabaseName);

    QList<OldRow> rows;
    QString error;
    if (!readOldRows(m_oldFile, &rows, &error))
        return failWith(error);
    for (const OldRow &row : rows)
        (row.reason.isEmpty() ? result.imported : result.setAside)++;
    const QString rejectPath = result.setAside == 0
        ? QString()
        : freeName(m_destinationFolder, QStringLiteral("lembretes-nao-importados"),
                   QStringLiteral(".txt"), QStringLiteral("-"));

    const bool replacing = samePath(m_oldFile, result.database);
    if (!replacing) {
        switch (classify(result.database)) {
        case Destination::ReminderDatabase:
            // Adding to the database in place: its own transaction keeps it
            // as it was when anything fails.
            if (!checkDestination(result.database, &error, &result.copyWarning))
                return failWith(error);
            if (!writeReminders(result.database, m_oldFile, rows, rejectPath, &error))
                return failWith(error);
            result.ok = true;
            result.rejectFile = rejectPath;
            return result;
        case Destination::OlderEngine:
            return failWith(QStringLiteral("o banco de dados de lembretes %1 também está no formato "
                                           "antigo; traga primeiro os lembretes dele.")
                                .arg(result.database));
        case Destination::Unknown:
            return failWith(QStringLiteral("o arquivo %1 não é um banco de dados de lembretes; "
                                           "nada foi gravado nele.")
                                .arg(result.database));
        case Destination::Missing:
            break;
        }
    }

    // A new database is built under a temporary name and only then put in
    // place, so that dados.mdb is at every moment either the old file or the
    // complete new one.
    // It stays open, held, until it is put in place: a later run removes it
    // only once this one has ended without doing so.
    QTemporaryFile fresh(folder.filePath(leftovers::unfinishedImportTemplate(kDatabaseName)));
    if (!fresh.open())
        return failWith(QStringLiteral("não foi possível criar o novo banco de dados na pasta %1 (%2).")
                            .arg(m_destinationFolder, fresh.errorString()));
    leftovers::holdWhileOpen(fresh.handle());
    fresh.setPermissions(replacing ? QFile::permissions(m_oldFile)
                                   : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                         | QFile::ReadOther);
    const bool written = writeReminders(fresh.fileName(), m_oldFile, rows, rejectPath, &error);
    QFile::remove(fresh.fileName() + QStringLiteral("-journal"));
    if (!written)
        return failWith(error);

    QString backup;
    if (replacing) {
        backup = freeName(m_destinationFolder, kDatabaseName + backupSuffix(), QString(),
                          QStringLiteral("."));
        if (!QFile::rename(result.database, backup)) {
            if (!rejectPath.isEmpty())
                QFile::remove(rejectPath);
            return failWith(QStringLiteral("o arquivo antigo não pôde ser guardado como %1; "
                                           "nada foi mudado.")
                                .arg(backup));
        }
    }
    if (!fresh.rename(result.database)) {
        const QString reason = fresh.errorString();
        if (replacing)
            QFile::rename(backup, result.database);
        if (!rejectPath.isEmpty())
            QFile::remove(rejectPath);
        return failWith(QStringLiteral("o novo banco de dados não pôde ser colocado em %1 (%2); "
                                       "nada foi mudado.")
                            .arg(result.database, reason));
    }
    fresh.setAutoRemove(false); // it is dados.mdb now
    result.ok = true;
    result.backupFile = backup;
    result.rejectFile = rejectPath;
    return result;
}

QString JetImport::summary(const JetImportResult &result)
{
    if (!result.ok)
        return result.error;
    QString text = result.imported == 1
        ? QStringLiteral("1 lembrete foi trazido do arquivo antigo.")
        : QStringLiteral("%1 lembretes foram trazidos do arquivo antigo.").arg(result.imported);
    if (!result.backupFile.isEmpty())
        text += QStringLiteral(" O arquivo antigo foi guardado, sem alterações, como %1.")
                    .arg(QDir::toNativeSeparators(result.backupFile));
    if (result.setAside > 0) {
        const QString where = QDir::toNativeSeparators(result.rejectFile);
        text += result.setAside == 1
            ? QStringLiteral("\n\n1 lembrete não pôde ser trazido porque a data, o título ou a "
                             "descrição não pôde ser lido. Ele foi gravado, com o motivo, no arquivo %1.")
                  .arg(where)
            : QStringLiteral("\n\n%1 lembretes não puderam ser trazidos porque a data, o "
                             "título ou a descrição não pôde ser lido. Eles foram gravados, com o "
                             "motivo, no arquivo %2.")
                  .arg(QString::number(result.setAside), where);
    }
    if (!result.copyWarning.isEmpty())
        text += QStringLiteral("\n\nAviso: ") + result.copyWarning;
    return text;
}

namespace {

bool offerOlderEngineImport(runtime::Platform &platform, const QString &databasePath, bool *offered,
                            QString *error)
{
    if (*offered || !JetImport::isOlderEngineFile(databasePath))
        return false;
    *offered = true;
    const runtime::MessageAnswer answer = platform.messages().show(
        nullptr, runtime::MessageIcon::Question,
        QStringLiteral("O arquivo de lembretes %1 foi criado pela versão anterior do programa, "
                       "em um formato que esta versão não abre diretamente.\n\n"
                       "Deseja trazer os lembretes dele para um novo banco de dados? "
                       "O arquivo antigo será guardado, sem alterações, com outro nome "
                       "na mesma pasta.")
            .arg(QDir::toNativeSeparators(databasePath)),
        QStringLiteral("Lembretes da versão anterior"), runtime::MessageButtons::YesNo);
    if (answer != runtime::MessageAnswer::Yes)
        return false;
    const JetImportResult result =
        JetImport(databasePath, QFileInfo(databasePath).absolutePath()).run();
    if (!result.ok) {
        *error = QStringLiteral("os lembretes da versão anterior não puderam ser trazidos: ")
            + result.error + QStringLiteral(" O arquivo %1 foi mantido como estava.")
                                 .arg(QDir::toNativeSeparators(databasePath));
        return false;
    }
    platform.messages().show(nullptr, runtime::MessageIcon::Information, JetImport::summary(result),
                             QStringLiteral("Lembretes da versão anterior"));
    return true;
}

} // namespace

std::function<bool(const QString &, QString *)> olderEngineImportOffer(runtime::Platform &platform)
{
    return [&platform, offered = false](const QString &databasePath, QString *error) mutable {
        return offerOlderEngineImport(platform, databasePath, &offered, error);
    };
}

// ---------------------------------------------------------------------------
// Command line

namespace {
const QString kImportOption = QStringLiteral("--importar");
}

bool isImportCommand(const QStringList &arguments)
{
    return arguments.size() >= 2 && arguments.at(1) == kImportOption;
}

bool isImportCommand(int argc, char *argv[])
{
    return argc >= 2 && QString::fromLocal8Bit(argv[1]) == kImportOption;
}

int runImportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err,
                     const QString &programFolder)
{
    if (!isImportCommand(arguments) || arguments.size() != 3 || arguments.at(2).isEmpty()) {
        err << "Uso: lembrete --importar CAMINHO\n"
            << "Traz os lembretes de um dados.mdb do programa antigo para o banco de dados "
            << "de lembretes da pasta do programa.\n";
        err.flush();
        return 2;
    }
    const QString oldFile = QFileInfo(arguments.at(2)).absoluteFilePath();
    const JetImportResult result = JetImport(oldFile, programFolder).run();
    if (!result.ok) {
        err << "Erro: a importação de " << oldFile << " falhou: " << result.error << '\n'
            << "Nada foi gravado.\n";
        err.flush();
        return 1;
    }
    out << "Arquivo importado: " << oldFile << '\n'
        << "Banco de dados de lembretes: " << result.database << '\n'
        << "Lembretes importados: " << result.imported << '\n'
        << "Lembretes não importados: " << result.setAside << '\n';
    if (!result.rejectFile.isEmpty())
        out << "Os lembretes não importados e o motivo estão em: " << result.rejectFile << '\n';
    if (!result.backupFile.isEmpty())
        out << "O arquivo antigo foi guardado como: " << result.backupFile << '\n';
    if (!result.copyWarning.isEmpty())
        err << "Aviso: " << result.copyWarning << '\n';
    out.flush();
    err.flush();
    return 0;
}
