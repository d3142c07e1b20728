#include "forms/frmcalculardias.h"

#include "formfixture.h"

#include <QImage>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLineEdit *field(const QWidget &window, const char *name)
{
    return window.findChild<QLineEdit *>(QLatin1String(name));
}

void calculate(const QWidget &window)
{
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdcalcular")), Qt::LeftButton);
}

} // namespace

class DayCalculatorTest : public QObject
{
    Q_OBJECT

private slots:
    void theDaysFromStartToEndAreCountedOrABadDateIsReported_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("result"); // empty: refused, the previous result stays
        // Dates typed as digits; the box places the separators.
        QTest::newRow("same day") << "10032006" << "10032006" << "0 dias";
        QTest::newRow("across the year's end") << "31122006" << "01012007" << "1 dias";
        QTest::newRow("backwards over a leap February") << "01032008" << "01022008" << "-29 dias";
        QTest::newRow("a whole leap year") << "01012008" << "01012009" << "366 dias";
        // Texts put in directly, as the box would not take them typed.
        QTest::newRow("empty end") << "01/03/2006" << "" << "";
        QTest::newRow("a day February lacks") << "31/02/2006" << "01/03/2006" << "";
        QTest::newRow("a thirteenth month") << "01/03/2006" << "01/13/2006" << "";
        QTest::newRow("an unfinished date") << "01/03/20" << "01/03/2006" << "";
        QTest::newRow("not a date at all") << "hoje" << "01/03/2006" << "";
    }

    void theDaysFromStartToEndAreCountedOrABadDateIsReported()
    {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, result);
        FakePlatform fake;
        frmcalculardias window(fake.platform());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        field(window, "txtinicio")->setText(QStringLiteral("01/03/2006"));
        field(window, "txtfim")->setText(QStringLiteral("06/03/2006"));
        calculate(window);
        QCOMPARE(field(window, "txtdias")->text(), QStringLiteral("5 dias"));

        for (const auto &[name, text] : {std::pair("txtinicio", start), std::pair("txtfim", end)}) {
            QLineEdit *box = field(window, name);
            box->clear();
            if (result.isEmpty())
                box->setText(text);
            else
                QTest::keyClicks(box, text);
        }
        calculate(window);

        if (!result.isEmpty()) {
            QCOMPARE(field(window, "txtdias")->text(), result);
            QVERIFY(fake.messages->shown.isEmpty());
            return;
        }
        QCOMPARE(field(window, "txtdias")->text(), QStringLiteral("5 dias"));
        QCOMPARE(fake.messages->shown.size(), 1); // the count stops at the first bad date
        QCOMPARE(fake.messages->shown[0].text, QStringLiteral("A data digitada é invalida!"));
        QCOMPARE(fake.messages->shown[0].title, QStringLiteral("Erro"));
        QCOMPARE(fake.messages->shown[0].icon, runtime::MessageIcon::Warning);
    }

    void theBackgroundPictureIsShownWhenPresent()
    {
        FakePlatform fake;
        {
            frmcalculardias window(fake.platform());
            QVERIFY(window.palette().brush(QPalette::Window).texture().isNull());
        }
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(QColor(10, 200, 30));
        QVERIFY(picture.save(fake.platform().programFile(QStringLiteral("fundo.gif")), "PNG"));
        frmcalculardias window(fake.platform());
        const QPixmap shown = window.palette().brush(QPalette::Window).texture();
        QCOMPARE(shown.size(), QSize(8, 8));
        QCOMPARE(shown.toImage().pixelColor(3, 3), QColor(10, 200, 30));
        QVERIFY(window.autoFillBackground());
    }

    void theMainWindowOpensOneCalculator()
    {
        MainWindowFixture f;
        f.window->show();
        f.window->mnudias_Click();
        auto *window = f.loaded<frmcalculardias>();
        QVERIFY(window && window->isVisible() && window->isWindow());
        QVERIFY(field(*window, "txtinicio")->text().isEmpty() && field(*window, "txtdias")->text().isEmpty());
        // Not the designed "Data inicial:" of the start field a second time.
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("Data final:"));
        field(*window, "txtinicio")->setText(QStringLiteral("01/03/2006"));
        f.window->mnudias_Click();
        QCOMPARE(field(*window, "txtinicio")->text(), QStringLiteral("01/03/2006"));
    }
};

QTEST_MAIN(DayCalculatorTest)
#include "tst_frmcalculardias.moc"
