// The reminder editor driven through the main window's commands, end to end
// down to the rows in dados.mdb. Today is 10/03/2006.

#include "forms/datebox.h"
#include "forms/frmlembretesys.h"

#include "formfixture.h"

#include <almanaqlib.h>

#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

namespace {

const QString kAdded = QStringLiteral("Lembrete cadastrado com sucesso!");

struct Fixture : MainWindowFixture
{
    explicit Fixture(const QStringList &reminders = {}, bool withCalendar = true)
        : MainWindowFixture(reminders, withCalendar)
    {
    }

    frmlembretesys *editor() { return loaded<frmlembretesys>(); }
    frmlembretesys *openNew()
    {
        window->mnunovo_Click();
        fake.messages->shown.clear();
        return editor();
    }
    frmlembretesys *openEdit(int listRow)
    {
        selectRow(window->list(), listRow);
        window->mnueditar_Click();
        fake.messages->shown.clear();
        return editor();
    }

    DateBox *txtdata() { return editor()->findChild<DateBox *>(QStringLiteral("txtdata")); }
    QLineEdit *txttitulo() { return editor()->findChild<QLineEdit *>(QStringLiteral("txttitulo")); }
    QPlainTextEdit *txtdesc() { return editor()->findChild<QPlainTextEdit *>(QStringLiteral("txtdesc")); }
    QPushButton *cmdacao() { return editor()->findChild<QPushButton *>(QStringLiteral("cmdacao")); }
    void press() { QTest::mouseClick(cmdacao(), Qt::LeftButton); }

    void expectMessage(runtime::MessageIcon icon, const QString &title, const QString &textStart)
    {
        const RecordedMessage message = onlyMessage();
        QCOMPARE(message.icon, icon);
        QCOMPARE(message.title, title);
        QVERIFY2(message.text.startsWith(textStart), qPrintable(message.text));
    }
};

} // namespace

class FrmLembretesysTest : public QObject
{
    Q_OBJECT

private slots:
    void addingStoresTheReminderReloadsTheListAndClosesTheEditor()
    {
        Fixture f;
        QPointer<frmlembretesys> editor = f.openNew();
        QVERIFY(editor && editor->isVisible() && editor->isWindow() && editor->isAddMode());
        QCOMPARE(editor->parentWidget(), f.window.get());
        QCOMPARE(editor->windowTitle(), QStringLiteral("Adicionar lembrete"));
        QCOMPARE(f.txtdata()->text(), QStringLiteral("10/03/2006"));
        QCOMPARE(f.txttitulo()->text(), QString());
        QCOMPARE(f.txtdesc()->toPlainText(), QString());
        QCOMPARE(f.txtdesc()->placeholderText(), QStringLiteral("Digite aqui uma descrição para seu lembrete"));
        QCOMPARE(f.cmdacao()->text(), QStringLiteral("Adicionar lembrete"));

        f.txtdata()->setText(QStringLiteral("15/03/2006"));
        QTest::keyClicks(f.txttitulo(), QStringLiteral("Dentista"));
        f.txtdesc()->setPlainText(QStringLiteral("Levar exames\nem jejum"));
        f.press();
        f.expectMessage(runtime::MessageIcon::Information, QStringLiteral("cadastrado"), kAdded);
        QCOMPARE(f.stored(), QStringList{"2006/03/15|Dentista|Levar exames\r\nem jejum"});
        QCOMPARE(f.listed(), QStringList{"15/03/2006|Dentista|5 dias"});
        QVERIFY(!f.editor());
        flushDeletes();
        QVERIFY(editor.isNull());
    }

    void aBlankDateIsWarnedBeforeABlankTitleAndTheTitleKeepsItsSpaces()
    {
        Fixture f;
        f.openNew();
        f.txtdata()->setText(QStringLiteral("   "));
        f.txttitulo()->setText(QStringLiteral("  "));
        for (const QString &missing : {QStringLiteral("data"), QStringLiteral("título")}) {
            f.press();
            QCOMPARE(f.onlyMessage().text, QStringLiteral("O campo %1 é de preenchimento obrigatório!").arg(missing));
            QCOMPARE(f.onlyMessage().icon, runtime::MessageIcon::Warning);
            QCOMPARE(f.onlyMessage().title, QStringLiteral("Aviso"));
            QVERIFY(f.stored().isEmpty());
            f.fake.messages->shown.clear();
            f.txtdata()->setText(QStringLiteral("12/03/2006"));
        }
        QCOMPARE(f.txttitulo()->text(), QStringLiteral("  "));

        f.txttitulo()->setText(QStringLiteral("  Reunião  "));
        f.press();
        QCOMPARE(f.stored(), QStringList{"2006/03/12|  Reunião  |"});
        QCOMPARE(f.listed(), QStringList{"12/03/2006|  Reunião  |2 dias"});
    }

