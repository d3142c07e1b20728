// The program's control host: it creates the calendar control from its library
// at run time, hands it the form's saved properties, and degrades to a message
// and no control when the library is missing or broken.

#include "support/fakeplatform.h"
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
void installLibrary(const FakePlatform &fake)
{
    const QString target = fake.folder() + QLatin1Char('/') + QLatin1String(almanaq::LibraryFileName);
    QVERIFY(QFile::link(QStringLiteral(ALMANAQ_LIBRARY), target));
}

template<class Control>
Control *indexed(const QWidget *control, const char *name, const QString &text, int index = -1)
{
    for (Control *child : control->findChildren<Control *>(QString::fromLatin1(name))) {
        if (index >= 0 ? child->property("Index").toInt() == index : child->text() == text)
            return child;
    }
    return nullptr;
}

} // namespace

class ControlHostTest : public QObject
{
    Q_OBJECT

private slots:
    void theLibraryIsLoadedAtRunTimeAndTheControlCoversItsPlaceholder();
    void missingSavedPropertiesTakeTheDefaultsAndAreNotSaved();
    void theControlFollowsTheProgramsClockAndMessageBoxes();
    void clicksReachTheFormWithTheSelectedDate();
    void aMissingOrBrokenLibraryIsReportedAndGivesNoControl_data();
    void aMissingOrBrokenLibraryIsReportedAndGivesNoControl();
};

void ControlHostTest::theLibraryIsLoadedAtRunTimeAndTheControlCoversItsPlaceholder()
{
    QVERIFY(!almanaqIsMapped());
    FakePlatform fake;
    installLibrary(fake);
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

void ControlHostTest::missingSavedPropertiesTakeTheDefaultsAndAreNotSaved()
{
    FakePlatform fake;
    installLibrary(fake);
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
}

void ControlHostTest::theControlFollowsTheProgramsClockAndMessageBoxes()
{
    FakePlatform fake;
    installLibrary(fake);
    QWidget placeholder;
    QWidget *control = ControlHost(fake.platform()).create(ProgId, QStringLiteral("Dayboard1"), &placeholder);
    QVERIFY(control);
    QCOMPARE(control->findChild<QLabel *>(QStringLiteral("TitMesAno"))->text(), QStringLiteral("Março 2006"));

    control->setProperty("SelectedDate", almanaq::toAutomationDate(QDate(1753, 1, 2)));
    indexed<QPushButton>(control, "btMove", QString(), 0)->click();
    QCOMPARE(fake.messages->shown.size(), 1);
    QCOMPARE(fake.messages->shown[0].icon, runtime::MessageIcon::Warning);
    QCOMPARE(fake.messages->shown[0].buttons, runtime::MessageButtons::Ok);
    QVERIFY(fake.messages->shown[0].text.startsWith(QStringLiteral("Ano inválido.")));
    QCOMPARE(fake.messages->shown[0].title, QStringLiteral("Almanaq"));
}

void ControlHostTest::clicksReachTheFormWithTheSelectedDate()
{
    FakePlatform fake;
    installLibrary(fake);
    QWidget placeholder;
    QWidget *control = ControlHost(fake.platform()).create(ProgId, QStringLiteral("Dayboard1"), &placeholder);
    QVERIFY(control);
    // Connected by name, as a form that does not link the library must.
    QSignalSpy clicks(control, SIGNAL(Click()));
    QTest::mouseClick(indexed<QLabel>(control, "Casa", QStringLiteral("21")), Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(almanaq::automationDateDay(control->property("SelectedDate").toDouble()), QDate(2006, 3, 21));
}

void ControlHostTest::aMissingOrBrokenLibraryIsReportedAndGivesNoControl_data()
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

void ControlHostTest::aMissingOrBrokenLibraryIsReportedAndGivesNoControl()
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

QTEST_MAIN(ControlHostTest)
#include "tst_controlhost.moc"
