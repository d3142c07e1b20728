#include "settings/settingsstore.h"
#include "support/fakeplatform.h"

#include <QTest>

using namespace settings;

class SettingsStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void theListLookFallsBackToTheDefaultsAndNeverRepairsTheStore();
    void colourTextsAreReadInDecimalAndHexadecimal_data();
    void colourTextsAreReadInDecimalAndHexadecimal();
    void fontSizesAreReadAsPositiveNumbers_data();
    void fontSizesAreReadAsPositiveNumbers();
    void paletteIndexesRunFromZeroToEleven_data();
    void paletteIndexesRunFromZeroToEleven();
    void thePaletteHoldsTheTwelveColoursInOrder();
    void aColourChoiceWritesItsIndexAndDecimalNumber();
};

void SettingsStoreTest::theListLookFallsBackToTheDefaultsAndNeverRepairsTheStore()
{
    FakePlatform fake;
    runtime::SettingsAccess &stored = fake.platform().settings();
    QCOMPARE(viewFilter(stored), QStringLiteral("todos"));
    QCOMPARE(readFontSize(stored), 11.0);
    QCOMPARE(readFontName(stored), QStringLiteral("Arial"));
    QCOMPARE(readColour(stored, keys::Corfonte), QColor(Qt::black));
    QCOMPARE(readColour(stored, keys::CorFundo2), QColor(Qt::white));

    // Absent first stripe, light yellow second, text colour stored as "0".
    write(stored, keys::CorFundo2, QStringLiteral("12648447"));
    write(stored, keys::Corfonte, QStringLiteral("0"));
    QCOMPARE(readColour(stored, keys::CorFundo1), QColor(255, 255, 255));
    QCOMPARE(readColour(stored, keys::CorFundo2), QColor(255, 255, 192));
    QCOMPARE(readColour(stored, keys::Corfonte), QColor(0, 0, 0));

    const QList<std::pair<Key, QString>> unusable{{keys::Corfonte, QStringLiteral("vermelho")},
                                                  {keys::CorFundo1, QStringLiteral("&H")},
                                                  {keys::TamanhoFonte, QStringLiteral("grande")},
                                                  {keys::Fontenome, QStringLiteral("  ")}};
    for (const auto &[key, text] : unusable)
        stored.write(key.section, key.name, text); // as another program or a hand edit left them
    QCOMPARE(readColour(stored, keys::Corfonte), QColor(Qt::black));
    QCOMPARE(readColour(stored, keys::CorFundo1), QColor(Qt::white));
    QCOMPARE(readFontSize(stored), 11.0);
    QCOMPARE(readFontName(stored), QStringLiteral("Arial"));
    for (const auto &[key, text] : unusable)
        QCOMPARE(read(stored, key), text);

    // The program itself never writes a value it could not read back.
    for (const auto &[key, text] : unusable)
        write(stored, key, text);
    QCOMPARE(read(stored, keys::Corfonte), keys::Corfonte.defaultValue);
    QCOMPARE(read(stored, keys::CorFundo1), keys::CorFundo1.defaultValue);
    QCOMPARE(read(stored, keys::TamanhoFonte), keys::TamanhoFonte.defaultValue);
}

void SettingsStoreTest::colourTextsAreReadInDecimalAndHexadecimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<quint32>("number");
    QTest::newRow("white in hexadecimal") << "&HFFFFFF" << true << 16777215u;
    QTest::newRow("lower-case hexadecimal") << "&hc0ffff" << true << 12648447u;
    QTest::newRow("orange with leading zeros") << "&H0080FF" << true << 33023u;
    QTest::newRow("hexadecimal with long suffix") << "&H800000&" << true << 8388608u;
    QTest::newRow("decimal, blanks around") << " 12648447 " << true << 12648447u;
    QTest::newRow("empty") << "" << false << 0u;
    QTest::newRow("not hexadecimal digits") << "&HXYZ" << false << 0u;
    QTest::newRow("hexadecimal without prefix") << "FFFFFF" << false << 0u;
    QTest::newRow("negative") << "-1" << false << 0u;
    QTest::newRow("beyond 24 bits") << "16777216" << false << 0u;
    QTest::newRow("with decimals") << "12.5" << false << 0u;
}

void SettingsStoreTest::colourTextsAreReadInDecimalAndHexadecimal()
{
    QFETCH(QString, text);
    QFETCH(bool, converts);
    QFETCH(quint32, number);
    const std::optional<quint32> parsed = parseColourNumber(text);
    QCOMPARE(parsed.has_value(), converts);
    if (converts)
        QCOMPARE(*parsed, number);
}

void SettingsStoreTest::fontSizesAreReadAsPositiveNumbers_data()
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

void SettingsStoreTest::fontSizesAreReadAsPositiveNumbers()
{
    QFETCH(QString, text);
    QFETCH(qreal, size);
    FakePlatform fake;
    fake.platform().settings().write(keys::TamanhoFonte.section, keys::TamanhoFonte.name, text);
    QCOMPARE(readFontSize(fake.platform().settings()), size);
}

void SettingsStoreTest::paletteIndexesRunFromZeroToEleven_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index"); // -1: not an index
    QTest::newRow("first") << "0" << 0;
    QTest::newRow("last, blanks around") << " 11 " << 11;
    QTest::newRow("one past the last") << "12" << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("a word") << "azul" << -1;
    QTest::newRow("with decimals") << "2.5" << -1;
}

void SettingsStoreTest::paletteIndexesRunFromZeroToEleven()
{
    QFETCH(QString, text);
    QFETCH(int, index);
    QCOMPARE(paletteIndex(text).value_or(-1), index);
}

void SettingsStoreTest::thePaletteHoldsTheTwelveColoursInOrder()
{
    const QList<QColor> expected{
        {255, 255, 255}, {255, 255, 192}, {255, 224, 192}, {192, 192, 255},
        {255, 192, 192}, {224, 224, 224}, {192, 255, 192}, {128, 128, 255},
        {192, 255, 255}, {0, 0, 0},       {255, 128, 0},   {0, 0, 128},
    };
    const auto &palette = colourPalette();
    QCOMPARE(int(palette.size()), int(expected.size()));
    for (int index = 0; index < expected.size(); ++index) {
        QCOMPARE(colourFromNumber(palette[size_t(index)]), expected[index]);
        QCOMPARE(numberFromColour(expected[index]), palette[size_t(index)]);
    }
}

void SettingsStoreTest::aColourChoiceWritesItsIndexAndDecimalNumber()
{
    FakePlatform fake;
    runtime::SettingsAccess &stored = fake.platform().settings();
    writeColourChoice(stored, choices::CorFundo2, 10);
    writeColourChoice(stored, choices::Corfonte, 11);
    QCOMPARE(read(stored, keys::Corescolhida2), QStringLiteral("10"));
    QCOMPARE(read(stored, keys::CorFundo2), QStringLiteral("33023"));
    QCOMPARE(read(stored, keys::Corescolhidafonte), QStringLiteral("11"));
    QCOMPARE(read(stored, keys::Corfonte), QStringLiteral("8388608"));
    QCOMPARE(read(stored, keys::Corescolhida), keys::Corescolhida.defaultValue);
    QCOMPARE(read(stored, keys::CorFundo1), keys::CorFundo1.defaultValue);
}

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
