// Finding reminders: those that share a title stay apart, every command acts
// on the row the user chose, found by its key; the search's count. Today is 10/03/2006.
#include "forms/reminderlistmodel.h"

#include "formfixture.h"

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
    // The list the command works in ("main", "by-day" view, "search"), then how it is given.
    void everyCommandOpensAndRewritesOnlyTheChosenReminder_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("main list Enter") << "main Enter";
        QTest::newRow("pop-up") << "main pop-up edit";
        QTest::newRow("double click") << "main double click";
        QTest::newRow("by-day view") << "by-day Enter";
        QTest::newRow("search") << "search Enter";
        QTest::newRow("search double click") << "search double click";
    }

    void everyCommandOpensAndRewritesOnlyTheChosenReminder()
    {
        QFETCH(QString, command);
        Fixture f;
        QTreeView *list = f.window->list();
        if (command.startsWith(QLatin1String("by-day"))) {
            f.window->mnulembretesdata_Click();
            list = child<QTreeView>(f.loaded<frmpormes>(), "lstlista");
        } else if (command.startsWith(QLatin1String("search"))) {
            f.window->mnuprocurar_Click();
            child<QLineEdit>(f.loaded<frmprocurar>(), "txtprocurar")->setText(QStringLiteral("pilates"));
            list = child<QTreeView>(f.loaded<frmprocurar>(), "lstlista");
        }
        QVERIFY(exposed(list->window()));
        REQUIRE_ROWS(list, 2);
        f.selectChosen(list);
        if (command.endsWith(QLatin1String("pop-up edit"))) {
            child<QAction>(f.window->popupMenu(), "popeditar")->trigger();
        } else if (command.endsWith(QLatin1String("double click"))) {
            const QPoint at = list->visualRect(list->currentIndex()).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        } else {
            QTest::keyClick(list, Qt::Key_Return);
        }
        QVERIFY(f.editedTitle());
        QCOMPARE(child<QPlainTextEdit>(f.loaded<frmlembretesys>(), "txtdesc")->toPlainText(), QStringLiteral("noite"));
        f.editedTitle()->setText(QStringLiteral("Yoga"));
        f.save();
        QCOMPARE(f.stored(), (QStringList{"2006/03/10|Pilates|manhã", "2006/03/10|Yoga|noite", "2006/03/17|PILATES|outra"}));
        if (frmpormes *byDay = f.loaded<frmpormes>()) // it shows the change at once
            QVERIFY(listedRows(child<QTreeView>(byDay, "lstlista")).contains("10/03/2006|Yoga|0 dias"));
        f.unloadOthers();
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
