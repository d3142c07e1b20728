// The reminder editor driven through the main window's commands, end to end
// down to the rows in dados.mdb. Today is 10/03/2006.

#include "formfixture.h"

#include <almanaqlib.h>

#include <QSpinBox>

namespace {

const QString kAdded = QStringLiteral("Lembrete cadastrado com sucesso!");
const QString kPrompt = QStringLiteral("Digite aqui uma descrição para seu lembrete");

struct Fixture : MainWindowFixture
{
    explicit Fixture(const QStringList &reminders = {}) : MainWindowFixture(reminders, true) {}

    frmlembretesys *editor() { return loaded<frmlembretesys>(); }
    frmlembretesys *open(int listRow = -1) // -1: a new reminder
    {
        if (listRow >= 0)
            selectRow(window->list(), listRow);
        listRow >= 0 ? window->mnueditar_Click() : window->mnunovo_Click();
        fake.messages->shown.clear();
        return editor();
    }
    QLineEdit *field(const char *name) { return child<QLineEdit>(editor(), name); }
    QString date() { return field("txtdata")->text(); }
    QString title() { return field("txttitulo")->text(); }
    QPlainTextEdit *txtdesc() { return child<QPlainTextEdit>(editor(), "txtdesc"); }
    void press() { QTest::mouseClick(child<QPushButton>(editor(), "cmdacao"), Qt::LeftButton); }

    // Rows in entry order as "day|title|description|time|rule|warning", - for none.
    QStringList rows() const { return stored(QStringLiteral("data, titulo, descricao, hora, repeticao, antecedencia"), "-"); }
};

const QStringList kSeed{"2006/03/12|Consulta|x", "2006/03/13|Aviso|" + kPrompt + "\r\n"};
const QStringList kSeedRows{"2006/03/12|Consulta|x|-|-|-", "2006/03/13|Aviso|" + kPrompt + "\r\n|-|-|-"};

} // namespace

class FrmLembretesysTest : public QObject
{
    Q_OBJECT

private slots:
    // Every field the editor writes, and every refusal, which writes nothing
    // and keeps what was typed. The description's prompt is only shown.
    void theFieldsAreCheckedThenStored_data()
    {
        QTest::addColumn<int>("listRow"); // the reminder edited; -1 a new one
        QTest::addColumn<QStringList>("fields"); // "name=value", in this order
        QTest::addColumn<QString>("message"); // part of the one message
        QTest::addColumn<QString>("row");     // the row added or rewritten; empty: none
        QTest::newRow("a whole reminder") << -1 << QStringList{"txtdata=15/03/2006", "txttitulo=Dentista", "txtdesc=Levar exames\nem jejum"}
                                          << kAdded << "2006/03/15|Dentista|Levar exames\r\nem jejum|-|-|-";
        QTest::newRow("blank date, before the title") << -1 << QStringList{"txtdata=   ", "txttitulo=  "}
                                                      << "O campo data é de preenchimento obrigatório!" << "";
        QTest::newRow("blank title") << -1 << QStringList{"txttitulo=  "} << "O campo título é de preenchimento obrigatório!" << "";
        QTest::newRow("the title keeps its spaces") << -1 << QStringList{"txttitulo=  Reunião  "} << kAdded
                                                    << "2006/03/10|  Reunião  ||-|-|-";
        QTest::newRow("no real day") << -1 << QStringList{"txtdata=31/02/2006", "txttitulo=Outro"}
                                     << "Ocorreu o seguinte erro: " << "";
        QTest::newRow("no real hour") << -1 << QStringList{"txttitulo=Aula", "txthora=25:00"} << "25:00" << "";
        QTest::newRow("weekly, 16 times, warned") << -1 << QStringList{"txttitulo=Aula", "txthora=19:30", "cborepetir=Toda semana",
                                                                     "cbofim=N vezes", "txtvezes=16", "cboavisar=15 minutos antes"}
                                                  << kAdded << "2006/03/10|Aula||19:30|FREQ=WEEKLY;COUNT=16|15";
        QTest::newRow("ending on its first day") << -1 << QStringList{"txttitulo=Uma vez", "cborepetir=Toda semana", "cbofim=até",
                                                                    "txtate=10/03/2006"}
                                                 << kAdded << "2006/03/10|Uma vez||-|FREQ=WEEKLY;UNTIL=20060310|-";
        QTest::newRow("edited under a new title") << 0 << QStringList{"txttitulo=Consulta médica", "txtdata=08/03/2006"}
                                                  << "Lembrete editado com sucesso!" << "2006/03/08|Consulta médica|x|-|-|-";
        QTest::newRow("holding the prompt, saved unchanged") << 1 << QStringList() << "editado"
                                                    << kSeedRows[1];
    }

