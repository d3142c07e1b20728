#include "forms/frmpreferencias.h"
#include "forms/frmprincipal.h"
#include "runtime/windowmanager.h"
#include "settings/settingsstore.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

using namespace settings;

namespace {

const QString kAbsent = QStringLiteral("<ausente>");

QString storedOrAbsent(const FakePlatform &fake, const Key &key)
{
    return const_cast<FakePlatform &>(fake).platform().settings().read(key.section, key.name, kAbsent);
}

QRadioButton *option(const QWidget &dialog, const QString &array, int index)
{
    return dialog.findChild<QRadioButton *>(array + QLatin1Char('_') + QString::number(index));
}

int checkedIndex(const QWidget &dialog, const QString &array)
{
    return dialog.findChild<QButtonGroup *>(array)->checkedId();
}

QComboBox *box(const QWidget &dialog, const char *name)
{
    return dialog.findChild<QComboBox *>(QLatin1String(name));
}

void showActive(QWidget &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

} // namespace

class PreferencesDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void theFirstOpeningSelectsTheDefaultsAndWritesTheSixColourKeys();
    void openingRewritesTheColourKeysFromTheStoredIndexes();
    void aStoredIndexOutsideThePaletteSelectsAndWritesNothing();
    void choosingOrangeUnderCor2WritesItsIndexAndNumberOnly();
    void theColourArraysHoldTheirPaletteInTheirGrids();
    void theSizeListRunsFrom6To22SortedAsText();
    void theFontListHoldsTheScreenFontsSorted();
    void typingIntoTheBoxesChangesNothing();
    void anUninstalledFontShowsAndIsWrittenBackWhenTheBoxLosesFocus();
    void aSizeChosenFromTheListIsKeptWhenTheWindowClosesFromTheBox();
    void sairWritesTheBoxBeingLeftAndCloses();
    void returningToTheMainWindowShowsTheNewLook();
};

void PreferencesDialogTest::theFirstOpeningSelectsTheDefaultsAndWritesTheSixColourKeys()
{
    FakePlatform fake;
    frmpreferencias dialog(fake.platform());

    QCOMPARE(checkedIndex(dialog, QStringLiteral("optcorfundo1")), 0);
    QCOMPARE(checkedIndex(dialog, QStringLiteral("optcorfundo2")), 0);
    QCOMPARE(checkedIndex(dialog, QStringLiteral("optcorfonte")), 9);
    QCOMPARE(box(dialog, "cboftamanho")->currentText(), QStringLiteral("11"));
    QCOMPARE(box(dialog, "cboffonte")->currentText(), QStringLiteral("Arial"));

    QCOMPARE(storedOrAbsent(fake, keys::Corescolhida), QStringLiteral("0"));
    QCOMPARE(storedOrAbsent(fake, keys::CorFundo1), QStringLiteral("16777215"));
    QCOMPARE(storedOrAbsent(fake, keys::Corescolhida2), QStringLiteral("0"));
    QCOMPARE(storedOrAbsent(fake, keys::CorFundo2), QStringLiteral("16777215"));
    QCOMPARE(storedOrAbsent(fake, keys::Corescolhidafonte), QStringLiteral("9"));
    QCOMPARE(storedOrAbsent(fake, keys::Corfonte), QStringLiteral("0"));
    // Size and name are written by the boxes, not by opening the window.
    QCOMPARE(storedOrAbsent(fake, keys::TamanhoFonte), kAbsent);
    QCOMPARE(storedOrAbsent(fake, keys::Fontenome), kAbsent);
}

void PreferencesDialogTest::openingRewritesTheColourKeysFromTheStoredIndexes()
{
    FakePlatform fake;
    runtime::SettingsAccess &stored = fake.platform().settings();
    write(stored, keys::Corescolhida, QStringLiteral("3"));
    write(stored, keys::CorFundo1, QStringLiteral("&HFFFFFF"));
    write(stored, keys::Corescolhidafonte, QStringLiteral("11"));
    frmpreferencias dialog(fake.platform());

    QCOMPARE(checkedIndex(dialog, QStringLiteral("optcorfundo1")), 3);
    QCOMPARE(checkedIndex(dialog, QStringLiteral("optcorfonte")), 11);
    QCOMPARE(storedOrAbsent(fake, keys::CorFundo1), QStringLiteral("16761024"));
    QCOMPARE(storedOrAbsent(fake, keys::Corfonte), QStringLiteral("8388608"));
}

void PreferencesDialogTest::aStoredIndexOutsideThePaletteSelectsAndWritesNothing()
{
    FakePlatform fake;
    runtime::SettingsAccess &stored = fake.platform().settings();
    write(stored, keys::Corescolhida2, QStringLiteral("12"));
    write(stored, keys::Corescolhidafonte, QStringLiteral("preto"));
    frmpreferencias dialog(fake.platform());

    QCOMPARE(checkedIndex(dialog, QStringLiteral("optcorfundo2")), -1);
    QCOMPARE(checkedIndex(dialog, QStringLiteral("optcorfonte")), -1);
    QCOMPARE(storedOrAbsent(fake, keys::Corescolhida2), QStringLiteral("12"));
    QCOMPARE(storedOrAbsent(fake, keys::CorFundo2), kAbsent);
    QCOMPARE(storedOrAbsent(fake, keys::Corfonte), kAbsent);
    // The other steps of the load still ran.
    QCOMPARE(checkedIndex(dialog, QStringLiteral("optcorfundo1")), 0);
    QCOMPARE(box(dialog, "cboftamanho")->currentText(), QStringLiteral("11"));
}

