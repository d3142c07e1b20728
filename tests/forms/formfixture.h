#pragma once

#include "forms/frmprincipal.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include <QFile>
#include <QTest>
#include <QTreeWidget>

// The rows of a three-column list as "day|title|days left".
inline QStringList listedRows(const QTreeWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        rows << item->text(0) + QLatin1Char('|') + item->text(1) + QLatin1Char('|') + item->text(2);
    }
    return rows;
}

inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A main window over an empty database, today 10/03/2006, with the calendar
// library the build puts in the program's folder beside it when asked for.
struct MainWindowFixture
{
    explicit MainWindowFixture(bool withCalendar = false)
    {
        fake.createEmptyDatabase();
        if (withCalendar)
            calendarCopied = QFile::copy(QStringLiteral(QT_TESTCASE_BUILDDIR "/../programa/libAlmanaq.so"),
                                         fake.platform().programFile(QStringLiteral("libAlmanaq.so")));
        window = std::make_unique<frmprincipal>(fake.platform(), store);
        fake.messages->shown.clear();
    }

    void putPicture()
    {
        const QString picture = QFINDTESTDATA("../../app/resources/fundo.gif");
        QVERIFY(!picture.isEmpty());
        QVERIFY(QFile::copy(picture, fake.platform().programFile(QStringLiteral("fundo.gif"))));
    }

    // The one message shown; any other count gives a message that names the
    // count and matches nothing a test expects.
    RecordedMessage onlyMessage() const
    {
        const QList<RecordedMessage> &shown = fake.messages->shown;
        if (shown.size() == 1)
            return shown.constFirst();
        return {runtime::MessageIcon::None, QStringLiteral("%1 messages").arg(shown.size()), QString(),
                runtime::MessageButtons::Ok};
    }

    FakePlatform fake;
    modgeral store{fake.platform()};
    std::unique_ptr<frmprincipal> window;
    bool calendarCopied = false;
};
