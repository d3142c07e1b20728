#include "exchange/reminderexchange.h"
#include "store/remindersearch.h"
#include "store/removalundo.h"
#include "store/searchindex.h"
#include "store/titlematch.h"
#include "storefixture.h"
#include "support/startupfiles.h"

#include <QTemporaryDir>

namespace {

// A store over a fresh database holding "title|description" rows, all on one day.
struct Indexed : Store
{
    explicit Indexed(const QStringList &reminders = {})
    {
        for (const QString &row : reminders)
            store.appendReminder(QStringLiteral("2006/03/10"), row.section(u'|', 0, 0), row.section(u'|', 1));
    }

    // Through the index's words and through plain prefixes alike.
    QStringList found(const QString &typed)
    {
        const QStringList words = remindersearch::words(typed);
        const auto read = [&](const Statement &statement) {
            return statement.text.isEmpty() ? QStringList() : listed(store.connection(), statement);
        };
        const QStringList viaWords = read(remindersearch::statement(store.connection(), words));
        const QStringList viaPrefixes = read(remindersearch::statement(words));
        return viaWords == viaPrefixes ? viaWords : QStringList{QStringLiteral("<diferem>")} + viaWords;
    }

    void asAnotherProgram(const QStringList &statements)
    {
        QString failed;
        QVERIFY2(startupfiles::asAnotherProgram(fake.databasePath(), statements, &failed), qPrintable(failed));
    }
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
        QTest::newRow("longer beginnings") << "dentis cartao" << QStringList{"Dentista"};
        QTest::newRow("longer beginnings with accents") << "ACAO GRAÇAS" << QStringList{"Ação de graças"};
        QTest::newRow("a whole word and its beginning") << "convenio conv" << QStringList{"Dentista"};
        QTest::newRow("day then title order") << "d" << QStringList{"Ação de graças", "Dentista", "Reunião",
                                                                    "ÓTIMO dia"};
    }