void PreferencesDialogTest::choosingOrangeUnderCor2WritesItsIndexAndNumberOnly()
{
    FakePlatform fake;
    frmpreferencias dialog(fake.platform());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QRadioButton *orange = option(dialog, QStringLiteral("optcorfundo2"), 10);
    QTest::mouseClick(orange, Qt::LeftButton, {}, orange->rect().center());

    QCOMPARE(storedOrAbsent(fake, keys::Corescolhida2), QStringLiteral("10"));
    QCOMPARE(storedOrAbsent(fake, keys::CorFundo2), QStringLiteral("33023"));
    QCOMPARE(checkedIndex(dialog, QStringLiteral("optcorfundo2")), 10);
    QCOMPARE(checkedIndex(dialog, QStringLiteral("optcorfundo1")), 0);
    QCOMPARE(checkedIndex(dialog, QStringLiteral("optcorfonte")), 9);
    QCOMPARE(storedOrAbsent(fake, keys::CorFundo1), QStringLiteral("16777215"));
    QCOMPARE(storedOrAbsent(fake, keys::Corfonte), QStringLiteral("0"));

    // The choice is already kept: closing from the title bar loses nothing.
    dialog.close();
    QCOMPARE(storedOrAbsent(fake, keys::CorFundo2), QStringLiteral("33023"));
}

void PreferencesDialogTest::theColourArraysHoldTheirPaletteInTheirGrids()
{
    FakePlatform fake;
    frmpreferencias dialog(fake.platform());
    struct Array
    {
        QString name;
        const char *frame;
        int columns;
    };
    const Array arrays[] = {{QStringLiteral("optcorfonte"), "Framecorfonte", 6},
                            {QStringLiteral("optcorfundo1"), "Framecor1", 4},
                            {QStringLiteral("optcorfundo2"), "Framecor2", 4}};
    for (const Array &array : arrays) {
        auto *frame = dialog.findChild<QGroupBox *>(QLatin1String(array.frame));
        QVERIFY(frame);
        auto *grid = qobject_cast<QGridLayout *>(frame->layout());
        QVERIFY(grid);
        QCOMPARE(grid->columnCount(), array.columns);
        QCOMPARE(grid->rowCount(), 12 / array.columns);
        for (int index = 0; index < 12; ++index) {
            QRadioButton *button = option(dialog, array.name, index);
            QVERIFY2(button, qPrintable(array.name + QString::number(index)));
            QCOMPARE(button->parentWidget(), frame);
            QVERIFY(button->text().isEmpty());
            QVERIFY(!button->accessibleName().isEmpty());
            // The face beside the round mark shows the palette colour.
            const QImage face = button->grab().toImage();
            QCOMPARE(face.pixelColor(face.width() - 2, face.height() / 2),
                     colourFromNumber(colourPalette()[size_t(index)]));
            int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(grid->indexOf(button), &row, &column, &rowSpan, &columnSpan);
            QCOMPARE(row * array.columns + column, index);
        }
    }
}

void PreferencesDialogTest::theSizeListRunsFrom6To22SortedAsText()
{
    FakePlatform fake;
    frmpreferencias dialog(fake.platform());
    QComboBox *sizes = box(dialog, "cboftamanho");
    QStringList entries;
    for (int i = 0; i < sizes->count(); ++i)
        entries.append(sizes->itemText(i));
    const QStringList expected{"10", "11", "12", "13", "14", "15", "16", "17", "18",
                               "19", "20", "21", "22", "6",  "7",  "8",  "9"};
    QCOMPARE(entries, expected);
}

void PreferencesDialogTest::theFontListHoldsTheScreenFontsSorted()
{
    FakePlatform fake;
    frmpreferencias dialog(fake.platform());
    QComboBox *fonts = box(dialog, "cboffonte");
    QStringList entries;
    for (int i = 0; i < fonts->count(); ++i)
        entries.append(fonts->itemText(i));
    QStringList families = QFontDatabase::families();
    families.removeDuplicates();
    QCOMPARE(entries.size(), families.size());
    for (const QString &family : std::as_const(families))
        QVERIFY2(entries.contains(family), qPrintable(family));
    for (int i = 1; i < entries.size(); ++i)
        QVERIFY2(QString::compare(entries[i - 1], entries[i], Qt::CaseInsensitive) <= 0,
                 qPrintable(entries[i - 1] + QLatin1String(" > ") + entries[i]));
}

