// The reminder editor driven through the main window's commands, end to end
// down to the rows in dados.mdb. Today is 10/03/2006.

#include "forms/datebox.h"
#include "forms/frmlembretesys.h"
#include "runtime/windowmanager.h"

#include "formfixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>

namespace {

const QString kPrompt = QStringLiteral("Digite aqui uma descrição para seu lembrete\r\n");
const QString kAdded = QStringLiteral("Lembrete cadastrado com sucesso!");

struct Row
{
    QString day;
    QString title;
    QString description;
    bool operator==(const Row &) const = default;
};

QDebug operator<<(QDebug debug, const Row &row)
{
    return debug << row.day << row.title << row.description;
}

struct Fixture : MainWindowFixture
{
    explicit Fixture(bool withCalendar = true) : MainWindowFixture(withCalendar) {}

    void seed(const QList<Row> &rows)
    {
        for (const Row &row : rows)
            QVERIFY(store.appendReminder(row.day, row.title, row.description));
        window->carregarlista();
    }

    QList<Row> stored() const
    {
        QList<Row> rows;
        QSqlQuery query(store.connection());
        query.exec(QStringLiteral("select data, titulo, descricao from lembrete order by rowid"));
        while (query.next())
            rows.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toString()});
        return rows;
    }

    QStringList listed() const { return listedRows(window->list()); }
    frmlembretesys *editor() { return fake.platform().windows().find<frmlembretesys>(); }

    frmlembretesys *openNew()
    {
        window->mnunovo_Click();
        fake.messages->shown.clear();
        return editor();
    }

    frmlembretesys *openEdit(int listRow)
    {
        window->list()->setCurrentItem(window->list()->topLevelItem(listRow));
        window->mnueditar_Click();
        fake.messages->shown.clear();
        return editor();
    }

    DateBox *txtdata() { return editor()->findChild<DateBox *>(QStringLiteral("txtdata")); }
    QLineEdit *txttitulo() { return editor()->findChild<QLineEdit *>(QStringLiteral("txttitulo")); }
    QPlainTextEdit *txtdesc() { return editor()->findChild<QPlainTextEdit *>(QStringLiteral("txtdesc")); }
    QPushButton *cmdacao() { return editor()->findChild<QPushButton *>(QStringLiteral("cmdacao")); }

    void press() { QTest::mouseClick(cmdacao(), Qt::LeftButton); }
};

} // namespace

class FrmLembretesysTest : public QObject
{
    Q_OBJECT

private slots:
    void addingStoresTheReminderReloadsTheListAndClosesTheEditor();
    void aBlankDateIsWarnedBeforeABlankTitleAndTheTitleKeepsItsSpaces();
    void aDateThatIsNoRealDayIsRefusedAndNothingIsWritten();
    void aFailedSaveShowsNoSuccessAndKeepsTheInputForTheNextTry();
    void editingFillsTheEditorAndRewritesTheRowUnderItsNewTitle();
    void editingASharedTitleRewritesOnlyItsFirstRow();
    void anEditWhoseReminderWasRemovedMeanwhileWritesNothing();
    void theNewCommandWhileEditingMakesTheNextSaveAppend();
    void theDoubleClickAndThePopupItemOpenTheEditorForEditing();
    void clickingACalendarDayReplacesTheDate();
    void theEditorIsOneWindowLoadedAfreshAfterCancelAndClosedWithTheMainWindow();
    void theEditorOpensWithOrWithoutItsBackgroundPicture();
};

void FrmLembretesysTest::addingStoresTheReminderReloadsTheListAndClosesTheEditor()
{
    Fixture f;
    QPointer<frmlembretesys> editor = f.openNew();
    QVERIFY(editor && editor->isVisible() && editor->isWindow());
    QCOMPARE(editor->parentWidget(), f.window.get());
    QCOMPARE(editor->windowTitle(), QStringLiteral("Adicionar lembrete"));
    QVERIFY(editor->isAddMode());
    QCOMPARE(f.txtdata()->text(), QStringLiteral("10/03/2006"));
    QCOMPARE(f.txttitulo()->text(), QString());
    QCOMPARE(f.txtdesc()->toPlainText(), QStringLiteral("Digite aqui uma descrição para seu lembrete\n"));
    QCOMPARE(f.cmdacao()->text(), QStringLiteral("Adicionar lembrete"));
    for (QWidget *control : {static_cast<QWidget *>(f.txtdata()), static_cast<QWidget *>(f.txttitulo()),
                             static_cast<QWidget *>(f.txtdesc()), static_cast<QWidget *>(f.cmdacao())})
        QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));

    f.txtdata()->setText(QStringLiteral("15/03/2006"));
    QTest::keyClicks(f.txttitulo(), QStringLiteral("Dentista"));
    f.txtdesc()->setPlainText(QStringLiteral("Levar exames\nem jejum"));
    f.press();

    const RecordedMessage message = f.onlyMessage();
    QCOMPARE(message.icon, runtime::MessageIcon::Information);
    QCOMPARE(message.text, kAdded);
    QCOMPARE(message.title, QStringLiteral("cadastrado"));
    QCOMPARE(f.stored(), (QList<Row>{{"2006/03/15", "Dentista", "Levar exames\r\nem jejum"}}));
    QCOMPARE(f.listed(), QStringList{"15/03/2006|Dentista|5 dias"});
    QVERIFY(!f.editor());
    flushDeletes();
    QVERIFY(editor.isNull());
}

