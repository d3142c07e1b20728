// The day calculator and the date box its fields (and the editor's) use.
#include "forms/datebox.h"

#include "formfixture.h"

class DayCalculatorTest : public QObject
{
    Q_OBJECT

private slots:
    void typingTakesDigitsAndPlacesTheSeparators_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("day"); // null: never complete
        QTest::newRow("a whole date") << "05032006" << "05/03/2006" << QDate(2006, 3, 5);
        QTest::newRow("the 29th of a leap February") << "29022008" << "29/02/2008" << QDate(2008, 2, 29);
        QTest::newRow("nines") << "19091999" << "19/09/1999" << QDate(1999, 9, 19);
        QTest::newRow("letters are not taken") << "1a2b/x" << "12/" << QDate();
        QTest::newRow("unfinished") << "0503" << "05/03/" << QDate();
        QTest::newRow("a day February lacks") << "31022007" << "31/02/2007" << QDate();
        QTest::newRow("backspace over a separator") << "05\b" << "05" << QDate();
    }

    void typingTakesDigitsAndPlacesTheSeparators()
    {
        QFETCH(QString, keys);
        QFETCH(QString, text);
        QFETCH(QDate, day);
        DateBox box;
        for (const QChar key : keys)
            key == u'\b' ? QTest::keyClick(&box, Qt::Key_Backspace) : QTest::keyClicks(&box, QString(key));
        QCOMPARE(box.text(), text);
        QCOMPARE(box.isComplete(), day.isValid());
        QCOMPARE(box.hasAcceptableInput(), day.isValid());
        if (day.isValid())
            QCOMPARE(box.day().day, day);
        else if (text.size() == 10)
            QVERIFY(box.day().error.contains(QStringLiteral("não existe")));
    }

    void theDaysFromStartToEndAreCountedOrABadDateIsReported_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("result"); // empty: refused, the previous result stays
        // Dates typed as digits; the box places the separators.
        QTest::newRow("same day") << "10032006" << "10032006" << "0 dias";
        QTest::newRow("across the year's end") << "31122006" << "01012007" << "1 dias";
        QTest::newRow("backwards over a leap February") << "01032008" << "01022008" << "-29 dias";
        QTest::newRow("a whole leap year") << "01012008" << "01012009" << "366 dias";
        // Texts put in directly, as the box would not take them typed.
        QTest::newRow("empty end") << "01/03/2006" << "" << "";
        QTest::newRow("a day February lacks") << "31/02/2006" << "01/03/2006" << "";
        QTest::newRow("not a date at all") << "hoje" << "01/03/2006" << "";
    }

    void theDaysFromStartToEndAreCountedOrABadDateIsReported()
    {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, result);
        FakePlatform fake;
        frmcalculardias window(fake.platform());
        QVERIFY(exposed(&window));
        QLineEdit *days = child<QLineEdit>(&window, "txtdias");
        const auto calculate = [&](const QString &from, const QString &to, bool typed) {
            for (const auto &[name, text] : {std::pair("txtinicio", from), std::pair("txtfim", to)}) {
                QLineEdit *box = child<QLineEdit>(&window, name);
                box->clear();
                typed ? QTest::keyClicks(box, text) : box->setText(text);
            }
            QTest::mouseClick(child<QPushButton>(&window, "cmdcalcular"), Qt::LeftButton);
        };
        calculate(QStringLiteral("01/03/2006"), QStringLiteral("06/03/2006"), false);
        QCOMPARE(days->text(), QStringLiteral("5 dias"));
        calculate(start, end, !result.isEmpty());
        QCOMPARE(days->text(), result.isEmpty() ? QStringLiteral("5 dias") : result);
        QCOMPARE(fake.messages->shown.size(), result.isEmpty() ? 1 : 0); // the count stops at the first bad date
        if (result.isEmpty()) {
            QCOMPARE(fake.messages->shown[0].text, QStringLiteral("A data digitada é invalida!"));
            QCOMPARE(fake.messages->shown[0].icon, runtime::MessageIcon::Warning);
        }
    }
};

QTEST_MAIN(DayCalculatorTest)
#include "tst_frmcalculardias.moc"
