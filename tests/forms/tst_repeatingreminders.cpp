// Reminders with a time of day and a repetition in the main window, the
// editor and the reports. Today is 10/03/2006, a Friday.
#include "forms/frmlembretesys.h"

#include "formfixture.h"
#include "reports/viewlistsource.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlError>

namespace {

struct Fixture : MainWindowFixture
{
    explicit Fixture(const QString &filter = QStringLiteral("todos"))
        : MainWindowFixture({"2006/03/10|Hoje o dia todo|", "2006/03/14|Terça|", "2006/03/30|Depois|"}, false,
                            filter)
    {
    }

    // Adds a row the way another program would, and reloads the list.
    qint64 add(const char *day, const char *title, const char *rule, const char *time = "")
    {
        QSqlQuery query(store.connection());
        query.prepare(QStringLiteral("insert into lembrete (data, titulo, descricao, hora, repeticao) "
                                     "values (?, ?, '', nullif(?, ''), nullif(?, ''))"));
        query.addBindValue(QString::fromUtf8(day));
        query.addBindValue(QString::fromUtf8(title));
        query.addBindValue(QString::fromUtf8(time));
        query.addBindValue(QString::fromUtf8(rule));
        if (!query.exec())
            qWarning() << query.lastError().text();
        const qint64 key = query.lastInsertId().toLongLong();
        query.finish();
        window->carregarlista(); // opens the database again
        return key;
    }

    int rowOf(const QString &line) const { return int(listed().indexOf(line)); }

    QString column(qint64 key, const char *name) const
    {
        QSqlQuery query(store.connection());
        query.exec(QStringLiteral("select %1 from lembrete where rowid = %2").arg(QLatin1String(name)).arg(key));
        return query.next() ? (query.value(0).isNull() ? QStringLiteral("NULL") : query.value(0).toString())
                            : QStringLiteral("<nenhuma>");
    }
};

} // namespace

class tst_repeatingreminders : public QObject
{
    Q_OBJECT
private slots:
    void theListShowsTimesAndEachOccurrenceInRange_data();
    void theListShowsTimesAndEachOccurrenceInRange();
    void theEditorStoresTimeRepetitionAndWarningAndNothingForADayOnlyReminder();
    void removingOneOccurrenceOrAllAndUndoingIt_data();
    void removingOneOccurrenceOrAllAndUndoingIt();
    void editingOneOccurrenceMakesALinkedReminder();
    void reportsFollowTheListWithTheTime();
};

void tst_repeatingreminders::theListShowsTimesAndEachOccurrenceInRange_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("todos") << "todos"
                           << QStringList({"10/03/2006|Hoje o dia todo|0 dias", "10/03/2006 09:00|Reunião|0 dias",
                                           "14/03/2006|Aula|4 dias", "14/03/2006|Terça|4 dias",
                                           "30/03/2006|Depois|20 dias", "01/01/2007|Ano novo|297 dias"});
    QTest::newRow("hoje") << "hoje"
                          << QStringList({"10/03/2006|Hoje o dia todo|0 dias", "10/03/2006 09:00|Reunião|0 dias"});
    QTest::newRow("7 dias") << "7dias"
                            << QStringList({"10/03/2006|Hoje o dia todo|0 dias", "10/03/2006 09:00|Reunião|0 dias",
                                            "13/03/2006 09:00|Reunião|3 dias", "14/03/2006|Aula|4 dias",
                                            "14/03/2006|Terça|4 dias", "14/03/2006 09:00|Reunião|4 dias",
                                            "15/03/2006 09:00|Reunião|5 dias", "16/03/2006 09:00|Reunião|6 dias",
                                            "17/03/2006 09:00|Reunião|7 dias"});
}

void tst_repeatingreminders::theListShowsTimesAndEachOccurrenceInRange()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    Fixture f(filter);
    f.add("2006/02/28", "Aula", "FREQ=WEEKLY");                          // Tuesdays
    f.add("2006/03/01", "Reunião", "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR", "09:00"); // weekdays
    f.add("2005/01/01", "Ano novo", "FREQ=YEARLY");                     // next across the year end
    QCOMPARE(f.listed(), expected);
    // The repeating ones are marked beside the day, the others not.
    const QAbstractItemModel *model = f.window->list()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const bool repeats = !f.listed()[row].contains(QLatin1String("Hoje o dia todo"))
            && !f.listed()[row].contains(QStringLiteral("Terça")) && !f.listed()[row].contains(QLatin1String("Depois"));
        QCOMPARE(!model->index(row, 0).data(Qt::DecorationRole).isNull(), repeats);
    }
}

