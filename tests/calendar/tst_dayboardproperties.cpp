// The calendar control's public face: properties by name, saved properties,
// the lifecycle of new and loaded instances, class info and the entry points.

#include "dayboard.h"
#include "dayboardtesting.h"

#include <QMetaClassInfo>
#include <QSignalSpy>
#include <QTest>

using almanaq::Dayboard;
using almanaq::MapPropertyBag;
using almanaq::toAutomationDate;

extern "C" int DllGetClassObject(const char *classId, const char *interfaceId, void **factory);
extern "C" int DllCanUnloadNow();

class DayboardPropertiesTest : public QObject
{
    Q_OBJECT

private slots:
    void aNewInstanceAndALoadedOneStartDifferently();
    void aLoadedInstanceTakesItsSavedValuesWithoutRelayout();
    void savingDefaultsWritesNothingAndTheDateFollowsTheDayOfLoading();
    void savedValuesRoundTripThroughTheBag();
    void theDefaultDateRoundsHalfDaysToEven();
    void unreadableOrUnknownValuesAreNotTaken();
    void propertiesWorkByNameAndTellTheContainer();
    void identifiersTravelAsClassInfoBesideTheAutomationMembers();
    void theClassObjectCreatesDayboardsOnlyForItsClass();
};

void DayboardPropertiesTest::aNewInstanceAndALoadedOneStartDifferently()
{
    TestSite site;
    Dayboard board(&site);
    board.initProperties();
    QCOMPARE(board.SelectedDate(), toAutomationDate(QDate(2006, 3, 10)));
    QCOMPARE(board.TodayCaption(), QStringLiteral("&Hoje"));
    QVERIFY(todayButton(&board)->toolTip().isEmpty());
    QCOMPARE(board.BorderStyle(), 1);
    QVERIFY(site.changedProperties.isEmpty());

    // Loaded with no saved keys: the defaults, and the long date as tooltip.
    // At 15:30 the rounded current date is the next day.
    Dayboard loaded(&site);
    loaded.readProperties(MapPropertyBag());
    QCOMPARE(loaded.SelectedDate(), toAutomationDate(QDate(2006, 3, 11)));
    QCOMPARE(loaded.TodayCaption(), QStringLiteral("&Hoje"));
    QCOMPARE(loaded.BorderStyle(), 1);
    QCOMPARE(todayButton(&loaded)->toolTip(), QStringLiteral("sexta-feira, 10 de março de 2006"));
}

void DayboardPropertiesTest::aLoadedInstanceTakesItsSavedValuesWithoutRelayout()
{
    TestSite site;
    Dayboard board(&site);
    const double saved = toAutomationDate(QDateTime(QDate(2006, 3, 20), QTime(8, 0)));
    board.readProperties(MapPropertyBag({{"Date", saved},
                                         {"TodayCaption", QStringLiteral("Dia de &hoje")},
                                         {"BorderStyle", 0}}));
    QCOMPARE(board.SelectedDate(), saved);
    QCOMPARE(board.TodayCaption(), QStringLiteral("Dia de &hoje"));
    QCOMPARE(board.BorderStyle(), 0);
    // Loading does not lay the month out again: the day is grey only after the next layout.
    QVERIFY(cellsColoured(&board, Grey).isEmpty());
    moveButton(&board, 1)->click();
    moveButton(&board, 0)->click();
    QCOMPARE(cellsColoured(&board, Grey), QList<int>{23});
    QVERIFY(site.changedProperties.isEmpty());
}

void DayboardPropertiesTest::savingDefaultsWritesNothingAndTheDateFollowsTheDayOfLoading()
{
    TestSite site;
    site.clock = QDateTime(QDate(2006, 3, 10), QTime(9, 0));
    MapPropertyBag bag;
    {
        Dayboard board(&site);
        board.initProperties();
        board.writeProperties(bag);
    }
    QVERIFY2(bag.values().isEmpty(), qPrintable(QStringList(bag.values().keys()).join(',')));
    site.clock = QDateTime(QDate(2006, 3, 15), QTime(10, 0));
    Dayboard later(&site);
    later.readProperties(bag);
    QCOMPARE(later.SelectedDate(), toAutomationDate(QDate(2006, 3, 15)));
}

