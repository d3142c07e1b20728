#include "settings/settingsstore.h"
#include "support/fakeplatform.h"

#include <QTest>

using namespace settings;

// The list's look as stored: colours, font sizes and palette choices, read
// leniently, never repaired, and never written unreadable.
class SettingsStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void theListLookFallsBackToTheDefaultsAndNeverRepairsTheStore()
    {
        FakePlatform fake;
        runtime::SettingsAccess &stored = fake.platform().settings();
        QCOMPARE(readFontName(stored), QStringLiteral("Arial"));
        QCOMPARE(readColour(stored, keys::CorFundo2), QColor(Qt::white));
        // Stored as numbers 0x00BBGGRR: light yellow, and "0" for black.
        write(stored, keys::CorFundo2, QStringLiteral("12648447"));
        write(stored, keys::Corfonte, QStringLiteral("0"));
        QCOMPARE((QList<QColor>{readColour(stored, keys::CorFundo1), readColour(stored, keys::CorFundo2),
                                readColour(stored, keys::Corfonte)}),
                 (QList<QColor>{QColor(255, 255, 255), QColor(255, 255, 192), QColor(0, 0, 0)}));

        const QList<std::pair<Key, QString>> unusable{{keys::Corfonte, QStringLiteral("vermelho")},
                                                      {keys::CorFundo1, QStringLiteral("&H")},
                                                      {keys::TamanhoFonte, QStringLiteral("grande")},
                                                      {keys::Fontenome, QStringLiteral("  ")}};
        for (const auto &[key, text] : unusable)
            stored.write(key.section, key.name, text); // as another program or a hand edit left them
        QCOMPARE((QVariantList{readColour(stored, keys::Corfonte), readColour(stored, keys::CorFundo1),
                               readFontSize(stored), readFontName(stored)}),
                 (QVariantList{QColor(Qt::black), QColor(Qt::white), 11.0, "Arial"}));
        for (const auto &[key, text] : unusable) {
            QCOMPARE(read(stored, key), text);
            write(stored, key, text); // the program itself never writes a value it could not read back
        }
        for (const Key &key : {keys::Corfonte, keys::CorFundo1, keys::TamanhoFonte})
            QCOMPARE(read(stored, key), key.defaultValue);

        // A palette choice writes its index and its colour's decimal number.
        writeColourChoice(stored, choices::CorFundo2, 10);
        writeColourChoice(stored, choices::Corfonte, 11);
        QCOMPARE(read(stored, keys::Corescolhida2) + ' ' + read(stored, keys::CorFundo2), QStringLiteral("10 33023"));
        QCOMPARE(read(stored, keys::Corescolhidafonte) + ' ' + read(stored, keys::Corfonte), QStringLiteral("11 8388608"));
        QCOMPARE(read(stored, keys::Corescolhida), keys::Corescolhida.defaultValue);
        QCOMPARE(colourFromNumber(colourPalette()[10]), QColor(255, 128, 0));
    }

    void colourTextsAreReadInDecimalAndHexadecimal_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("number"); // -1: refused
        QTest::newRow("white in hexadecimal") << "&HFFFFFF" << 16777215LL;
        QTest::newRow("lower-case hexadecimal") << "&hc0ffff" << 12648447LL;
        QTest::newRow("orange with leading zeros") << "&H0080FF" << 33023LL;
        QTest::newRow("hexadecimal with long suffix") << "&H800000&" << 8388608LL;
        QTest::newRow("decimal, blanks around") << " 12648447 " << 12648447LL;
        QTest::newRow("empty") << "" << -1LL;
        QTest::newRow("not hexadecimal digits") << "&HXYZ" << -1LL;
        QTest::newRow("hexadecimal without prefix") << "FFFFFF" << -1LL;
        QTest::newRow("negative") << "-1" << -1LL;
        QTest::newRow("beyond 24 bits") << "16777216" << -1LL;
        QTest::newRow("with decimals") << "12.5" << -1LL;
    }
    void colourTextsAreReadInDecimalAndHexadecimal()
    {
        QFETCH(QString, text);
        const std::optional<quint32> parsed = parseColourNumber(text);
        QTEST(parsed ? qint64(*parsed) : -1LL, "number");
    }

    // Font sizes from 1 to 200 points, with a point or a comma; anything else is the default 11.
    void fontSizesAreReadAsPositiveNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qreal>("size");
        QTest::newRow("offered by the dialog") << "22" << 22.0;
        QTest::newRow("with a decimal point") << "10.5" << 10.5;
        QTest::newRow("with a decimal comma") << "10,5" << 10.5;
        QTest::newRow("zero") << "0" << 11.0;
        QTest::newRow("negative") << "-8" << 11.0;
        QTest::newRow("far too large") << "100000" << 11.0;
        QTest::newRow("smallest") << "1" << 1.0;
        QTest::newRow("below the smallest") << "0.0001" << 11.0;
        QTest::newRow("largest") << "200" << 200.0;
        QTest::newRow("above the largest") << "200,5" << 11.0;
        QTest::newRow("not a number") << "nan" << 11.0;
    }
    void fontSizesAreReadAsPositiveNumbers()
    {
        QFETCH(QString, text);
        FakePlatform fake;
        fake.platform().settings().write(keys::TamanhoFonte.section, keys::TamanhoFonte.name, text);
        QTEST(readFontSize(fake.platform().settings()), "size");
    }

    // Palette indexes run from 0 to 11.
    void paletteIndexesRunFromZeroToEleven()
    {
        QList<int> indexes;
        for (const QString &text : {"0", " 11 ", "12", "-1", "azul", "2.5"})
            indexes << paletteIndex(text).value_or(-1);
        QCOMPARE(indexes, (QList<int>{0, 11, -1, -1, -1, -1}));
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
