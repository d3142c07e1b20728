// Enter and Escape in the program's windows, typed into the control that has
// the focus, as a keyboard user does.

#include "forms/frmcalculardias.h"
#include "forms/frmcalendario.h"
#include "forms/frmlembretesys.h"
#include "forms/frmpormes.h"
#include "forms/frmpreferencias.h"
#include "forms/frmprocurar.h"
#include "forms/frmsobre.h"

#include "formfixture.h"

#include <QLineEdit>
#include <QPointer>

class WindowKeysTest : public QObject
{
    Q_OBJECT

private slots:
    void escapeClosesTheWindow_data()
    {
        QTest::addColumn<Opener>("open");
        QTest::newRow("by-day view") << &openWith<frmpormes, &frmprincipal::mnulembretesdata_Click>;
        QTest::newRow("day calculator") << &openWith<frmcalculardias, &frmprincipal::mnudias_Click>;
        QTest::newRow("calendar") << &openWith<frmcalendario, &frmprincipal::mnucalendario_Click>;
        QTest::newRow("about") << &openWith<frmsobre, &frmprincipal::mnusoftware_Click>;
        QTest::newRow("preferences") << &openWith<frmpreferencias, &frmprincipal::mnupreferencias_Click>;
        QTest::newRow("search") << &openWith<frmprocurar, &frmprincipal::mnuprocurar_Click>;
    }

    void escapeClosesTheWindow()
    {
        QFETCH(Opener, open);
        MainWindowFixture f({}, true);
        QPointer<QWidget> window = open(f);
        QVERIFY(window);
        showActive(*window);
        QWidget *focused = window->focusWidget() ? window->focusWidget() : window.data();
        QTest::keyClick(focused, Qt::Key_Escape);
        flushDeletes();
        QVERIFY(!window || !window->isVisible());
    }

    void enterPressesTheDefaultButton_data()
    {
        QTest::addColumn<Opener>("open");
        QTest::addColumn<QStringList>("typed"); // "box=text"; the last box keeps the focus
        QTest::addColumn<QString>("shows");     // the message, else the result, that Enter brings
        QTest::newRow("editor") << &openWith<frmlembretesys, &frmprincipal::mnunovo_Click>
                                << QStringList{"txttitulo="} << "O campo título é de preenchimento obrigatório!";
        QTest::newRow("day calculator") << &openWith<frmcalculardias, &frmprincipal::mnudias_Click>
                                        << QStringList{"txtinicio=01/03/2006", "txtfim=11/03/2006"} << "10 dias";
    }

    void enterPressesTheDefaultButton()
    {
        QFETCH(Opener, open);
        QFETCH(QStringList, typed);
        QFETCH(QString, shows);
        MainWindowFixture f({}, true);
        QWidget *window = open(f);
        QVERIFY(window);
        showActive(*window);
        QLineEdit *box = nullptr;
        for (const QString &entry : typed) {
            box = window->findChild<QLineEdit *>(entry.section(u'=', 0, 0));
            QVERIFY2(box, qPrintable(entry));
            box->setText(entry.section(u'=', 1));
        }
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
        const auto *result = window->findChild<QLineEdit *>(QStringLiteral("txtdias"));
        QCOMPARE(f.fake.messages->shown.isEmpty() ? result->text() : f.onlyMessage().text, shows);
    }
};

QTEST_MAIN(WindowKeysTest)
#include "tst_windowkeys.moc"