void DayboardPropertiesTest::savedValuesRoundTripThroughTheBag()
{
    TestSite site;
    Dayboard board(&site);
    board.initProperties();
    const double chosen = toAutomationDate(QDateTime(QDate(1999, 12, 31), QTime(23, 15)));
    board.setSelectedDate(chosen);
    board.setTodayCaption(QStringLiteral("&Agora"));
    board.setBorderStyle(0);
    MapPropertyBag bag;
    board.writeProperties(bag);
    QCOMPARE(bag.values().size(), 3);
    QCOMPARE(bag.values().value("Date").toDouble(), chosen);
    QCOMPARE(bag.values().value("TodayCaption").toString(), QStringLiteral("&Agora"));
    QCOMPARE(bag.values().value("BorderStyle").typeId(), QMetaType::Short);
    QCOMPARE(bag.values().value("BorderStyle").toInt(), 0);

    Dayboard loaded(&site);
    loaded.readProperties(bag);
    QCOMPARE(loaded.SelectedDate(), chosen);
    QCOMPARE(loaded.TodayCaption(), QStringLiteral("&Agora"));
    QCOMPARE(loaded.BorderStyle(), 0);
}

void DayboardPropertiesTest::theDefaultDateRoundsHalfDaysToEven()
{
    TestSite site;
    site.clock = QDateTime(QDate(2006, 3, 10), QTime(12, 0)); // 38786.5
    Dayboard atNoon(&site);
    atNoon.readProperties(MapPropertyBag());
    QCOMPARE(atNoon.SelectedDate(), 38786.0);

    site.clock = QDateTime(QDate(2006, 3, 11), QTime(12, 0)); // 38787.5
    Dayboard nextNoon(&site);
    nextNoon.readProperties(MapPropertyBag());
    QCOMPARE(nextNoon.SelectedDate(), 38788.0);
}

void DayboardPropertiesTest::unreadableOrUnknownValuesAreNotTaken()
{
    TestSite site;
    site.clock = QDateTime(QDate(2006, 3, 10), QTime(9, 0));
    Dayboard board(&site);
    board.readProperties(MapPropertyBag({{"Date", QStringLiteral("ontem")}, {"BorderStyle", 7}}));
    QCOMPARE(board.SelectedDate(), toAutomationDate(QDate(2006, 3, 10)));
    QCOMPARE(board.BorderStyle(), 1);
    board.setBorderStyle(5);
    QCOMPARE(board.BorderStyle(), 1);
    QVERIFY(site.changedProperties.isEmpty());
}

void DayboardPropertiesTest::propertiesWorkByNameAndTellTheContainer()
{
    TestSite site;
    Dayboard board(&site);
    QObject *control = &board;
    QSignalSpy dateChanges(&board, &Dayboard::SelectedDateChanged);

    QVERIFY(control->setProperty("TodayCaption", QStringLiteral("&Hoje mesmo")));
    QCOMPARE(todayButton(&board)->text(), QStringLiteral("&Hoje mesmo"));
    QVERIFY(control->setProperty("BorderStyle", 0));
    QCOMPARE(control->property("BorderStyle").toInt(), 0);
    const double date = toAutomationDate(QDate(2006, 5, 1));
    QVERIFY(control->setProperty("SelectedDate", date));
    QCOMPARE(control->property("SelectedDate").toDouble(), date);
    QCOMPARE(title(&board)->text(), QStringLiteral("Maio 2006"));

    QCOMPARE(site.changedProperties, (QStringList{"TodayCaption", "BorderStyle", "SelectedDate"}));
    QCOMPARE(site.permissionRequests, QStringList{"SelectedDate"});
    QCOMPARE(dateChanges.count(), 1);
}

