#include "forms/frmcalculardias.h"
#include "forms/frmprincipal.h"
#include "runtime/windowmanager.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

QLineEdit *field(const QWidget &window, const char *name)
{
    return window.findChild<QLineEdit *>(QLatin1String(name));
}

// Types the digits the way the user does; the box places the separators.
void type(QLineEdit *box, const QString &digits)
{
    box->clear();
    QTest::keyClicks(box, digits);
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
    void theWindowOpensWithEmptyFieldsInItsArrangement();
    void theDaysFromStartToEndAreCounted_data();
    void theDaysFromStartToEndAreCounted();
    void aDateThatDoesNotConvertIsReportedAndKeepsThePreviousResult_data();
    void aDateThatDoesNotConvertIsReportedAndKeepsThePreviousResult();
    void theBackgroundPictureIsShownWhenPresent();
    void theMainWindowOpensOneCalculator();
};

void DayCalculatorTest::theWindowOpensWithEmptyFieldsInItsArrangement()
{
    FakePlatform fake;
    frmcalculardias window(fake.platform());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("Data final:"));
    QLineEdit *start = field(window, "txtinicio");
    QLineEdit *end = field(window, "txtfim");
    QLineEdit *result = field(window, "txtdias");
    QVERIFY(start->text().isEmpty() && end->text().isEmpty() && result->text().isEmpty());
    // Start and end side by side, the button below them, the result below it.
    QCOMPARE(start->y(), end->y());
    QVERIFY(start->x() < end->x());
    auto *button = window.findChild<QPushButton *>(QStringLiteral("cmdcalcular"));
    QVERIFY(button->y() > start->y() + start->height() - 1);
    QVERIFY(result->y() > button->y());
}

void DayCalculatorTest::theDaysFromStartToEndAreCounted_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("result");
    QTest::newRow("same day") << "10032006" << "10032006" << "0 dias";
    QTest::newRow("across the year's end") << "31122006" << "01012007" << "1 dias";
    QTest::newRow("backwards over a leap February") << "01032008" << "01022008" << "-29 dias";
    QTest::newRow("over the 29th of February") << "28022008" << "01032008" << "2 dias";
    QTest::newRow("a whole leap year") << "01012008" << "01012009" << "366 dias";
}

void DayCalculatorTest::theDaysFromStartToEndAreCounted()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, result);
    FakePlatform fake;
    frmcalculardias window(fake.platform());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    type(field(window, "txtinicio"), start);
    type(field(window, "txtfim"), end);
    calculate(window);
    QCOMPARE(field(window, "txtdias")->text(), result);
    QVERIFY(fake.messages->shown.isEmpty());
}

void DayCalculatorTest::aDateThatDoesNotConvertIsReportedAndKeepsThePreviousResult_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::newRow("empty end") << "01/03/2006" << "";
    QTest::newRow("empty start") << "" << "01/03/2006";
    QTest::newRow("a day February lacks") << "31/02/2006" << "01/03/2006";
    QTest::newRow("a thirteenth month") << "01/03/2006" << "01/13/2006";
    QTest::newRow("an unfinished date") << "01/03/20" << "01/03/2006";
    QTest::newRow("not a date at all") << "hoje" << "01/03/2006";
}

void DayCalculatorTest::aDateThatDoesNotConvertIsReportedAndKeepsThePreviousResult()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    FakePlatform fake;
    frmcalculardias window(fake.platform());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    field(window, "txtinicio")->setText(QStringLiteral("01/03/2006"));
    field(window, "txtfim")->setText(QStringLiteral("06/03/2006"));
    calculate(window);
    QCOMPARE(field(window, "txtdias")->text(), QStringLiteral("5 dias"));

    field(window, "txtinicio")->setText(start);
    field(window, "txtfim")->setText(end);
    calculate(window);

    QCOMPARE(field(window, "txtdias")->text(), QStringLiteral("5 dias"));
    QCOMPARE(fake.messages->shown.size(), 1); // the count stops at the first bad date
    const RecordedMessage &message = fake.messages->shown.constFirst();
    QCOMPARE(message.text, QStringLiteral("A data digitada é invalida!"));
    QCOMPARE(message.title, QStringLiteral("Erro"));
    QCOMPARE(message.icon, runtime::MessageIcon::Warning);
}

void DayCalculatorTest::theBackgroundPictureIsShownWhenPresent()
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

void DayCalculatorTest::theMainWindowOpensOneCalculator()
{
    FakePlatform fake;
    fake.createEmptyDatabase();
    modgeral store(fake.platform());
    frmprincipal main(fake.platform(), store);
    main.show();
    main.mnudias_Click();
    auto *window = fake.platform().windows().find<frmcalculardias>();
    QVERIFY(window);
    QVERIFY(window->isVisible() && window->isWindow());
    field(*window, "txtinicio")->setText(QStringLiteral("01/03/2006"));
    main.mnudias_Click();
    QCOMPARE(fake.platform().windows().find<frmcalculardias>(), window);
    QCOMPARE(field(*window, "txtinicio")->text(), QStringLiteral("01/03/2006"));

    // Closed, it is unloaded; the next showing starts afresh.
    window->close();
    QTRY_VERIFY(!fake.platform().windows().find<frmcalculardias>());
    main.mnudias_Click();
    auto *fresh = fake.platform().windows().find<frmcalculardias>();
    QVERIFY(fresh);
    QVERIFY(field(*fresh, "txtinicio")->text().isEmpty());
}

QTEST_MAIN(DayCalculatorTest)
#include "tst_frmcalculardias.moc"