void PreferencesDialogTest::typingIntoTheBoxesChangesNothing()
{
    FakePlatform fake;
    frmpreferencias dialog(fake.platform());
    showActive(dialog);
    for (const char *name : {"cboftamanho", "cboffonte"}) {
        QComboBox *target = box(dialog, name);
        const QString before = target->currentText();
        target->setFocus();
        QTest::keyClicks(target, QStringLiteral("Verdana 9"));
        QTest::keyClick(target, Qt::Key_Backspace);
        QTest::keyClick(target, Qt::Key_Home);
        QTest::keyClick(target, Qt::Key_Delete);
        QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(target->currentText(), before);
    }
}

void PreferencesDialogTest::anUninstalledFontShowsAndIsWrittenBackWhenTheBoxLosesFocus()
{
    FakePlatform fake;
    const QString missing = QStringLiteral("Fonte Que Nao Existe 123");
    write(fake.platform().settings(), keys::Fontenome, missing);
    frmpreferencias dialog(fake.platform());
    QComboBox *fonts = box(dialog, "cboffonte");
    QCOMPARE(fonts->currentText(), missing);
    QCOMPARE(fonts->findText(missing), -1);

    write(fake.platform().settings(), keys::Fontenome, QStringLiteral("mudado por fora"));
    showActive(dialog);
    fonts->setFocus();
    QTRY_VERIFY(fonts->hasFocus());
    box(dialog, "cboftamanho")->setFocus();
    QTRY_COMPARE(storedOrAbsent(fake, keys::Fontenome), missing);
}

void PreferencesDialogTest::aSizeChosenFromTheListIsKeptWhenTheWindowClosesFromTheBox()
{
    FakePlatform fake;
    write(fake.platform().settings(), keys::Fontenome, QStringLiteral("Fonte Que Nao Existe"));
    frmpreferencias dialog(fake.platform());
    QComboBox *sizes = box(dialog, "cboftamanho");
    QComboBox *fonts = box(dialog, "cboffonte");
    QTest::keyClick(sizes, Qt::Key_Down); // the entry after "11"
    QCOMPARE(sizes->currentText(), QStringLiteral("12"));
    if (fonts->count() == 0)
        QSKIP("no screen fonts to choose from");
    QTest::keyClick(fonts, Qt::Key_Down);
    const QString chosenFont = fonts->itemText(0); // the stored name matched no entry
    QCOMPARE(fonts->currentText(), chosenFont);
    QVERIFY(!fonts->hasFocus() && !sizes->hasFocus());
    dialog.close();
    QCOMPARE(storedOrAbsent(fake, keys::TamanhoFonte), QStringLiteral("12"));
    QCOMPARE(storedOrAbsent(fake, keys::Fontenome), chosenFont);
}

void PreferencesDialogTest::sairWritesTheBoxBeingLeftAndCloses()
{
    FakePlatform fake;
    write(fake.platform().settings(), keys::TamanhoFonte, QStringLiteral("30"));
    auto *dialog = new frmpreferencias(fake.platform());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<frmpreferencias> guard(dialog);
    showActive(*dialog);
    QComboBox *sizes = box(*dialog, "cboftamanho");
    QCOMPARE(sizes->currentText(), QStringLiteral("30"));
    sizes->setFocus();
    QTRY_VERIFY(sizes->hasFocus());
    write(fake.platform().settings(), keys::TamanhoFonte, QStringLiteral("9"));

    auto *sair = dialog->findChild<QPushButton *>(QStringLiteral("cmdsair"));
    QTest::mouseClick(sair, Qt::LeftButton);

    QCOMPARE(storedOrAbsent(fake, keys::TamanhoFonte), QStringLiteral("30"));
    QTRY_VERIFY(guard.isNull());
}

void PreferencesDialogTest::returningToTheMainWindowShowsTheNewLook()
{
    FakePlatform fake;
    fake.createEmptyDatabase();
    modgeral store(fake.platform());
    frmprincipal main(fake.platform(), store);
    showActive(main);
    QTreeWidget *list = main.list();
    for (int row = 0; row < 3; ++row)
        list->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::number(row)}));

    main.Toolbar_ButtonClick(QStringLiteral("preferencias"));
    auto *dialog = fake.platform().windows().find<frmpreferencias>();
    QVERIFY(dialog);
    QCOMPARE(dialog->parentWidget(), &main);
    QVERIFY(dialog->isWindow());
    main.mnupreferencias_Click();
    QCOMPARE(fake.platform().windows().find<frmpreferencias>(), dialog);
    QCOMPARE(fake.platform().windows().loaded().count(dialog), 1);

    showActive(*dialog);
    option(*dialog, QStringLiteral("optcorfundo2"), 5)->click();
    option(*dialog, QStringLiteral("optcorfonte"), 11)->click();
    QTest::keyClick(box(*dialog, "cboftamanho"), Qt::Key_Down); // "11" to "12"

    showActive(main);
    QTRY_COMPARE(list->palette().color(QPalette::AlternateBase), QColor(224, 224, 224));
    QCOMPARE(list->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(list->palette().color(QPalette::Text), QColor(0, 0, 128));
    QCOMPARE(list->font().pointSizeF(), 12.0);
}

QTEST_MAIN(PreferencesDialogTest)
#include "tst_frmpreferencias.moc"