    void theFieldsAreCheckedThenStored()
    {
        QFETCH(int, listRow);
        QFETCH(QStringList, fields);
        QFETCH(QString, message);
        QFETCH(QString, row);
        Fixture f(kSeed);
        REQUIRE_ROWS(f.window->list(), 2);
        QVERIFY(f.open(listRow));
        const double selected = f.editor()->calendarControl()->property("SelectedDate").toDouble();
        QCOMPARE(almanaq::automationDateDay(selected), // the row's day, or today
                 QDate::fromString(listRow >= 0 ? f.rows()[listRow].left(10) : "2006/03/10", QStringLiteral("yyyy/MM/dd")));
        QCOMPARE(f.txtdesc()->toPlainText().isEmpty(), listRow < 0);
        for (const QString &entry : fields) {
            const QString name = entry.section(u'=', 0, 0), value = entry.section(u'=', 1);
            QObject *target = f.editor()->findChild<QObject *>(name);
            QVERIFY2(target, qPrintable(name));
            if (auto *box = qobject_cast<QComboBox *>(target))
                box->setCurrentIndex(box->findText(value));
            else if (auto *number = qobject_cast<QSpinBox *>(target))
                number->setValue(value.toInt());
            else if (auto *text = qobject_cast<QPlainTextEdit *>(target))
                text->setPlainText(value);
            else
                qobject_cast<QLineEdit *>(target)->setText(value);
        }
        f.press();
        QVERIFY2(f.onlyMessage().text.contains(message), qPrintable(f.onlyMessage().text));
        QStringList expected = kSeedRows;
        if (listRow >= 0 && !row.isEmpty())
            expected[listRow] = row;
        else if (!row.isEmpty())
            expected << row;
        QCOMPARE(f.rows(), expected);
        if (row.isEmpty()) { // refused: what was typed stays
            QCOMPARE(f.onlyMessage().icon, message.contains("obrigatório") ? runtime::MessageIcon::Warning
                                                                             : runtime::MessageIcon::Critical);
            for (const QString &entry : fields) {
                if (auto *box = f.field(qPrintable(entry.section(u'=', 0, 0))))
                    QCOMPARE(box->text(), entry.section(u'=', 1));
            }
        } else { // saved: the list is reloaded and the editor unloaded
            QCOMPARE(f.listed().size(), expected.size());
            QVERIFY(!f.editor());
        }
    }

    // Pressing again repeats the whole save, reopening the database.
    void aFailedSaveShowsNoSuccessAndKeepsTheInputForTheNextTry()
    {
        Fixture f;
        f.open();
        f.field("txtdata")->setText(QStringLiteral("20/03/2006"));
        f.field("txttitulo")->setText(QStringLiteral("Aniversário"));
        QVERIFY(QFile::remove(f.fake.databasePath()));
        f.press();
        QCOMPARE(f.fake.messages->shown.size(), 2); // the open routine's, then the save's
        for (const RecordedMessage &message : f.fake.messages->shown)
            QCOMPARE(message.icon, runtime::MessageIcon::Critical);
        QCOMPARE(f.date() + f.title(), QStringLiteral("20/03/2006Aniversário"));
        f.fake.createEmptyDatabase();
        f.fake.messages->shown.clear();
        f.press();
        QCOMPARE(f.onlyMessage().text, kAdded);
        QCOMPARE(f.stored(), QStringList{"2006/03/20|Aniversário|"});
    }

    // The new command over an open editor shows it again with its text, and
    // the next save appends; Cancel drops the text; a calendar click replaces the date.
    void theEditorKeepsItsTextWhenShownAgainAndCancelDropsIt()
    {
        Fixture f({"2006/03/12|Consulta|x"});
        REQUIRE_ROWS(f.window->list(), 1);
        frmlembretesys *editing = f.open(0);
        f.field("txttitulo")->setText(QStringLiteral("Retorno"));
        QCOMPARE(f.open(), editing);
        QVERIFY(editing->isAddMode());
        QCOMPARE(f.date() + f.title(), QStringLiteral("12/03/2006Retorno"));
        f.press();
        QCOMPARE(f.onlyMessage().text, kAdded);
        const QStringList added{"2006/03/12|Consulta|x", "2006/03/12|Retorno|x"};
        QCOMPARE(f.stored(), added);
        f.open()->findChild<QLineEdit *>("txttitulo")->setText(QStringLiteral("rascunho"));
        QTest::mouseClick(child<QPushButton>(f.editor(), "cmdcancelar"), Qt::LeftButton);
        QVERIFY(!f.editor());
        flushDeletes();
        QVERIFY(f.stored() == added && f.fake.messages->shown.isEmpty());
        QVERIFY(f.calendarCopied);
        f.open();
        QCOMPARE(f.title(), QString());
        f.field("txtdata")->setText(QStringLiteral("01/01/2001"));
        QVERIFY(clickDay(f.editor()->calendarControl(), QStringLiteral("25")));
        QCOMPARE(f.date(), QStringLiteral("25/03/2006"));
        QVERIFY(f.fake.messages->shown.isEmpty());
    }
};

QTEST_MAIN(FrmLembretesysTest)
#include "tst_frmlembretesys.moc"
