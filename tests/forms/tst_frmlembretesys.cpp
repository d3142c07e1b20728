// The reminder editor driven through the main window's commands, end to end
// down to the rows in dados.mdb. Today is 10/03/2006.

#include "forms/datebox.h"
#include "forms/frmlembretesys.h"
#include "forms/frmprincipal.h"
#include "runtime/windowmanager.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTreeWidget>

namespace {

const QString kPrompt = QStringLiteral("Digite aqui uma descrição para seu lembrete\r\n");

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

// The calendar library as the build puts it in the program's folder, beside
// the tests' own build folder.
QString builtCalendarLibrary()
{
    return QStringLiteral(QT_TESTCASE_BUILDDIR "/../programa/libAlmanaq.so");
}

// A main window over an empty database, with the calendar library and the
// background picture beside it when asked for.
struct Fixture
{
    explicit Fixture(bool withCalendar = true)
    {
        fake.createEmptyDatabase();
        if (withCalendar)
            calendarCopied = QFile::copy(builtCalendarLibrary(), fake.platform().programFile(QStringLiteral("libAlmanaq.so")));
        window = std::make_unique<frmprincipal>(fake.platform(), store);
    }

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

    QStringList listed() const
    {
        QStringList rows;
        for (int i = 0; i < window->list()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = window->list()->topLevelItem(i);
            rows << item->text(0) + QLatin1Char('|') + item->text(1) + QLatin1Char('|') + item->text(2);
        }
        return rows;
    }

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

    // The one message shown; any other count comes back as a message that
    // names the texts and matches nothing a test expects.
    RecordedMessage onlyMessage() const
    {
        const QList<RecordedMessage> &shown = fake.messages->shown;
        if (shown.size() == 1)
            return shown.constFirst();
        QStringList texts;
        for (const RecordedMessage &message : shown)
            texts << message.text;
        return {runtime::MessageIcon::None,
                QStringLiteral("%1 messages: %2").arg(shown.size()).arg(texts.join(QStringLiteral(" / "))),
                QString(), runtime::MessageButtons::Ok};
    }