void FrmLembretesysTest::aBlankDateIsWarnedBeforeABlankTitleAndTheTitleKeepsItsSpaces()
{
    Fixture f;
    f.openNew();
    f.txtdata()->setText(QStringLiteral("   "));
    f.txttitulo()->setText(QStringLiteral("  "));
    for (const QString &missing : {QStringLiteral("data"), QStringLiteral("título")}) {
        f.press();
        const RecordedMessage message = f.onlyMessage();
        QCOMPARE(message.icon, runtime::MessageIcon::Warning);
        QCOMPARE(message.text, QStringLiteral("O campo %1 é de preenchimento obrigatório!").arg(missing));
        QCOMPARE(message.title, QStringLiteral("Aviso"));
        QVERIFY(f.stored().isEmpty());
        f.fake.messages->shown.clear();
        f.txtdata()->setText(QStringLiteral("12/03/2006"));
    }
    QVERIFY(f.editor());
    QCOMPARE(f.txttitulo()->text(), QStringLiteral("  "));

    // An untouched description stores the prompt.
    f.txttitulo()->setText(QStringLiteral("  Reunião  "));
    f.press();
    QCOMPARE(f.stored(), (QList<Row>{{"2006/03/12", "  Reunião  ", kPrompt}}));
    QCOMPARE(f.listed(), QStringList{"12/03/2006|  Reunião  |2 dias"});
}

void FrmLembretesysTest::aDateThatIsNoRealDayIsRefusedAndNothingIsWritten()
{
    Fixture f;
    f.seed({{"2006/03/12", "Consulta", "x"}});
    for (const bool editing : {false, true}) {
        if (editing)
            f.openEdit(0);
        else
            f.openNew();
        // The box refuses such typing; a text put in directly must still not reach the table.
        f.txtdata()->setText(QStringLiteral("31/02/2006"));
        f.txttitulo()->setText(QStringLiteral("Outro"));
        f.press();
        const RecordedMessage message = f.onlyMessage();
        QCOMPARE(message.icon, runtime::MessageIcon::Critical);
        QCOMPARE(message.title, QStringLiteral("Erro"));
        QVERIFY2(message.text.startsWith(QStringLiteral("Ocorreu o seguinte erro: ")), qPrintable(message.text));
        QVERIFY2(message.text.contains(QStringLiteral("31/02/2006")), qPrintable(message.text));
        QCOMPARE(f.stored(), (QList<Row>{{"2006/03/12", "Consulta", "x"}}));
        QVERIFY(f.editor());
        QCOMPARE(f.txtdata()->text(), QStringLiteral("31/02/2006"));
        f.editor()->close();
    }
}

void FrmLembretesysTest::aFailedSaveShowsNoSuccessAndKeepsTheInputForTheNextTry()
{
    Fixture f;
    f.openNew();
    f.txtdata()->setText(QStringLiteral("20/03/2006"));
    f.txttitulo()->setText(QStringLiteral("Aniversário"));
    QVERIFY(QFile::remove(f.fake.databasePath()));
    f.press();
    QCOMPARE(f.fake.messages->shown.size(), 2); // the open routine's, then the save's
    for (const RecordedMessage &message : f.fake.messages->shown) {
        QCOMPARE(message.icon, runtime::MessageIcon::Critical);
        QCOMPARE(message.title, QStringLiteral("Erro"));
    }
    QVERIFY(f.fake.messages->shown[1].text.startsWith(QStringLiteral("Ocorreu o seguinte erro: ")));
    QVERIFY(f.editor());
    QCOMPARE(f.txtdata()->text(), QStringLiteral("20/03/2006"));
    QCOMPARE(f.txttitulo()->text(), QStringLiteral("Aniversário"));

    // Pressing again repeats the whole save, reopening the database.
    f.fake.createEmptyDatabase();
    f.fake.messages->shown.clear();
    f.press();
    QCOMPARE(f.onlyMessage().text, kAdded);
    QCOMPARE(f.stored(), (QList<Row>{{"2006/03/20", "Aniversário", kPrompt}}));
}

