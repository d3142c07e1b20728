// Bringing reminders over from a dados.mdb of the earlier Windows program. The old files are generated here, so every
// case states exactly what the old file holds.
#include "oldformat/protocol.h"
#include "store/dailycopy.h"
#include "store/jetimport.h"
#include "store/oldformatprocess.h"
#include "storefixture.h"
#include "support/importfuzz.h"
#include "support/startupfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtEndian>

#include <csignal>
#include <sys/resource.h>

using runtime::MessageAnswer;
using runtime::MessageIcon;

namespace {

const QString kOpenFailure = QStringLiteral("Ocorreu o seguinte erro ao tentar abrir o banco de dados: ");
const QString kReminders = QStringLiteral("select data, titulo, descricao from lembrete order by id");

void makeOldFile(const QString &path, const QJsonArray &rows, const QStringList &options = {})
{
    const QString failure = importfuzz::generate(QStringLiteral(JET_FIXTURE_TOOL), path, rows, options);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

// One JSON row per reminder (braces alone would copy a single row instead).
QJsonArray rowsOf(std::initializer_list<QJsonArray> rows)
{
    QJsonArray all;
    for (const QJsonArray &row : rows)
        all.append(row);
    return all;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// 70 letters: kept on a page of its own.
const QString kShortText = QStringLiteral("Descrição de uma página só, que termina em ponto final sem faltar nada.");

QString longDescription()
{
    QString text;
    for (int i = 1; text.size() <= 25000; ++i)
        text += QStringLiteral("Linha %1: pão, maçã, café e açúcar \"ok\"\r\n").arg(i, 4, 10, QLatin1Char('0'));
    return text;
}

// Rows every old format can hold (the older keeps texts in cp1252, whose 0x80 to 0x9F are letters, not controls).
QJsonArray sampleRows()
{
    return rowsOf({
        QJsonArray{"2024/01/15", "Reunião com a diretoria", "Levar relatório.\nConfirmar sala às 9h."},
        QJsonArray{"29/02/2024", "Ligar p/ o Sr. O'Brien", "Assunto: \"orçamento\" d'água\r\nTel.: 5555"},
        QJsonArray{"5-3-2024", "Pagar condomínio", QJsonValue::Null},
        QJsonArray{"2024-12-24", "Véspera de Natal € — família Ÿ", ""},
        QJsonArray{"2006/03/10", "Memo longo", longDescription()},
    });
}

QStringList sampleReminders()
{
    return {"2024/01/15|Reunião com a diretoria|Levar relatório.\nConfirmar sala às 9h.",
            "2024/02/29|Ligar p/ o Sr. O'Brien|Assunto: \"orçamento\" d'água\r\nTel.: 5555",
            "2024/03/05|Pagar condomínio|", "2024/12/24|Véspera de Natal € — família Ÿ|",
            "2006/03/10|Memo longo|" + longDescription()};
}

// "length" makes the length field of a description on a page of its own one byte short, "chain" wipes a page in the
// middle of the longest description's chain.
void damageDescription(const QString &path, const QString &damage, bool jet3)
{
    QByteArray content = fileBytes(path);
    if (damage == QLatin1String("length")) {
        const quint32 header = qToLittleEndian(quint32(kShortText.size() + (jet3 ? 0 : 2)) | 0x40000000u);
        const QByteArray field(reinterpret_cast<const char *>(&header), 4);
        const qsizetype at = content.indexOf(field);
        QVERIFY(at > 0 && content.indexOf(field, at + 1) < 0);
        content[at] = char(content.at(at) - 1);
    } else {
        const int pageSize = jet3 ? 2048 : 4096;
        QList<qint64> chainPages;
        for (qint64 at = pageSize; at < content.size(); at += pageSize)
            if (content.mid(at + 4, 4) == "LVAL")
                chainPages.append(at);
        QVERIFY(chainPages.size() > 2);
        content.replace(chainPages[chainPages.size() - 2], pageSize, QByteArray(pageSize, '\0'));
    }
    QVERIFY(writeFile(path, content));
}

// The window's way in: the old file found as dados.mdb, the question answered.
struct Offered
{
    explicit Offered(MessageAnswer answer) { fake.messages->answers.enqueue(answer); }
    void open()
    {
        store.setOpenFallback(olderEngineImportOffer(fake.platform()));
        store.abrirbanco();
    }
    FakePlatform fake;
    modgeral store{fake.platform()};
};

// A whole reply of the old-format reader, two rows.
QByteArray goodReply()
{
    const oldformat::Row text{oldformat::DayKind::Text, "2024/01/15", 0.0, "Reunião", "linha 1\r\nlinha 2", {}};
    const oldformat::Row dateTime{oldformat::DayKind::DateTime, {}, 45306.5, "Café", {}, {}};
    return QByteArray(oldformat::kHeader) + oldformat::rowRecord(text) + oldformat::rowRecord(dateTime)
        + oldformat::endRecord(2);
}

} // namespace

class tst_JetImport : public QObject
{
    Q_OBJECT

private slots:
    void unusableRowsAreSetAsideNotDropped_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QJsonArray>("rows");
        QTest::addColumn<QStringList>("damages"); // of the descriptions, see damageDescription()
        QTest::addColumn<QStringList>("imported");
        QTest::addColumn<QStringList>("rejected"); // what the set-aside file says
        const QString secret = QStringLiteral("Descrição guardada\ncom duas linhas");
        const QStringList columns{QStringLiteral("--columns")};
        QTest::newRow("day texts") << columns + QStringList{"data:text:30,titulo:text:255,descricao:memo"}
            << rowsOf({{"31/02/2024", "Dia que não existe", secret}, {"amanhã", "Dia em palavras", "x"},
                       {"15/01/24", "Ano com dois dígitos", "y"}, {QJsonValue::Null, "Sem data", "z"},
                       {"2024/01/15", "", "sem título"}, {"16.01.2024 08:00:00", "Este vem", "ok"}})
            << QStringList() << QStringList{"2024/01/16|Este vem|ok"}
            << QStringList{"Dia que não existe", secret, "\"31/02/2024\" não existe",
                           "\"amanhã\" não está em um formato conhecido", "\"15/01/24\" não tem um ano de quatro dígitos",
                           "Sem data", "não tem título", "sem título"};
        // Column names in other capitals; a day column of date/time values.
        QTest::newRow("date/time days") << columns + QStringList{"DATA:datetime,Titulo:text:255,descricao:memo"}
            << rowsOf({{45306, "Só o dia", "a"}, {45306.999, "Quase meia-noite", "b"}, {-1.5, "Antes de 1900", "c"},
                       {QJsonValue::Null, "Sem data", "d"}, {2958465, "O último dia", "e"}})
            << QStringList() << QStringList{"2024/01/15|Só o dia|a", "2024/01/15|Quase meia-noite|b",
                                            "1899/12/29|Antes de 1900|c", "9999/12/31|O último dia|e"}
            << QStringList{"Sem data"};
        // Descriptions that cannot be read whole: a short one on a page of its own, a long one on a chain of pages.
        const auto damaged = [](const char *name, bool jet3, const QStringList &damages, int rowCount, QList<int> at) {
            QJsonArray rows;
            QStringList whole, told;
            for (int n = 1; n <= rowCount; ++n) {
                const QString day = QStringLiteral("2024/01/%1").arg(n, 2, 10, QLatin1Char('0'));
                const QString title = QStringLiteral("Lembrete %1").arg(n);
                const qsizetype damage = at.indexOf(n);
                rows.append(QJsonArray{day, title, damage < 0 ? QStringLiteral("d%1").arg(n)
                                                   : damages[damage] == QLatin1String("length") ? kShortText : longDescription()});
                if (damage < 0)
                    whole << day + '|' + title + QStringLiteral("|d%1").arg(n);
                else
                    told << QStringLiteral("=== Linha %1 da tabela lembrete ===\nMotivo: o texto da coluna descricao não "
                                           "pôde ser lido por inteiro").arg(n)
                         << QStringLiteral("Data como estava: %1\nTítulo: %2\n").arg(day, title);
            }
            QTest::newRow(name) << (jet3 ? QStringList{"--jet3"} : QStringList()) << rows << damages << whole << told;
        };
        damaged("length one short", false, {"length"}, 3, {2});
        damaged("Jet 3 length one short", true, {"length"}, 3, {2});
        damaged("six of eight rows whole", false, {"length", "chain"}, 8, {3, 7});
    }

    void unusableRowsAreSetAsideNotDropped()
    {
        QFETCH(QStringList, options);
        QFETCH(QJsonArray, rows);
        QFETCH(QStringList, damages);
        QFETCH(QStringList, imported);
        QFETCH(QStringList, rejected);
        QTemporaryDir folder;
        const QString old = folder.filePath(QStringLiteral("velho.mdb"));
        makeOldFile(old, rows, options);
        for (const QString &damage : damages)
            damageDescription(old, damage, options.contains(QLatin1String("--jet3")));
        const JetImportResult result = JetImport(old, folder.path()).run();
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(rowsIn(folder.filePath(QStringLiteral("dados.mdb")), kReminders), imported);
        QCOMPARE((QList<qsizetype>{result.imported, result.setAside}),
                 (QList<qsizetype>{imported.size(), rows.size() - imported.size()}));
        QCOMPARE(result.rejectFile, folder.filePath(JetImport::rejectFileBaseName()));
        const QString summary = JetImport::summary(result);
        QVERIFY2(summary.contains(QStringLiteral("%1 lembrete").arg(result.setAside))
                     && summary.endsWith(QStringLiteral("no arquivo %1.").arg(QDir::toNativeSeparators(result.rejectFile))),
                 qPrintable(summary));
        const QString text = QString::fromUtf8(fileBytes(result.rejectFile));
        for (const QString &expected : rejected)
            QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" in\n") + text));
        for (const QString &row : imported)
            QVERIFY(!text.contains(row.section('|', 1, 1)));
        // Nothing of a description that could not be read whole is passed off as it.
        QVERIFY(!text.contains(kShortText.left(20)) && !text.contains(longDescription().left(20)));
    }

    void theOfferOfAnOldFileBringsItAllOrLeavesTheFolderAsItWas_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QJsonArray>("rows");
        QTest::addColumn<qint64>("truncateTo"); // 0 keeps the file whole; < 0 cuts pages off the end
        QTest::addColumn<QString>("failure");   // none: every row comes over
        QTest::addColumn<bool>("yes");          // the answer to the offer
        QTest::addColumn<int>("fileLimit");     // KiB a file may grow to, as on a full disk; 0: no limit
        QTest::addColumn<bool>("backupNameTaken");
        const auto offer = [](const char *name, const QStringList &options, const QJsonArray &rows, qint64 truncateTo,
                              const char *failure, bool yes = true, int fileLimit = 0, bool backupNameTaken = false) {
            QTest::newRow(name) << options << rows << truncateTo << QString::fromUtf8(failure) << yes << fileLimit
                                << backupNameTaken;
        };
        const QStringList columns{QStringLiteral("--columns")};
        const QJsonArray sample = sampleRows();
        offer("Jet 3", {"--jet3"}, sample, 0, "");
        offer("empty table", {}, {}, 0, "");
        offer("backup name taken", {}, sample, 0, "", true, 0, true);
        offer("other table", {"--table", "tarefas"}, sample, 0, "não tem a tabela lembrete");
        offer("missing columns", columns + QStringList{"data:text:10,texto:memo"}, rowsOf({{"2024/01/15", "d"}}), 0,
              "não tem as colunas titulo, descricao");
        offer("day column of numbers", columns + QStringList{"data:long,titulo:text:255,descricao:memo"},
              rowsOf({{20240115, "Título", "d"}}), 0, "não é de texto nem de data/hora");
        offer("cut inside a page", {}, sample, 20000, "incompleto");
        offer("Jet 3 cut inside a page", {"--jet3"}, sample, 5000, "incompleto");
        // Whole pages missing at the end: the rows and the long description.
        offer("last pages missing", {}, sample, -3 * 4096, "danificado ou incompleto");
        offer("full disk", {}, sample, 0, "não puderam ser gravados", true, 16);
        offer("answer no", {"--jet3"}, sample, 0, "formato antigo", false);
    }

    void theOfferOfAnOldFileBringsItAllOrLeavesTheFolderAsItWas()
    {
        QFETCH(QStringList, options);
        QFETCH(QJsonArray, rows);
        QFETCH(qint64, truncateTo);
        QFETCH(QString, failure);
        QFETCH(bool, yes);
        QFETCH(int, fileLimit);
        QFETCH(bool, backupNameTaken);
        Offered o(yes ? MessageAnswer::Yes : MessageAnswer::No);
        const QString path = o.fake.databasePath();
        makeOldFile(path, rows, options);
        QFile file(path);
        QVERIFY(truncateTo == 0 || file.resize(truncateTo > 0 ? truncateTo : file.size() + truncateTo));
        const QByteArray original = fileBytes(path);
        const QString taken = path + QStringLiteral(".anterior");
        QVERIFY(!backupNameTaken || writeFile(taken, "um arquivo do usuário"));
        struct rlimit saved {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = fileLimit ? fileLimit * 1024 : saved.rlim_cur;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        o.open();
        o.store.abrirbanco(); // never asked again: a new file opens like any other, a failure is told again
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        const QList<RecordedMessage> &shown = o.fake.messages->shown;
        QVERIFY(shown.size() >= 2 && shown[0].buttons == runtime::MessageButtons::YesNo);
        if (!failure.isEmpty()) {
            QVERIFY(!o.store.isOpen() && shown.size() == 3);
            const QStringList words{failure, QStringLiteral("formato antigo")};
            for (int i = 1; i <= 2; ++i)
                QVERIFY2(shown[i].icon == MessageIcon::Critical && shown[i].text.startsWith(kOpenFailure)
                             && shown[i].text.contains(words[i - 1]), qPrintable(shown[i].text));
            QCOMPARE(fileBytes(path), original);
            QCOMPARE(entries(o.fake.folder()), QStringList{"dados.mdb"});
            return;
        }
        const QStringList expected = rows.isEmpty() ? QStringList() : sampleReminders();
        const QString backup = backupNameTaken ? taken + QStringLiteral(".2") : taken;
        QVERIFY2(o.store.isOpen() && shown.size() == 2, qPrintable(shown.last().text));
        QVERIFY2(shown[1].icon == MessageIcon::Information && shown[1].text.contains(backup.section('/', -1))
                     && shown[1].text.startsWith(QStringLiteral("%1 lembretes foram trazidos").arg(expected.size())),
                 qPrintable(shown[1].text));
        QCOMPARE(rowsIn(path, kReminders), expected);
        QCOMPARE(fileBytes(backup), original);
        QCOMPARE(fileBytes(taken), backupNameTaken ? QByteArray("um arquivo do usuário") : original);
        QCOMPARE(entries(o.fake.folder()), QStringList({"dados.mdb", "dados.mdb.anterior"})
                                               + (backupNameTaken ? QStringList{"dados.mdb.anterior.2"} : QStringList()));
    }

    void commandLine()
    {
        QTemporaryDir program;
        QTemporaryDir elsewhere;
        const QString first = elsewhere.filePath(QStringLiteral("primeiro.mdb"));
        const QString second = elsewhere.filePath(QStringLiteral("segundo.mdb"));
        const QString broken = elsewhere.filePath(QStringLiteral("quebrado.mdb"));
        makeOldFile(first, sampleRows());
        makeOldFile(second, rowsOf({{"01/01/2025", "Ano novo", "festa"}}), {QStringLiteral("--jet3")});
        makeOldFile(broken, sampleRows());
        QVERIFY(QFile(broken).resize(9000));
        QString out, err;
        const auto run = [&](const QStringList &arguments) {
            out.clear();
            err.clear();
            QTextStream outStream(&out), errStream(&err);
            return runImportCommand(QStringList{"lembrete", "--importar"} + arguments, outStream, errStream, program.path());
        };
        const QString database = program.filePath(QStringLiteral("dados.mdb"));
        // A failure prints the reason and leaves no database behind.
        QCOMPARE(run({broken}), 1);
        QVERIFY2(err.contains(QStringLiteral("incompleto")) && entries(program.path()).isEmpty(), qPrintable(err));
        // The first file creates the database.
        QCOMPARE(run({first}), 0);
        QVERIFY2(out.contains(QStringLiteral("Lembretes importados: 5\nLembretes não importados: 0\n")), qPrintable(out + err));
        QCOMPARE(rowsIn(database, kReminders), sampleReminders());
        // Further files are added to it, in one transaction each, after the day's copy of the database as it was.
        QCOMPARE(run({second}), 0);
        QCOMPARE(rowsIn(database, kReminders), sampleReminders() + QStringList{"2025/01/01|Ano novo|festa"});
        const QString copy = QDir(DailyCopy::folderFor(database)).filePath(DailyCopy::fileNameFor(QDate::currentDate()));
        QCOMPARE(rowsIn(copy, kReminders), sampleReminders());
        const QByteArray databaseBytes = fileBytes(database);
        QCOMPARE(run({broken}), 1);
        QCOMPARE(fileBytes(database), databaseBytes);
        QCOMPARE(entries(program.path()), QStringList{"dados.mdb"});
        // Another program's database is never added to.
        const QByteArray foreign = startupfiles::sqliteFile({QStringLiteral("create table outra (x integer)")});
        QVERIFY(writeFile(database, foreign));
        QCOMPARE(run({first}), 1);
        QVERIFY2(err.contains(QStringLiteral("de outro programa")), qPrintable(err));
        QCOMPARE(fileBytes(database), foreign);
    }

    void onlyAWholeReplyGivesRows_data()
    {
        QTest::addColumn<QByteArray>("script"); // the reader's shell script; $REPLY holds goodReply()
        QTest::addColumn<QString>("expected");  // empty: the two rows come through
        QTest::newRow("a whole reply") << QByteArray("cat \"$REPLY\"") << QString();
        QTest::newRow("the reader's own error")
            << QByteArray("printf 'LEMBRETE-FORMATO-ANTIGO 1\\nE10:est\\303\\241 ruim'") << "está ruim";
        QTest::newRow("a crash") << QByteArray("cat \"$REPLY\"; kill -SEGV $$") << "parou de forma inesperada";
        QTest::newRow("an exit status") << QByteArray("cat \"$REPLY\"; exit 3") << "parou de forma inesperada";
        QTest::newRow("a hang") << QByteArray("exec sleep 60") << "demorou demais";
        QTest::newRow("nothing") << QByteArray("true") << "dados sem sentido";
        QTest::newRow("cut short") << QByteArray("head -c 60 \"$REPLY\"") << "dados sem sentido";
        QTest::newRow("bytes after the end") << QByteArray("cat \"$REPLY\"; echo x") << "dados sem sentido";
        QTest::newRow("a wrong row count")
            << QByteArray("head -c -4 \"$REPLY\"; printf '1:3'") << "dados sem sentido";
        QTest::newRow("a length past the end")
            << QByteArray("printf 'LEMBRETE-FORMATO-ANTIGO 1\\nR1:T999999:x'") << "dados sem sentido";
        QTest::newRow("a text that is not UTF-8")
            << QByteArray("printf 'LEMBRETE-FORMATO-ANTIGO 1\\nR1:N0:1:\\3770:F1:1'") << "dados sem sentido";
        QTest::newRow("another header") << QByteArray("printf 'OUTRA COISA 1\\nF1:0'") << "dados sem sentido";
    }

    // Whatever the reader does, the import gets rows only from a whole, well-formed reply, and otherwise a clear
    // message, within the time limit.
    void onlyAWholeReplyGivesRows()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString replyFile = dir.filePath(QStringLiteral("reply"));
        const QString reader = dir.filePath(QStringLiteral("reader"));
        QVERIFY(writeFile(replyFile, goodReply()));
        QVERIFY(writeFile(reader, "#!/bin/sh\nREPLY='" + replyFile.toUtf8() + "'\n" + script + "\n"));
        QVERIFY(QFile::setPermissions(reader, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QList<oldformat::Row> rows;
        QString error;
        QElapsedTimer clock;
        clock.start();
        const bool ok = OldFormatProcess::readWith(reader, dir.filePath(QStringLiteral("dados.mdb")), &rows, &error);
        QVERIFY(clock.elapsed() < OldFormatProcess::timeLimitMs(0) + 5000);
        QVERIFY2(ok == expected.isEmpty() && error.contains(expected), qPrintable(error));
        QCOMPARE(rows.size(), ok ? 2 : 0);
        QVERIFY(!ok || (rows[0].title + rows[0].description == QStringLiteral("Reuniãolinha 1\r\nlinha 2")
                        && rows[1].dayKind == oldformat::DayKind::DateTime && rows[1].dayValue == 45306.5));
    }
};

QTEST_GUILESS_MAIN(tst_JetImport)
#include "tst_jetimport.moc"
