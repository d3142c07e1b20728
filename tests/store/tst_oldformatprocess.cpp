// The program's side of the old-format reader: whatever the reader does, the
// import gets rows only from a whole, well-formed reply, and otherwise a
// clear message, within the time limit.
#include "oldformat/protocol.h"
#include "store/oldformatprocess.h"

#include "storefixture.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

namespace {

QByteArray goodReply()
{
    const oldformat::Row text{oldformat::DayKind::Text, "2024/01/15", 0.0, "Reunião", "linha 1\r\nlinha 2", {}};
    const oldformat::Row dateTime{oldformat::DayKind::DateTime, {}, 45306.5, "Café", {}, {}};
    return QByteArray(oldformat::kHeader) + oldformat::rowRecord(text) + oldformat::rowRecord(dateTime)
        + oldformat::endRecord(2);
}

} // namespace

class tst_OldFormatProcess : public QObject
{
    Q_OBJECT

private slots:
    void onlyAWholeReplyGivesRows_data()
    {
        QTest::addColumn<QByteArray>("script"); // the reader's shell script; $REPLY holds goodReply()
        QTest::addColumn<QString>("expected");  // empty: the two rows come through
        QTest::newRow("a whole reply") << QByteArray("cat \"$REPLY\"") << QString();
        QTest::newRow("the reader's own error")
            << QByteArray("printf 'LEMBRETE-FORMATO-ANTIGO 1\\nE10:est\\303\\241 ruim'") << "está ruim";
        QTest::newRow("a crash") << QByteArray("cat \"$REPLY\"; kill -SEGV $$") << "parou de forma inesperada";
        QTest::newRow("an exit status") << QByteArray("cat \"$REPLY\"; exit 3") << "parou de forma inesperada";
        QTest::newRow("a hang") << QByteArray("exec sleep 60") << "demorou demais";
        QTest::newRow("nothing") << QByteArray("true") << "dados sem sentido";
        QTest::newRow("cut short") << QByteArray("head -c 60 \"$REPLY\"") << "dados sem sentido";
        QTest::newRow("bytes after the end") << QByteArray("cat \"$REPLY\"; echo x") << "dados sem sentido";
        QTest::newRow("a wrong row count")
            << QByteArray("head -c -4 \"$REPLY\"; printf '1:3'") << "dados sem sentido";
        QTest::newRow("a length past the end")
            << QByteArray("printf 'LEMBRETE-FORMATO-ANTIGO 1\\nR1:T999999:x'") << "dados sem sentido";
        QTest::newRow("a text that is not UTF-8")
            << QByteArray("printf 'LEMBRETE-FORMATO-ANTIGO 1\\nR1:N0:1:\\3770:F1:1'") << "dados sem sentido";
        QTest::newRow("another header") << QByteArray("printf 'OUTRA COISA 1\\nF1:0'") << "dados sem sentido";
    }

    void onlyAWholeReplyGivesRows()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString replyFile = dir.filePath(QStringLiteral("reply"));
        const QString reader = dir.filePath(QStringLiteral("reader"));
        QVERIFY(writeFile(replyFile, goodReply()));
        QVERIFY(writeFile(reader, "#!/bin/sh\nREPLY='" + replyFile.toUtf8() + "'\n" + script + "\n"));
        QVERIFY(QFile::setPermissions(reader, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QList<oldformat::Row> rows;
        QString error;
        QElapsedTimer clock;
        clock.start();
        const bool ok = OldFormatProcess::readWith(reader, dir.filePath(QStringLiteral("dados.mdb")), &rows, &error);
        QVERIFY(clock.elapsed() < OldFormatProcess::timeLimitMs(0) + 5000);
        QVERIFY2(ok == expected.isEmpty() && error.contains(expected), qPrintable(error));
        QCOMPARE(rows.size(), ok ? 2 : 0);
        QVERIFY(!ok || (rows[0].title + rows[0].description == QStringLiteral("Reuniãolinha 1\r\nlinha 2")
                        && rows[1].dayKind == oldformat::DayKind::DateTime && rows[1].dayValue == 45306.5));
    }

    // A large file gets time to be read: a second a megabyte on top.
    void theTimeLimitGrowsWithTheFile()
    {
        QVERIFY(OldFormatProcess::timeLimitMs(100 << 20) >= OldFormatProcess::timeLimitMs(0) + 100 * 1000);
    }
};

QTEST_MAIN(tst_OldFormatProcess)
#include "tst_oldformatprocess.moc"
