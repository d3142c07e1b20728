#pragma once

#include "forms/frmcalculardias.h"
#include "forms/frmcalendario.h"
#include "forms/frmlembretesys.h"
#include "forms/frmpormes.h"
#include "forms/frmpreferencias.h"
#include "forms/frmprincipal.h"
#include "forms/frmprocurar.h"
#include "forms/frmsobre.h"
#include "runtime/windowmanager.h"
#include "settings/settingsstore.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include <QApplication>
#include <functional>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QTreeView>

template<class T = QWidget> T *child(const QObject *parent, const char *name)
{
    return parent->findChild<T *>(QLatin1String(name));
}

// The rows of a three-column list as "day|title|days left".
inline QStringList listedRows(const QAbstractItemView *list)
{
    const QAbstractItemModel *model = list->model();
    QStringList rows;
    for (int i = 0; i < model->rowCount(); ++i)
        rows << QStringList{model->index(i, 0).data().toString(), model->index(i, 1).data().toString(),
                            model->index(i, 2).data().toString()}.join(u'|');
    return rows;
}

// Makes the row the list's current and only selected one, as a click does.
inline void selectRow(QAbstractItemView *list, int row)
{
    list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

#define REQUIRE_ROWS(list, count) QVERIFY2((list)->model()->rowCount() >= (count), "the list holds too few rows")

inline void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

inline bool exposed(QWidget *window)
{
    window->show();
    return QTest::qWaitForWindowExposed(window);
}

inline void showActive(QWidget &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Clicks the calendar cell showing the given day number of the displayed month.
inline bool clickDay(QWidget *calendar, const QString &number)
{
    for (QLabel *cell : calendar->findChildren<QLabel *>(QStringLiteral("Casa"))) {
        if (cell->text() == number) {
            QTest::mouseClick(cell, Qt::LeftButton);
            return true;
        }
    }
    return false;
}

// A main window, today 10/03/2006, over a database holding the given
// "yyyy/MM/dd|title[|description]" rows, with the calendar library the build
// puts in the program's folder beside it when asked for. Messages shown while
// it loads stay in atStart; prepare may change the file before it loads.
struct MainWindowFixture
{
    explicit MainWindowFixture(const QStringList &reminders = {}, bool withCalendar = false,
                               const QString &storedFilter = QString(),
                               const std::function<void(FakePlatform &)> &prepare = nullptr)
    {
        fake.createEmptyDatabase();
        {
            modgeral seeding(fake.platform());
            seeding.abrirbanco();
            for (const QString &row : reminders)
                seeding.appendReminder(row.section(u'|', 0, 0), row.section(u'|', 1, 1), row.section(u'|', 2));
        }
        if (prepare)
            prepare(fake);
        if (!storedFilter.isNull())
            fake.platform().settings().write(QStringLiteral("Preferencias"), QStringLiteral("Exibir"), storedFilter);
        if (withCalendar)
            calendarCopied = QFile::copy(QStringLiteral(QT_TESTCASE_BUILDDIR "/../programa/libAlmanaq.so"),
                                         fake.platform().programFile(QStringLiteral("libAlmanaq.so")));
        window = std::make_unique<frmprincipal>(fake.platform(), store);
        fake.platform().windows().registerLoaded(window.get());
        atStart = fake.messages->shown;
        fake.messages->shown.clear();
    }

    void putPicture()
    {
        const QString picture = QFINDTESTDATA("../../app/resources/fundo.gif");
        QVERIFY(!picture.isEmpty());
        QVERIFY(QFile::copy(picture, fake.platform().programFile(QStringLiteral("fundo.gif"))));
    }

    // The one message shown, or one naming the count.
    RecordedMessage onlyMessage() const
    {
        const QList<RecordedMessage> &shown = fake.messages->shown;
        if (shown.size() == 1)
            return shown.constFirst();
        return {runtime::MessageIcon::None, QStringLiteral("%1 messages").arg(shown.size()), {}, {}};
    }

    // The table's rows in entry order, columns "|"-joined, a NULL shown as null.
    QStringList stored(const QString &columns = QStringLiteral("data, titulo, descricao"), const QString &null = {},
                       const QString &where = QStringLiteral("1")) const
    {
        QStringList rows;
        QSqlQuery query(store.connection());
        query.exec(QStringLiteral("select %1 from lembrete where %2 order by rowid").arg(columns, where));
        while (query.next()) {
            QStringList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << (query.isNull(i) ? null : query.value(i).toString());
            rows << row.join(u'|');
        }
        return rows;
    }

    QStringList listed() const { return listedRows(window->list()); }
    template<class T> T *loaded() { return fake.platform().windows().find<T>(); }
    void unloadOthers()
    {
        fake.platform().windows().unloadAllExcept(window.get());
        flushDeletes();
    }

    FakePlatform fake;
    modgeral store{fake.platform()};
    std::unique_ptr<frmprincipal> window;
    QList<RecordedMessage> atStart;
    bool calendarCopied = false;
};

// Opens a window through the main window's command; for data rows.
using Opener = QWidget *(*)(MainWindowFixture &);
template<class Window, void (frmprincipal::*command)()> QWidget *openWith(MainWindowFixture &f)
{
    (f.window.get()->*command)();
    return f.loaded<Window>();
}
Q_DECLARE_METATYPE(Opener)
