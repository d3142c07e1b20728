// Finding reminders: those that share a title stay apart, every command acts
// on the row the user chose, found by its key; the search window. Today is 10/03/2006.
#include "forms/frmlembretesys.h"
#include "forms/frmpormes.h"
#include "forms/frmprocurar.h"
#include "forms/reminderlistmodel.h"

#include "formfixture.h"

#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// The second "Pilates" of today (noite, key 2) is the one chosen, so a
// command that goes by the title finds the first one.
const QStringList kPilates{"2006/03/10|Pilates|manhã", "2006/03/10|Pilates|noite", "2006/03/17|PILATES|outra"};
constexpr qint64 kChosenKey = 2;

struct Fixture : MainWindowFixture
{
    Fixture() : MainWindowFixture(kPilates) {}

    void selectChosen(QTreeView *list)
    {
        const auto *rows = qobject_cast<const ReminderListModel *>(list->model());
        QVERIFY(rows && rows->rowOf(kChosenKey) >= 0);
        selectRow(list, rows->rowOf(kChosenKey));
    }

    // Picks the chosen reminder in the list the command works in and runs it there.
    void run(const QString &command)
    {
        QTreeView *list = window->list();
        if (command == QLatin1String("by-day Enter")) {
            window->mnulembretesdata_Click();
            list = child<QTreeView>(loaded<frmpormes>(), "lstlista");
        } else if (command == QLatin1String("search Enter")) {
            window->mnuprocurar_Click();
            child<QLineEdit>(loaded<frmprocurar>(), "txtprocurar")->setText(QStringLiteral("pilates"));
            list = child<QTreeView>(loaded<frmprocurar>(), "lstlista");
        }
        REQUIRE_ROWS(list, 2);
        selectChosen(list);
        if (command == QLatin1String("pop-up edit")) {
            child<QAction>(window->popupMenu(), "popeditar")->trigger();
        } else if (command == QLatin1String("double click")) {
            QVERIFY(exposed(window.get()));
            const QPoint at = list->visualRect(list->currentIndex()).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        } else
            QTest::keyClick(list, command == QLatin1String("Delete") ? Qt::Key_Delete : Qt::Key_Return);
    }

    void save() { QTest::mouseClick(child<QPushButton>(loaded<frmlembretesys>(), "cmdacao"), Qt::LeftButton); }
    QLineEdit *editedTitle()
    {
        frmlembretesys *editor = loaded<frmlembretesys>();
        return editor ? child<QLineEdit>(editor, "txttitulo") : nullptr;
    }
};

} // namespace