void DayboardPropertiesTest::identifiersTravelAsClassInfoBesideTheAutomationMembers()
{
    const QMetaObject &meta = Dayboard::staticMetaObject;
    const auto info = [&](const char *name) {
        const int index = meta.indexOfClassInfo(name);
        return index < 0 ? QByteArray() : QByteArray(meta.classInfo(index).value());
    };
    QCOMPARE(info("ProgID"), QByteArray(almanaq::ProgId));
    QCOMPARE(info("ClassID"), QByteArray(almanaq::ClassId));
    QCOMPARE(info("InterfaceID"), QByteArray(almanaq::DefaultInterfaceId));
    QCOMPARE(info("EventsID"), QByteArray(almanaq::EventInterfaceId));
    QCOMPARE(info("TypeLibraryID"), QByteArray(almanaq::TypeLibraryId));
    QCOMPARE(info("BorderStyleOptionsID"), QByteArray(almanaq::BorderStyleOptionsId));
    QCOMPARE(info("DISPID.SelectedDate").toUInt(nullptr, 16), quint32(almanaq::dispid::SelectedDate));
    QCOMPARE(info("DISPID.TodayCaption").toUInt(nullptr, 16), quint32(almanaq::dispid::TodayCaption));
    QCOMPARE(info("DISPID.BorderStyle").toUInt(nullptr, 16), quint32(almanaq::dispid::BorderStyle));
    QCOMPARE(info("DISPID.AboutBox").toInt(), almanaq::dispid::AboutBox);
    QCOMPARE(info("DISPID.Click").toInt(), almanaq::dispid::Click);
    QCOMPARE(info("DISPID.DblClick").toInt(), almanaq::dispid::DblClick);

    QVERIFY(meta.indexOfSignal("Click()") >= 0);
    QVERIFY(meta.indexOfSignal("DblClick()") >= 0);
    QCOMPARE(meta.property(meta.indexOfProperty("SelectedDate")).typeId(), QMetaType::Double);
    // Invoked by name in tst_frmabout, where a timer closes the modal form.
    QVERIFY(meta.indexOfMethod("AboutBox()") >= 0);
}

void DayboardPropertiesTest::theClassObjectCreatesDayboardsOnlyForItsClass()
{
    void *object = reinterpret_cast<void *>(1);
    QCOMPARE(DllGetClassObject("{00000000-0000-0000-0000-000000000000}", almanaq::ClassFactoryId, &object),
             almanaq::StatusClassNotAvailable);
    QCOMPARE(object, nullptr);
    QCOMPARE(DllGetClassObject(almanaq::ClassId, "SomethingElse/1.0", &object),
             almanaq::StatusNoInterface);
    QCOMPARE(DllCanUnloadNow(), almanaq::StatusOk);

    QCOMPARE(DllGetClassObject(almanaq::ClassId, almanaq::ClassFactoryId, &object), almanaq::StatusOk);
    auto *factory = static_cast<almanaq::ClassFactory *>(object);
    QWidget parent;
    TestSite site;
    QWidget *control = factory->createInstance(&parent, &site);
    QVERIFY(qobject_cast<Dayboard *>(control));
    QVERIFY(qobject_cast<almanaq::UserControl *>(control));
    QCOMPARE(control->parentWidget(), &parent);
    QCOMPARE(DllCanUnloadNow(), almanaq::StatusFalse);
    delete control;
    QCOMPARE(DllCanUnloadNow(), almanaq::StatusOk);
    factory->lockServer(true);
    QCOMPARE(DllCanUnloadNow(), almanaq::StatusFalse);
    factory->lockServer(false);
    QCOMPARE(DllCanUnloadNow(), almanaq::StatusOk);
}

QTEST_MAIN(DayboardPropertiesTest)
#include "tst_dayboardproperties.moc"