void FrmLembretesysTest::editingFillsTheEditorAndRewritesTheRowUnderItsNewTitle()
{
    Fixture f;
    f.seed({{"2006/03/12", "Consulta", "linha 1\r\nlinha 2"}, {"2006/03/14", "Outra", "y"}});
    frmlembretesys *editor = f.openEdit(0);
    QVERIFY(editor);
    QCOMPARE(editor->windowTitle(), QStringLiteral("Editar lembrete"));
    QCOMPARE(f.cmdacao()->text(), QStringLiteral("Editar lembrete"));
    QVERIFY(!editor->isAddMode());
    QCOMPARE(f.txtdata()->text(), QStringLiteral("12/03/2006"));
    QCOMPARE(f.txttitulo()->text(), QStringLiteral("Consulta"));
    QCOMPARE(f.txtdesc()->toPlainText(), QStringLiteral("linha 1\nlinha 2"));

    f.txttitulo()->setText(QStringLiteral("Consulta médica"));
    f.txtdata()->setText(QStringLiteral("08/03/2006"));
    f.press();
    const RecordedMessage message = f.onlyMessage();
    QCOMPARE(message.icon, runtime::MessageIcon::Information);
    QCOMPARE(message.text, QStringLiteral("Lembrete editado com sucesso!"));
    QCOMPARE(message.title, QStringLiteral("cadastrado"));
    QCOMPARE(f.stored(), (QList<Row>{{"2006/03/08", "Consulta médica", "linha 1\r\nlinha 2"},
                                     {"2006/03/14", "Outra", "y"}}));
    QCOMPARE(f.listed(), (QStringList{"08/03/2006|Consulta médica|-2 dias", "14/03/2006|Outra|4 dias"}));
    QVERIFY(!f.editor());
}

void FrmLembretesysTest::editingASharedTitleRewritesOnlyItsFirstRow()
{
    Fixture f;
    f.seed({{"2006/03/20", "Pagar conta", "primeira"}, {"2006/03/11", "pagar CONTA", "segunda"}});
    // The row picked in the list is the later-entered one; the edit still
    // loads and rewrites the first row its title finds.
    QCOMPARE(f.listed().constFirst(), QStringLiteral("11/03/2006|pagar CONTA|1 dias"));
    f.openEdit(0);
    QCOMPARE(f.txtdata()->text(), QStringLiteral("20/03/2006"));
    QCOMPARE(f.txtdesc()->toPlainText(), QStringLiteral("primeira"));
    f.txttitulo()->setText(QStringLiteral("Pagar luz"));
    f.press();
    QCOMPARE(f.stored(), (QList<Row>{{"2006/03/20", "Pagar luz", "primeira"}, {"2006/03/11", "pagar CONTA", "segunda"}}));
}

void FrmLembretesysTest::anEditWhoseReminderWasRemovedMeanwhileWritesNothing()
{
    Fixture f;
    f.seed({{"2006/03/12", "Consulta", "x"}, {"2006/03/13", "Fica", "y"}});
    f.openEdit(0);
    QVERIFY(f.store.execute(modgeral::titleDelete(QStringLiteral("Consulta"))));
    f.txttitulo()->setText(QStringLiteral("Consulta nova"));
    f.press();
    const RecordedMessage message = f.onlyMessage();
    QCOMPARE(message.icon, runtime::MessageIcon::Critical);
    QCOMPARE(message.title, QStringLiteral("Erro"));
    QVERIFY2(message.text.contains(QStringLiteral("não foi encontrado")), qPrintable(message.text));
    QCOMPARE(f.stored(), (QList<Row>{{"2006/03/13", "Fica", "y"}}));
    QVERIFY(f.editor());
    QCOMPARE(f.txttitulo()->text(), QStringLiteral("Consulta nova"));
}

void FrmLembretesysTest::theNewCommandWhileEditingMakesTheNextSaveAppend()
{
    Fixture f;
    f.seed({{"2006/03/12", "Consulta", "x"}});
    frmlembretesys *editing = f.openEdit(0);
    f.txttitulo()->setText(QStringLiteral("Retorno"));
    QCOMPARE(f.openNew(), editing);
    QCOMPARE(editing->windowTitle(), QStringLiteral("Adicionar lembrete"));
    QCOMPARE(f.cmdacao()->text(), QStringLiteral("Editar lembrete"));
    QCOMPARE(f.txttitulo()->text(), QStringLiteral("Retorno"));
    QCOMPARE(f.txtdata()->text(), QStringLiteral("12/03/2006"));
    f.press();
    QCOMPARE(f.onlyMessage().text, kAdded);
    QCOMPARE(f.stored(), (QList<Row>{{"2006/03/12", "Consulta", "x"}, {"2006/03/12", "Retorno", "x"}}));
}