class RowIdentityTest : public QObject
{
    Q_OBJECT

private slots:
    void everyCommandOpensAndRewritesOnlyTheChosenReminder_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("main list Enter") << "Enter";
        QTest::newRow("pop-up") << "pop-up edit";
        QTest::newRow("double click") << "double click";
        QTest::newRow("by-day view") << "by-day Enter";
        QTest::newRow("search") << "search Enter";
    }

    void everyCommandOpensAndRewritesOnlyTheChosenReminder()
    {
        QFETCH(QString, command);
        Fixture f;
        f.run(command);
        QVERIFY(f.editedTitle());
        QCOMPARE(child<QPlainTextEdit>(f.loaded<frmlembretesys>(), "txtdesc")->toPlainText(), QStringLiteral("noite"));
        f.editedTitle()->setText(QStringLiteral("Yoga"));
        f.save();
        QCOMPARE(f.stored(), (QStringList{"2006/03/10|Pilates|manhã", "2006/03/10|Yoga|noite", "2006/03/17|PILATES|outra"}));
        if (frmpormes *byDay = f.loaded<frmpormes>()) // it shows the change at once
            QVERIFY(listedRows(child<QTreeView>(byDay, "lstlista")).contains("10/03/2006|Yoga|0 dias"));
        f.unloadOthers();
    }

    // The question's day tells apart the reminders that share the title.
    void removingTakesOnlyTheChosenReminderAndUndoPutsBackThatRow()
    {
        Fixture f;
        f.fake.messages->answers.enqueue(runtime::MessageAnswer::Yes);
        f.run(QStringLiteral("Delete"));
        QCOMPARE(f.onlyMessage().text, QStringLiteral("Tem certeza que deseja remover o lembrete Pilates de 10/03/2006?"));
        QCOMPARE(f.stored(), (QStringList{"2006/03/10|Pilates|manhã", "2006/03/17|PILATES|outra"}));
        f.window->mnudesfazer_Click();
        QCOMPARE(f.stored("descricao", {}, "rowid = 2"), QStringList{"noite"}); // back under its own key
        QCOMPARE(f.stored(), kPilates);
        QCOMPARE(f.fake.messages->shown.size(), 1);
    }

    // Another program changes the reminder between the choice and the command.
    void aReminderChangedElsewhereMeanwhileIsToldOrFollowed_data()
    {
        QTest::addColumn<QString>("change");  // an update of the chosen row
        QTest::addColumn<QString>("command"); // "edit", "remove" or "save" (the editor open before)
        QTest::addColumn<QString>("message"); // what the one message says, in part
        QTest::addColumn<QStringList>("stored");
        const QStringList others{"2006/03/10|Pilates|manhã", "2006/03/17|PILATES|outra"};
        QTest::newRow("removed, then edit") << "delete from lembrete" << "edit" << "não existe mais" << others;
        QTest::newRow("removed, then remove") << "delete from lembrete" << "remove" << "não existe mais" << others;
        QTest::newRow("removed while editing") << "delete from lembrete" << "save" << "não foi encontrado" << others;
        QTest::newRow("retitled while editing")
            << "update lembrete set titulo = 'Outro'" << "save" << "Lembrete editado com sucesso!"
            << QStringList{"2006/03/10|Pilates|manhã", "2006/03/10|Yoga|noite", "2006/03/17|PILATES|outra"};
    }

    void aReminderChangedElsewhereMeanwhileIsToldOrFollowed()
    {
        QFETCH(QString, change);
        QFETCH(QString, command);
        QFETCH(QString, message);
        QFETCH(QStringList, stored);
        Fixture f;
        f.selectChosen(f.window->list());
        if (command == QLatin1String("save")) {
            f.window->mnueditar_Click();
            f.fake.messages->shown.clear(); // the editor opens without its calendar
            f.editedTitle()->setText(QStringLiteral("Yoga"));
        }
        QVERIFY(QSqlQuery(f.store.connection()).exec(change + QStringLiteral(" where rowid = %1").arg(kChosenKey)));
        if (command == QLatin1String("save")) {
            f.save();
        } else if (command == QLatin1String("edit")) {
            f.window->mnueditar_Click();
            QVERIFY(!f.loaded<frmlembretesys>());
        } else {
            f.fake.messages->answers.enqueue(runtime::MessageAnswer::Yes);
            f.window->mnuremover_Click();
            f.fake.messages->shown.removeFirst(); // the question
            QVERIFY(!child<QAction>(f.window.get(), "mnudesfazer")->isEnabled());
        }
        QVERIFY2(f.onlyMessage().text.contains(message), qPrintable(f.onlyMessage().text));
        QCOMPARE(f.stored(), stored);
    }

    // Each word typed narrows the list; a double click or Enter opens the
    // match's editor, and a removal in the main window shows at once.
    void typingListsTheMatchesAndPickingOneOpensItsEditor()
    {
        MainWindowFixture f({"2006/03/12|Dentista|levar cartão", "2006/03/11|Reunião|cliente", "2006/03/15|Dentes|"});
        child<QAction>(f.window.get(), "mnuprocurar")->trigger();
        auto *search = f.loaded<frmprocurar>();
        QVERIFY(search);
        auto *box = child<QLineEdit>(search, "txtprocurar");
        auto *list = child<QTreeView>(search, "lstlista");
        const auto edited = [&f] { return child<QLineEdit>(f.loaded<frmlembretesys>(), "txttitulo")->text(); };
        QTest::keyClicks(box, QStringLiteral("dent"));
        QCOMPARE(listedRows(list), (QStringList{"12/03/2006|Dentista|2 dias", "15/03/2006|Dentes|5 dias"}));
        QTest::keyClicks(box, QStringLiteral("ista cart"));
        QCOMPARE(listedRows(list), QStringList{"12/03/2006|Dentista|2 dias"});
        QVERIFY(exposed(search));
        const QPoint first = list->visualRect(list->model()->index(0, 1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
        QCOMPARE(edited(), QStringLiteral("Dentista"));
        f.loaded<frmlembretesys>()->close();
        flushDeletes();
        selectRow(f.window->list(), 1); // Dentista
        f.fake.messages->answers.enqueue(runtime::MessageAnswer::Yes);
        f.window->mnuremover_Click();
        QCOMPARE(listedRows(list), QStringList());
        box->setText(QStringLiteral("REUNIAO"));
        selectRow(list, 0);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(edited(), QStringLiteral("Reunião"));
        f.unloadOthers();
    }

    // A thousand matches are all listed and counted; one more, and the count says the list is cut.
    void theCountSaysWhenTheListIsCut()
    {
        for (const int matches : {1000, 1001}) {
            QStringList rows;
            for (int i = 0; i < matches; ++i)
                rows << QStringLiteral("2006/03/12|Conta %1").arg(i);
            MainWindowFixture f(rows);
            f.window->mnuprocurar_Click();
            auto *search = f.loaded<frmprocurar>();
            QVERIFY(search);
            QTest::keyClicks(child<QLineEdit>(search, "txtprocurar"), QStringLiteral("conta"));
            QCOMPARE(child<QLabel>(search, "lblresultado")->text(), matches == 1000 ? QStringLiteral("1000 lembretes encontrados.")
                     : QStringLiteral("Mais de 1000 lembretes encontrados; os primeiros 1000 são mostrados. "
                                      "Digite mais palavras para restringir a busca."));
            QCOMPARE(child<QTreeView>(search, "lstlista")->model()->rowCount(), 1000);
        }
    }
};

QTEST_MAIN(RowIdentityTest)
#include "tst_rowidentity.moc"