    void everyTypedWordBeginsAWordOfTheTitleOrDescription()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, titles);
        Indexed s(kReminders);
        QCOMPARE(s.found(typed), titles);
    }

    void theSearchFollowsEveryChangeOfTheReminders()
    {
        Indexed s(kReminders);
        s.store.setEditStatement(modgeral::titleQuery(QStringLiteral("dentista")));
        QVERIFY(s.store.updateReminder(QStringLiteral("2006/03/11"), QStringLiteral("Ortodontista"),
                                       QStringLiteral("aparelho")));
        QCOMPARE(s.found(QStringLiteral("aparelho orto")), QStringList{"Ortodontista"});
        QCOMPARE(s.found(QStringLiteral("convenio")), QStringList());

        RemovalUndo removal;
        QString error;
        QVERIFY(removal.remove(s.store, 2, &error)); // the dentist's row, edited above
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
        // A long result stops one row past the listed most, also when too many words begin so to look each up.
        QVERIFY(s.exec(QStringLiteral("begin")));
        for (int i = 0; i <= remindersearch::kMaxListed + 5; ++i)
            s.store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("Conta %1").arg(i), QStringLiteral("lote%1").arg(i));
        QVERIFY(s.exec(QStringLiteral("commit")));
        QCOMPARE(s.found(QStringLiteral("conta")).size(), remindersearch::kMaxListed + 1);
        QCOMPARE(s.found(QStringLiteral("lote")).size(), remindersearch::kMaxListed + 1);
    }

    void theRemovalQuestionSeesAnotherRowWithTheSameTitle_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("asked");
        QTest::newRow("accented capitals") << "ÓTIMO Dia" << "ótimo dia";
        QTest::newRow("accents differ") << "ótimo" << "otimo";
        QTest::newRow("more words") << "Pagar conta" << "pagar conta luz";
        QTest::newRow("punctuation only") << "!!" << "!!";
        QTest::newRow("punctuation differs") << "dia-a-dia" << "dia a dia";
        QTest::newRow("cyrillic") << "Встреча в 10" << "ВСТРЕЧА В 10";
        QTest::newRow("georgian capitals") << "ᲐᲑᲒ 10" << "აბგ 10"; // the index does not fold these
        QTest::newRow("decomposed accent") << "O\u0301TIMO dia" << "o\u0301timo dia";
        QTest::newRow("kelvin sign") << "\u212A" << "k";
        QTest::newRow("final sigma") << "ΟΔΟΣ" << "οδος";
        QTest::newRow("sharp s is not ss") << "straße" << "STRASSE";
        QTest::newRow("dotted capital i") << "\u0130" << "i";
        QTest::newRow("outside the basic plane") << "\U00010400" << "\U00010428"; // Deseret
    }

    // Our rows and another program's alike; with the index complete, with rows it does not hold yet and with no index
    // at all.
    void theRemovalQuestionSeesAnotherRowWithTheSameTitle()
    {
        QFETCH(QString, stored);
        QFETCH(QString, asked);
        const bool equal = stored.compare(asked, Qt::CaseInsensitive) == 0;
        Indexed s({asked + QLatin1Char('|'), QStringLiteral("Outro|") + stored});
        const auto shared = [&] {
            bool found = true;
            return titlematch::otherHasTitle(s.store.connection(), 1, asked, &found) && found;
        };
        QVERIFY(!shared());
        s.store.appendReminder(QStringLiteral("2006/03/10"), stored, QStringLiteral("x"));
        QCOMPARE(shared(), equal);
        QVERIFY(s.store.execute(modgeral::keyDelete(3)));
        s.asAnotherProgram({"drop trigger lembrete_busca_inclui",
                            QStringLiteral("insert into lembrete (data, titulo) values ('2006/03/11', '%1')").arg(stored)});
        QCOMPARE(shared(), equal);
        s.asAnotherProgram({"drop table lembrete_busca"});
        QCOMPARE(shared(), equal);
        QCOMPARE(s.titles(modgeral::titleQuery(asked)).size(), equal ? 2 : 1);
    }

    // Many items go into the index in one statement at the end; a failed import leaves the file as it was, index
    // included.
    void aLargeImportIsSearchableAndAFailedOneChangesNothing()
    {
        Indexed s(kReminders);
        QTemporaryDir folder;
        const auto calendar = [&](const QString &name, const QString &lastTitle) {
            QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//teste//PT\r\n";
            for (int i = 1; i <= 1500; ++i)
                text += QStringLiteral("BEGIN:VEVENT\r\nUID:%1-%2\r\nDTSTART;VALUE=DATE:20060310\r\nSUMMARY:%3\r\n"
                                       "DESCRIPTION:lote%2\r\nEND:VEVENT\r\n")
                            .arg(name).arg(i).arg(i == 1500 ? lastTitle : QStringLiteral("Vacina %1").arg(i))
                            .toUtf8();
            const QString path = folder.filePath(name + QStringLiteral(".ics"));
            return writeFile(path, text + "END:VCALENDAR\r\n") ? path : QString();
        };
        const auto indexSound = [&] {
            QSqlQuery query(s.store.connection());
            return query.exec(QStringLiteral("insert into lembrete_busca (lembrete_busca) values ('integrity-check')"))
                   && searchindex::complete(s.store.connection());
        };
        s.asAnotherProgram({"create trigger recusa before insert on lembrete when new.titulo = 'Recusado' "
                            "begin select raise(abort, 'recusado'); end"});
        const QByteArray before = fileBytes(s.fake.databasePath());
        const QString failing = calendar(QStringLiteral("falha"), QStringLiteral("Recusado"));
        QVERIFY(!exchange::importCalendar(s.store, failing, QDate(2006, 3, 10), folder.path()).ok);
        QCOMPARE(fileBytes(s.fake.databasePath()), before);
        QVERIFY(indexSound());
        QCOMPARE(s.found(QStringLiteral("lote1")), QStringList());

        const QString good = calendar(QStringLiteral("certo"), QStringLiteral("Última vacina"));
        for (const int added : {1500, 0}) {
            const exchange::ImportResult result =
                exchange::importCalendar(s.store, good, QDate(2006, 3, 10), folder.path());
            QVERIFY2(result.ok, qPrintable(result.error));
            QCOMPARE(result.imported, added);
            QVERIFY(indexSound());
            QCOMPARE(s.found(QStringLiteral("ultima lote1500")), QStringList{"Última vacina"});
            QCOMPARE(s.found(QStringLiteral("lote77")).size(), 11); // lote77 and lote770 to lote779
        }
    }
};

QTEST_MAIN(ReminderIndexesTest)
#include "tst_reminderindexes.moc"
