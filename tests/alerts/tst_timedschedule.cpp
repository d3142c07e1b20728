#include "alerts/timedreminders.h"
#include "alerts/timedschedule.h"

#include <QTest>

using alerts::TimedOccurrence;
using alerts::TimedSchedule;

// When the notices of reminders with a time go out as the clock moves, jumps and changes zone. A step is a clock
// reading "DD HH:MM[:SS] [offset]" (a day of March 2006 on the wall clock, the zone's offset from UTC in hours, -3
// unless given) with "=" and what was said then; "adiar" snoozes the notice just given, at the last reading's time; a
// reading ending in "+" also finds E at 14:30, warned 15 minutes before, added to the store after its warning was due.
class tst_timedschedule : public QObject
{
    Q_OBJECT

private:
    static QDateTime wall(const QString &reading)
    {
        const QString time = reading.section(' ', 1, 1);
        return QDateTime(QDate(2006, 3, reading.section(' ', 0, 0).toInt()),
                         QTime::fromString(time, time.size() == 5 ? "HH:mm" : "HH:mm:ss"), Qt::UTC);
    }

    // A at 09:00, B at 14:30 warned 15 minutes before, C at 16:00, D the next day at 08:00.
    static QList<TimedOccurrence> occurrences()
    {
        return {{1, "A", wall("10 09:00"), 0}, {2, "B", wall("10 14:30"), 15},
                {3, "C", wall("10 16:00"), 0}, {4, "D", wall("11 08:00"), 0}};
    }

    // "B,!A": B on time, A in the notice of missed ones.
    static QString said(const TimedSchedule::Round &round)
    {
        QStringList titles;
        for (const TimedOccurrence &occurrence : round.onTime)
            titles << occurrence.title;
        for (const TimedOccurrence &occurrence : round.missed)
            titles << '!' + occurrence.title;
        return titles.join(',');
    }

private slots:
    void eachNoticeGoesOutOnceAsTheClockMoves_data()
    {
        QTest::addColumn<QString>("lastLooked");
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("first run: nothing that already passed") << ""
            << QStringList{"10 14:00=", "10 14:14:59=", "10 14:15=B", "10 14:16="};
        QTest::newRow("at the time, and the lead before it") << "10 08:00"
            << QStringList{"10 08:59:59=", "10 09:00=A", "10 14:15=B", "10 15:59:59=", "10 16:00:01=C"};
        QTest::newRow("missed while off: one notice, once") << "10 08:00"
            << QStringList{"10 14:25=!A,!B", "10 14:26=", "10 16:00=C"};
        QTest::newRow("five minutes late is still on time") << "10 08:00" << QStringList{"10 09:05=A"};
        QTest::newRow("a second more is missed") << "10 08:00" << QStringList{"10 09:05:01=!A"};
        QTest::newRow("asleep across midnight") << "10 15:00" << QStringList{"11 09:00=!C,!D", "11 09:01="};
        QTest::newRow("clock set forward over reminders") << "10 12:59" << QStringList{"10 13:00=", "10 16:30=!B,!C"};
        QTest::newRow("clock set back: no second notice") << "10 08:30"
            << QStringList{"10 09:00=A", "10 09:30=", "10 08:30=", "10 09:01=", "10 14:15=B"};
        QTest::newRow("summer time ends: the hour again") << "10 08:30"
            << QStringList{"10 08:59 -2=", "10 09:00 -2=A", "10 08:01 -3=", "10 09:00 -3="};
        QTest::newRow("zone moves east: passed over, rung on time") << "10 13:00"
            << QStringList{"10 13:00 -5=", "10 15:00 -3=B", "10 16:00 -3=C"};
        QTest::newRow("zone moves west: nothing twice, later ones on time") << "10 08:00"
            << QStringList{"10 09:00 -3=A", "10 07:00 -5=", "10 09:00 -5=", "10 14:15 -5=B"};
        QTest::newRow("clock put right after running two days ahead") << "12 18:00"
            << QStringList{"10 08:00=", "10 09:00=A"};
        QTest::newRow("snoozed: back ten minutes later") << "10 14:00"
            << QStringList{"10 14:15=B", "adiar", "10 14:24:59=", "10 14:25=B", "10 14:40="};
        QTest::newRow("snoozed, clock set back meanwhile: still ten minutes") << "10 14:00"
            << QStringList{"10 14:15=B", "adiar", "10 13:20=", "10 13:29:59=", "10 13:30=B"};
        QTest::newRow("snoozed, asleep past it: at once, as itself") << "10 14:00"
            << QStringList{"10 14:15=B", "adiar", "10 15:00=B"};
        QTest::newRow("added after its warning: once, within the lead") << "10 14:00"
            << QStringList{"10 14:20=B", "10 14:20:01+=E", "10 14:20:02+="};
        QTest::newRow("added after its time: never") << "10 14:00"
            << QStringList{"10 14:31=!B", "10 14:31:01+=", "10 14:31:02+="};
    }

