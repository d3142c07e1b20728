// Times the text and HTML reports of a 100,000-row list built like the main
// window's: the exporter's table alone, and the whole command (title, table,
// footer, file closed) with the Save dialog and the question answered by script.
// One line per figure; each is the best of three runs.
#include "reports/c_relatorios.h"
#include "reports/reportcommands.h"
#include "reports/reportfile.h"
#include "reports/viewlistsource.h"
#include "runtime/platform.h"
#include "store/daytext.h"
#include "store/modgeral.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRows = 100000;

class FixedSaveDialog final : public runtime::SaveDialog
{
public:
    QString askFileName(QWidget *, const QString &, const QString &) override { return fileName; }
    QString fileName;
};

class AnswerNo final : public runtime::MessageBoxes
{
public:
    runtime::MessageAnswer show(QWidget *, runtime::MessageIcon, const QString &text,
                                const QString &, runtime::MessageButtons) override
    {
        if (!text.startsWith(QStringLiteral("Os dados foram salvos")))
            std::fprintf(stderr, "mensagem: %s\n", qPrintable(text));
        return runtime::MessageAnswer::No;
    }
};

void fillList(QTreeWidget &tree)
{
    tree.setColumnCount(3);
    tree.setHeaderLabels({QStringLiteral("Data"), QStringLiteral("Título do lembrete"),
                          QStringLiteral("Dias restantes")});
    const QDate today = QDate::currentDate();
    const QDate first = today.addYears(-2);
    QRandomGenerator random(2006);
    QList<QTreeWidgetItem *> items;
    items.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        const QDate day = first.addDays(random.bounded(4 * 365 + 1));
        items << new QTreeWidgetItem(QStringList{daytext::shown(day),
                                                 QStringLiteral("Lembrete número %1").arg(i),
                                                 daytext::daysLeft(day, today)});
    }
    tree.addTopLevelItems(items); // the tree owns them from here
}

double bestOfThree(const std::function<void()> &run)
{
    double best = 1e12;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

void line(const char *what, double milliseconds, const QString &file)
{
    std::printf("%-44s %8.1f ms  (%.1f MB)\n", what, milliseconds,
                QFileInfo(file).size() / (1024.0 * 1024.0));
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *tree = new QTreeWidget(&window);
    auto *bar = new QProgressBar(&window);
    layout->addWidget(tree);
    layout->addWidget(bar);
    bar->setRange(0, 100);
    window.show();

    QElapsedTimer timer;
    timer.start();
    fillList(*tree);
    std::printf("%-44s %8.1f ms\n", "preparar lista de 100000 linhas", timer.nsecsElapsed() / 1e6);

    ViewListSource list(tree);
    const QString textPath = folder.filePath(QStringLiteral("tabela.txt"));
    const QString htmlPath = folder.filePath(QStringLiteral("tabela.html"));

    line("Exportar_listaparaTXT (100000 linhas)", bestOfThree([&] {
             c_relatorios exporter;
             exporter.setProgresbar(bar);
             ReportFile file(cp1252::Unmappable::QuestionMark);
             file.open(textPath);
             exporter.Exportar_listaparaTXT(file, list, true);
             file.close();
         }),
         textPath);
    line("Exportar_listaparaHTML (100000 linhas)", bestOfThree([&] {
             c_relatorios exporter;
             exporter.setProgresbar(bar);
             ReportFile file(cp1252::Unmappable::CharacterReference);
             file.open(htmlPath);
             exporter.Exportar_listaparaHTML(list, file);
             file.close();
         }),
         htmlPath);

    runtime::Platform platform(folder.path());
    auto dialog = std::make_unique<FixedSaveDialog>();
    FixedSaveDialog *saveDialog = dialog.get();
    platform.setSaveDialog(std::move(dialog));
    platform.setMessageBoxes(std::make_unique<AnswerNo>());
    modgeral store(platform);
    ReportCommands commands(platform, store, &window);
    const QString status = QStringLiteral("Estatus: Mostrando todos os lembretes");

    saveDialog->fileName = folder.filePath(QStringLiteral("relatorio.txt"));
    line("Salvar em TXT, comando inteiro", bestOfThree([&] {
             commands.salvarTXT(list, status, bar);
         }),
         saveDialog->fileName);
    saveDialog->fileName = folder.filePath(QStringLiteral("relatorio.html"));
    line("Salvar em HTML, comando inteiro", bestOfThree([&] {
             commands.salvarHTML(list, status, bar);
         }),
         saveDialog->fileName);
    return 0;
}