    void aDateThatIsNoRealDayIsRefusedAndNothingIsWritten()
    {
        Fixture f({"2006/03/12|Consulta|x"});
        REQUIRE_ROWS(f.window->list(), 1);
        for (const bool editing : {false, true}) {
            editing ? f.openEdit(0) : f.openNew();
            // The box refuses such typing; a text put in directly must still not reach the table.
            f.txtdata()->setText(QStringLiteral("31/02/2006"));
            f.txttitulo()->setText(QStringLiteral("Outro"));
            f.press();
            f.expectMessage(runtime::MessageIcon::Critical, QStringLiteral("Erro"),
                            QStringLiteral("Ocorreu o seguinte erro: "));
            QVERIFY(f.onlyMessage().text.contains(QStringLiteral("31/02/2006")));
            QCOMPARE(f.stored(), QStringList{"2006/03/12|Consulta|x"});
            QCOMPARE(f.txtdata()->text(), QStringLiteral("31/02/2006"));
            f.editor()->close();
        }
    }

    void aFailedSaveShowsNoSuccessAndKeepsTheInputForTheNextTry()
    {
        Fixture f;
        f.openNew();
        f.txtdata()->setText(QStringLiteral("20/03/2006"));
        f.txttitulo()->setText(QStringLiteral("Aniversário"));
        QVERIFY(QFile::remove(f.fake.databasePath()));
        f.press();
        QCOMPARE(f.fake.messages->shown.size(), 2); // the open routine's, then the save's
        for (const RecordedMessage &message : f.fake.messages->shown)
            QCOMPARE(message.icon, runtime::MessageIcon::Critical);
        QVERIFY(f.fake.messages->shown[1].text.startsWith(QStringLiteral("Ocorreu o seguinte erro: ")));
        QCOMPARE(f.txtdata()->text(), QStringLiteral("20/03/2006"));
        QCOMPARE(f.txttitulo()->text(), QStringLiteral("Aniversário"));

        // Pressing again repeats the whole save, reopening the database.
        f.fake.createEmptyDatabase();
        f.fake.messages->shown.clear();
        f.press();
        QCOMPARE(f.onlyMessage().text, kAdded);
        QCOMPARE(f.stored(), QStringList{"2006/03/20|Aniversário|"});
    }

    // The prompt is only shown: an untouched box stores nothing, and a
    // reminder that already holds the prompt as its text keeps it.
    void theDescriptionPromptIsNeverStored_data()
    {
        QTest::addColumn<QString>("held"); // the stored description edited; null when adding
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("stored");
        const QString prompt = QStringLiteral("Digite aqui uma descrição para seu lembrete\r\n");
        QTest::newRow("adding, untouched") << QString() << QString() << QString("");
        QTest::newRow("editing one that holds it") << prompt << QStringLiteral("Digite aqui uma descrição para seu lembrete\n") << prompt;
    }

    void theDescriptionPromptIsNeverStored()
    {
        QFETCH(QString, held);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        Fixture f(held.isNull() ? QStringList() : QStringList{QStringLiteral("2006/03/12|Consulta|") + held});
        held.isNull() ? f.openNew() : f.openEdit(0);
        QCOMPARE(f.txtdesc()->toPlainText(), shown);
        f.txttitulo()->setText(QStringLiteral("Consulta"));
        f.press();
        QCOMPARE(f.stored(), QStringList{QStringLiteral("2006/03/") + (held.isNull() ? "10" : "12") + "|Consulta|" + stored});
    }

    void editingFillsTheEditorAndRewritesTheRowUnderItsNewTitle()
    {
        Fixture f({"2006/04/12|Consulta|linha 1\r\nlinha 2", "2006/05/14|Outra|y"});
        REQUIRE_ROWS(f.window->list(), 1);
        frmlembretesys *editor = f.openEdit(0);
        QVERIFY(editor && !editor->isAddMode());
        QCOMPARE(editor->windowTitle(), QStringLiteral("Editar lembrete"));
        QCOMPARE(f.cmdacao()->text(), QStringLiteral("Editar lembrete"));
        QCOMPARE(f.txtdata()->text(), QStringLiteral("12/04/2006"));
        // The calendar shows the reminder's month with its day selected.
        QCOMPARE(almanaq::automationDateDay(editor->calendarControl()->property("SelectedDate").toDouble()),
                 QDate(2006, 4, 12));
        QCOMPARE(f.txttitulo()->text(), QStringLiteral("Consulta"));
        QCOMPARE(f.txtdesc()->toPlainText(), QStringLiteral("linha 1\nlinha 2"));

        f.txttitulo()->setText(QStringLiteral("Consulta médica"));
        f.txtdata()->setText(QStringLiteral("08/03/2006"));
        f.press();
        f.expectMessage(runtime::MessageIcon::Information, QStringLiteral("cadastrado"),
                        QStringLiteral("Lembrete editado com sucesso!"));
        QCOMPARE(f.stored(), (QStringList{"2006/03/08|Consulta médica|linha 1\r\nlinha 2", "2006/05/14|Outra|y"}));
        QCOMPARE(f.listed(), (QStringList{"08/03/2006|Consulta médica|-2 dias", "14/05/2006|Outra|65 dias"}));
        QVERIFY(!f.editor());
    }

