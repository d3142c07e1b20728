// Every window under a dark desktop palette (Fusion style), measured on the
// rendered window: texts keep their contrast with what is behind them.

#include "formfixture.h"

#include <QStyleFactory>

namespace {

// The contrast ratio between the darkest and the lightest pixel of a rectangle
// of the picture: text against its background when the rectangle holds a text.
double contrastIn(const QImage &image, const QRect &area)
{
    const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    double darkest = 1, lightest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const double l = 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
            darkest = std::min(darkest, l);
            lightest = std::max(lightest, l);
        }
    }
    return (lightest + 0.05) / (darkest + 0.05);
}

} // namespace

class DarkPaletteTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QPalette dark;
        for (const QPalette::ColorRole role : {QPalette::Window, QPalette::AlternateBase, QPalette::Button})
            dark.setColor(role, QColor(53, 53, 53));
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(role, Qt::white);
        dark.setColor(QPalette::Base, QColor(35, 35, 35));
        QApplication::setPalette(dark);
    }

    void everyTextOfEveryWindowStaysReadable_data()
    {
        QTest::addColumn<Opener>("open");
        QTest::newRow("editor") << &openWith<frmlembretesys, &frmprincipal::mnunovo_Click>;
        QTest::newRow("by-day view") << &openWith<frmpormes, &frmprincipal::mnulembretesdata_Click>;
        QTest::newRow("day calculator") << &openWith<frmcalculardias, &frmprincipal::mnudias_Click>;
        QTest::newRow("about") << &openWith<frmsobre, &frmprincipal::mnusoftware_Click>;
        QTest::newRow("preferences") << &openWith<frmpreferencias, &frmprincipal::mnupreferencias_Click>;
        QTest::newRow("calendar") << &openWith<frmcalendario, &frmprincipal::mnucalendario_Click>;
    }

    void everyTextOfEveryWindowStaysReadable()
    {
        QFETCH(Opener, open);
        MainWindowFixture f({"2006/03/10|Hoje"}, true);
        f.putPicture();
        QWidget *window = open(f);
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        const QImage picture = window->grab().toImage();
        int measured = 0;
        for (const QLabel *label : window->findChildren<QLabel *>()) {
            if (!label->isVisible() || label->text().trimmed().isEmpty())
                continue;
            // Inside the frame: a dark border beside a light cell is no readable text.
            const QRect inside = label->contentsRect();
            const QRect area(label->mapTo(window, inside.topLeft()), inside.size());
            const double contrast = contrastIn(picture, area & picture.rect());
            // 3:1, what the calendar's designed white-on-grey title reaches.
            QVERIFY2(contrast >= 3, qPrintable(QStringLiteral("%1 \"%2\": %3").arg(label->objectName(), label->text()).arg(contrast)));
            ++measured;
        }
        QVERIFY(measured > 0);
    }
};

QTEST_MAIN(DarkPaletteTest)
#include "tst_darkpalette.moc"