void FrmLembretesysTest::theDoubleClickAndThePopupItemOpenTheEditorForEditing()
{
    Fixture f;
    f.seed({{"2006/03/12", "Consulta", "x"}, {"2006/03/15", "Dentista", "y"}});
    QTreeWidget *list = f.window->list();
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    const QRect second = list->visualItemRect(list->topLevelItem(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QVERIFY(f.editor());
    QCOMPARE(f.editor()->windowTitle(), QStringLiteral("Editar lembrete"));
    QCOMPARE(f.txttitulo()->text(), QStringLiteral("Dentista"));
    f.editor()->close();

    list->setCurrentItem(list->topLevelItem(0));
    f.window->popupMenu()->findChild<QAction *>(QStringLiteral("popeditar"))->trigger();
    QVERIFY(f.editor());
    QCOMPARE(f.txttitulo()->text(), QStringLiteral("Consulta"));
    QCOMPARE(f.cmdacao()->text(), QStringLiteral("Editar lembrete"));

    f.window->popupMenu()->findChild<QAction *>(QStringLiteral("popnovo"))->trigger();
    QCOMPARE(f.editor()->windowTitle(), QStringLiteral("Adicionar lembrete"));
}

void FrmLembretesysTest::clickingACalendarDayReplacesTheDate()
{
    Fixture f;
    if (!f.calendarCopied)
        QSKIP("The calendar library has not been built (target Almanaq).");
    frmlembretesys *editor = f.openNew();
    QVERIFY(editor->calendarControl());
    QCOMPARE(editor->calendarControl()->objectName(), QStringLiteral("calendario"));
    f.txtdata()->setText(QStringLiteral("01/01/2001"));
    QLabel *day25 = nullptr;
    for (QLabel *cell : editor->calendarControl()->findChildren<QLabel *>(QStringLiteral("Casa"))) {
        if (cell->text() == QLatin1String("25"))
            day25 = cell;
    }
    QVERIFY(day25);
    QTest::mouseClick(day25, Qt::LeftButton);
    QCOMPARE(f.txtdata()->text(), QStringLiteral("25/03/2006"));
    QCOMPARE(f.txttitulo()->text(), QString());
    QVERIFY(f.fake.messages->shown.isEmpty());
}

void FrmLembretesysTest::theEditorIsOneWindowLoadedAfreshAfterCancelAndClosedWithTheMainWindow()
{
    Fixture f;
    frmlembretesys *first = f.openNew();
    f.txttitulo()->setText(QStringLiteral("rascunho"));
    QCOMPARE(f.openNew(), first);
    QCOMPARE(f.txttitulo()->text(), QStringLiteral("rascunho"));
    QCOMPARE(f.fake.platform().windows().loaded().count(first), 1);

    QTest::mouseClick(first->findChild<QPushButton *>(QStringLiteral("cmdcancelar")), Qt::LeftButton);
    QVERIFY(!f.editor());
    flushDeletes();
    QVERIFY(f.stored().isEmpty());
    QVERIFY(f.fake.messages->shown.isEmpty());

    QPointer<frmlembretesys> fresh = f.openNew();
    QVERIFY(fresh);
    QCOMPARE(f.txttitulo()->text(), QString());
    QCOMPARE(f.txtdata()->text(), QStringLiteral("10/03/2006"));
    QCOMPARE(f.cmdacao()->text(), QStringLiteral("Adicionar lembrete"));

    f.window->setAttribute(Qt::WA_DeleteOnClose, false);
    f.window->show();
    QVERIFY(f.window->close());
    QVERIFY(!fresh->isVisible());
    flushDeletes();
    QVERIFY(fresh.isNull());
}

void FrmLembretesysTest::theEditorOpensWithOrWithoutItsBackgroundPicture()
{
    Fixture f(false);
    // Without the calendar library the host says so once and the editor opens all the same.
    f.window->mnunovo_Click();
    QVERIFY(f.editor());
    QVERIFY(f.editor()->picture().isNull());
    QVERIFY(!f.editor()->calendarControl());
    QCOMPARE(f.fake.messages->shown.size(), 1);
    QCOMPARE(f.fake.messages->shown[0].icon, runtime::MessageIcon::Critical);
    f.editor()->close();

    f.putPicture();
    f.openNew();
    QCOMPARE(f.editor()->picture().size(), QSize(640, 480));
}

QTEST_MAIN(FrmLembretesysTest)
#include "tst_frmlembretesys.moc"
