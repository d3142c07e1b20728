// The command icons on a desktop without an icon theme: the program's own
// pictures, each one showing something and no two alike.

#include "forms/commandicons.h"

#include <QTest>

class CommandIconsTest : public QObject
{
    Q_OBJECT

private slots:
    void everyCommandShowsItsOwnPictureWithoutATheme()
    {
        QIcon::setThemeName(QString());
        QIcon::setThemeSearchPaths({});
        QList<QImage> seen;
        for (const char *name : {"novo", "editar", "remover", "sair", "software", "site", "html", "txt", "imprimir",
                                 "preferencias"}) {
            const QImage picture = commandIcon(QLatin1String(name)).pixmap(16, 16).toImage();
            QVERIFY2(!picture.isNull(), name);
            // Something besides the plain background square: a light drawing on it.
            int light = 0;
            for (int y = 0; y < picture.height(); ++y) {
                for (int x = 0; x < picture.width(); ++x)
                    light += picture.pixelColor(x, y).lightness() > 170 && picture.pixelColor(x, y).alpha() > 200;
            }
            QVERIFY2(light >= 6, name);
            QVERIFY2(!seen.contains(picture), name);
            seen << picture;
        }
        QCOMPARE(commandIcon(QStringLiteral("sobre")).pixmap(16, 16).toImage(),
                 commandIcon(QStringLiteral("software")).pixmap(16, 16).toImage());
        QVERIFY(commandIcon(QStringLiteral("nada")).isNull());
    }
};

QTEST_MAIN(CommandIconsTest)
#include "tst_commandicons.moc"
