// Reminders that share a title stay apart: every command acts on the row the
// user chose, found by its key. Today is 10/03/2006.

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

// The second "Pilates" of today (noite) is the one chosen, so a command
// that goes by the title finds the first one.
const QStringList kPilates{"2006/03/10|Pilates|manhã", "2006/03/10|Pilates|noite", "2006/03/17|PILATES|outra"};
constexpr qint64 kChosenKey = 2;

// Selects the row of the chosen reminder: the two of today look alike.
void selectChosen(QTreeView *list)
{
    const auto *rows = qobject_cast<const ReminderListModel *>(list->model());
    QVERIFY(rows && rows->rowOf(kChosenKey) >= 0);
    selectRow(list, rows->rowOf(kChosenKey));
}

struct Fixture : MainWindowFixture
{
    Fixture()
        : MainWindowFixture(kPilates)
    {
    }

    // "rowid|day|title|description" in entry order.
    QStringList rowsWithKeys() const
    {
        QStringList rows;
        QSqlQuery query(store.connection());
        query.exec(QStringLiteral("select rowid, data, titulo, descricao from lembrete order by rowid"));
        while (query.next()) {
            rows << QStringList{query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                                query.value(3).toString()}
                        .join(u'|');
        }
        return rows;
    }

    // Picks the chosen reminder in the list the command works in and presses
    // Enter or runs the command there.
    void run(const QString &command)
    {
        QTreeView *list = window->list();
        if (command == QLatin1String("by-day Enter")) {
            window->mnulembretesdata_Click();
            list = loaded<frmpormes>()->findChild<QTreeView *>(QStringLiteral("lstlista"));
        } else if (command == QLatin1String("search Enter")) {
            window->mnuprocurar_Click();
            auto *search = loaded<frmprocurar>();
            search->findChild<QLineEdit *>(QStringLiteral("txtprocurar"))->setText(QStringLiteral("pilates"));
            list = search->findChild<QTreeView *>(QStringLiteral("lstlista"));
        }
        REQUIRE_ROWS(list, 2);
        selectChosen(list);
        if (command == QLatin1String("pop-up edit"))
            window->popupMenu()->findChild<QAction *>(QStringLiteral("popeditar"))->trigger();
        else if (command == QLatin1String("Delete"))
            QTest::keyClick(list, Qt::Key_Delete);
        else
            QTest::keyClick(list, Qt::Key_Return);
    }

    QLineEdit *editedTitle()
    {
        frmlembretesys *editor = loaded<frmlembretesys>();
        return editor ? editor->findChild<QLineEdit *>(QStringLiteral("txttitulo")) : nullptr;
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
        QTest::newRow("by-day view") << "by-day Enter";
        QTest::newRow("search") << "search Enter";
    }

    void everyCommandOpensAndRewritesOnlyTheChosenReminder()
    {
        QFETCH(QString, command);
        Fixture f;
        f.run(command);
        QLineEdit *title = f.editedTitle();
        QVERIFY(title);
        QCOMPARE(f.loaded<frmlembretesys>()->findChild<QPlainTextEdit *>(QStringLiteral("txtdesc"))->toPlainText(),
                 QStringLiteral("noite"));
        title->setText(QStringLiteral("Yoga"));
        QTest::mouseClick(f.loaded<frmlembretesys>()->findChild<QPushButton *>(QStringLiteral("cmdacao")),
                          Qt::LeftButton);
        QCOMPARE(f.stored(), (QStringList{"2006/03/10|Pilates|manhã", "2006/03/10|Yoga|noite",
                                          "2006/03/17|PILATES|outra"}));
        f.fake.platform().windows().unloadAllExcept(f.window.get());
        flushDeletes();
    }

    void removingTakesOnlyTheChosenReminderAndUndoPutsBackThatRow()
    {
        Fixture f;
        const QStringList before = f.rowsWithKeys();
        f.fake.messages->answers.enqueue(runtime::MessageAnswer::Yes);
        f.run(QStringLiteral("Delete"));
        // The day tells apart the reminders that share the title.
        QCOMPARE(f.onlyMessage().text, QStringLiteral("Tem certeza que deseja remover o lembrete Pilates de 10/03/2006?"));
        QCOMPARE(f.stored(), (QStringList{"2006/03/10|Pilates|manhã", "2006/03/17|PILATES|outra"}));
        f.window->mnudesfazer_Click();
        QCOMPARE(f.rowsWithKeys(), before);
        QCOMPARE(f.fake.messages->shown.size(), 1);
    }

    // Another program changes the reminder between the choice and the command.
    void aReminderChangedElsewhereMeanwhileIsToldOrFollowed_data()
    {
        QTest::addColumn<QString>("change");  // "removed" or "retitled"
        QTest::addColumn<QString>("command"); // "edit" or "remove"
        QTest::addColumn<QString>("message"); // what the one message says, in part
        QTest::addColumn<QStringList>("stored");
        const QStringList others{"2006/03/10|Pilates|manhã", "2006/03/17|PILATES|outra"};
        QTest::newRow("removed, then edit") << "removed" << "edit" << "não existe mais" << others;
        QTest::newRow("removed, then remove") << "removed" << "remove" << "não existe mais" << others;
        QTest::newRow("retitled while editing")
            << "retitled" << "edit" << "Lembrete editado com sucesso!"
            << QStringList{"2006/03/10|Pilates|manhã", "2006/03/10|Yoga|noite", "2006/03/17|PILATES|outra"};
    }

    void aReminderChangedElsewhereMeanwhileIsToldOrFollowed()
    {
        QFETCH(QString, change);
        QFETCH(QString, command);
        QFETCH(QString, message);
        QFETCH(QStringList, stored);
        Fixture f;
        QCOMPARE(f.rowsWithKeys().at(1).section(u'|', 0, 0).toLongLong(), kChosenKey);
        selectChosen(f.window->list());
        const QString chosen = QString::number(kChosenKey);
        if (change == QLatin1String("retitled")) {
            f.window->mnueditar_Click();
            f.fake.messages->shown.clear(); // the editor opens without its calendar
            f.editedTitle()->setText(QStringLiteral("Yoga"));
        }
        QSqlQuery elsewhere(f.store.connection());
        QVERIFY(elsewhere.exec(change == QLatin1String("removed")
                                   ? QStringLiteral("delete from lembrete where rowid = %1").arg(chosen)
                                   : QStringLiteral("update lembrete set titulo = 'Outro' where rowid = %1").arg(chosen)));
        if (change == QLatin1String("retitled")) {
            QTest::mouseClick(f.loaded<frmlembretesys>()->findChild<QPushButton *>(QStringLiteral("cmdacao")),
                              Qt::LeftButton);
        } else if (command == QLatin1String("edit")) {
            f.window->mnueditar_Click();
            QVERIFY(!f.loaded<frmlembretesys>());
        } else {
            f.fake.messages->answers.enqueue(runtime::MessageAnswer::Yes);
            f.window->mnuremover_Click();
            f.fake.messages->shown.removeFirst(); // the question
            QVERIFY(!f.window->findChild<QAction *>(QStringLiteral("mnudesfazer"))->isEnabled());
        }
        QVERIFY2(f.onlyMessage().text.contains(message), qPrintable(f.onlyMessage().text));
        QCOMPARE(f.stored(), stored);
    }
};

QTEST_MAIN(RowIdentityTest)
#include "tst_rowidentity.moc"
