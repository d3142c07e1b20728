#include "settings/settingsstore.h"
#include "support/fakeplatform.h"

#include <QTest>

using namespace settings;

// The list's look as stored: colours, font sizes, palette choices; read leniently, never repaired or written unreadable.
class SettingsStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void theListLookFallsBackToTheDefaultsAndNeverRepairsTheStore()
    {
        FakePlatform fake;
        runtime::SettingsAccess &stored = fake.platform().settings();
        // Stored as numbers 0x00BBGGRR: light yellow, and "0" for black.
        write(stored, keys::CorFundo2, QStringLiteral("12648447"));
        write(stored, keys::Corfonte, QStringLiteral("0"));
        QCOMPARE((QVariantList{readColour(stored, keys::CorFundo1), readColour(stored, keys::CorFundo2),
                               readColour(stored, keys::Corfonte), readFontName(stored)}),
                 (QVariantList{QColor(Qt::white), QColor(255, 255, 192), QColor(Qt::black), "Arial"}));

        const QList<std::pair<Key, QString>> unusable{{keys::Corfonte, "vermelho"}, {keys::CorFundo1, "&H"},
                                                      {keys::TamanhoFonte, "grande"}, {keys::Fontenome, "  "}};
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

        // A palette choice writes its index and its colour's decimal number, and nothing else.
        writeColourChoice(stored, choices::CorFundo2, 10);
        writeColourChoice(stored, choices::Corfonte, 11);
        QCOMPARE((QStringList{read(stored, keys::Corescolhida2), read(stored, keys::CorFundo2),
                              read(stored, keys::Corescolhidafonte), read(stored, keys::Corfonte),
                              read(stored, keys::Corescolhida)}),
                 (QStringList{"10", "33023", "11", "8388608", keys::Corescolhida.defaultValue}));
        QCOMPARE(colourFromNumber(colourPalette()[10]), QColor(255, 128, 0));
    }

    // Colours in decimal or "&H" hexadecimal up to 0xFFFFFF, font sizes from 1 to 200 points with a point or a comma,
    // palette indexes from 0 to 11; anything else is refused (-1) or, for a size, the default 11.
    void numbersAreReadWithinTheirRanges()
    {
        QList<qint64> numbers;
        for (const QString &text : {"&HFFFFFF", "&hc0ffff", "&H0080FF", "&H800000&", " 12648447 ", "", "&HXYZ", "FFFFFF",
                                    "-1", "16777216", "12.5"}) {
            const std::optional<quint32> parsed = parseColourNumber(text);
            numbers << (parsed ? qint64(*parsed) : -1);
        }
        QCOMPARE(numbers, (QList<qint64>{16777215, 12648447, 33023, 8388608, 12648447, -1, -1, -1, -1, -1, -1}));
        FakePlatform fake;
        QList<qreal> sizes;
        for (const QString &text : {"22", "10.5", "10,5", "0", "-8", "100000", "1", "0.0001", "200", "200,5", "nan"}) {
            fake.platform().settings().write(keys::TamanhoFonte.section, keys::TamanhoFonte.name, text);
            sizes << readFontSize(fake.platform().settings());
        }
        QCOMPARE(sizes, (QList<qreal>{22, 10.5, 10.5, 11, 11, 11, 1, 11, 200, 11, 11}));
        QList<int> indexes;
        for (const QString &text : {"0", " 11 ", "12", "-1", "azul", "2.5"})
            indexes << paletteIndex(text).value_or(-1);
        QCOMPARE(indexes, (QList<int>{0, 11, -1, -1, -1, -1}));
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
