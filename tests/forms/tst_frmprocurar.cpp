#include "forms/frmlembretesys.h"
#include "forms/frmprocurar.h"

#include "formfixture.h"

#include <QLineEdit>

class SearchWindowTest : public QObject
{
    Q_OBJECT

private slots:
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
        search->show();
        QVERIFY(QTest::qWaitForWindowExposed(search));
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

    void theCountSaysWhenTheListIsCut_data()
    {
        QTest::addColumn<int>("matches");
        QTest::addColumn<QString>("said");
        QTest::newRow("the most listed") << 1000 << "1000 lembretes encontrados.";
        QTest::newRow("one more") << 1001 << "Mais de 1000 lembretes encontrados; os primeiros 1000 são mostrados. "
                                             "Digite mais palavras para restringir a busca.";
    }

    void theCountSaysWhenTheListIsCut()
    {
        QFETCH(int, matches);
        QFETCH(QString, said);
        QStringList rows;
        for (int i = 0; i < matches; ++i)
            rows << QStringLiteral("2006/03/12|Conta %1").arg(i);
        MainWindowFixture f(rows);
        f.window->mnuprocurar_Click();
        QVERIFY(f.loaded<frmprocurar>());
        QTest::keyClicks(child<QLineEdit>(f.loaded<frmprocurar>(), "txtprocurar"), QStringLiteral("conta"));
        QCOMPARE(child<QLabel>(f.loaded<frmprocurar>(), "lblresultado")->text(), said);
        QCOMPARE(child<QTreeView>(f.loaded<frmprocurar>(), "lstlista")->model()->rowCount(), 1000);
    }
};

QTEST_MAIN(SearchWindowTest)
#include "tst_frmprocurar.moc"
