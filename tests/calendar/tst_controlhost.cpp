// The program's control host: it creates the calendar control from its library
// at run time, hands it the form's saved properties, and degrades to a message
// and no control when the library is missing or broken; and the calendar window
// built on it.

#include "support/fakeplatform.h"
#include "forms/frmcalendario.h"
#include "runtime/controlhost.h"

#include <almanaqlib.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using runtime::ControlHost;

namespace {

const QString ProgId = QString::fromLatin1(almanaq::ProgId);

bool almanaqIsMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(almanaq::LibraryFileName);
}

// Puts the built library into the fake program folder, as the build does for the program.
bool installLibrary(const FakePlatform &fake)
{
    return QFile::link(QStringLiteral(ALMANAQ_LIBRARY),
                       fake.folder() + QLatin1Char('/') + QLatin1String(almanaq::LibraryFileName));
}

// A constituent control by its caption, or by its index when one is given.
template<class Control>
Control *child(const QWidget *control, const char *name, const QString &text, int index = -1)
{
    for (Control *candidate : control->findChildren<Control *>(QString::fromLatin1(name))) {
        if (index >= 0 ? candidate->property("Index").toInt() == index : candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

} // namespace

class ControlHostTest : public QObject
{
    Q_OBJECT

private slots:
    void theLibraryIsLoadedAtRunTimeAndTheControlCoversItsPlaceholder()
    {
        QVERIFY(!almanaqIsMapped());
        FakePlatform fake;
        QVERIFY(installLibrary(fake));
        QWidget form;
        auto *placeholder = new QWidget(&form);
        const double saved = almanaq::toAutomationDate(QDate(2006, 3, 20));
        QWidget *control = ControlHost(fake.platform()).create(
                ProgId, QStringLiteral("Dayboard1"), placeholder,
                {{"Date", saved}, {"TodayCaption", QStringLiteral("Hoj&e")}, {"BorderStyle", 0}});
        QVERIFY(control);
        QVERIFY(almanaqIsMapped());
        QVERIFY(fake.messages->shown.isEmpty());
        QCOMPARE(control->objectName(), QStringLiteral("Dayboard1"));
        QCOMPARE(control->parentWidget(), placeholder);
        QCOMPARE(control->property("SelectedDate").toDouble(), saved);
        QCOMPARE(control->property("TodayCaption").toString(), QStringLiteral("Hoj&e"));
        QCOMPARE(control->property("BorderStyle").toInt(), 0);

        placeholder->resize(400, 300);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(control->geometry(), placeholder->rect());
    }

    void aControlWithoutSavedPropertiesUsesTheProgramsClockMessagesAndEvents()
    {
        FakePlatform fake;
        QVERIFY(installLibrary(fake));
        QWidget placeholder;
        QWidget *control = ControlHost(fake.platform()).create(ProgId, QStringLiteral("Dayboard1"), &placeholder);
        QVERIFY(control);
        // 14:30 on the program's pinned day rounds to the next day.
        QCOMPARE(control->property("SelectedDate").toDouble(), almanaq::toAutomationDate(QDate(2006, 3, 11)));
        QCOMPARE(control->property("TodayCaption").toString(), QStringLiteral("&Hoje"));
        QCOMPARE(control->property("BorderStyle").toInt(), 1);
        QVERIFY(ControlHost::save(control).isEmpty());
        control->setProperty("TodayCaption", QStringLiteral("&Agora"));
        QCOMPARE(ControlHost::save(control).keys(), QStringList{"TodayCaption"});
        QVERIFY(ControlHost::save(&placeholder).isEmpty());

        // Clicks reach the form through a connection by name, as a form that does not link the library makes it.
        QCOMPARE(control->findChild<QLabel *>(QStringLiteral("TitMesAno"))->text(), QStringLiteral("Março 2006"));
        QSignalSpy clicks(control, SIGNAL(Click()));
        QTest::mouseClick(child<QLabel>(control, "Casa", QStringLiteral("21")), Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(almanaq::automationDateDay(control->property("SelectedDate").toDouble()), QDate(2006, 3, 21));

        control->setProperty("SelectedDate", almanaq::toAutomationDate(QDate(1753, 1, 2)));
        child<QPushButton>(control, "btMove", QString(), 0)->click();
        QCOMPARE(fake.messages->shown.size(), 1);
        QCOMPARE(fake.messages->shown[0].icon, runtime::MessageIcon::Warning);
        QCOMPARE(fake.messages->shown[0].buttons, runtime::MessageButtons::Ok);
        QVERIFY(fake.messages->shown[0].text.startsWith(QStringLiteral("Ano inválido.")));
        QCOMPARE(fake.messages->shown[0].title, QStringLiteral("Almanaq"));
    }

    void aMissingOrBrokenLibraryIsReportedAndGivesNoControl_data()
    {
        QTest::addColumn<QByteArray>("library"); // what lies where the library belongs
        QTest::addColumn<QString>("progId");
        QTest::addColumn<QString>("reason");
        QFile notAControl(QStringLiteral(NOT_A_CONTROL_LIBRARY));
        QVERIFY(notAControl.open(QIODevice::ReadOnly));
        QTest::newRow("missing") << QByteArray() << ProgId << QStringLiteral("não foi encontrado");
        QTest::newRow("damaged") << QByteArray("\x7f" "ELF, but no library") << ProgId
                                 << QStringLiteral("não pôde ser carregado");
        QTest::newRow("no entry point") << notAControl.readAll() << ProgId
                                        << QStringLiteral("não é uma biblioteca de componentes");
        QTest::newRow("unknown identifier") << QByteArray() << QStringLiteral("Outra.Coisa")
                                            << QStringLiteral("não é conhecido");
    }

    void aMissingOrBrokenLibraryIsReportedAndGivesNoControl()
    {
        QFETCH(QByteArray, library);
        QFETCH(QString, progId);
        QFETCH(QString, reason);
        FakePlatform fake;
        if (!library.isEmpty()) {
            QFile file(fake.folder() + QLatin1Char('/') + QLatin1String(almanaq::LibraryFileName));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(library);
        }
        QWidget placeholder;
        QCOMPARE(ControlHost(fake.platform()).create(progId, QStringLiteral("Dayboard1"), &placeholder), nullptr);
        QCOMPARE(fake.messages->shown.size(), 1);
        const RecordedMessage &message = fake.messages->shown[0];
        QCOMPARE(message.icon, runtime::MessageIcon::Critical);
        QCOMPARE(message.title, QStringLiteral("Erro"));
        QVERIFY(message.text.contains(progId));
        QVERIFY2(message.text.contains(reason), qPrintable(message.text));
        QVERIFY(placeholder.findChildren<QWidget *>().isEmpty());
    }

    void theCalendarWindowShowsOneCalendarOverItsClientArea()
    {
        FakePlatform fake;
        QVERIFY(installLibrary(fake));
        frmcalendario window(fake.platform());
        window.setAttribute(Qt::WA_DeleteOnClose, false); // the test owns it
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Calendário"));
        QWidget *calendar = window.Dayboard1();
        QVERIFY(calendar);
        QCOMPARE(calendar->objectName(), QStringLiteral("Dayboard1"));
        QCOMPARE(calendar->mapTo(&window, QPoint(0, 0)), QPoint(0, 0));
        QCOMPARE(calendar->size(), window.size());
        window.resize(496, 472);
        QTRY_COMPARE(calendar->size(), QSize(496, 472));
        QVERIFY(fake.messages->shown.isEmpty());
    }
};

QTEST_MAIN(ControlHostTest)
#include "tst_controlhost.moc"
