// The preferences window, and the look it gives the main window's list.
#include "formfixture.h"

#include <QAccessible>
#include <QButtonGroup>
#include <QRadioButton>

using namespace settings;

namespace {

const QString kAbsent = QStringLiteral("<ausente>");

QString stored(FakePlatform &fake, const Key &key) { return fake.platform().settings().read(key.section, key.name, kAbsent); }
QRadioButton *option(const QWidget &dialog, const char *array, int index)
{
    return dialog.findChild<QRadioButton *>(QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(index));
}
int checkedIndex(const QWidget &dialog, const char *array) { return child<QButtonGroup>(&dialog, array)->checkedId(); }

} // namespace

class PreferencesDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void openingSelectsTheStoredIndexesAndRewritesTheColourKeys_data()
    {
        // In the order optcorfundo1, optcorfundo2, optcorfonte; a null index is absent.
        QTest::addColumn<QStringList>("indexes");
        QTest::addColumn<QList<int>>("checked");
        QTest::addColumn<QStringList>("colours"); // the colour keys after opening
        QTest::newRow("fresh user") << QStringList{{}, {}, {}} << QList<int>{0, 0, 9} << QStringList{"16777215", "16777215", "0"};
        QTest::newRow("stored indexes") << QStringList{"3", {}, "11"} << QList<int>{3, 0, 11}
                                        << QStringList{"16761024", "16777215", "8388608"};
        // Outside the palette: nothing selected, nothing written; the rest of the load still runs.
        QTest::newRow("outside the palette") << QStringList{{}, "12", "preto"} << QList<int>{0, -1, -1}
                                             << QStringList{"16777215", kAbsent, kAbsent};
    }

    void openingSelectsTheStoredIndexesAndRewritesTheColourKeys()
    {
        QFETCH(QStringList, indexes);
        QFETCH(QList<int>, checked);
        QFETCH(QStringList, colours);
        const ColourChoice choice[] = {choices::CorFundo1, choices::CorFundo2, choices::Corfonte};
        const char *arrays[] = {"optcorfundo1", "optcorfundo2", "optcorfonte"};
        FakePlatform fake;
        for (int i = 0; i < 3; ++i) {
            if (!indexes[i].isNull())
                write(fake.platform().settings(), choice[i].index, indexes[i]);
        }
        frmpreferencias dialog(fake.platform());
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(checkedIndex(dialog, arrays[i]), checked[i]);
            QCOMPARE(stored(fake, choice[i].colour), colours[i]);
            QCOMPARE(stored(fake, choice[i].index), indexes[i].isNull() ? choice[i].index.defaultValue : indexes[i]);
        }
        // Size and name are written by the boxes, not by opening the window.
        QCOMPARE(stored(fake, keys::TamanhoFonte) + stored(fake, keys::Fontenome), kAbsent + kAbsent);
    }

    // An assistive technology's toggle writes that choice alone, at once:
    // closing from the title bar loses nothing.
    void choosingOrangeUnderCor2WritesItsIndexAndNumberOnly()
    {
        FakePlatform fake;
        frmpreferencias dialog(fake.platform());
        QVERIFY(exposed(&dialog));
        QAccessibleInterface *button = QAccessible::queryAccessibleInterface(option(dialog, "optcorfundo2", 10));
        QVERIFY(button && button->actionInterface());
        button->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(checkedIndex(dialog, "optcorfundo2"), 10);
        QCOMPARE(checkedIndex(dialog, "optcorfundo1"), 0);
        dialog.close();
        QCOMPARE(QStringList({stored(fake, keys::Corescolhida2), stored(fake, keys::CorFundo2), stored(fake, keys::CorFundo1),
                              stored(fake, keys::Corfonte)}),
                 QStringList({"10", "33023", "16777215", "0"}));
    }

    // The foundry dropped, once per name; a bracket inside the name kept.
    void fontFamiliesAreListedByNameAlone()
    {
        QCOMPARE(frmpreferencias::familyNames({"C059 [UKWN]", "C059 [urw]", "DejaVu Sans", "Nome [x] Fim"}),
                 (QStringList{"C059", "DejaVu Sans", "Nome [x] Fim"}));
    }

    // The box being left is written back, whatever the file says meanwhile:
    // by losing the focus, or by Sair, which also closes the window.
    void theBoxBeingLeftIsWrittenBack_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("held"); // as stored before opening, not in the list
        QTest::addColumn<bool>("bySair");
        QTest::newRow("an uninstalled font, focus moved") << "cboffonte" << "Fonte Que Nao Existe 123" << false;
        QTest::newRow("a size outside the list, Sair") << "cboftamanho" << "30" << true;
    }

    void theBoxBeingLeftIsWrittenBack()
    {
        QFETCH(QString, box);
        QFETCH(QString, held);
        QFETCH(bool, bySair);
        FakePlatform fake;
        const Key key = box == QLatin1String("cboffonte") ? keys::Fontenome : keys::TamanhoFonte;
        write(fake.platform().settings(), key, held);
        auto *dialog = new frmpreferencias(fake.platform());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<frmpreferencias> guard(dialog);
        auto *target = child<QComboBox>(dialog, qPrintable(box));
        QCOMPARE(target->currentText(), held);
        write(fake.platform().settings(), key, QStringLiteral("mudado por fora"));
        showActive(*dialog);
        target->setFocus();
        QTRY_VERIFY(target->hasFocus());
        if (bySair)
            QTest::mouseClick(child<QPushButton>(dialog, "cmdsair"), Qt::LeftButton);
        else
            child<QComboBox>(dialog, "cboftamanho")->setFocus();
        QTRY_COMPARE(stored(fake, key), held);
        if (bySair)
            QTRY_VERIFY(guard.isNull());
        delete guard.data();
    }

    // Back in the main window the new look shows: the colours, and the size and
    // font chosen from the lists with the keyboard, each written at once.
    void returningToTheMainWindowShowsTheNewLook()
    {
        MainWindowFixture f({"2006/03/10|a", "2006/03/11|b", "2006/03/12|c"});
        frmprincipal &main = *f.window;
        showActive(main);
        main.mnupreferencias_Click();
        auto *dialog = f.loaded<frmpreferencias>();
        QVERIFY(dialog);
        showActive(*dialog);
        option(*dialog, "optcorfundo2", 5)->click();
        option(*dialog, "optcorfonte", 11)->click();
        QComboBox *fonts = child<QComboBox>(dialog, "cboffonte");
        QTest::keyClick(child<QComboBox>(dialog, "cboftamanho"), Qt::Key_Down); // "11" to "12"
        QTest::keyClick(fonts, Qt::Key_Down); // the next after the stored name, or the first
        QVERIFY(fonts->currentText() != settings::keys::Fontenome.defaultValue);
        showActive(main);
        QTRY_COMPARE(main.list()->palette().color(QPalette::AlternateBase), QColor(224, 224, 224));
        QCOMPARE(main.list()->palette().color(QPalette::Text), QColor(0, 0, 128));
        QCOMPARE(main.list()->font().pointSizeF(), 12.0);
        QCOMPARE(main.list()->font().family(), fonts->currentText());
    }
};

QTEST_MAIN(PreferencesDialogTest)
#include "tst_frmpreferencias.moc"
