// Damaged old-format files through the real import command: whatever the damage, the program ends normally (imported or
// refused), in seconds, with the old file untouched and no description imported empty or cut short.
#include "storefixture.h"
#include "support/importfuzz.h"

#include <QTemporaryDir>

using importfuzz::Damage;
Q_DECLARE_METATYPE(importfuzz::Damage)

namespace {
constexpr int kSeedsPerRow = 30;
// The import's own limit for these small files is 5 s; anything near this is a hang.
constexpr int kHangLimitMs = 20000;
} // namespace

class tst_ImportFuzz : public QObject
{
    Q_OBJECT

private slots:
    // The sample files themselves import whole: the fuzz below could pass by refusing everything.
    void initTestCase()
    {
        for (const QString format : {"jet3", "jet4"}) {
            const QString path = m_dir.filePath(format + QStringLiteral(".mdb"));
            const QString failure = importfuzz::makeSampleFile(QStringLiteral(JET_FIXTURE_TOOL), path, format == "jet3");
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            importfuzz::ImportBench bench(QStringLiteral(LEMBRETE_PROGRAM_DIR));
            importfuzz::Tally tally;
            bench.run(fileBytes(path), kHangLimitMs, &tally);
            QCOMPARE(tally.imported, 1);
        }
    }

    void damagedFilesNeverCrashHangChangeOrCut_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<Damage>("damage");
        for (const char *format : {"jet3", "jet4"})
            for (const Damage damage : importfuzz::kAllDamages)
                QTest::addRow("%s, %s", format, qPrintable(importfuzz::nameOf(damage))) << QString::fromLatin1(format) << damage;
    }

    void damagedFilesNeverCrashHangChangeOrCut()
    {
        QFETCH(QString, format);
        QFETCH(Damage, damage);
        const int pageSize = format == QLatin1String("jet3") ? 2048 : 4096;
        const QByteArray original = fileBytes(m_dir.filePath(format + QStringLiteral(".mdb")));
        QVERIFY(!original.isEmpty());
        importfuzz::ImportBench bench(QStringLiteral(LEMBRETE_PROGRAM_DIR));
        QVERIFY2(bench.error().isEmpty(), qPrintable(bench.error()));

        importfuzz::Tally tally;
        for (quint32 seed = 1; seed <= kSeedsPerRow; ++seed)
            bench.run(importfuzz::damaged(original, pageSize, damage, seed), kHangLimitMs, &tally);
        qInfo("%s", qPrintable(tally.line()));
        QCOMPARE(tally.tried, kSeedsPerRow);
        QCOMPARE(tally.bad(), 0);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(tst_ImportFuzz)
#include "tst_importfuzz.moc"
