// Registering the calendar library in the per-user component registry, the
// program's control host finding it there (and beside the program when it is
// not), unregistering, and the almanaq-registro command.

#include "support/fakeplatform.h"
#include "runtime/controlhost.h"

#include <almanaqlib.h>
#include <componentregistry.h>

#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using almanaq::ComponentRegistry;
using runtime::ControlHost;

namespace {

const QString ProgId = QString::fromLatin1(almanaq::ProgId);
const QString LibraryPath = QFileInfo(QStringLiteral(ALMANAQ_LIBRARY)).absoluteFilePath();
const QByteArray ForeignRecord = "[Outra.Coisa]\nCLSID={11111111-2222-3333-4444-555555555555}\n";

bool writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

class RegistrationTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_registry = m_dir.filePath(QStringLiteral("dados/Zedozarir/componentes.ini"));
        QFile::remove(m_registry);
        qputenv(almanaq::RegistryVariable, m_registry.toLocal8Bit());
        QVERIFY2(m_library.load(), qPrintable(m_library.errorString()));
    }

    void registeredLibraryIsFoundAndCreatedAndUnregisteringRemovesOnlyItsRecords()
    {
        QVERIFY(QDir().mkpath(QFileInfo(m_registry).absolutePath()));
        QVERIFY(writeFile(m_registry, ForeignRecord));
        QCOMPARE(call(almanaq::RegisterServerSymbol), almanaq::StatusOk);
        QCOMPARE(call(almanaq::RegisterServerSymbol), almanaq::StatusOk); // again: records replaced, not doubled

        const almanaq::IniDocument records = ComponentRegistry(m_registry).read();
        const QString classSection = ComponentRegistry::classSection(QLatin1String(almanaq::ClassId));
        const QString typeLibrary = ComponentRegistry::typeLibrarySection(QLatin1String(almanaq::TypeLibraryId), 1, 0);
        QCOMPARE(records.sections().size(), 4);
        QCOMPARE(records.value(ProgId, QStringLiteral("CLSID")), QLatin1String(almanaq::ClassId));
        QCOMPARE(records.value(classSection, QStringLiteral("Control")), QStringLiteral("1"));
        QCOMPARE(records.value(classSection, QStringLiteral("InprocServer")), LibraryPath);
        QCOMPARE(records.value(typeLibrary, QStringLiteral("Name")), QStringLiteral("Almanaqlib"));
        QCOMPARE(records.value(typeLibrary, QStringLiteral("Path")), LibraryPath);

        // The program's folder holds no library: the control comes through the registry.
        FakePlatform fake;
        ControlHost host(fake.platform());
        QCOMPARE(host.libraryPath(ProgId), LibraryPath);
        QWidget placeholder;
        QWidget *control = host.create(ProgId, QStringLiteral("Dayboard1"), &placeholder);
        QVERIFY(control);
        QCOMPARE(control->metaObject()->className(), "almanaq::Dayboard");
        QVERIFY(fake.messages->shown.isEmpty());

        QCOMPARE(call(almanaq::UnregisterServerSymbol), almanaq::StatusOk);
        const almanaq::IniDocument left = ComponentRegistry(m_registry).read();
        QCOMPARE(left.sections().size(), 1);
        QCOMPARE(left.value(QStringLiteral("Outra.Coisa"), QStringLiteral("CLSID")),
                 QStringLiteral("{11111111-2222-3333-4444-555555555555}"));
        QVERIFY(!QFile::exists(m_registry + QStringLiteral(".lock")));

        QCOMPARE(ControlHost(fake.platform()).create(ProgId, QStringLiteral("Dayboard2"), &placeholder), nullptr);
        QCOMPARE(fake.messages->shown.size(), 1);
        QVERIFY(fake.messages->shown[0].text.contains(QStringLiteral("não foi encontrado")));
    }

    void withoutAUsableRecordTheHostTakesTheLibraryBesideTheProgram()
    {
        FakePlatform fake;
        const QString beside = fake.platform().programFile(QString::fromLatin1(almanaq::LibraryFileName));
        QVERIFY(QFile::link(LibraryPath, beside));
        QWidget placeholder;

        // No registry file at all, then one whose record names a file that is gone.
        QCOMPARE(ControlHost(fake.platform()).libraryPath(ProgId), beside);
        QVERIFY(QDir().mkpath(QFileInfo(m_registry).absolutePath()));
        QVERIFY(writeFile(m_registry, "[Almanaqlib.Dayboard]\nCLSID={703944F0-9203-11D2-8865-AD1268A0A52F}\n"
                                      "[CLSID\\{703944F0-9203-11D2-8865-AD1268A0A52F}]\n"
                                      "InprocServer=/nao/existe/libAlmanaq.so\n"));
        ControlHost host(fake.platform());
        QCOMPARE(host.libraryPath(ProgId), beside);
        QVERIFY(host.create(ProgId, QStringLiteral("Dayboard1"), &placeholder));
        QVERIFY(fake.messages->shown.isEmpty());
    }

    void aRegistryThatCannotBeWrittenIsReportedAsAFailure()
    {
        // Its folder would have to be where a file already is.
        const QString blocker = m_dir.filePath(QStringLiteral("arquivo"));
        QVERIFY(writeFile(blocker, "x"));
        qputenv(almanaq::RegistryVariable, (blocker + QStringLiteral("/componentes.ini")).toLocal8Bit());
        QVERIFY(call(almanaq::RegisterServerSymbol) < 0);
        QVERIFY(call(almanaq::UnregisterServerSymbol) >= 0); // nothing registered: nothing to remove
    }

    void theCommandRegistersAndRemovesALibrary()
    {
        const auto run = [](const QStringList &arguments) {
            QProcess command;
            command.start(QFileInfo(LibraryPath).absolutePath() + QStringLiteral("/almanaq-registro"), arguments);
            return command.waitForFinished(30000) ? command.exitCode() : -1;
        };
        QCOMPARE(run({QStringLiteral("--registrar"), LibraryPath}), 0);
        QCOMPARE(ComponentRegistry(m_registry).read().value(ProgId, QStringLiteral("CLSID")),
                 QLatin1String(almanaq::ClassId));
        QCOMPARE(run({QStringLiteral("--remover")}), 0); // the library beside the command
        QVERIFY(ComponentRegistry(m_registry).read().sections().isEmpty());
        QCOMPARE(run({QStringLiteral("--registrar"), m_dir.filePath(QStringLiteral("nada.so"))}), 1);
        QVERIFY(ComponentRegistry(m_registry).read().sections().isEmpty());
    }

private:
    int call(const char *symbol)
    {
        const auto entryPoint = reinterpret_cast<almanaq::RegisterServerFunction>(m_library.resolve(symbol));
        return entryPoint ? entryPoint() : almanaq::StatusInvalidArgument;
    }

    QTemporaryDir m_dir;
    QString m_registry;
    QLibrary m_library{LibraryPath};
};

QTEST_MAIN(RegistrationTest)
#include "tst_registration.moc"
