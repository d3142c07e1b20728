#include "support/startupfiles.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace startupfiles {

bool asAnotherProgram(const QString &path, const QStringList &statements, QString *failed)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "outro-programa");
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery query(db);
        for (qsizetype i = 0; ok && i < statements.size(); ++i)
            if (!(ok = query.exec(statements[i])) && failed)
                *failed = statements[i];
    }
    QSqlDatabase::removeDatabase("outro-programa");
    return ok;
}

QByteArray sqliteFile(const QStringList &statements)
{
    QTemporaryDir dir;
    asAnotherProgram(dir.filePath("x.db"), QStringList{"begin"} + statements + QStringList{"commit"});
    QFile file(dir.filePath("x.db"));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QByteArray reminders(int rows, bool damaged)
{
    QStringList statements{"create table lembrete (id integer primary key autoincrement, data text not null, "
                           "titulo text not null, descricao text not null default '')"};
    for (int i = 0; i < rows; ++i)
        statements << QString("insert into lembrete (data, titulo, descricao) values ('2006/%1/%2', 'Lembrete %3', '%4')")
                          .arg(1 + i % 12, 2, 10, QLatin1Char('0')).arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                          .arg(i, 4, 10, QLatin1Char('0')).arg(QString(200, 'x'));
    statements << "create index lembrete_data on lembrete (data, titulo)";
    QByteArray bytes = sqliteFile(statements);
    if (damaged) {
        const qsizetype page = (bytes.size() / 4096 - 4) * 4096;
        bytes.replace(page + 100, 3900, QByteArray(3900, '\x55'));
    }
    return bytes;
}

QStringList withoutNewIndexes()
{
    return {"drop trigger lembrete_busca_inclui", "drop trigger lembrete_busca_remove",
            "drop trigger lembrete_busca_altera", "drop table lembrete_busca"};
}

} // namespace startupfiles
