// The control host: the calendar control loaded at run time (beside the program or through the
// component registry), degrading to a message when the library is missing or broken; registering it.

#include "support/fakeplatform.h"
#include "runtime/controlhost.h"

#include <almanaqlib.h>
#include <componentregistry.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using almanaq::ComponentRegistry;
using runtime::ControlHost;

namespace {

const QString ProgId = QString::fromLatin1(almanaq::ProgId);
const QString LibraryPath = QFileInfo(QStringLiteral(ALMANAQ_LIBRARY)).absoluteFilePath();

bool writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly)
           && file.write(text) == text.size();
}

bool almanaqIsMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(almanaq::LibraryFileName);
}

// Puts the built library into the fake program folder, as the build does for the program.
QString installLibrary(FakePlatform &fake)
{
    const QString beside = fake.platform().programFile(QString::fromLatin1(almanaq::LibraryFileName));
    return QFile::link(LibraryPath, beside) ? beside : QString();
}

} // namespace

class ControlHostTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_registry;

private slots:
    // The program does not link the library; it is loaded (first by its own path) only when asked for.
    void initTestCase() { QVERIFY(!almanaqIsMapped()); }

    void init()
    {
        m_registry = m_dir.filePath(QStringLiteral("dados/Zedozarir/componentes.ini"));
        QFile::remove(m_registry);
        qputenv(almanaq::RegistryVariable, m_registry.toLocal8Bit());
    }

    // Through the command: registering twice replaces the records, removing takes away only the library's,
    // a missing library or an unwritable registry registers nothing.
    void theCommandRegistersTheLibraryAndRemovesOnlyItsRecords()
    {
        const auto run = [](const QStringList &arguments) {
            QProcess command;
            command.start(QFileInfo(LibraryPath).absolutePath() + QStringLiteral("/almanaq-registro"), arguments);
            return command.waitForFinished(30000) ? command.exitCode() : -1;
        };
        const QStringList registering{QStringLiteral("--registrar"), LibraryPath}, removing{QStringLiteral("--remover")};
        QVERIFY(writeFile(m_registry, "[Outra.Coisa]\nCLSID={11111111-2222-3333-4444-555555555555}\n"));
        QCOMPARE((QList<int>{run(registering), run(registering)}), (QList<int>{0, 0}));
        const almanaq::IniDocument records = ComponentRegistry(m_registry).read();
        const QString classSection = ComponentRegistry::classSection(QLatin1String(almanaq::ClassId));
        const QString typeLibrary = ComponentRegistry::typeLibrarySection(QLatin1String(almanaq::TypeLibraryId), 1, 0);
        QCOMPARE((QStringList{QString::number(records.sections().size()), records.value(ProgId, "CLSID"),
                              records.value(classSection, "Control"), records.value(classSection, "InprocServer"),
                              records.value(typeLibrary, "Path")}),
                 (QStringList{"4", almanaq::ClassId, "1", LibraryPath, LibraryPath}));

        // The program's folder holds no library: the control comes through the registry.
        FakePlatform fake;
        QWidget placeholder;
        QCOMPARE(ControlHost(fake.platform()).libraryPath(ProgId), LibraryPath);
        QVERIFY(ControlHost(fake.platform()).create(ProgId, QStringLiteral("Dayboard1"), &placeholder));
        QVERIFY(fake.messages->shown.isEmpty());

        QCOMPARE(run(removing), 0); // the library beside the command
        const almanaq::IniDocument left = ComponentRegistry(m_registry).read();
        QCOMPARE(QString::number(left.sections().size()) + left.value("Outra.Coisa", "CLSID"),
                 "1{11111111-2222-3333-4444-555555555555}");
        QVERIFY(!QFile::exists(m_registry + QStringLiteral(".lock")));
        QCOMPARE(ControlHost(fake.platform()).create(ProgId, QStringLiteral("Dayboard2"), &placeholder), nullptr);
        QCOMPARE(run({QStringLiteral("--registrar"), m_dir.filePath(QStringLiteral("nada.so"))}), 1);
        QCOMPARE(ComponentRegistry(m_registry).read().sections().size(), 1);

        // A registry whose folder would have to be where a file is cannot be written.
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("arquivo")), "x"));
        qputenv(almanaq::RegistryVariable, m_dir.filePath(QStringLiteral("arquivo/componentes.ini")).toLocal8Bit());
        QCOMPARE((QList<int>{run(registering), run(removing)}), (QList<int>{1, 0})); // nothing to remove
    }

    // The control from the library beside the program: saved properties taken, the placeholder covered.
    // Without saved ones it starts on the program's clock, saves only what changed and warns through the program.
    void theLibraryIsLoadedAtRunTimeAndTheControlServesTheProgram()
    {
        FakePlatform fake;
        QVERIFY(!installLibrary(fake).isEmpty());
        QWidget form;
        auto *placeholder = new QWidget(&form);
        const double saved = almanaq::toAutomationDate(QDate(2006, 3, 20));
        QWidget *control = ControlHost(fake.platform()).create(
                ProgId, QStringLiteral("Dayboard1"), placeholder,
                {{"Date", saved}, {"TodayCaption", QStringLiteral("Hoj&e")}, {"BorderStyle", 0}});
        QVERIFY(control && almanaqIsMapped() && control->parentWidget() == placeholder);
        QCOMPARE((QVariantList{control->objectName(), control->property("SelectedDate"),
                               control->property("TodayCaption"), control->property("BorderStyle")}),
                 (QVariantList{"Dayboard1", saved, "Hoj&e", 0}));
        placeholder->resize(400, 300);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(control->geometry(), placeholder->rect());
        placeholder->resize(496, 472); // and follows it
        QTRY_COMPARE(control->size(), QSize(496, 472));

        QWidget other;
        QWidget *fresh = ControlHost(fake.platform()).create(ProgId, QStringLiteral("Dayboard2"), &other);
        QVERIFY(fresh);
        // 14:30 on the program's pinned day rounds to the next day.
        QCOMPARE(fresh->property("SelectedDate").toDouble(), almanaq::toAutomationDate(QDate(2006, 3, 11)));
        QVERIFY(ControlHost::save(fresh).isEmpty() && ControlHost::save(&other).isEmpty());
        fresh->setProperty("TodayCaption", QStringLiteral("&Agora"));
        QCOMPARE(ControlHost::save(fresh).keys(), QStringList{"TodayCaption"});
        fresh->setProperty("SelectedDate", almanaq::toAutomationDate(QDate(1753, 1, 2)));
        for (QPushButton *button : fresh->findChildren<QPushButton *>(QStringLiteral("btMove"))) {
            if (button->property("Index").toInt() == 0)
                button->click();
        }
        QCOMPARE(fake.messages->shown.size(), 1);
        const RecordedMessage &warning = fake.messages->shown[0];
        QVERIFY(warning.icon == runtime::MessageIcon::Warning && warning.buttons == runtime::MessageButtons::Ok
                && warning.text.startsWith("Ano inválido.") && warning.title == "Almanaq");
    }

    void aMissingOrBrokenLibraryIsReportedAndGivesNoControl_data()
    {
        QTest::addColumn<QByteArray>("library"); // what lies where the library belongs
        QTest::addColumn<QByteArray>("registry"); // the component registry's text
        QTest::addColumn<QString>("progId");
        QTest::addColumn<QString>("reason");
        QFile notAControl(QStringLiteral(NOT_A_CONTROL_LIBRARY));
        QVERIFY(notAControl.open(QIODevice::ReadOnly));
        QTest::newRow("missing") << QByteArray() << QByteArray() << ProgId << "não foi encontrado";
        QTest::newRow("registered file gone")
            << QByteArray() << QByteArray("[Almanaqlib.Dayboard]\nCLSID={703944F0-9203-11D2-8865-AD1268A0A52F}\n"
                                          "[CLSID\\{703944F0-9203-11D2-8865-AD1268A0A52F}]\n"
                                          "InprocServer=/nao/existe/libAlmanaq.so\n")
            << ProgId << "não foi encontrado";
        QTest::newRow("damaged") << QByteArray("\x7f" "ELF, but no library") << QByteArray() << ProgId
                                 << "não pôde ser carregado";
        QTest::newRow("no entry point") << notAControl.readAll() << QByteArray() << ProgId
                                        << "não é uma biblioteca de componentes";
        QTest::newRow("unknown identifier") << QByteArray() << QByteArray() << "Outra.Coisa" << "não é conhecido";
    }
    void aMissingOrBrokenLibraryIsReportedAndGivesNoControl()
    {
        QFETCH(QByteArray, library);
        QFETCH(QByteArray, registry);
        QFETCH(QString, progId);
        QFETCH(QString, reason);
        FakePlatform fake;
        if (!library.isEmpty())
            QVERIFY(writeFile(fake.platform().programFile(QString::fromLatin1(almanaq::LibraryFileName)), library));
        if (!registry.isEmpty())
            QVERIFY(writeFile(m_registry, registry));
        QWidget placeholder;
        QCOMPARE(ControlHost(fake.platform()).create(progId, QStringLiteral("Dayboard1"), &placeholder), nullptr);
        QCOMPARE(fake.messages->shown.size(), 1);
        const RecordedMessage &message = fake.messages->shown[0];
        QVERIFY2(message.icon == runtime::MessageIcon::Critical && message.title == "Erro" && message.text.contains(progId)
                     && message.text.contains(reason) && placeholder.findChildren<QWidget *>().isEmpty(),
                 qPrintable(message.text));
        // The library beside the program is taken when the registry has no usable record.
        if (!registry.isEmpty()) {
            const QString beside = installLibrary(fake);
            QCOMPARE(ControlHost(fake.platform()).libraryPath(ProgId), beside);
            QVERIFY(ControlHost(fake.platform()).create(ProgId, QStringLiteral("Dayboard1"), &placeholder));
        }
    }
};

QTEST_MAIN(ControlHostTest)
#include "tst_controlhost.moc"