    void anEditWhoseReminderWasRemovedMeanwhileWritesNothing()
    {
        Fixture f({"2006/03/12|Consulta|x", "2006/03/13|Fica|y"});
        REQUIRE_ROWS(f.window->list(), 1);
        f.openEdit(0);
        QVERIFY(f.store.execute(modgeral::titleDelete(QStringLiteral("Consulta"))));
        f.txttitulo()->setText(QStringLiteral("Consulta nova"));
        f.press();
        f.expectMessage(runtime::MessageIcon::Critical, QStringLiteral("Erro"), QString());
        QVERIFY2(f.onlyMessage().text.contains(QStringLiteral("não foi encontrado")), qPrintable(f.onlyMessage().text));
        QCOMPARE(f.stored(), QStringList{"2006/03/13|Fica|y"});
        QCOMPARE(f.txttitulo()->text(), QStringLiteral("Consulta nova"));
    }

    void theNewCommandWhileEditingMakesTheNextSaveAppend()
    {
        Fixture f({"2006/03/12|Consulta|x"});
        REQUIRE_ROWS(f.window->list(), 1);
        frmlembretesys *editing = f.openEdit(0);
        f.txttitulo()->setText(QStringLiteral("Retorno"));
        QCOMPARE(f.openNew(), editing);
        QCOMPARE(editing->windowTitle(), QStringLiteral("Adicionar lembrete"));
        QCOMPARE(f.txttitulo()->text(), QStringLiteral("Retorno"));
        QCOMPARE(f.txtdata()->text(), QStringLiteral("12/03/2006"));
        f.press();
        QCOMPARE(f.onlyMessage().text, kAdded);
        QCOMPARE(f.stored(), (QStringList{"2006/03/12|Consulta|x", "2006/03/12|Retorno|x"}));
    }

    void theDoubleClickAndThePopupItemOpenTheEditorForEditing()
    {
        Fixture f({"2006/03/12|Consulta|x", "2006/03/15|Dentista|y"});
        QTreeView *list = f.window->list();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        REQUIRE_ROWS(list, 2);
        const QRect second = list->visualRect(list->model()->index(1, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(f.editor()->windowTitle(), QStringLiteral("Editar lembrete"));
        QCOMPARE(f.txttitulo()->text(), QStringLiteral("Dentista"));
        f.editor()->close();

        selectRow(list, 0);
        f.window->popupMenu()->findChild<QAction *>(QStringLiteral("popeditar"))->trigger();
        QCOMPARE(f.txttitulo()->text(), QStringLiteral("Consulta"));
        QCOMPARE(f.cmdacao()->text(), QStringLiteral("Editar lembrete"));
    }

    void clickingACalendarDayReplacesTheDate()
    {
        Fixture f;
        if (!f.calendarCopied)
            QSKIP("The calendar library has not been built (target Almanaq).");
        frmlembretesys *editor = f.openNew();
        QCOMPARE(editor->calendarControl()->objectName(), QStringLiteral("calendario"));
        f.txtdata()->setText(QStringLiteral("01/01/2001"));
        QVERIFY(clickDay(editor->calendarControl(), QStringLiteral("25")));
        QCOMPARE(f.txtdata()->text(), QStringLiteral("25/03/2006"));
        QCOMPARE(f.txttitulo()->text(), QString());
        QVERIFY(f.fake.messages->shown.isEmpty());
    }

    void theEditorKeepsItsTextWhenShownAgainAndCancelDropsIt()
    {
        Fixture f;
        frmlembretesys *first = f.openNew();
        f.txttitulo()->setText(QStringLiteral("rascunho"));
        QCOMPARE(f.openNew(), first);
        QCOMPARE(f.txttitulo()->text(), QStringLiteral("rascunho"));
        QTest::mouseClick(first->findChild<QPushButton *>(QStringLiteral("cmdcancelar")), Qt::LeftButton);
        QVERIFY(!f.editor());
        flushDeletes();
        QVERIFY(f.stored().isEmpty() && f.fake.messages->shown.isEmpty());
        f.openNew();
        QCOMPARE(f.txttitulo()->text(), QString());
    }

    void theEditorOpensWithOrWithoutItsBackgroundPictureAndCalendar()
    {
        Fixture f({}, false);
        // Without the calendar library the host says so once and the editor opens all the same.
        f.window->mnunovo_Click();
        QVERIFY(f.editor()->picture().isNull());
        QVERIFY(!f.editor()->calendarControl());
        QCOMPARE(f.onlyMessage().icon, runtime::MessageIcon::Critical);
        f.editor()->close();

        f.putPicture();
        QCOMPARE(f.openNew()->picture().size(), QSize(640, 480));
    }
};

QTEST_MAIN(FrmLembretesysTest)
#include "tst_frmlembretesys.moc"