    void eachNoticeGoesOutOnceAsTheClockMoves()
    {
        QFETCH(QString, lastLooked);
        QFETCH(QStringList, steps);
        TimedSchedule schedule(lastLooked.isEmpty() ? QDateTime() : wall(lastLooked));
        QStringList rounds;
        TimedSchedule::Round last;
        QString lastReading;
        for (const QString &step : steps) {
            const QString reading = step.section('=', 0, 0);
            if (reading == QLatin1String("adiar") && !last.onTime.isEmpty()) {
                schedule.snooze(last.onTime.first(), wall(lastReading));
                rounds << reading;
                continue;
            }
            QList<TimedOccurrence> found = occurrences();
            if (reading.endsWith('+'))
                found.append({5, "E", wall("10 14:30"), 15});
            const int hours = reading.count(' ') == 2 ? reading.section(' ', 2, 2).toInt() : -3;
            last = schedule.advance(wall(reading.chopped(reading.endsWith('+'))), found, 3600 * hours);
            lastReading = reading;
            rounds << reading + '=' + said(last);
        }
        QCOMPARE(rounds, steps);
    }

    void theNextWakeUpIsTheNoticeAfterTheOneJustShown()
    {
        TimedSchedule schedule(wall("10 08:00"));
        QCOMPARE(said(schedule.advance(wall("10 09:00"), occurrences(), -3 * 3600)), "A");
        QCOMPARE(schedule.nextDue(wall("10 09:00"), occurrences()), wall("10 14:15"));
    }

    // A timed notice says today, tomorrow (warned before midnight) or the date; after a long absence the missed
    // notice lists ten reminders and counts the rest.
    void theNoticesSayTheDayAndCountTheMissed()
    {
        QStringList said;
        for (const char *at : {"10 23:50", "11 00:10", "13 08:00"}) {
            const alerts::Notice notice = alerts::timedNotice({1, "X", wall(at), 30}, QDate(2006, 3, 10));
            said << notice.summary + '|' + notice.body;
        }
        QList<TimedOccurrence> missed;
        for (int i = 0; i < 11; ++i) {
            missed.append({i, "R" + QString::number(i), wall("10 09:0" + QString::number(i % 10)), 0});
            const alerts::Notice notice = alerts::missedNotice(missed, QDate(2006, 3, 10));
            said << notice.summary + '|' + QString::number(notice.body.count('\n')) + '|' + notice.body.section('\n', -1);
        }
        QCOMPARE(said.mid(0, 3) + said.mid(12), (QStringList{"X|Hoje às 23:50", "X|Amanhã às 00:10", "X|13/03/2006 às 08:00",
                                                            "Perdidos enquanto desligado: 10 lembretes|9|10/03 09:09 R9",
                                                            "Perdidos enquanto desligado: 11 lembretes|10|e mais 1"}));
    }
};

QTEST_APPLESS_MAIN(tst_timedschedule)
#include "tst_timedschedule.moc"