    FakePlatform fake;
    modgeral store{fake.platform()};
    std::unique_ptr<frmprincipal> window;
    bool calendarCopied = false;
};

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class FrmLembretesysTest : public QObject
{
    Q_OBJECT

private slots:
    void theNewCommandOpensAnEmptyEditorForAdding();
    void addingStoresTheReminderReloadsTheListAndClosesTheEditor();
    void aBlankDateIsWarnedBeforeABlankTitleAndNothingIsWritten();
    void theTitleKeepsItsSpacesAndAnUntouchedDescriptionStoresThePrompt();
    void aDateThatIsNoRealDayIsRefusedAndNothingIsWritten();
    void aFailedSaveShowsNoSuccessAndKeepsTheInputForTheNextTry();
    void editingFillsTheEditorAndRewritesTheRowUnderItsNewTitle();
    void editingASharedTitleRewritesOnlyItsFirstRow();
    void anEditWhoseReminderWasRemovedMeanwhileWritesNothing();
    void theNewCommandWhileEditingMakesTheNextSaveAppend();
    void theDoubleClickAndThePopupItemOpenTheEditorForEditing();
    void clickingACalendarDayReplacesTheDate();
    void theEditorIsOneWindowLoadedAfreshAfterCancel();
    void theEditorOpensWithOrWithoutItsBackgroundPicture();
    void theEditorClosesWithTheMainWindow();
};

void FrmLembretesysTest::theNewCommandOpensAnEmptyEditorForAdding()
{
    Fixture f;
    frmlembretesys *editor = f.openNew();
    QVERIFY(editor);
    QVERIFY(editor->isVisible());
    QVERIFY(editor->isWindow());
    QCOMPARE(editor->parentWidget(), f.window.get());
    QCOMPARE(editor->windowTitle(), QStringLiteral("Adicionar lembrete"));
    QVERIFY(editor->isAddMode());
    QCOMPARE(f.txtdata()->text(), QStringLiteral("10/03/2006"));
    QCOMPARE(f.txttitulo()->text(), QString());
    QCOMPARE(f.txtdesc()->toPlainText(), QStringLiteral("Digite aqui uma descrição para seu lembrete\n"));
    QCOMPARE(f.cmdacao()->text(), QStringLiteral("Adicionar lembrete"));
    QCOMPARE(editor->findChild<QPushButton *>(QStringLiteral("cmdcancelar"))->text(), QStringLiteral("Cancelar"));
    const std::pair<const char *, const char *> labels[] = {
        {"Label1", "Data do lembrete:"},
        {"Label2", "* Clique na data no calendario ao lado"},
        {"Label4", "Título do lembrete:"},
        {"Label3", "Descrição do lembrete:"},
    };
    for (const auto &[name, text] : labels)
        QCOMPARE(editor->findChild<QLabel *>(QLatin1String(name))->text(), QString::fromUtf8(text));
    for (QWidget *control : {static_cast<QWidget *>(f.txtdata()), static_cast<QWidget *>(f.txttitulo()),
                             static_cast<QWidget *>(f.txtdesc()), static_cast<QWidget *>(f.cmdacao())})
        QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
}

void FrmLembretesysTest::addingStoresTheReminderReloadsTheListAndClosesTheEditor()
{
    Fixture f;
    QPointer<frmlembretesys> editor = f.openNew();
    f.txtdata()->setText(QStringLiteral("15/03/2006"));
    QTest::keyClicks(f.txttitulo(), QStringLiteral("Dentista"));
    f.txtdesc()->setPlainText(QStringLiteral("Levar exames\nem jejum"));
    f.press();

    const RecordedMessage message = f.onlyMessage();
    QCOMPARE(message.icon, runtime::MessageIcon::Information);
    QCOMPARE(message.text, QStringLiteral("Lembrete cadastrado com sucesso!"));
    QCOMPARE(message.title, QStringLiteral("cadastrado"));
    QCOMPARE(f.stored(), (QList<Row>{{QStringLiteral("2006/03/15"), QStringLiteral("Dentista"),
                                      QStringLiteral("Levar exames\r\nem jejum")}}));
    QCOMPARE(f.listed(), QStringList{QStringLiteral("15/03/2006|Dentista|5 dias")});
    QVERIFY(!f.editor());
    flushDeletes();
    QVERIFY(editor.isNull());
}

void FrmLembretesysTest::aBlankDateIsWarnedBeforeABlankTitleAndNothingIsWritten()
{
    Fixture f;
    f.openNew();
    f.txtdata()->setText(QStringLiteral("   "));
    f.txttitulo()->setText(QStringLiteral("  "));
    f.press();
    RecordedMessage message = f.onlyMessage();
    QCOMPARE(message.icon, runtime::MessageIcon::Warning);
    QCOMPARE(message.text, QStringLiteral("O campo data é de preenchimento obrigatório!"));
    QCOMPARE(message.title, QStringLiteral("Aviso"));

    f.fake.messages->shown.clear();
    f.txtdata()->setText(QStringLiteral("12/03/2006"));
    f.press();
    message = f.onlyMessage();
    QCOMPARE(message.icon, runtime::MessageIcon::Warning);
    QCOMPARE(message.text, QStringLiteral("O campo título é de preenchimento obrigatório!"));
    QCOMPARE(message.title, QStringLiteral("Aviso"));

    QVERIFY(f.stored().isEmpty());
    QVERIFY(f.editor());
    QCOMPARE(f.txtdata()->text(), QStringLiteral("12/03/2006"));
    QCOMPARE(f.txttitulo()->text(), QStringLiteral("  "));
}

void FrmLembretesysTest::theTitleKeepsItsSpacesAndAnUntouchedDescriptionStoresThePrompt()
{
    Fixture f;
    f.openNew();
    f.txttitulo()->setText(QStringLiteral("  Reunião  "));
    f.press();
    QCOMPARE(f.stored(), (QList<Row>{{QStringLiteral("2006/03/10"), QStringLiteral("  Reunião  "), kPrompt}}));
    QCOMPARE(f.listed(), QStringList{QStringLiteral("10/03/2006|  Reunião  |0 dias")});
}

void FrmLembretesysTest::aDateThatIsNoRealDayIsRefusedAndNothingIsWritten()
{
    Fixture f;
    f.seed({{QStringLiteral("2006/03/12"), QStringLiteral("Consulta"), QStringLiteral("x")}});
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
        QCOMPARE(f.stored(), (QList<Row>{{QStringLiteral("2006/03/12"), QStringLiteral("Consulta"), QStringLiteral("x")}}));
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
    QCOMPARE(f.onlyMessage().text, QStringLiteral("Lembrete cadastrado com sucesso!"));
    QCOMPARE(f.stored(), (QList<Row>{{QStringLiteral("2006/03/20"), QStringLiteral("Aniversário"), kPrompt}}));
}

void FrmLembretesysTest::editingFillsTheEditorAndRewritesTheRowUnderItsNewTitle()
{
    Fixture f;
    f.seed({{QStringLiteral("2006/03/12"), QStringLiteral("Consulta"), QStringLiteral("linha 1\r\nlinha 2")},
            {QStringLiteral("2006/03/14"), QStringLiteral("Outra"), QStringLiteral("y")}});
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
    QCOMPARE(f.stored(), (QList<Row>{{QStringLiteral("2006/03/08"), QStringLiteral("Consulta médica"),
                                      QStringLiteral("linha 1\r\nlinha 2")},
                                     {QStringLiteral("2006/03/14"), QStringLiteral("Outra"), QStringLiteral("y")}}));
    QCOMPARE(f.listed(), (QStringList{QStringLiteral("08/03/2006|Consulta médica|-2 dias"),
                                      QStringLiteral("14/03/2006|Outra|4 dias")}));
    QVERIFY(!f.editor());
}

void FrmLembretesysTest::editingASharedTitleRewritesOnlyItsFirstRow()
{
    Fixture f;
    f.seed({{QStringLiteral("2006/03/20"), QStringLiteral("Pagar conta"), QStringLiteral("primeira")},
            {QStringLiteral("2006/03/11"), QStringLiteral("pagar CONTA"), QStringLiteral("segunda")}});
    // The row picked in the list is the later-entered one; the edit still
    // loads and rewrites the first row its title finds.
    QCOMPARE(f.listed().constFirst(), QStringLiteral("11/03/2006|pagar CONTA|1 dias"));
    f.openEdit(0);
    QCOMPARE(f.txtdata()->text(), QStringLiteral("20/03/2006"));
    QCOMPARE(f.txtdesc()->toPlainText(), QStringLiteral("primeira"));
    f.txttitulo()->setText(QStringLiteral("Pagar luz"));
    f.press();
    QCOMPARE(f.stored(), (QList<Row>{{QStringLiteral("2006/03/20"), QStringLiteral("Pagar luz"), QStringLiteral("primeira")},
                                     {QStringLiteral("2006/03/11"), QStringLiteral("pagar CONTA"), QStringLiteral("segunda")}}));
}

void FrmLembretesysTest::anEditWhoseReminderWasRemovedMeanwhileWritesNothing()
{
    Fixture f;
    f.seed({{QStringLiteral("2006/03/12"), QStringLiteral("Consulta"), QStringLiteral("x")},
            {QStringLiteral("2006/03/13"), QStringLiteral("Fica"), QStringLiteral("y")}});
    f.openEdit(0);
    QVERIFY(f.store.execute(modgeral::titleDelete(QStringLiteral("Consulta"))));
    f.txttitulo()->setText(QStringLiteral("Consulta nova"));
    f.press();
    const RecordedMessage message = f.onlyMessage();
    QCOMPARE(message.icon, runtime::MessageIcon::Critical);
    QCOMPARE(message.title, QStringLiteral("Erro"));
    QVERIFY2(message.text.contains(QStringLiteral("não foi encontrado")), qPrintable(message.text));
    QCOMPARE(f.stored(), (QList<Row>{{QStringLiteral("2006/03/13"), QStringLiteral("Fica"), QStringLiteral("y")}}));
    QVERIFY(f.editor());
    QCOMPARE(f.txttitulo()->text(), QStringLiteral("Consulta nova"));
}

void FrmLembretesysTest::theNewCommandWhileEditingMakesTheNextSaveAppend()
{
    Fixture f;
    f.seed({{QStringLiteral("2006/03/12"), QStringLiteral("Consulta"), QStringLiteral("x")}});
    frmlembretesys *editing = f.openEdit(0);
    f.txttitulo()->setText(QStringLiteral("Retorno"));
    QCOMPARE(f.openNew(), editing);
    QCOMPARE(editing->windowTitle(), QStringLiteral("Adicionar lembrete"));
    QCOMPARE(f.cmdacao()->text(), QStringLiteral("Editar lembrete"));
    QCOMPARE(f.txttitulo()->text(), QStringLiteral("Retorno"));
    QCOMPARE(f.txtdata()->text(), QStringLiteral("12/03/2006"));
    f.press();
    QCOMPARE(f.onlyMessage().text, QStringLiteral("Lembrete cadastrado com sucesso!"));
    QCOMPARE(f.stored(), (QList<Row>{{QStringLiteral("2006/03/12"), QStringLiteral("Consulta"), QStringLiteral("x")},
                                     {QStringLiteral("2006/03/12"), QStringLiteral("Retorno"), QStringLiteral("x")}}));
}

void FrmLembretesysTest::theDoubleClickAndThePopupItemOpenTheEditorForEditing()
{
    Fixture f;
    f.seed({{QStringLiteral("2006/03/12"), QStringLiteral("Consulta"), QStringLiteral("x")},
            {QStringLiteral("2006/03/15"), QStringLiteral("Dentista"), QStringLiteral("y")}});
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

void FrmLembretesysTest::theEditorIsOneWindowLoadedAfreshAfterCancel()
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

    f.openNew();
    QVERIFY(f.editor());
    QCOMPARE(f.txttitulo()->text(), QString());
    QCOMPARE(f.txtdata()->text(), QStringLiteral("10/03/2006"));
    QCOMPARE(f.cmdacao()->text(), QStringLiteral("Adicionar lembrete"));
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

    const QString picture = QFINDTESTDATA("../../app/resources/fundo.gif");
    QVERIFY(!picture.isEmpty());
    QVERIFY(QFile::copy(picture, f.fake.platform().programFile(QStringLiteral("fundo.gif"))));
    f.openNew();
    QCOMPARE(f.editor()->picture().size(), QSize(640, 480));
}

void FrmLembretesysTest::theEditorClosesWithTheMainWindow()
{
    Fixture f;
    f.window->setAttribute(Qt::WA_DeleteOnClose, false);
    f.window->show();
    QPointer<frmlembretesys> editor = f.openNew();
    QVERIFY(f.window->close());
    QVERIFY(!editor->isVisible());
    flushDeletes();
    QVERIFY(editor.isNull());
}

QTEST_MAIN(FrmLembretesysTest)
#include "tst_frmlembretesys.moc"
