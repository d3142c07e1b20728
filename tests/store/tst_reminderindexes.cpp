#include "store/listreader.h"
#include "store/modgeral.h"
#include "store/reminderindexes.h"
#include "store/reminderrows.h"
#include "store/remindersearch.h"
#include "store/removalundo.h"
#include "support/fakeplatform.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {

QStringList titles(const ReminderRows &rows)
{
    QStringList list;
    for (qsizetype i = 0; i < rows.size(); ++i)
        list << rows.title(i);
    return list;
}

// A store over a fresh database holding "title|description" rows, all on one day.
struct Store
{
    explicit Store(const QStringList &reminders = {})
    {
        fake.createEmptyDatabase();
        store.abrirbanco();
        for (const QString &row : reminders)
            store.appendReminder(QStringLiteral("2006/03/10"), row.section(u'|', 0, 0), row.section(u'|', 1));
    }

    QStringList found(const QString &typed)
    {
        ReminderRows rows;
        const Statement statement = remindersearch::statement(remindersearch::words(typed));
        if (statement.text.isEmpty())
            return {};
        ListReader reader(store.connection());
        if (!reader.read(statement, rows))
            return {QStringLiteral("<falhou: ") + reader.error() + QLatin1Char('>')};
        return titles(rows);
    }

    QStringList titled(const QString &title)
    {
        QStringList list;
        if (!store.openRecordset(modgeral::titleQuery(title)))
            return {QStringLiteral("<falhou: ") + store.lastError() + QLatin1Char('>')};
        while (store.recordset().next())
            list << store.recordset().value(2).toString();
        return list;
    }

    // Runs statements on a connection of another program: no functions of ours.
    void asAnotherProgram(const QStringList &statements)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("outro"));
            db.setDatabaseName(fake.databasePath());
            QVERIFY(db.open());
            QSqlQuery query(db);
            for (const QString &statement : statements)
                QVERIFY2(query.exec(statement), qPrintable(statement));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("outro"));
    }

    FakePlatform fake;
    modgeral store{fake.platform()};
};

const QStringList kReminders{"Ação de graças|missa às dez", "Dentista|levar o cartão do convênio",
                             "Reunião|cliente novo; dia-a-dia da equipe", "Pagar \"luz\"|conta 10% maior",
                             "ÓTIMO dia|"};

} // namespace

