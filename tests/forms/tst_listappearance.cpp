#include "forms/listappearance.h"
#include "settings/settingsstore.h"
#include "support/fakeplatform.h"

#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>

using namespace settings;

namespace {

const QColor kLightYellow(255, 255, 192);
const QColor kLightBlue(192, 192, 255);

// A list like the main window's with the given number of rows, and the settings it reads.
struct Fixture
{
    explicit Fixture(int rows)
    {
        list.setColumnCount(3);
        list.setRootIsDecorated(false);
        list.setUniformRowHeights(true);
        list.header()->setStretchLastSection(true);
        for (int row = 0; row < rows; ++row)
            list.addTopLevelItem(new QTreeWidgetItem(QStringList{QString::number(row + 1)}));
        list.resize(320, 240);
    }
    void apply(const QList<std::pair<Key, const char *>> &stored = {})
    {
        for (const auto &[key, value] : stored)
            write(settings, key, QLatin1String(value));
        applyListAppearance(list, settings);
    }
    QColor colour(QPalette::ColorRole role) const { return list.palette().color(role); }

    FakePlatform fake;
    runtime::SettingsAccess &settings = fake.platform().settings();
    QTreeWidget list;
};

} // namespace

class ListAppearanceTest : public QObject
{
    Q_OBJECT

private slots:
    // Rows 1, 3, 5 ... (counted from 1) take colour 1, painted behind the row's empty end.
    void rowsAreStripedInTheTwoColoursWhateverTheirNumber_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("one row") << 1;
        QTest::newRow("two rows") << 2;
        QTest::newRow("three rows") << 3;
        QTest::newRow("more rows than the list shows") << 40;
    }

    void rowsAreStripedInTheTwoColoursWhateverTheirNumber()
    {
        QFETCH(int, rows);
        Fixture f(rows);
        f.list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.list));
        f.apply({{keys::CorFundo1, "&HC0FFFF"}, {keys::CorFundo2, "16761024"}});
        for (int row = 0; row < rows; ++row) {
            f.list.scrollToItem(f.list.topLevelItem(row));
            const QRect rect = f.list.visualItemRect(f.list.topLevelItem(row));
            QCOMPARE(f.list.viewport()->grab().toImage().pixelColor(rect.right() - 4, rect.center().y()),
                     row % 2 == 0 ? kLightYellow : kLightBlue);
        }
    }

    // Unusable values give the defaults and are left as they were stored.
    void theFontAndColoursFollowTheSettingsOrTheDefaults_data()
    {
        QTest::addColumn<QStringList>("stored"); // name, size, text colour, colour 1, colour 2; null: absent
        QTest::addColumn<QString>("family");
        QTest::addColumn<qreal>("size");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("alternate");
        QTest::newRow("stored") << QStringList{"Fonte Que Nao Existe", "16", "&H0000FF", {}, {}}
                                << "Fonte Que Nao Existe" << 16.0 << QColor(255, 0, 0) << QColor(Qt::white);
        QTest::newRow("fresh user") << QStringList{{}, {}, {}, {}, {}} << "Arial" << 11.0 << QColor(Qt::black) << QColor(Qt::white);
        QTest::newRow("unusable") << QStringList{"", "0", "vermelho", "&HGG", "12648447"} << "Arial" << 11.0
                                  << QColor(Qt::black) << kLightYellow;
    }

    void theFontAndColoursFollowTheSettingsOrTheDefaults()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, family);
        QFETCH(qreal, size);
        QFETCH(QColor, text);
        QFETCH(QColor, alternate);
        Fixture f(2);
        const Key keys[] = {keys::Fontenome, keys::TamanhoFonte, keys::Corfonte, keys::CorFundo1, keys::CorFundo2};
        for (int i = 0; i < 5; ++i) {
            if (!stored[i].isNull()) // as the file holds them, whoever wrote it
                f.settings.write(keys[i].section, keys[i].name, stored[i]);
        }
        f.apply();
        QCOMPARE(f.list.font().family(), family);
        QCOMPARE(f.list.font().pointSizeF(), size);
        QCOMPARE(f.colour(QPalette::Text), text);
        QCOMPARE(f.colour(QPalette::Base), QColor(Qt::white));
        QCOMPARE(f.colour(QPalette::AlternateBase), alternate);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(read(f.settings, keys[i]) == stored[i], !stored[i].isNull());
    }

    // The font follows at once; the colours wait for a row.
    void anEmptyListKeepsItsStripesUntilItHasRows()
    {
        Fixture f(2);
        f.apply({{keys::CorFundo1, "12648447"}, {keys::CorFundo2, "16761024"}});
        f.list.clear();
        f.apply({{keys::CorFundo1, "14737632"}, {keys::CorFundo2, "0"}, {keys::TamanhoFonte, "20"}});
        QCOMPARE(f.colour(QPalette::Base), kLightYellow);
        QCOMPARE(f.colour(QPalette::AlternateBase), kLightBlue);
        QCOMPARE(f.list.font().pointSizeF(), 20.0);
        f.list.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("1")}));
        f.apply();
        QCOMPARE(f.colour(QPalette::Base), QColor(224, 224, 224));
        QCOMPARE(f.colour(QPalette::AlternateBase), QColor(Qt::black));
    }
};

QTEST_MAIN(ListAppearanceTest)
#include "tst_listappearance.moc"