void tst_repeatingreminders::theEditorStoresTimeRepetitionAndWarningAndNothingForADayOnlyReminder()
{
    Fixture f;
    f.window->mnunovo_Click();
    frmlembretesys *editor = f.loaded<frmlembretesys>();
    QVERIFY(editor);
    editor->findChild<QLineEdit *>(QStringLiteral("txttitulo"))->setText(QStringLiteral("Só o dia"));
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("cmdacao")), Qt::LeftButton);
    {
        QSqlQuery query(f.store.connection());
        QVERIFY(query.exec(QStringLiteral("select hora, repeticao, excecoes, antecedencia, serie, ocorrencia from "
                                          "lembrete where titulo = 'Só o dia'")));
        QVERIFY(query.next());
        for (int i = 0; i < 6; ++i)
            QVERIFY2(query.value(i).isNull(), qPrintable(QString::number(i)));
    }

    f.window->mnunovo_Click();
    editor = f.loaded<frmlembretesys>();
    editor->findChild<QLineEdit *>(QStringLiteral("txttitulo"))->setText(QStringLiteral("Aula"));
    auto *time = editor->findChild<QLineEdit *>(QStringLiteral("txthora"));
    auto *repeat = editor->findChild<QComboBox *>(QStringLiteral("cborepetir"));
    auto *end = editor->findChild<QComboBox *>(QStringLiteral("cbofim"));
    auto *warn = editor->findChild<QComboBox *>(QStringLiteral("cboavisar"));
    QVERIFY(time && repeat && end && warn);
    QCOMPARE(repeat->count(), 7);
    QCOMPARE(warn->itemText(4), QStringLiteral("1 hora antes"));
    time->setText(QStringLiteral("25:00"));
    f.fake.messages->shown.clear();
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("cmdacao")), Qt::LeftButton);
    QVERIFY(f.onlyMessage().text.contains(QLatin1String("25:00")));
    QVERIFY(!f.stored().join(u' ').contains(QLatin1String("Aula")));
    time->setText(QStringLiteral("19:30"));
    repeat->setCurrentIndex(repeat->findText(QStringLiteral("Toda semana")));
    end->setCurrentIndex(end->findText(QStringLiteral("N vezes")));
    editor->findChild<QSpinBox *>(QStringLiteral("txtvezes"))->setValue(16);
    warn->setCurrentIndex(warn->findText(QStringLiteral("15 minutos antes")));
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("cmdacao")), Qt::LeftButton);
    QSqlQuery query(f.store.connection());
    QVERIFY(query.exec(QStringLiteral("select hora, repeticao, antecedencia from lembrete where titulo = 'Aula'")));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toString(), QStringLiteral("19:30"));
    QCOMPARE(query.value(1).toString(), QStringLiteral("FREQ=WEEKLY;COUNT=16"));
    QCOMPARE(query.value(2).toString(), QStringLiteral("15"));
    QVERIFY(f.listed().contains(QStringLiteral("10/03/2006 19:30|Aula|0 dias")));

    // A repetition may end on its own first day.
    f.window->mnunovo_Click();
    editor = f.loaded<frmlembretesys>();
    editor->findChild<QLineEdit *>(QStringLiteral("txttitulo"))->setText(QStringLiteral("Uma vez"));
    repeat = editor->findChild<QComboBox *>(QStringLiteral("cborepetir"));
    end = editor->findChild<QComboBox *>(QStringLiteral("cbofim"));
    repeat->setCurrentIndex(repeat->findText(QStringLiteral("Toda semana")));
    end->setCurrentIndex(end->findText(QStringLiteral("até")));
    editor->findChild<QLineEdit *>(QStringLiteral("txtate"))->setText(QStringLiteral("10/03/2006"));
    f.fake.messages->shown.clear();
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("cmdacao")), Qt::LeftButton);
    QCOMPARE(f.onlyMessage().text, QStringLiteral("Lembrete cadastrado com sucesso!"));
}

void tst_repeatingreminders::removingOneOccurrenceOrAllAndUndoingIt_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("afterRemoval");
    QTest::addColumn<QString>("exclusions");
    const QStringList before{"10/03/2006|Hoje o dia todo|0 dias", "14/03/2006|Aula|4 dias", "14/03/2006|Terça|4 dias"};
    QTest::newRow("this occurrence") << int(runtime::MessageAnswer::ThisOccurrence)
                                     << QStringList({before[0], before[2]}) << "2006/03/14";
    QTest::newRow("all occurrences") << int(runtime::MessageAnswer::AllOccurrences)
                                     << QStringList({before[0], before[2]}) << "<nenhuma>";
    QTest::newRow("cancelled") << int(runtime::MessageAnswer::Cancel) << before << "NULL";
}

