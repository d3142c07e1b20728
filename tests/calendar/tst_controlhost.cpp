// The program's control host: it creates the calendar control from its library
// at run time, hands it the form's saved properties, and degrades to a message
// and no control when the library is missing or broken.

#include "hostdoubles.h"
#include "runtime/controlhost.h"

#include <almanaqlib.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using runtime::ControlHost;

namespace {

bool almanaqIsMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    return maps.readAll().contains(almanaq::LibraryFileName);
}

const QString ProgId = QString::fromLatin1(almanaq::ProgId);

} // namespace

class ControlHostTest : public QObject
{
    Q_OBJECT

private slots:
    void theLibraryIsLoadedOnlyWhenAControlIsCreated();
    void theControlCoversItsPlaceholderWithTheSavedProperties();
    void missingSavedPropertiesTakeTheDefaults();
    void savingLeavesDefaultsOut();
    void theControlFollowsTheProgramsClockAndMessageBoxes();
    void clicksReachTheFormWithTheSelectedDate();
    void aMissingLibraryIsReportedAndGivesNoControl();
    void aDamagedLibraryIsReportedAndGivesNoControl();
    void aLibraryWithoutEntryPointIsReported();
    void anUnknownIdentifierIsReported();

private:
    QList<ShownMessage> m_messages;
};

void ControlHostTest::theLibraryIsLoadedOnlyWhenAControlIsCreated()
{
    QVERIFY(!almanaqIsMapped());
    auto platform = testPlatform(QStringLiteral(ALMANAQ_PROGRAM_DIR), &m_messages);
    QWidget placeholder;
    QWidget *control = ControlHost(*platform).create(ProgId, QStringLiteral("Dayboard1"), &placeholder);
    QVERIFY(control);
    QVERIFY(almanaqIsMapped());
    QVERIFY(m_messages.isEmpty());
}

void ControlHostTest::theControlCoversItsPlaceholderWithTheSavedProperties()
{
    auto platform = testPlatform(QStringLiteral(ALMANAQ_PROGRAM_DIR), &m_messages);
    QWidget form;
    auto *placeholder = new QWidget(&form);
    const double saved = almanaq::toAutomationDate(QDate(2006, 3, 20));
    QWidget *control = ControlHost(*platform).create(
            ProgId, QStringLiteral("Dayboard1"), placeholder,
            {{"Date", saved}, {"TodayCaption", QStringLiteral("Hoj&e")}, {"BorderStyle", 0}});
    QVERIFY(control);
    QCOMPARE(control->objectName(), QStringLiteral("Dayboard1"));
    QCOMPARE(control->parentWidget(), placeholder);
    QCOMPARE(control->metaObject()->className(), "almanaq::Dayboard");
    QCOMPARE(control->property("SelectedDate").toDouble(), saved);
    QCOMPARE(control->property("TodayCaption").toString(), QStringLiteral("Hoj&e"));
    QCOMPARE(control->property("BorderStyle").toInt(), 0);

    placeholder->resize(400, 300);
    form.resize(400, 300);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(control->geometry(), placeholder->rect());
    QVERIFY(control->isVisible());
}

void ControlHostTest::missingSavedPropertiesTakeTheDefaults()
{
    auto platform = testPlatform(QStringLiteral(ALMANAQ_PROGRAM_DIR), &m_messages);
    QWidget placeholder;
    QWidget *control = ControlHost(*platform).create(ProgId, QStringLiteral("Dayboard1"), &placeholder);
    QVERIFY(control);
    // 09:30 on the program's pinned day rounds to that day.
    QCOMPARE(control->property("SelectedDate").toDouble(), almanaq::toAutomationDate(QDate(2006, 3, 10)));
    QCOMPARE(control->property("TodayCaption").toString(), QStringLiteral("&Hoje"));
    QCOMPARE(control->property("BorderStyle").toInt(), 1);
}

void ControlHostTest::savingLeavesDefaultsOut()
{
    auto platform = testPlatform(QStringLiteral(ALMANAQ_PROGRAM_DIR), &m_messages);
    QWidget placeholder;
    QWidget *control = ControlHost(*platform).create(ProgId, QStringLiteral("Dayboard1"), &placeholder);
    QVERIFY(control);
    QVERIFY(ControlHost::save(control).isEmpty());
    control->setProperty("TodayCaption", QStringLiteral("&Agora"));
    const QVariantMap saved = ControlHost::save(control);
    QCOMPARE(saved.keys(), QStringList{"TodayCaption"});
    QVERIFY(ControlHost::save(&placeholder).isEmpty());
}

