// The library's about box: shown modally, its identity and links, and the system-information button.

#include "dayboard.h"
#include "frmabout.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

using almanaq::frmAbout;
using almanaq::RegistryRoot;

namespace {

const QString InfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QByteArray InfoSection = "[HKEY_LOCAL_MACHINE\\" + InfoKey.toLatin1() + "]\n";

class RecordingServices final : public almanaq::AboutServices
{
public:
    bool startProgram(const QString &path) override { started.append(path); return startSucceeds; }
    void showMessage(QWidget *, const QString &text, const QString &title) override { messages.append(text + '|' + title); }
    bool openUrl(const QUrl &url) override
    {
        opened.append(url);
        cursorWhileOpening = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
        return false;
    }

    bool startSucceeds = true;
    QStringList started, messages;
    QList<QUrl> opened;
    Qt::CursorShape cursorWhileOpening = Qt::ArrowCursor;
};

// Writes a system registry file into a folder and returns the registry over it.
almanaq::SystemRegistry writeRegistry(const QTemporaryDir &folder, const QByteArray &text)
{
    QFile file(folder.filePath(QStringLiteral("registro-sistema.ini")));
    if (file.open(QIODevice::WriteOnly))
        file.write(QString::fromLatin1(text).replace("%1", folder.path()).toUtf8());
    return almanaq::SystemRegistry(file.fileName());
}

} // namespace

class AboutTest : public QObject
{
    Q_OBJECT

private slots:
    void aboutBoxShowsTheFormModallyEachTimeItIsCalled()
    {
        almanaq::Dayboard board;
        board.show();
        QStringList seen;
        // Closes whatever modal window appears, once with Esc and once with OK.
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            auto *form = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!form)
                return;
            seen.append(form->objectName() + QLatin1Char('|') + form->windowTitle()
                        + (form->isModal() ? QStringLiteral("|modal") : QStringLiteral("|modeless")));
            seen.size() == 1 ? QTest::keyClick(form, Qt::Key_Escape) : form->findChild<QPushButton *>("cmdOK")->click();
        });
        closer.start(20);

        QVERIFY(QMetaObject::invokeMethod(&board, "AboutBox"));
        QCOMPARE(seen.size(), 1);
        QVERIFY(board.window()->findChildren<frmAbout *>().isEmpty()); // closing unloaded it
        QVERIFY(QMetaObject::invokeMethod(&board, "AboutBox"));
        QCOMPARE(seen, QStringList(2, QStringLiteral("frmAbout|About Almanaq|modal")));
    }

    void theFormShowsTheLibrarysIdentityAndOpensItsLinks()
    {
        RecordingServices services;
        frmAbout form(nullptr, almanaq::SystemRegistry(QString()), services);
        QCOMPARE(form.findChild<QLabel *>(QStringLiteral("lblVersion"))->text(), QStringLiteral("Version 1.03.0014"));
        QVERIFY(form.findChild<QPushButton *>(QStringLiteral("cmdOK"))->isDefault());
        for (QWidget *control : form.findChildren<QWidget *>()) {
            if (control->focusPolicy() != Qt::NoFocus)
                QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
        }

        for (auto *link : form.findChildren<almanaq::LinkLabel *>(QStringLiteral("lblLink")))
            QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(services.opened, (QList<QUrl>{QUrl(QStringLiteral("https://www.zedozarir.example")),
                                               QUrl(QStringLiteral("mailto:contato@zedozarir.example"))}));
        QCOMPARE(services.cursorWhileOpening, Qt::BusyCursor);
        // A failed open is not reported, and the cursor is back.
        QVERIFY(!QApplication::overrideCursor() && services.messages.isEmpty());
    }

    // Reading a value of the system registry, as the system-information button does.
    void keyValues_data()
    {
        QTest::addColumn<QByteArray>("value"); // the line of value "PATH"; empty for none
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero-terminated text") << QByteArray("sz:/usr/bin/info\\0") << true << "/usr/bin/info";
        QTest::newRow("text without terminator") << QByteArray("sz:/usr/bin/info") << true << "/usr/bin/info";
        QTest::newRow("only the last zero byte goes") << QByteArray("sz:a\\0\\0") << true << QStringLiteral("a") + QChar(0);
        QTest::newRow("32-bit number") << QByteArray("dword:00000102") << true << "&h00000102";
        QTest::newRow("another type leaves the text") << QByteArray("hex(3):41,42") << true << "antes";
        QTest::newRow("missing value") << QByteArray() << false << "";
        QTest::newRow("unreadable value") << QByteArray("sz:a\\q") << false << "";
        QTest::newRow("longer than the buffer") << "sz:" + QByteArray(1025, 'x') << false << "";
    }

    void keyValues()
    {
        QFETCH(QByteArray, value);
        QTemporaryDir folder;
        RecordingServices services;
        frmAbout form(nullptr, writeRegistry(folder, InfoSection + "Other=sz:x\n"
                                                         + (value.isEmpty() ? QByteArray() : "PATH=" + value + '\n')),
                      services);
        QString result = QStringLiteral("antes");
        QTEST(form.GetKeyValue(RegistryRoot::LocalMachine, InfoKey, QStringLiteral("PATH"), result), "found");
        QTEST(result, "text");
        // The same key under another root does not exist.
        QVERIFY(!form.GetKeyValue(RegistryRoot::CurrentUser, InfoKey, QStringLiteral("Other"), result) && result.isEmpty());
    }

    void systemInformation_data()
    {
        QTest::addColumn<QByteArray>("entries"); // %1: a folder holding MSINFO32.EXE unless the row says not
        QTest::addColumn<bool>("startSucceeds");
        QTest::addColumn<QString>("started"); // %1 as above; empty when nothing may start
        const QByteArray info = InfoSection + "PATH=sz:%1/info\\0\n";
        const QByteArray location = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\n"
                                    "MSINFO=sz:%1\\0\n";
        QTest::newRow("path recorded") << info + location << true << "%1/info";
        QTest::newRow("program in the recorded folder") << location << true << "%1/MSINFO32.EXE";
        QTest::newRow("recorded folder without the program") << location << true << "";
        QTest::newRow("nothing recorded") << QByteArray() << true << "";
        QTest::newRow("program does not start") << info << false << "%1/info";
    }

    void systemInformation()
    {
        QFETCH(QByteArray, entries);
        QFETCH(bool, startSucceeds);
        QFETCH(QString, started);
        QTemporaryDir folder;
        if (QTest::currentDataTag() != QByteArray("recorded folder without the program"))
            QVERIFY(QFile(folder.filePath(QStringLiteral("MSINFO32.EXE"))).open(QIODevice::WriteOnly));
        RecordingServices services;
        services.startSucceeds = startSucceeds;
        frmAbout form(nullptr, writeRegistry(folder, entries), services);
        form.findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->click();

        started.replace(QStringLiteral("%1"), folder.path());
        QCOMPARE(services.started, started.isEmpty() ? QStringList() : QStringList{started});
        QCOMPARE(services.messages, startSucceeds && !started.isEmpty()
                                            ? QStringList()
                                            : QStringList{"System Information Is Unavailable At This Time|Almanaq"});
    }
};

QTEST_MAIN(AboutTest)
#include "tst_frmabout.moc"