void tst_repeatingreminders::removingOneOccurrenceOrAllAndUndoingIt()
{
    QFETCH(int, answer);
    QFETCH(QStringList, afterRemoval);
    QFETCH(QString, exclusions);
    Fixture f(QStringLiteral("7dias"));
    const qint64 series = f.add("2006/03/07", "Aula", "FREQ=WEEKLY;COUNT=3");
    const QStringList before = f.listed();
    selectRow(f.window->list(), f.rowOf(QStringLiteral("14/03/2006|Aula|4 dias")));
    f.fake.messages->answers.enqueue(runtime::MessageAnswer(answer));
    f.fake.messages->answers.enqueue(runtime::MessageAnswer::Yes);
    f.window->mnuremover_Click();
    QCOMPARE(f.fake.messages->shown.value(0).buttons, runtime::MessageButtons::OccurrenceOrAll);
    QCOMPARE(f.listed(), afterRemoval);
    QCOMPARE(f.column(series, "excecoes"), exclusions);
    f.window->mnudesfazer_Click();
    QCOMPARE(f.listed(), before);
    QCOMPARE(f.column(series, "excecoes"), QStringLiteral("NULL"));
    QCOMPARE(f.column(series, "repeticao"), QStringLiteral("FREQ=WEEKLY;COUNT=3"));
}

void tst_repeatingreminders::editingOneOccurrenceMakesALinkedReminder()
{
    Fixture f(QStringLiteral("7dias"));
    const qint64 series = f.add("2006/03/07", "Aula", "FREQ=WEEKLY", "19:00");
    selectRow(f.window->list(), f.rowOf(QStringLiteral("14/03/2006 19:00|Aula|4 dias")));
    f.fake.messages->answers.enqueue(runtime::MessageAnswer::ThisOccurrence);
    f.window->mnueditar_Click();
    frmlembretesys *editor = f.loaded<frmlembretesys>();
    QVERIFY(editor);
    QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("txtdata"))->text(), QStringLiteral("14/03/2006"));
    QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("txthora"))->text(), QStringLiteral("19:00"));
    QCOMPARE(editor->findChild<QComboBox *>(QStringLiteral("cborepetir"))->currentText(),
             QStringLiteral("Não se repete"));
    editor->findChild<QLineEdit *>(QStringLiteral("txtdata"))->setText(QStringLiteral("15/03/2006"));
    editor->findChild<QLineEdit *>(QStringLiteral("txttitulo"))->setText(QStringLiteral("Aula trocada"));
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("cmdacao")), Qt::LeftButton);
    QCOMPARE(f.column(series, "excecoes"), QStringLiteral("2006/03/14"));
    QCOMPARE(f.column(series, "repeticao"), QStringLiteral("FREQ=WEEKLY"));
    QSqlQuery query(f.store.connection());
    QVERIFY(query.exec(QStringLiteral("select data, hora, repeticao, serie, ocorrencia from lembrete "
                                      "where titulo = 'Aula trocada'")));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toString(), QStringLiteral("2006/03/15"));
    QCOMPARE(query.value(1).toString(), QStringLiteral("19:00"));
    QVERIFY(query.value(2).isNull());
    QCOMPARE(query.value(3).toLongLong(), series);
    QCOMPARE(query.value(4).toString(), QStringLiteral("2006/03/14"));
    QVERIFY(f.listed().contains(QStringLiteral("15/03/2006 19:00|Aula trocada|5 dias")));
    QVERIFY(!f.listed().contains(QStringLiteral("14/03/2006 19:00|Aula|4 dias")));
}

void tst_repeatingreminders::reportsFollowTheListWithTheTime()
{
    Fixture f(QStringLiteral("hoje"));
    f.add("2006/03/10", "Almoço", "", "12:30");
    ViewListSource source(f.window->list());
    QCOMPARE(source.itemCount(), 2);
    QCOMPARE(source.text(0, 0), QStringLiteral("10/03/2006"));
    QCOMPARE(source.text(1, 0), QStringLiteral("10/03/2006 12:30"));
    QCOMPARE(source.text(1, 1), QStringLiteral("Almoço"));
}

QTEST_MAIN(tst_repeatingreminders)
#include "tst_repeatingreminders.moc"
