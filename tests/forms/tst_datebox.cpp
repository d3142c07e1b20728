#include "forms/datebox.h"

#include <QTest>

class DateBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void aWrittenTextReadsBackUnchanged()
    {
        DateBox box;
        for (const QString &text : {QStringLiteral("05/03/2006"), QStringLiteral("qualquer coisa"),
                                    QStringLiteral("31/02/2007"), QStringLiteral("   ")}) {
            box.setText(text);
            QCOMPARE(box.text(), text);
        }
        box.setText(QStringLiteral("05/03/2006"));
        QCOMPARE(box.day().day, QDate(2006, 3, 5));
    }

    void anUntouchedOrEmptiedBoxReadsBackEmpty()
    {
        DateBox box;
        QVERIFY(box.text().trimmed().isEmpty());
        box.setDay(QDate(2006, 3, 10));
        box.selectAll();
        QTest::keyClick(&box, Qt::Key_Delete);
        QCOMPARE(box.text(), QString());
        QVERIFY(!box.isComplete());
        QVERIFY(!box.day().ok());
    }

    void typingDigitsPlacesTheSeparators()
    {
        DateBox box;
        QTest::keyClicks(&box, QStringLiteral("05032006"));
        QCOMPARE(box.text(), QStringLiteral("05/03/2006"));
        QVERIFY(box.isComplete());
        QCOMPARE(box.day().day, QDate(2006, 3, 5));
    }

    void lettersAreNotTaken()
    {
        DateBox box;
        QTest::keyClicks(&box, QStringLiteral("1a2b/x"));
        QCOMPARE(box.text(), QStringLiteral("12/"));
    }

    void anIncompleteOrImpossibleDateIsNeverComplete()
    {
        DateBox box;
        QTest::keyClicks(&box, QStringLiteral("0503"));
        QCOMPARE(box.text(), QStringLiteral("05/03/"));
        QVERIFY(!box.isComplete());
        QVERIFY(!box.hasAcceptableInput());

        box.clear();
        QTest::keyClicks(&box, QStringLiteral("31022007"));
        QCOMPARE(box.text(), QStringLiteral("31/02/2007"));
        QVERIFY(!box.isComplete());
        QVERIFY(!box.hasAcceptableInput());
        QVERIFY(box.day().error.contains(QStringLiteral("não existe")));

        box.clear();
        QTest::keyClicks(&box, QStringLiteral("29022008"));
        QVERIFY(box.isComplete());
    }

    void backspaceOverASeparatorIsLeftAlone()
    {
        DateBox box;
        QTest::keyClicks(&box, QStringLiteral("05"));
        QCOMPARE(box.text(), QStringLiteral("05/"));
        QTest::keyClick(&box, Qt::Key_Backspace);
        QCOMPARE(box.text(), QStringLiteral("05"));
    }
};

QTEST_MAIN(DateBoxTest)
#include "tst_datebox.moc"
