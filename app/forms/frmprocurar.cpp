#include "forms/frmprocurar.h"
#include "ui_frmprocurar.h"

#include "forms/listenterkey.h"
#include "forms/reminderlistmodel.h"
#include "forms/windowkeys.h"
#include "runtime/platform.h"
#include "store/listreader.h"
#include "store/modgeral.h"
#include "store/reminderindexes.h"
#include "store/remindersearch.h"
#include "store/startupwork.h"

#include <algorithm>

frmprocurar::frmprocurar(runtime::Platform &platform, modgeral &store, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::frmprocurar>())
    , m_platform(platform)
    , m_store(store)
    , m_rows(new ReminderListModel(this))
{
    ui->setupUi(this);
    ui->lstlista->setModel(m_rows);
    const int dayWidth = ui->lstlista->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) + 12;
    ui->lstlista->setColumnWidth(ReminderListModel::DayColumn, std::max(79, dayWidth));
    ui->lstlista->setColumnWidth(ReminderListModel::TitleColumn, 330);
    ListEnterKey::install(*ui->lstlista, [this](const QModelIndex &index) { lstlista_DblClick(index); });
    connect(ui->txtprocurar, &QLineEdit::textChanged, this, &frmprocurar::procurar);
    connect(ui->lstlista, &QAbstractItemView::doubleClicked, this, &frmprocurar::lstlista_DblClick);
    // While its index is being built the search says so, and runs once it is ready.
    const StartupWork &work = m_store.startupWork();
    connect(&work, &StartupWork::indexProgress, this, [this, &work] {
        if (work.searchPending())
            procurar();
    });
    connect(&work, &StartupWork::indexesFinished, this, &frmprocurar::procurar);
    WindowKeys::install(*this, nullptr, true);
    setFixedSize(sizeHint());
}

frmprocurar::~frmprocurar() = default;

void frmprocurar::procurar()
{
    const QStringList words = remindersearch::words(ui->txtprocurar->text());
    if (words.isEmpty()) {
        m_rows->clear();
        ui->lblresultado->clear();
        return;
    }
    // The main window opens the database; its failure was told there already.
    if (!m_store.isOpen()) {
        m_rows->clear();
        showResult(0, QStringLiteral("o banco de dados não está aberto."));
        return;
    }
    if (m_store.startupWork().searchPending()) {
        m_rows->clear();
        ui->lblresultado->setText(preparingText(m_store.startupWork().percent()));
        m_store.continueStartupWork();
        return;
    }
    const Statement statement = remindersearch::statement(m_store.connection(), words);
    ReminderRows rows;
    ListReader reader(m_store.connection());
    const bool complete = reader.read(statement, rows);
    m_rows->setRows(std::move(rows), m_platform.clock().today());
    m_rows->showMore(remindersearch::kMaxListed);
    QString error;
    if (!complete) {
        error = reminderindexes::searchable(m_store.connection())
                    ? reader.error()
                    : QStringLiteral("o índice de busca não pôde ser criado neste arquivo.");
    }
    showResult(m_rows->rowsTaken(), error);
}

QString frmprocurar::preparingText(int percent)
{
    return QStringLiteral("A busca está sendo preparada (%1%); os lembretes encontrados aparecem "
                          "assim que ela estiver pronta.")
        .arg(percent);
}

void frmprocurar::showResult(int count, const QString &error)
{
    if (!error.isEmpty())
        ui->lblresultado->setText(QStringLiteral("Não foi possível procurar: ") + error);
    else if (count == 0)
        ui->lblresultado->setText(QStringLiteral("Nenhum lembrete encontrado."));
    else if (count == 1)
        ui->lblresultado->setText(QStringLiteral("1 lembrete encontrado."));
    else if (count <= remindersearch::kMaxListed)
        ui->lblresultado->setText(QStringLiteral("%1 lembretes encontrados.").arg(count));
    else
        ui->lblresultado->setText(QStringLiteral("Mais de %1 lembretes encontrados; os primeiros %1 são "
                                                 "mostrados. Digite mais palavras para restringir a busca.")
                                      .arg(remindersearch::kMaxListed));
}

void frmprocurar::lstlista_DblClick(const QModelIndex &index)
{
    if (index.isValid())
        emit abrirLembrete(m_rows->key(index.row()));
}

void frmprocurar::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Back in the window: other programs may have changed the reminders.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        procurar();
}
