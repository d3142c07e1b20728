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

// A list like the main window's, with a row per entry of titles.
std::unique_ptr<QTreeWidget> makeList(int rows)
{
    auto list = std::make_unique<QTreeWidget>();
    list->setColumnCount(3);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->header()->setStretchLastSection(true);
    for (int row = 0; row < rows; ++row)
        list->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::number(row + 1)}));
    list->resize(320, 240);
    return list;
}

// The colour painted behind a row, taken from its empty right-hand end.
QColor paintedBehind(QTreeWidget &list, int row)
{
    QTreeWidgetItem *item = list.topLevelItem(row);
    list.scrollToItem(item);
    const QRect rect = list.visualItemRect(item);
    const QImage picture = list.viewport()->grab().toImage();
    return picture.pixelColor(rect.right() - 4, rect.center().y());
}

} // namespace

class ListAppearanceTest : public QObject
{
    Q_OBJECT

private slots:
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
        FakePlatform fake;
        write(fake.platform().settings(), keys::CorFundo1, QStringLiteral("&HC0FFFF"));
        write(fake.platform().settings(), keys::CorFundo2, QStringLiteral("16761024"));
        auto list = makeList(rows);
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));

        applyListAppearance(*list, fake.platform().settings());

        for (int row = 0; row < rows; ++row) {
            // Row 1, 3, 5 ... (counted from 1) take colour 1.
            const QColor expected = row % 2 == 0 ? kLightYellow : kLightBlue;
            QCOMPARE(paintedBehind(*list, row), expected);
        }
    }

    void theFontAndColoursFollowTheSettingsOrTheDefaults_data()
    {
        QTest::addColumn<QStringList>("stored"); // name, size, text colour, colour 1, colour 2; null: absent
        QTest::addColumn<QString>("family");
        QTest::addColumn<qreal>("size");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("alternate");
        QTest::newRow("stored") << QStringList{"Fonte Que Nao Existe", "16", "&H0000FF", {}, {}}
                                << "Fonte Que Nao Existe" << 16.0 << QColor(255, 0, 0) << QColor(Qt::white);
        QTest::newRow("fresh user") << QStringList{{}, {}, {}, {}, {}} << "Arial" << 11.0 << QColor(Qt::black)
                                    << QColor(Qt::white);
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
        FakePlatform fake;
        runtime::SettingsAccess &settings = fake.platform().settings();
        const Key keys[] = {keys::Fontenome, keys::TamanhoFonte, keys::Corfonte, keys::CorFundo1, keys::CorFundo2};
        for (int i = 0; i < 5; ++i) {
            if (!stored[i].isNull()) // as the file holds them, whoever wrote it
                settings.write(keys[i].section, keys[i].name, stored[i]);
        }
        auto list = makeList(2);
        applyListAppearance(*list, settings);
        QCOMPARE(list->font().family(), family);
        QCOMPARE(list->font().pointSizeF(), size);
        QCOMPARE(list->palette().color(QPalette::Text), text);
        QCOMPARE(list->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(list->palette().color(QPalette::AlternateBase), alternate);
        // Unusable values are left as they were stored.
        for (int i = 0; i < 5; ++i)
            QCOMPARE(read(settings, keys[i]) == stored[i], !stored[i].isNull());
    }

    void anEmptyListKeepsItsStripesUntilItHasRows()
    {
        FakePlatform fake;
        runtime::SettingsAccess &stored = fake.platform().settings();
        write(stored, keys::CorFundo1, QStringLiteral("12648447"));
        write(stored, keys::CorFundo2, QStringLiteral("16761024"));
        auto list = makeList(2);
        applyListAppearance(*list, stored);

        list->clear();
        write(stored, keys::CorFundo1, QStringLiteral("14737632"));
        write(stored, keys::CorFundo2, QStringLiteral("0"));
        write(stored, keys::TamanhoFonte, QStringLiteral("20"));
        applyListAppearance(*list, stored);
        QCOMPARE(list->palette().color(QPalette::Base), kLightYellow);
        QCOMPARE(list->palette().color(QPalette::AlternateBase), kLightBlue);
        QCOMPARE(list->font().pointSizeF(), 20.0);

        list->addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("1")}));
        applyListAppearance(*list, stored);
        QCOMPARE(list->palette().color(QPalette::Base), QColor(224, 224, 224));
        QCOMPARE(list->palette().color(QPalette::AlternateBase), QColor(Qt::black));
    }
};

QTEST_MAIN(ListAppearanceTest)
#include "tst_listappearance.moc"
