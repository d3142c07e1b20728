#include "forms/datebox.h"

#include <QTest>

class DateBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void aWrittenTextReadsBackUnchanged()
    {
        DateBox box;
        QVERIFY(box.text().trimmed().isEmpty());
        for (const QString &text : {QStringLiteral("05/03/2006"), QStringLiteral("qualquer coisa"),
                                    QStringLiteral("31/02/2007"), QStringLiteral("   ")}) {
            box.setText(text);
            QCOMPARE(box.text(), text);
        }
        // Emptied by the user, it reads back empty.
        box.setDay(QDate(2006, 3, 10));
        box.selectAll();
        QTest::keyClick(&box, Qt::Key_Delete);
        QCOMPARE(box.text(), QString());
        QVERIFY(!box.isComplete());
        QVERIFY(!box.day().ok());
    }

    void typingTakesDigitsAndPlacesTheSeparators_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("day"); // null: never complete
        QTest::newRow("a whole date") << "05032006" << "05/03/2006" << QDate(2006, 3, 5);
        QTest::newRow("the 29th of a leap February") << "29022008" << "29/02/2008" << QDate(2008, 2, 29);
        QTest::newRow("letters are not taken") << "1a2b/x" << "12/" << QDate();
        QTest::newRow("unfinished") << "0503" << "05/03/" << QDate();
        QTest::newRow("a day February lacks") << "31022007" << "31/02/2007" << QDate();
    }

    void typingTakesDigitsAndPlacesTheSeparators()
    {
        QFETCH(QString, keys);
        QFETCH(QString, text);
        QFETCH(QDate, day);
        DateBox box;
        QTest::keyClicks(&box, keys);
        QCOMPARE(box.text(), text);
        QCOMPARE(box.isComplete(), day.isValid());
        QCOMPARE(box.hasAcceptableInput(), day.isValid());
        if (day.isValid())
            QCOMPARE(box.day().day, day);
        else if (text.size() == 10)
            QVERIFY(box.day().error.contains(QStringLiteral("não existe")));
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