class ReminderIndexesTest : public QObject
{
    Q_OBJECT

private slots:
    void everyTypedWordBeginsAWordOfTheTitleOrDescription_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("accents and case ignored") << "ACAO" << QStringList{"Ação de graças"};
        QTest::newRow("accented typing") << "convênio" << QStringList{"Dentista"};
        QTest::newRow("a word's beginning") << "dent" << QStringList{"Dentista"};
        QTest::newRow("not a word's middle") << "tista" << QStringList();
        QTest::newRow("words from title and description") << "reuniao equipe" << QStringList{"Reunião"};
        QTest::newRow("every word needed") << "reuniao dentista" << QStringList();
        QTest::newRow("punctuation splits words") << "dia-a-dia" << QStringList{"Reunião"};
        QTest::newRow("query syntax is plain text") << "\"luz\" OR* NEAR(" << QStringList();
        QTest::newRow("quotes and percent") << "\"luz\" 10%" << QStringList{"Pagar \"luz\""};
        QTest::newRow("no word at all") << " - ; " << QStringList();
        QTest::newRow("day then title order") << "d" << QStringList{"Ação de graças", "Dentista", "Reunião",
                                                                    "ÓTIMO dia"};
    }

    void everyTypedWordBeginsAWordOfTheTitleOrDescription()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, titles);
        Store s(kReminders);
        QCOMPARE(s.found(typed), titles);
    }

    void theSearchFollowsEveryChangeOfTheReminders()
    {
        Store s(kReminders);
        s.store.setEditStatement(modgeral::titleQuery(QStringLiteral("dentista")));
        QVERIFY(s.store.updateReminder(QStringLiteral("2006/03/11"), QStringLiteral("Ortodontista"),
                                       QStringLiteral("aparelho")));
        QCOMPARE(s.found(QStringLiteral("aparelho orto")), QStringList{"Ortodontista"});
        QCOMPARE(s.found(QStringLiteral("convenio")), QStringList());

        RemovalUndo removal;
        QString error;
        QVERIFY(s.store.openRecordset(modgeral::titleQuery(QStringLiteral("ortodontista"))));
        QVERIFY(s.store.recordset().next());
        const qint64 key = s.store.recordset().value(0).toLongLong();
        s.store.closeRecordset();
        QVERIFY(removal.remove(s.store, key, &error));
        QCOMPARE(s.found(QStringLiteral("aparelho")), QStringList());
        QVERIFY(removal.undo(s.store, &error));
        QCOMPARE(s.found(QStringLiteral("aparelho")), QStringList{"Ortodontista"});

        // Another program's writes go through the same triggers.
        s.asAnotherProgram({"insert into lembrete (data, titulo, descricao) values ('2006/03/12', 'Vacina', 'gripe')",
                            "update lembrete set descricao = 'sem missa' where titulo = 'Ação de graças'",
                            "delete from lembrete where titulo = 'Reunião'"});
        QCOMPARE(s.found(QStringLiteral("gripe")), QStringList{"Vacina"});
        QCOMPARE(s.found(QStringLiteral("sem missa")), QStringList{"Ação de graças"});
        QCOMPARE(s.found(QStringLiteral("equipe")), QStringList());

        // Rows written while the triggers were gone are found after the next open.
        s.asAnotherProgram({"drop trigger lembrete_busca_inclui",
                            "insert into lembrete (data, titulo, descricao) values ('2006/03/12', 'Exame', 'sangue')"});
        s.store.abrirbanco();
        QCOMPARE(s.found(QStringLiteral("sangue")), QStringList{"Exame"});
    }

    void aLongResultStopsOneRowPastTheListedMost()
    {
        Store s;
        QSqlDatabase db = s.store.connection();
        QVERIFY(db.transaction());
        for (int i = 0; i <= remindersearch::kMaxListed + 5; ++i)
            s.store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("Conta %1").arg(i), QString());
        QVERIFY(db.commit());
        QCOMPARE(s.found(QStringLiteral("conta")).size(), remindersearch::kMaxListed + 1);
    }

    void theTitleKeyIsEqualExactlyWhenTheTitlesCompareEqual_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("asked");
        QTest::newRow("accented capitals") << "ÓTIMO Dia" << "ótimo dia";
        QTest::newRow("accents differ") << "ótimo" << "otimo";
        QTest::newRow("kelvin sign") << "\u212A" << "k";
        QTest::newRow("final sigma") << "ΟΔΟΣ" << "οδος";
        QTest::newRow("sharp s is not ss") << "straße" << "STRASSE";
        QTest::newRow("dotted capital i") << "\u0130" << "i";
        QTest::newRow("outside the basic plane") << "\U00010400" << "\U00010428"; // Deseret
    }

    // Rows of our own and of another program (whose rows have no key) alike.
    void theTitleKeyIsEqualExactlyWhenTheTitlesCompareEqual()
    {
        QFETCH(QString, stored);
        QFETCH(QString, asked);
        const bool equal = stored.compare(asked, Qt::CaseInsensitive) == 0;
        QCOMPARE(reminderindexes::titleKey(stored) == reminderindexes::titleKey(asked), equal);
        Store s({stored + QLatin1Char('|')});
        s.asAnotherProgram({QStringLiteral("insert into lembrete (data, titulo) values ('2006/03/11', '%1')").arg(stored),
                            QStringLiteral("insert into lembrete (data, titulo) values ('2006/03/12', 'x')"),
                            QStringLiteral("update lembrete set titulo = '%1' where titulo = 'x'").arg(stored)});
        QCOMPARE(s.titled(asked), equal ? QStringList(3, stored) : QStringList());
        s.store.abrirbanco(); // fills the keys the other program left empty
        QCOMPARE(s.titled(asked), equal ? QStringList(3, stored) : QStringList());
        QVERIFY(s.store.execute(modgeral::titleDelete(asked)));
        QSqlQuery left(s.store.connection());
        QVERIFY(left.exec(QStringLiteral("select count(*) from lembrete")) && left.next());
        QCOMPARE(left.value(0).toInt(), equal ? 0 : 3);
    }
};

QTEST_MAIN(ReminderIndexesTest)
#include "tst_reminderindexes.moc"
