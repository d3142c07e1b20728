// Reminders with a time of day and a repetition in the main window.
// Today is 10/03/2006, a Friday.

#include "formfixture.h"

namespace {

struct Fixture : MainWindowFixture
{
    explicit Fixture(const QString &filter)
        : MainWindowFixture({"2006/03/10|Hoje o dia todo|", "2006/03/14|Terça|", "2006/03/30|Depois|"}, false, filter)
    {
    }

    // Adds a row the way another program would, and reloads the list.
    qint64 add(const char *day, const char *title, const char *rule, const char *time = "")
    {
        QSqlQuery query(store.connection());
        query.prepare("insert into lembrete (data, titulo, descricao, hora, repeticao) "
                      "values (?, ?, '', nullif(?, ''), nullif(?, ''))");
        for (const char *value : {day, title, time, rule})
            query.addBindValue(QString::fromUtf8(value));
        const qint64 key = query.exec() ? query.lastInsertId().toLongLong() : -1;
        query.finish();
        window->carregarlista(); // opens the database again
        return key;
    }

    void choose(const QString &line) { selectRow(window->list(), int(listed().indexOf(line))); }

    // The columns of a row, "|"-joined, NULL for none; "<nenhuma>" when the row is gone.
    QString columns(const QString &where, const char *names) const
    {
        return stored(QLatin1String(names), QStringLiteral("NULL"), where).value(0, QStringLiteral("<nenhuma>"));
    }
};

} // namespace

class tst_repeatingreminders : public QObject
{
    Q_OBJECT
private slots:
    void theListShowsTimesAndEachOccurrenceInRange_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected"); // a leading "*": marked as repeating, to the eye and to a screen reader
        QTest::newRow("todos") << "todos"
                               << QStringList({"10/03/2006|Hoje o dia todo|0 dias", "10/03/2006 00:00|Meia-noite|0 dias",
                                               "*10/03/2006 09:00|Reunião|0 dias", "*14/03/2006|Aula|4 dias", "14/03/2006|Terça|4 dias",
                                               "30/03/2006|Depois|20 dias", "*01/01/2007|Ano novo|297 dias"});
        QTest::newRow("7 dias") << "7dias"
                                << QStringList({"10/03/2006|Hoje o dia todo|0 dias", "10/03/2006 00:00|Meia-noite|0 dias",
                                                "*10/03/2006 09:00|Reunião|0 dias", "*13/03/2006 09:00|Reunião|3 dias", "*14/03/2006|Aula|4 dias",
                                                "14/03/2006|Terça|4 dias", "*14/03/2006 09:00|Reunião|4 dias",
                                                "*15/03/2006 09:00|Reunião|5 dias", "*16/03/2006 09:00|Reunião|6 dias",
                                                "*17/03/2006 09:00|Reunião|7 dias"});
    }

    void theListShowsTimesAndEachOccurrenceInRange()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        Fixture f(filter);
        f.add("2006/02/28", "Aula", "FREQ=WEEKLY");                                  // Tuesdays
        f.add("2006/03/01", "Reunião", "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR", "09:00"); // weekdays
        f.add("2005/01/01", "Ano novo", "FREQ=YEARLY");                             // next across the year end
        f.add("2006/03/10", "Meia-noite", "", "00:00");
        const QAbstractItemModel *model = f.window->list()->model();
        QStringList shown = f.listed();
        for (int row = 0; row < shown.size(); ++row) {
            const QModelIndex day = model->index(row, 0);
            if (!day.data(Qt::DecorationRole).isNull() && !day.data(Qt::AccessibleDescriptionRole).toString().isEmpty())
                shown[row].prepend(u'*');
        }
        QCOMPARE(shown, expected);
    }

    void removingOneOccurrenceOrAllAndUndoingIt_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("afterRemoval");
        QTest::addColumn<QString>("exclusions");
        const QStringList before{"10/03/2006|Hoje o dia todo|0 dias", "14/03/2006|Aula|4 dias", "14/03/2006|Terça|4 dias"};
        const QStringList after{before[0], before[2]};
        QTest::newRow("this occurrence") << int(runtime::MessageAnswer::ThisOccurrence) << after << "2006/03/14";
        QTest::newRow("all occurrences") << int(runtime::MessageAnswer::AllOccurrences) << after << "<nenhuma>";
        QTest::newRow("cancelled") << int(runtime::MessageAnswer::Cancel) << before << "NULL";
    }

    void removingOneOccurrenceOrAllAndUndoingIt()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, afterRemoval);
        QFETCH(QString, exclusions);
        Fixture f(QStringLiteral("7dias"));
        const QString series = "rowid = " + QString::number(f.add("2006/03/07", "Aula", "FREQ=WEEKLY;COUNT=3"));
        const QStringList before = f.listed();
        f.choose(QStringLiteral("14/03/2006|Aula|4 dias"));
        f.fake.messages->answers << runtime::MessageAnswer(answer) << runtime::MessageAnswer::Yes;
        f.window->mnuremover_Click();
        QCOMPARE(f.fake.messages->shown.value(0).buttons, runtime::MessageButtons::OccurrenceOrAll);
        QCOMPARE(f.listed(), afterRemoval);
        QCOMPARE(f.columns(series, "excecoes"), exclusions);
        f.window->mnudesfazer_Click();
        QCOMPARE(f.listed(), before);
        QCOMPARE(f.columns(series, "excecoes, repeticao"), QStringLiteral("NULL|FREQ=WEEKLY;COUNT=3"));
    }

    void editingOneOccurrenceMakesALinkedReminder()
    {
        Fixture f(QStringLiteral("7dias"));
        const qint64 key = f.add("2006/03/07", "Aula", "FREQ=WEEKLY", "19:00");
        f.choose(QStringLiteral("14/03/2006 19:00|Aula|4 dias"));
        f.fake.messages->answers.enqueue(runtime::MessageAnswer::ThisOccurrence);
        f.window->mnueditar_Click();
        frmlembretesys *editor = f.loaded<frmlembretesys>();
        QVERIFY(editor);
        QCOMPARE(child<QLineEdit>(editor, "txtdata")->text() + ' ' + child<QLineEdit>(editor, "txthora")->text(),
                 QStringLiteral("14/03/2006 19:00"));
        QCOMPARE(child<QComboBox>(editor, "cborepetir")->currentText(), QStringLiteral("Não se repete"));
        child<QLineEdit>(editor, "txtdata")->setText(QStringLiteral("15/03/2006"));
        child<QLineEdit>(editor, "txttitulo")->setText(QStringLiteral("Aula trocada"));
        QTest::mouseClick(child<QPushButton>(editor, "cmdacao"), Qt::LeftButton);
        QCOMPARE(f.columns("rowid = " + QString::number(key), "excecoes, repeticao"),
                 QStringLiteral("2006/03/14|FREQ=WEEKLY"));
        QCOMPARE(f.columns("titulo = 'Aula trocada'", "data, hora, repeticao, serie, ocorrencia"),
                 QStringLiteral("2006/03/15|19:00|NULL|%1|2006/03/14").arg(key));
        QVERIFY(f.listed().contains(QStringLiteral("15/03/2006 19:00|Aula trocada|5 dias")));
        QVERIFY(!f.listed().contains(QStringLiteral("14/03/2006 19:00|Aula|4 dias")));
    }
};

QTEST_MAIN(tst_repeatingreminders)
#include "tst_repeatingreminders.moc"
