#include "settings/settingsstore.h"
#include "support/fakeplatform.h"

#include <QTest>

using namespace settings;

class SettingsStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void aFreshUserGetsEveryDefault();
    void theViewFilterIsReadWithoutRegardToCase_data();
    void theViewFilterIsReadWithoutRegardToCase();
    void colourTextsAreReadInDecimalAndHexadecimal_data();
    void colourTextsAreReadInDecimalAndHexadecimal();
    void theStripeColoursOfTheEdgeCaseAreWhiteAndLightYellow();
    void valuesThatDoNotConvertGiveTheDefaultAndStayStored();
    void fontSizesAreReadAsPositiveNumbers_data();
    void fontSizesAreReadAsPositiveNumbers();
    void paletteIndexesRunFromZeroToEleven_data();
    void paletteIndexesRunFromZeroToEleven();
    void thePaletteHoldsTheTwelveColoursInOrder();
    void aColourChoiceWritesItsIndexAndDecimalNumber();
};

void SettingsStoreTest::aFreshUserGetsEveryDefault()
{
    FakePlatform fake;
    const runtime::SettingsAccess &stored = fake.platform().settings();
    QCOMPARE(read(stored, keys::TamanhoFonte), QStringLiteral("11"));
    QCOMPARE(read(stored, keys::Fontenome), QStringLiteral("Arial"));
    QCOMPARE(read(stored, keys::CorFundo1), QStringLiteral("&HFFFFFF"));
    QCOMPARE(read(stored, keys::Corescolhidafonte), QStringLiteral("9"));
    QCOMPARE(viewFilter(stored), QStringLiteral("todos"));
    QCOMPARE(readFontSize(stored), 11.0);
    QCOMPARE(readFontName(stored), QStringLiteral("Arial"));
    QCOMPARE(readColour(stored, keys::Corfonte), QColor(Qt::black));
    QCOMPARE(readColour(stored, keys::CorFundo1), QColor(Qt::white));
    QCOMPARE(readColour(stored, keys::CorFundo2), QColor(Qt::white));
}

void SettingsStoreTest::theViewFilterIsReadWithoutRegardToCase_data()
{
    QTest::addColumn<QString>("storedText");
    QTest::addColumn<QString>("filter");
    QTest::newRow("as the command writes it") << viewfilter::Hoje << "hoje";
    QTest::newRow("lower case") << "hoje" << "hoje";
    QTest::newRow("upper case") << "HOJE" << "hoje";
}

void SettingsStoreTest::theViewFilterIsReadWithoutRegardToCase()
{
    QFETCH(QString, storedText);
    QFETCH(QString, filter);
    FakePlatform fake;
    write(fake.platform().settings(), keys::Exibir, storedText);
    QCOMPARE(viewFilter(fake.platform().settings()), filter);
}

void SettingsStoreTest::colourTextsAreReadInDecimalAndHexadecimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<quint32>("number");
    QTest::newRow("white in decimal") << "16777215" << true << 16777215u;
    QTest::newRow("white in hexadecimal") << "&HFFFFFF" << true << 16777215u;
    QTest::newRow("lower-case hexadecimal") << "&hc0ffff" << true << 12648447u;
    QTest::newRow("orange with leading zeros") << "&H0080FF" << true << 33023u;
    QTest::newRow("hexadecimal with long suffix") << "&H800000&" << true << 8388608u;
    QTest::newRow("blanks around") << " 12648447 " << true << 12648447u;
    QTest::newRow("empty") << "" << false << 0u;
    QTest::newRow("a word") << "azul" << false << 0u;
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

void SettingsStoreTest::theStripeColoursOfTheEdgeCaseAreWhiteAndLightYellow()
{
    FakePlatform fake;
    runtime::SettingsAccess &stored = fake.platform().settings();
    write(stored, keys::CorFundo2, QStringLiteral("12648447"));
    write(stored, keys::Corfonte, QStringLiteral("0"));
    QCOMPARE(readColour(stored, keys::CorFundo1), QColor(255, 255, 255));
    QCOMPARE(readColour(stored, keys::CorFundo2), QColor(255, 255, 192));
    QCOMPARE(readColour(stored, keys::Corfonte), QColor(0, 0, 0));
}

void SettingsStoreTest::valuesThatDoNotConvertGiveTheDefaultAndStayStored()
{
    FakePlatform fake;
    runtime::SettingsAccess &stored = fake.platform().settings();
    write(stored, keys::Corfonte, QStringLiteral("vermelho"));
    write(stored, keys::CorFundo1, QStringLiteral("&H"));
    write(stored, keys::TamanhoFonte, QStringLiteral("grande"));
    write(stored, keys::Fontenome, QStringLiteral("  "));

    QCOMPARE(readColour(stored, keys::Corfonte), QColor(Qt::black));
    QCOMPARE(readColour(stored, keys::CorFundo1), QColor(Qt::white));
    QCOMPARE(readFontSize(stored), 11.0);
    QCOMPARE(readFontName(stored), QStringLiteral("Arial"));

    // Reading never repairs what the user's file holds.
    QCOMPARE(read(stored, keys::Corfonte), QStringLiteral("vermelho"));
    QCOMPARE(read(stored, keys::CorFundo1), QStringLiteral("&H"));
    QCOMPARE(read(stored, keys::TamanhoFonte), QStringLiteral("grande"));
    QCOMPARE(read(stored, keys::Fontenome), QStringLiteral("  "));
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
}

void SettingsStoreTest::fontSizesAreReadAsPositiveNumbers()
{
    QFETCH(QString, text);
    QFETCH(qreal, size);
    FakePlatform fake;
    write(fake.platform().settings(), keys::TamanhoFonte, text);
    QCOMPARE(readFontSize(fake.platform().settings()), size);
}

void SettingsStoreTest::paletteIndexesRunFromZeroToEleven_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index"); // -1: not an index
    QTest::newRow("first") << "0" << 0;
    QTest::newRow("last") << "11" << 11;
    QTest::newRow("blanks around") << " 3 " << 3;
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