void ControlHostTest::theControlFollowsTheProgramsClockAndMessageBoxes()
{
    auto platform = testPlatform(QStringLiteral(ALMANAQ_PROGRAM_DIR), &m_messages);
    m_messages.clear();
    QWidget placeholder;
    QWidget *control = ControlHost(*platform).create(ProgId, QStringLiteral("Dayboard1"), &placeholder);
    QVERIFY(control);
    QCOMPARE(control->findChild<QLabel *>(QStringLiteral("TitMesAno"))->text(), QStringLiteral("Março 2006"));

    control->setProperty("SelectedDate", almanaq::toAutomationDate(QDate(1753, 1, 2)));
    QPushButton *back = nullptr;
    for (QPushButton *button : control->findChildren<QPushButton *>(QStringLiteral("btMove"))) {
        if (button->property("Index").toInt() == 0)
            back = button;
    }
    QVERIFY(back);
    back->click();
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].icon, runtime::MessageIcon::Warning);
    QVERIFY(m_messages[0].text.startsWith(QStringLiteral("Ano inválido.")));
    QCOMPARE(m_messages[0].title, QStringLiteral("Almanaq"));
}

void ControlHostTest::clicksReachTheFormWithTheSelectedDate()
{
    auto platform = testPlatform(QStringLiteral(ALMANAQ_PROGRAM_DIR), &m_messages);
    QWidget placeholder;
    QWidget *control = ControlHost(*platform).create(ProgId, QStringLiteral("Dayboard1"), &placeholder);
    QVERIFY(control);
    // Connected by name, as a form that does not link the library must.
    QSignalSpy clicks(control, SIGNAL(Click()));
    QLabel *day = nullptr;
    for (QLabel *cell : control->findChildren<QLabel *>(QStringLiteral("Casa"))) {
        if (cell->text() == QStringLiteral("21"))
            day = cell;
    }
    QVERIFY(day);
    QTest::mouseClick(day, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(almanaq::automationDateDay(control->property("SelectedDate").toDouble()), QDate(2006, 3, 21));
}

void ControlHostTest::aMissingLibraryIsReportedAndGivesNoControl()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    m_messages.clear();
    auto platform = testPlatform(folder.path(), &m_messages);
    QWidget placeholder;
    QCOMPARE(ControlHost(*platform).create(ProgId, QStringLiteral("Dayboard1"), &placeholder), nullptr);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].icon, runtime::MessageIcon::Critical);
    QCOMPARE(m_messages[0].title, QStringLiteral("Erro"));
    QVERIFY(m_messages[0].text.contains(ProgId));
    QVERIFY(m_messages[0].text.contains(QStringLiteral("não foi encontrado")));
    QVERIFY(placeholder.findChildren<QWidget *>().isEmpty());
}

void ControlHostTest::aDamagedLibraryIsReportedAndGivesNoControl()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QFile damaged(folder.filePath(QString::fromLatin1(almanaq::LibraryFileName)));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("\x7f" "ELF but not really a library");
    damaged.close();
    m_messages.clear();
    auto platform = testPlatform(folder.path(), &m_messages);
    QWidget placeholder;
    QCOMPARE(ControlHost(*platform).create(ProgId, QStringLiteral("Dayboard1"), &placeholder), nullptr);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].text.contains(QStringLiteral("não pôde ser carregado")));
}

void ControlHostTest::aLibraryWithoutEntryPointIsReported()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QFile::copy(QStringLiteral(NOT_A_CONTROL_LIBRARY),
                        folder.filePath(QString::fromLatin1(almanaq::LibraryFileName))));
    m_messages.clear();
    auto platform = testPlatform(folder.path(), &m_messages);
    QWidget placeholder;
    QCOMPARE(ControlHost(*platform).create(ProgId, QStringLiteral("Dayboard1"), &placeholder), nullptr);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].text.contains(QStringLiteral("não é uma biblioteca de componentes")));
}

void ControlHostTest::anUnknownIdentifierIsReported()
{
    m_messages.clear();
    auto platform = testPlatform(QStringLiteral(ALMANAQ_PROGRAM_DIR), &m_messages);
    QWidget placeholder;
    ControlHost host(*platform);
    QVERIFY(host.libraryPath(QStringLiteral("Outra.Coisa")).isEmpty());
    QCOMPARE(host.create(QStringLiteral("Outra.Coisa"), QStringLiteral("x"), &placeholder), nullptr);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].text.contains(QStringLiteral("Outra.Coisa")));
}

QTEST_MAIN(ControlHostTest)
#include "tst_controlhost.moc"
