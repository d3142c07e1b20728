// lembrete --listar and lembrete --novo, through the store of a fake platform
// (today is 10/03/2006).
#include "settings/settingsstore.h"
#include "store/dailycopy.h"
#include "store/remindercommands.h"
#include "storefixture.h"
#include "support/startupfiles.h"

#include <QDir>
#include <QTextStream>

using remindercommands::ListFormat;

namespace {

struct Run
{
    int status = -1;
    QString out, err;
};

// Runs listReminders (with a view) or addReminder (with a day) with its own store, as the program does.
Run run(FakePlatform &fake, const QStringList &arguments, ListFormat format = ListFormat::Text)
{
    modgeral store(fake.platform());
    Run run;
    QTextStream out(&run.out), err(&run.err);
    run.status = arguments.size() == 1
        ? remindercommands::listReminders(store, fake.platform(), arguments[0], format, out, err)
        : remindercommands::addReminder(store, fake.platform(), arguments[0], arguments[1], arguments.value(2), out, err);
    out.flush();
    err.flush();
    return run;
}

QStringList storedRows(const QString &path)
{
    return rowsIn(path, QStringLiteral("select data, titulo, descricao from lembrete order by rowid"));
}

} // namespace

class ReminderCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void listsAViewInTheWindowsOrder_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("lines"); // none: the view is refused

        const QString past = QStringLiteral("01/03/2006     -9 dias  Passado\n");
        const QString today = QStringLiteral("10/03/2006      0 dias  Academia\n"
                                             "10/03/2006      0 dias  Dentista\n"
                                             "10/03/2006      0 dias  dentista\n");
        const QString tomorrow = QStringLiteral("11/03/2006      1 dias  Feira\n");
        const QString week = QStringLiteral("17/03/2006      7 dias  Uma semana\n");
        const QString fortnight = QStringLiteral("25/03/2006     15 dias  Quinze dias\n");
        const QString later = QStringLiteral("26/03/2006     16 dias  Depois\n");
        const QString all = past + today + tomorrow + week + fortnight + later;
        QTest::newRow("todos") << "todos" << "Hoje" << all;
        QTest::newRow("hoje") << "hoje" << "Todos" << today;
        QTest::newRow("amanha") << "amanha" << "Todos" << tomorrow;
        QTest::newRow("amanhã") << "amanhã" << "Todos" << tomorrow;
        QTest::newRow("7dias") << "7dias" << "Todos" << today + tomorrow + week;
        QTest::newRow("15dias") << "15dias" << "Todos" << today + tomorrow + week + fortnight;
        QTest::newRow("the saved view") << "" << "7dias" << today + tomorrow + week;
        QTest::newRow("a saved value of no view lists all") << "" << "semana" << all;
        QTest::newRow("an unknown view is refused") << "semana" << "Todos" << "";
    }

    void listsAViewInTheWindowsOrder()
    {
        QFETCH(QString, view);
        QFETCH(QString, saved);
        QFETCH(QString, lines);
        const int status = lines.isEmpty() ? 2 : 0;
        Store s;
        for (const char *row : {"2006/03/26|Depois", "2006/03/10|Dentista", "2006/03/17|Uma semana", "2006/03/01|Passado",
                                "2006/03/11|Feira", "2006/03/10|dentista", "2006/03/25|Quinze dias", "2006/03/10|Academia"})
            s.add(QByteArray(row).left(10).constData(), row + 11);
        s.fake.platform().settings().write(settings::preferencesSection, QStringLiteral("Exibir"), saved);
        const Run run = ::run(s.fake, {view});
        QCOMPARE(run.err.startsWith(QStringLiteral("lembrete: visão desconhecida: ") + view), status != 0);
        QCOMPARE((QStringList{QString::number(run.status), run.out}), (QStringList{QString::number(status), lines}));
    }

    void tsvKeepsEachReminderOnOneLine_data()
    {
        QTest::addColumn<QStringList>("stored"); // day, title, description
        QTest::addColumn<QString>("line");

        QTest::newRow("plain") << QStringList{"2006/03/12", "Dentista", "Levar exames"}
                               << "12/03/2006\t2\tDentista\tLevar exames\n";
        QTest::newRow("the editor's line breaks") << QStringList{"2006/03/09", "Ontem", "linha 1\r\nlinha 2\r\n"}
                                                  << "09/03/2006\t-1\tOntem\tlinha 1\\nlinha 2\\n\n";
        QTest::newRow("other programs' line breaks") << QStringList{"2006/03/10", "Título\nquebrado", "a\nb\rc"}
                                                     << "10/03/2006\t0\tTítulo\\nquebrado\ta\\nb\\rc\n";
        QTest::newRow("tabs and backslashes") << QStringList{"2006/03/10", "C:\\temp\tx", "\\n literal"}
                                              << "10/03/2006\t0\tC:\\\\temp\\tx\t\\\\n literal\n";
        QTest::newRow("a day edited by hand") << QStringList{"amanhã", "Estranho", ""}
                                              << "amanhã\t\tEstranho\t\n";
    }

    void tsvKeepsEachReminderOnOneLine()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, line);
        Store s;
        QVERIFY(s.store.appendReminder(stored[0], stored[1], stored[2]));
        const Run run = ::run(s.fake, {QStringLiteral("todos")}, ListFormat::Tsv);
        QCOMPARE((QStringList{QString::number(run.status), run.out}), (QStringList{"0", line}));
    }

    void addsAReminderWithTheEditorsChecks_data()
    {
        QTest::addColumn<QStringList>("typed"); // day, title, description
        QTest::addColumn<QString>("stored");    // the row written; none: refused with status 2
        QTest::addColumn<QString>("printed");   // what standard output or, on failure, standard error says

        const QString error = QStringLiteral("Erro: Ocorreu o seguinte erro: ");
        QTest::newRow("a typed day") << QStringList{"25/12/2006", "Natal", "Ceia\nPresentes"}
                                     << "2006/12/25|Natal|Ceia\r\nPresentes"
                                     << "Lembrete cadastrado com sucesso!\n25/12/2006    290 dias  Natal\n";
        QTest::newRow("hoje") << QStringList{"hoje", "Dentista", ""} << "2006/03/10|Dentista|"
                              << "Lembrete cadastrado com sucesso!\n10/03/2006      0 dias  Dentista\n";
        for (const char *tomorrow : {"Amanhã", "amanha"})
            QTest::newRow(tomorrow) << QStringList{tomorrow, "Feira", ""} << "2006/03/11|Feira|"
                                    << "Lembrete cadastrado com sucesso!\n11/03/2006      1 dias  Feira\n";
        QTest::newRow("a day that does not exist") << QStringList{"31/02/2006", "Natal", ""} << ""
            << error + "A data \"31/02/2006\" não existe no calendário.\n";
        QTest::newRow("a day in another form") << QStringList{"2006-12-25", "Natal", ""} << ""
                                               << error + "A data \"2006-12-25\" não está no formato dd/mm/aaaa.\n";
        QTest::newRow("no day") << QStringList{" ", "Natal", ""} << ""
                                << "Aviso: O campo data é de preenchimento obrigatório!\n";
        QTest::newRow("a blank title") << QStringList{"hoje", "   ", "algo"} << ""
                                       << "Aviso: O campo título é de preenchimento obrigatório!\n";
    }

    void addsAReminderWithTheEditorsChecks()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, stored);
        QFETCH(QString, printed);
        FakePlatform fake;
        fake.createEmptyDatabase();
        const int status = stored.isEmpty() ? 2 : 0;
        const Run run = ::run(fake, typed);
        QCOMPARE((QStringList{QString::number(run.status), run.out, run.err}),
                 (QStringList{QString::number(status), status ? QString() : printed, status ? printed : QString()}));
        QCOMPARE(storedRows(fake.databasePath()), stored.isEmpty() ? QStringList() : QStringList{stored});
    }

    // The day's copy is made before the first change, as the editor's save makes it.
    void addingCopiesTheDatabaseFirst()
    {
        Store s;
        s.add("2006/03/01", "Antes");
        const QString copy = QDir(DailyCopy::folderFor(s.fake.databasePath()))
                                 .filePath(DailyCopy::fileNameFor(s.fake.platform().clock().today()));
        QCOMPARE(run(s.fake, {"hoje", "Depois"}).status, 0);
        QCOMPARE(storedRows(copy), QStringList{"2006/03/01|Antes|"});
        QCOMPARE(storedRows(s.fake.databasePath()), (QStringList{"2006/03/01|Antes|", "2006/03/10|Depois|"}));
    }

    void aDamagedDatabaseIsRefusedAndKept()
    {
        FakePlatform fake;
        const QByteArray damaged = startupfiles::reminders(3000, true);
        QVERIFY(writeFile(fake.databasePath(), damaged));
        const Run run = ::run(fake, {"hoje", "Novo"});
        QVERIFY2(run.status == 1 && run.out.isEmpty() && run.err.contains(QStringLiteral(
                     "Erro: Ocorreu o seguinte erro: o banco de dados de lembretes está danificado")), qPrintable(run.err));
        QCOMPARE(fileBytes(fake.databasePath()), damaged);
    }
};

QTEST_MAIN(ReminderCommandsTest)
#include "tst_remindercommands.moc"
