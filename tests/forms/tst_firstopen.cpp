#include "forms/frmprocurar.h"
#include "forms/startupstatus.h"
#include "store/reminderindexes.h"
#include "store/startupwork.h"
#include "support/startupfiles.h"

#include "formfixture.h"

#include <QLineEdit>
#include <QSqlDatabase>

namespace {

// A main window over the file as it is, shown: the store is not opened first.
struct ShownWindow
{
    explicit ShownWindow(FakePlatform &fake)
        : fake(fake)
        , store(fake.platform())
        , window(fake.platform(), store)
    {
        fake.platform().windows().registerLoaded(&window);
        atStart = fake.messages->shown;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    ~ShownWindow() { fake.platform().windows().unloadAllExcept(&window); }

    FakePlatform &fake;
    modgeral store;
    frmprincipal window;
    QList<RecordedMessage> atStart;
};

// Holds the file's write lock, as another program writing for long would.
struct OtherProgramWriting
{
    explicit OtherProgramWriting(const QString &path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("escrevendo"));
        db.setDatabaseName(path);
        if (db.open())
            held = QSqlQuery(db).exec(QStringLiteral("begin immediate"));
    }
    ~OtherProgramWriting() { release(); }
    void release()
    {
        QSqlDatabase::database(QStringLiteral("escrevendo"), false).close();
        QSqlDatabase::removeDatabase(QStringLiteral("escrevendo"));
    }

    bool held = false;
};

} // namespace

class FirstOpenTest : public QObject
{
    Q_OBJECT

private slots:
    // The indexes cannot be built while another program writes: the window
    // still comes up, says what it is preparing, and the search waits.
    void theWindowComesUpBeforeTheIndexesAndTheSearchWaitsForThem()
    {
        FakePlatform fake;
        fake.createEmptyDatabase();
        {
            modgeral seeding(fake.platform());
            seeding.abrirbanco();
            for (const char *title : {"Dentista", "Reunião", "Dentes"})
                seeding.appendReminder(QStringLiteral("2006/03/12"), QString::fromUtf8(title), QString());
        }
        QString failed;
        QVERIFY2(startupfiles::asAnotherProgram(fake.databasePath(), startupfiles::withoutNewIndexes(), &failed),
                 qPrintable(failed));
        OtherProgramWriting other(fake.databasePath());
        QVERIFY(other.held);

        ShownWindow shown(fake);
        QCOMPARE(shown.window.list()->model()->rowCount(), 3);
        auto *panel = child<QLabel>(&shown.window, "StatusBarPreparo");
        QVERIFY(panel);
        QTRY_VERIFY(panel->isVisible() && panel->text().startsWith(StartupStatus::indexingText(0).left(20)));
        shown.window.mnuprocurar_Click();
        auto *search = fake.platform().windows().find<frmprocurar>();
        auto *result = child<QLabel>(search, "lblresultado");
        auto *list = child<QTreeView>(search, "lstlista");
        child<QLineEdit>(search, "txtprocurar")->setText(QStringLiteral("dent"));
        QCOMPARE(result->text(), frmprocurar::preparingText(shown.store.startupWork().percent()));
        QCOMPARE(list->model()->rowCount(), 0);

        other.release();
        QTRY_VERIFY_WITH_TIMEOUT(!panel->isVisible(), 20000);
        QCOMPARE(listedRows(list), (QStringList{"12/03/2006|Dentes|2 dias", "12/03/2006|Dentista|2 dias"}));
        QCOMPARE(result->text(), QStringLiteral("2 lembretes encontrados."));
        QVERIFY(reminderindexes::complete(shown.store.connection()));
        QVERIFY(shown.atStart.isEmpty() && fake.messages->shown.isEmpty());
    }

    void aDamagedFileFoundAfterThePaintIsOnlyRead()
    {
        FakePlatform fake;
        QFile file(fake.databasePath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(startupfiles::reminders(3000, true)) > 0);
        file.close();

        ShownWindow shown(fake);
        for (const RecordedMessage &message : shown.atStart)
            QVERIFY2(!message.text.contains(QStringLiteral("está danificado")), qPrintable(message.text));
        QVERIFY(shown.window.list()->model()->rowCount() > 0);
        QTRY_VERIFY(shown.store.isReadOnly());
        QCOMPARE(fake.messages->shown.size(), shown.atStart.size() + 1);
        QCOMPARE(fake.messages->shown.constLast().icon, runtime::MessageIcon::Warning);
        QVERIFY(fake.messages->shown.constLast().text.contains(QStringLiteral("somente para leitura")));
        QVERIFY(!shown.store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("novo"), QString()));
        QVERIFY(!child<QLabel>(&shown.window, "StatusBarPreparo")->isVisible());
    }
};

QTEST_MAIN(FirstOpenTest)
#include "tst_firstopen.moc"
