#include "forms/frmpreferencias.h"
#include "settings/settingsstore.h"

#include "formfixture.h"

#include <QAccessible>
#include <QButtonGroup>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

using namespace settings;

namespace {

const QString kAbsent = QStringLiteral("<ausente>");

QString storedOrAbsent(FakePlatform &fake, const Key &key)
{
    return fake.platform().settings().read(key.section, key.name, kAbsent);
}

QRadioButton *option(const QWidget &dialog, const QString &array, int index)
{
    return dialog.findChild<QRadioButton *>(array + QLatin1Char('_') + QString::number(index));
}

int checkedIndex(const QWidget &dialog, const char *array)
{
    return dialog.findChild<QButtonGroup *>(QLatin1String(array))->checkedId();
}

QComboBox *box(const QWidget &dialog, const char *name) { return dialog.findChild<QComboBox *>(QLatin1String(name)); }

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
        QTest::newRow("fresh user") << QStringList{{}, {}, {}} << QList<int>{0, 0, 9}
                                    << QStringList{"16777215", "16777215", "0"};
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
            QCOMPARE(storedOrAbsent(fake, choice[i].colour), colours[i]);
            const QString index = indexes[i].isNull() ? choice[i].index.defaultValue : indexes[i];
            QCOMPARE(storedOrAbsent(fake, choice[i].index), index);
        }
        QCOMPARE(box(dialog, "cboftamanho")->currentText(), QStringLiteral("11"));
        QCOMPARE(box(dialog, "cboffonte")->currentText(), QStringLiteral("Arial"));
        // Size and name are written by the boxes, not by opening the window.
        QCOMPARE(storedOrAbsent(fake, keys::TamanhoFonte), kAbsent);
        QCOMPARE(storedOrAbsent(fake, keys::Fontenome), kAbsent);
    }

    void choosingOrangeUnderCor2WritesItsIndexAndNumberOnly_data()
    {
        QTest::addColumn<bool>("assistive");
        QTest::newRow("a click") << false;
        QTest::newRow("assistive technology's toggle") << true;
    }

    void choosingOrangeUnderCor2WritesItsIndexAndNumberOnly()
    {
        QFETCH(bool, assistive);
        FakePlatform fake;
        frmpreferencias dialog(fake.platform());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        QRadioButton *orange = option(dialog, QStringLiteral("optcorfundo2"), 10);
        if (assistive) {
            QAccessibleInterface *button = QAccessible::queryAccessibleInterface(orange);
            QVERIFY(button && button->actionInterface());
            QVERIFY(button->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
            button->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        } else {
            QTest::mouseClick(orange, Qt::LeftButton, {}, orange->rect().center());
        }

        QCOMPARE(storedOrAbsent(fake, keys::Corescolhida2), QStringLiteral("10"));
        QCOMPARE(storedOrAbsent(fake, keys::CorFundo2), QStringLiteral("33023"));
        QCOMPARE(checkedIndex(dialog, "optcorfundo2"), 10);
        QCOMPARE(checkedIndex(dialog, "optcorfundo1"), 0);
        QCOMPARE(storedOrAbsent(fake, keys::CorFundo1), QStringLiteral("16777215"));
        QCOMPARE(storedOrAbsent(fake, keys::Corfonte), QStringLiteral("0"));

        // The choice is already kept: closing from the title bar loses nothing.
        dialog.close();
        QCOMPARE(storedOrAbsent(fake, keys::CorFundo2), QStringLiteral("33023"));
    }

    void fontFamiliesAreListedByNameAlone_data()
    {
        QTest::addColumn<QStringList>("families");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("foundries") << QStringList{"C059 [UKWN]", "C059 [urw]", "DejaVu Sans"}
                                   << QStringList{"C059", "DejaVu Sans"};
        QTest::newRow("a bracket inside the name") << QStringList{"Nome [x] Fim"} << QStringList{"Nome [x] Fim"};
    }

    void fontFamiliesAreListedByNameAlone()
    {
        QFETCH(QStringList, families);
        QFETCH(QStringList, names);
        QCOMPARE(frmpreferencias::familyNames(families), names);
    }

    void typingIntoTheBoxesChangesNothing()
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
            QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(target->currentText(), before);
        }
    }

    void anUninstalledFontShowsAndIsWrittenBackWhenTheBoxLosesFocus()
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

    void aSizeChosenFromTheListIsKeptWhenTheWindowClosesFromTheBox()
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

    void sairWritesTheBoxBeingLeftAndCloses()
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

    void returningToTheMainWindowShowsTheNewLook()
    {
        MainWindowFixture f({"2006/03/10|a", "2006/03/11|b", "2006/03/12|c"});
        frmprincipal &main = *f.window;
        showActive(main);
        QTreeView *list = main.list();
        main.Toolbar_ButtonClick(QStringLiteral("preferencias"));
        auto *dialog = f.loaded<frmpreferencias>();
        QVERIFY(dialog && dialog->isWindow());
        QCOMPARE(dialog->parentWidget(), &main);
        main.mnupreferencias_Click();
        QCOMPARE(f.fake.platform().windows().loaded().count(dialog), 1);

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
};

QTEST_MAIN(PreferencesDialogTest)
#include "tst_frmpreferencias.moc"
