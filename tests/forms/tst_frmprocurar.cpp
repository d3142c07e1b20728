#include "forms/frmlembretesys.h"
#include "forms/frmprocurar.h"

#include "formfixture.h"

#include <QLineEdit>

class SearchWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void typingListsTheMatchesAndPickingOneOpensItsEditor()
    {
        MainWindowFixture f({"2006/03/12|Dentista|levar cartão", "2006/03/11|Reunião|cliente", "2006/03/15|Dentes|"});
        auto *command = f.window->findChild<QAction *>(QStringLiteral("mnuprocurar"));
        QCOMPARE(command->text(), QStringLiteral("Procurar lembretes..."));
        QCOMPARE(command->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
        command->trigger();
        auto *search = f.loaded<frmprocurar>();
        QVERIFY(search);
        auto *box = search->findChild<QLineEdit *>(QStringLiteral("txtprocurar"));
        auto *list = search->findChild<QTreeView *>(QStringLiteral("lstlista"));
        QVERIFY(!box->accessibleName().isEmpty() && !list->accessibleName().isEmpty());

        QTest::keyClicks(box, QStringLiteral("dent"));
        QCOMPARE(listedRows(list), (QStringList{"12/03/2006|Dentista|2 dias", "15/03/2006|Dentes|5 dias"}));
        QTest::keyClicks(box, QStringLiteral("ista cart"));
        QCOMPARE(listedRows(list), QStringList{"12/03/2006|Dentista|2 dias"});

        search->show();
        QVERIFY(QTest::qWaitForWindowExposed(search));
        const QPoint first = list->visualRect(list->model()->index(0, 1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
        auto *editor = f.loaded<frmlembretesys>();
        QVERIFY(editor);
        QCOMPARE(editor->windowTitle(), QStringLiteral("Editar lembrete"));
        QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("txttitulo"))->text(), QStringLiteral("Dentista"));
        editor->close();
        flushDeletes();

        // A removal in the main window shows in the open search at once.
        selectRow(f.window->list(), 1); // Dentista
        f.fake.messages->answers.enqueue(runtime::MessageAnswer::Yes);
        f.window->mnuremover_Click();
        QCOMPARE(listedRows(list), QStringList());
        box->setText(QStringLiteral("REUNIAO"));
        selectRow(list, 0);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(f.loaded<frmlembretesys>()->findChild<QLineEdit *>(QStringLiteral("txttitulo"))->text(),
                 QStringLiteral("Reunião"));
        f.fake.platform().windows().unloadAllExcept(f.window.get());
        flushDeletes();
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
        auto *search = f.loaded<frmprocurar>();
        QVERIFY(search);
        QTest::keyClicks(search->findChild<QLineEdit *>(QStringLiteral("txtprocurar")), QStringLiteral("conta"));
        QCOMPARE(search->findChild<QLabel *>(QStringLiteral("lblresultado"))->text(), said);
    }
};

QTEST_MAIN(SearchWindowTest)
#include "tst_frmprocurar.moc"
