#include "forms/frmprincipal.h"
#include "ui_frmprincipal.h"

#include "buildconfig.h"
#include "exchange/exchangecommands.h"
#include "forms/commandicons.h"
#include "forms/frmcalculardias.h"
#include "forms/frmcalendario.h"
#include "forms/frmlembretesys.h"
#include "forms/frmpormes.h"
#include "forms/frmprocurar.h"
#include "forms/frmsobre.h"
#include "forms/growingarea.h"
#include "forms/frmpreferencias.h"
#include "forms/listappearance.h"
#include "forms/listschedule.h"
#include "forms/occurrencescope.h"
#include "forms/reminderlistmodel.h"
#include "forms/startupstatus.h"
#include "forms/statusclock.h"
#include "forms/syncmenu.h"
#include "reports/reportcommands.h"
#include "reports/viewlistsource.h"
#include "runtime/firstpaint.h"
#include "runtime/platform.h"
#include "runtime/windowmanager.h"
#include "runtime/windowplacement.h"
#include "settings/settingsstore.h"
#include "store/daytext.h"
#include "store/listreader.h"
#include "store/modgeral.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>

namespace {

const QString kWelcome = QStringLiteral(">  Olá, seja bem vindo ao software Zedozarir");
const QString kNothingSelected = QStringLiteral("Nenhum lembrete foi selecionado!");

// Column widths as designed: 1190, 5090 and 1810 twips.
constexpr int kDayColumnWidth = 79;
constexpr int kTitleColumnWidth = 339;
constexpr int kDaysColumnWidth = 121;
constexpr int kListWidth = 545;

struct ToolbarButton
{
    QString key;
    QString caption;
};

const ToolbarButton kToolbarButtons[] = {
    {QStringLiteral("novo"), QStringLiteral("Novo lembrete")},
    {QStringLiteral("editar"), QStringLiteral("Editar lembrete")},
    {QStringLiteral("remover"), QStringLiteral("Remover lembrete")},
    {QStringLiteral("preferencias"), QStringLiteral("Preferências")},
    {QStringLiteral("sobre"), QStringLiteral("Sobre")},
};

} // namespace

frmprincipal::frmprincipal(runtime::Platform &platform, modgeral &store, QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::frmprincipal>())
    , m_platform(platform)
    , m_store(store)
    , m_rows(new ReminderListModel(this))
    , m_commands(platform, store)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Sistema de Zedozarir  -  ") + QString::fromUtf8(buildconfig::webAddress));
    ui->lstlista->setModel(m_rows);
    ui->lstlista->setColumnWidth(0, kDayColumnWidth);
    ui->lstlista->setColumnWidth(1, kTitleColumnWidth);
    ui->lstlista->setColumnWidth(2, kDaysColumnWidth);
    ui->lstlista->setContextMenuPolicy(Qt::PreventContextMenu);
    ui->lstlista->viewport()->installEventFilter(this);
    ui->lstlista->installEventFilter(this);
    ui->barraprogresso->setVisible(false);
    createToolbar();
    createStatusPanels();
    createPopupCommands();
    setMenuIcons();
    connectCommands();
    new SyncMenu(this, ui->mnuprincipal, platform, store, [this] { carregarlista(); });
    connect(&store.events(), &StoreEvents::repetitionsFound, this, [this] { carregarlista(); });
    makeResizable();
    // The window comes up before the file's check and the building of its
    // indexes, which then go on the side, followed in the status bar.
    m_store.deferStartupWork();
    Form_Load();
    runtime::afterFirstPaint(ui->lstlista->viewport(), [this] { m_store.continueStartupWork(); });
}

frmprincipal::~frmprincipal() = default;

QTreeView *frmprincipal::list() const
{
    return ui->lstlista;
}

QLabel *frmprincipal::statusLabel() const
{
    return ui->lblestatus;
}

QString frmprincipal::statusMessage() const
{
    return m_messagePanel->text();
}

// The designed size is the smallest; the room the window gains goes to the
// list, and the place the user left it in is where it opens.
void frmprincipal::makeResizable()
{
    QWidget *area = ui->centralwidget;
    const QSize designed = sizeHint();
    area->resize(area->minimumSize());
    GrowingArea *growing = GrowingArea::install(*area);
    growing->follow(ui->lblestatus, GrowingArea::Wider);
    growing->follow(ui->lstlista, GrowingArea::Wider | GrowingArea::Taller);
    growing->follow(ui->barraprogresso, GrowingArea::Wider | GrowingArea::Lower);
    area->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setMinimumSize(designed);
    resize(designed);
    runtime::windowplacement::restore(*this, settings::read(m_platform.settings(), settings::keys::JanelaPrincipal));
}

void frmprincipal::createToolbar()
{
    ui->Toolbar->setFixedHeight(42);
    ui->Toolbar->setIconSize(QSize(16, 16));
    for (const ToolbarButton &button : kToolbarButtons) {
        QAction *action = ui->Toolbar->addAction(commandIcon(button.key), button.caption);
        action->setObjectName(QStringLiteral("Toolbar_") + button.key);
        action->setData(button.key);
        connect(action, &QAction::triggered, this, [this, key = button.key] { Toolbar_ButtonClick(key); });
    }
}

void frmprincipal::createStatusPanels()
{
    m_messagePanel = new QLabel(ui->StatusBar);
    m_messagePanel->setObjectName(QStringLiteral("StatusBarMensagem"));
    m_messagePanel->setFrameShape(QFrame::Panel);
    m_messagePanel->setFrameShadow(QFrame::Sunken);
    ui->StatusBar->addWidget(m_messagePanel, 1);
    ui->StatusBar->addWidget(new StartupStatus(m_store.startupWork(), ui->StatusBar));
    const runtime::Clock &clock = m_platform.clock();
    m_datePanel = new StatusClock([&clock] { return daytext::shown(clock.today()); }, ui->StatusBar);
    m_datePanel->setObjectName(QStringLiteral("StatusBarData"));
    m_datePanel->setMinimumWidth(80);
    m_timePanel = new StatusClock(
        [&clock] { return clock.now().time().toString(QStringLiteral("HH:mm")); }, ui->StatusBar);
    m_timePanel->setObjectName(QStringLiteral("StatusBarHora"));
    m_timePanel->setMinimumWidth(60);
    ui->StatusBar->addPermanentWidget(m_datePanel);
    ui->StatusBar->addPermanentWidget(m_timePanel);
    ui->StatusBar->setFixedHeight(25);
}

void frmprincipal::createPopupCommands()
{
    m_popup = new QMenu(QStringLiteral("POP"), this);
    m_popup->setObjectName(QStringLiteral("mnupoupup"));
    const auto addItem = [this](QMenu *menu, const char *name, const QString &caption, auto command) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, command);
    };
    addItem(m_popup, "popnovo", QStringLiteral("&Novo lembrete"), &frmprincipal::mnunovo_Click);
    addItem(m_popup, "popeditar", QStringLiteral("&Editar lembrete"), &frmprincipal::mnueditar_Click);
    addItem(m_popup, "popremover", QStringLiteral("&Remover lembrete"), &frmprincipal::mnuremover_Click);
    addItem(m_popup, "popdesfazer", QStringLiteral("Desfazer remoção"), &frmprincipal::mnudesfazer_Click);
    m_popupUndo = m_popup->findChild<QAction *>(QStringLiteral("popdesfazer"));
    m_popupUndo->setEnabled(false);
    m_popup->addSeparator()->setObjectName(QStringLiteral("popsp1"));
    QMenu *reports = m_popup->addMenu(QStringLiteral("Relatórios"));
    reports->setObjectName(QStringLiteral("popret"));
    addItem(reports, "poptxt", QStringLiteral("Salvar em TXT"), &frmprincipal::mnusalvatxt_Click);
    addItem(reports, "pophtml", QStringLiteral("Salvar em HTML"), &frmprincipal::mnusalvahtml_Click);
    addItem(reports, "popcsv", QStringLiteral("Salvar em CSV"), &frmprincipal::mnusalvacsv_Click);
    addItem(reports, "popimprimir", QStringLiteral("Imprimir"), &frmprincipal::mnuimprimir_Click);
    m_popup->addSeparator()->setObjectName(QStringLiteral("popsp3"));
    addItem(m_popup, "popsair", QStringLiteral("&Sair"), &frmprincipal::mnusair_Click);
}

void frmprincipal::setMenuIcons()
{
    const std::pair<QAction *, const char *> items[] = {
        {ui->mnunovo, "novo"},         {ui->mnueditar, "editar"},   {ui->mnuremover, "remover"},
        {ui->mnusair, "sair"},         {ui->mnusoftware, "software"}, {ui->mnusite, "site"},
        {ui->mnusalvahtml, "html"},    {ui->mnusalvatxt, "txt"},    {ui->mnuimprimir, "imprimir"},
    };
    for (const auto &[action, name] : items)
        action->setIcon(commandIcon(QLatin1String(name)));
}

void frmprincipal::connectCommands()
{
    const std::pair<QAction *, void (frmprincipal::*)()> commands[] = {
        {ui->mnunovo, &frmprincipal::mnunovo_Click},
        {ui->mnueditar, &frmprincipal::mnueditar_Click},
        {ui->mnuremover, &frmprincipal::mnuremover_Click},
        {ui->mnudesfazer, &frmprincipal::mnudesfazer_Click},
        {ui->mnuprocurar, &frmprincipal::mnuprocurar_Click},
        {ui->mnusair, &frmprincipal::mnusair_Click},
        {ui->mnutodos, &frmprincipal::mnutodos_Click},
        {ui->mnuhoje, &frmprincipal::mnuhoje_Click},
        {ui->mnuamanha, &frmprincipal::mnuamanha_Click},
        {ui->mnu7dias, &frmprincipal::mnu7dias_Click},
        {ui->mnu15dias, &frmprincipal::mnu15dias_Click},
        {ui->mnupreferencias, &frmprincipal::mnupreferencias_Click},
        {ui->mnusalvatxt, &frmprincipal::mnusalvatxt_Click},
        {ui->mnusalvahtml, &frmprincipal::mnusalvahtml_Click},
        {ui->mnusalvacsv, &frmprincipal::mnusalvacsv_Click},
        {ui->mnuimportarical, &frmprincipal::mnuimportarical_Click},
        {ui->mnuexportarical, &frmprincipal::mnuexportarical_Click},
        {ui->mnuimprimir, &frmprincipal::mnuimprimir_Click},
        {ui->mnucalendario, &frmprincipal::mnucalendario_Click},
        {ui->mnudias, &frmprincipal::mnudias_Click},
        {ui->mnulembretesdata, &frmprincipal::mnulembretesdata_Click},
        {ui->mnusoftware, &frmprincipal::mnusoftware_Click},
        {ui->mnusite, &frmprincipal::mnusite_Click},
    };
    for (const auto &[action, handler] : commands)
        connect(action, &QAction::triggered, this, handler);
    connect(ui->lstlista, &QAbstractItemView::doubleClicked, this, &frmprincipal::lstlista_DblClick);
}

void frmprincipal::Form_Load()
{
    // The saved filter's check mark and status text, then one load: the
    // filter's own load would read the same rows a second time.
    const ViewFilterChoice choice = viewFilterChoice(settings::viewFilter(m_platform.settings()));
    if (choice.item)
        markViewFilter(choice);
    m_messagePanel->setText(kWelcome);
    carregarlista();
}

void frmprincipal::carregarlista()
{
    const qint64 chosen = chosenKey();
    m_rows->clear();
    const QString filter = settings::viewFilter(m_platform.settings());
    const Statement statement = statementForFilter(filter);
    m_store.abrirbanco();
    if (!m_store.isOpen())
        return; // the open routine has told the user already
    ReminderRows rows;
    ListReader reader(m_store.connection());
    // Unread, the reminders with a time or a repetition show as day-only ones on their first day.
    m_store.refreshSchedule();
    const Schedule &schedule = m_store.schedule();
    const bool complete = reader.read(statement, rows, schedule, scheduledFor(schedule, filter, m_platform.clock().today()));
    if (!reader.started()) {
        showLoadError(reader.error());
        return;
    }
    const int read = int(rows.size());
    showRows(std::move(rows));
    chooseAfterLoad(chosen);
    tellFinding(schedule.finding());
    // A read that stops midway (a damaged file) shows what was read, never
    // silently: the user is told the list is incomplete.
    if (!complete)
        showLoadError(modgeral::incompleteList(reader.error(), read));
    // Every change of the reminders ends in a load: an open search and an
    // open by-day view (both open the editor) follow it.
    if (frmprocurar *search = m_platform.windows().find<frmprocurar>())
        search->procurar();
    if (frmpormes *byDay = m_platform.windows().find<frmpormes>())
        byDay->carregarlista();
}

// Shows the rows in about a hundred steps, the progress bar following: it is
// not repainted during the load, so more steps would only cost time.
void frmprincipal::showRows(ReminderRows rows)
{
    const int count = int(rows.size());
    ui->barraprogresso->setMinimum(0);
    ui->barraprogresso->setMaximum(count + 1);
    ui->barraprogresso->setValue(0);
    ui->barraprogresso->setVisible(true);
    // Today is read once per load: asking the clock for every row cost more
    // than the rest of the load put together.
    m_rows->setRows(std::move(rows), m_platform.clock().today());
    fitDayColumnToFont();
    const int step = std::max(1, count / 100);
    // The bar repaints itself on every step and, lying over the list, would
    // repaint the list too, laying out every row shown so far each time.
    ui->lstlista->setUpdatesEnabled(false);
    for (int shown = 0; shown < count;) {
        shown = m_rows->showMore(step);
        ui->barraprogresso->setValue(shown);
    }
    ui->lstlista->setUpdatesEnabled(true);
    ui->barraprogresso->setVisible(false);
}

qint64 frmprincipal::chosenKey() const
{
    const QModelIndex current = ui->lstlista->currentIndex();
    return current.isValid() ? m_rows->key(current.row()) : -1;
}

// The row with the keyboard focus is also the selected one, so the commands
// act on the row that looks chosen: the reminder chosen before the load when
// it is still listed, else the first row.
void frmprincipal::chooseAfterLoad(qint64 before)
{
    if (m_rows->rowCount() == 0)
        return;
    const int found = before < 0 ? -1 : m_rows->rowOf(before);
    chooseRow(std::max(found, 0));
}

void frmprincipal::chooseRow(int row)
{
    const QModelIndex index = m_rows->index(row, 0);
    ui->lstlista->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ui->lstlista->scrollTo(index);
}

void frmprincipal::showLoadError(const QString &description)
{
    m_platform.messages().show(this, runtime::MessageIcon::Critical,
                               QStringLiteral("Ocorreu o seguinte erro: ") + description,
                               QStringLiteral("Erro"));
}

void frmprincipal::CarregarConfigSoft()
{
    applyListAppearance(*ui->lstlista, m_platform.settings());
    fitDayColumnToFont();
    // Let the list repaint in its new look before the activation goes on.
    QCoreApplication::processEvents();
}

// The designed widths suit the designed font and size. A larger font widens
// the day column just enough to show a whole date, taking the room from the
// title column, so the three columns still fill the list; a wider window
// gives its room to the title column.
void frmprincipal::fitDayColumnToFont()
{
    QTreeView *list = ui->lstlista;
    // Times and the repetition mark widen it only while the list has them.
    const int needed = m_rows->hasScheduled()
        ? list->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000 00:00")) + 20 + list->style()->pixelMetric(QStyle::PM_SmallIconSize)
        : list->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) + 12;
    const int dayWidth = std::max(kDayColumnWidth, needed);
    const int gained = std::max(0, list->width() - kListWidth);
    list->setColumnWidth(0, dayWidth);
    list->setColumnWidth(1, kTitleColumnWidth - (dayWidth - kDayColumnWidth) + gained);
    list->setColumnWidth(2, kDaysColumnWidth);
}

void frmprincipal::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        CarregarConfigSoft();
}

void frmprincipal::closeEvent(QCloseEvent *event)
{
    // Every other window goes first, the most recently loaded first.
    m_platform.windows().unloadAllExcept(this);
    settings::write(m_platform.settings(), settings::keys::JanelaPrincipal, runtime::windowplacement::remember(*this));
    event->accept();
}

bool frmprincipal::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->lstlista->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton) {
            // The pop-up's commands act on the row clicked.
            const QModelIndex clicked = ui->lstlista->indexAt(mouse->position().toPoint());
            if (clicked.isValid())
                chooseRow(clicked.row());
            lstlista_MouseDown(mouse->globalPosition().toPoint());
            return true;
        }
    } else if (watched == ui->lstlista && event->type() == QEvent::Resize) {
        fitDayColumnToFont();
    } else if (watched == ui->lstlista && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Delete && selectedRow() >= 0) {
            mnuremover_Click();
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && selectedRow() >= 0) {
            mnueditar_Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmprincipal::lstlista_MouseDown(const QPoint &position)
{
    m_popup->popup(position);
}

void frmprincipal::lstlista_DblClick()
{
    mnueditar_Click();
}

void frmprincipal::Toolbar_ButtonClick(const QString &key)
{
    if (key == QLatin1String("novo"))
        mnunovo_Click();
    else if (key == QLatin1String("editar"))
        mnueditar_Click();
    else if (key == QLatin1String("remover"))
        mnuremover_Click();
    else if (key == QLatin1String("preferencias"))
        mnupreferencias_Click();
    else if (key == QLatin1String("sobre"))
        mnusoftware_Click();
}

int frmprincipal::selectedRow() const
{
    const QModelIndexList selected = ui->lstlista->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.constFirst().row();
}

bool frmprincipal::warnWhenNothingSelected(const QString &title)
{
    if (m_rows->rowCount() > 0 && selectedRow() >= 0)
        return false;
    m_platform.messages().show(this, runtime::MessageIcon::Warning, kNothingSelected, title);
    return true;
}

void frmprincipal::mnunovo_Click()
{
    // The caption alone selects adding; the fields keep what they hold.
    frmlembretesys::showFor(*this, m_platform, m_store)->setWindowTitle(QStringLiteral("Adicionar lembrete"));
}

void frmprincipal::mnueditar_Click()
{
    if (warnWhenNothingSelected(QStringLiteral("Editar")))
        return;
    const int row = selectedRow();
    if (const std::optional<QDate> occurrence = chooseOccurrence(row, QStringLiteral("Editar"), QStringLiteral("editar")))
        m_commands.edit(*this, m_rows->key(row), *occurrence);
}

// For a row of a repeating reminder, asks whether the command is for its day
// alone: that day, or an invalid day for the whole series, or none when cancelled.
std::optional<QDate> frmprincipal::chooseOccurrence(int row, const QString &caption, const QString &action)
{
    if (!m_rows->repeats(row) || !m_rows->day(row).isValid())
        return QDate();
    switch (askOccurrenceScope(m_platform, this, caption, action, m_rows->title(row), m_rows->day(row))) {
    case OccurrenceScope::Occurrence:
        return m_rows->day(row);
    case OccurrenceScope::Series:
        return QDate();
    case OccurrenceScope::Cancelled:
        break;
    }
    return std::nullopt;
}

void frmprincipal::editar(qint64 key)
{
    m_commands.edit(*this, key);
}

void frmprincipal::mnuremover_Click()
{
    if (warnWhenNothingSelected(QStringLiteral("Remover")))
        return;
    const int row = selectedRow();
    const std::optional<QDate> occurrence = chooseOccurrence(row, QStringLiteral("Remover"), QStringLiteral("remover"));
    if (!occurrence || !m_commands.remove(this, m_rows->key(row), m_rows->title(row), m_rows->storedDay(row), *occurrence))
        return;
    enableUndo();
    carregarlista();
}

void frmprincipal::mnuprocurar_Click()
{
    m_platform.windows().show<frmprocurar>([this] {
        auto *search = new frmprocurar(m_platform, m_store, this);
        connect(search, &frmprocurar::abrirLembrete, this, &frmprincipal::editar);
        return search;
    });
}

void frmprincipal::mnudesfazer_Click()
{
    m_commands.undo(this);
    enableUndo();
    carregarlista();
}

void frmprincipal::enableUndo()
{
    const bool possible = m_commands.canUndo();
    ui->mnudesfazer->setEnabled(possible);
    m_popupUndo->setEnabled(possible);
}

void frmprincipal::mnusair_Click()
{
    close();
}

void frmprincipal::mnusite_Click()
{
    m_platform.shell().open(QString::fromUtf8(buildconfig::webAddress), nullptr);
}

void frmprincipal::mnupreferencias_Click()
{
    m_platform.windows().show<frmpreferencias>([this] { return new frmpreferencias(m_platform, this); });
}

void frmprincipal::mnucalendario_Click()
{
    m_platform.windows().show<frmcalendario>([this] { return new frmcalendario(m_platform, this); });
}

void frmprincipal::mnudias_Click()
{
    m_platform.windows().show<frmcalculardias>([this] { return new frmcalculardias(m_platform, this); });
}

void frmprincipal::mnulembretesdata_Click()
{
    m_platform.windows().show<frmpormes>([this] {
        auto *view = new frmpormes(m_platform, m_store, this);
        connect(view, &frmpormes::abrirLembrete, this, &frmprincipal::editar);
        return view;
    });
}

void frmprincipal::mnusoftware_Click()
{
    m_platform.windows().show<frmsobre>([this] { return new frmsobre(m_platform, this); });
}

void frmprincipal::mnusalvatxt_Click()
{
    ReportCommands(m_platform, m_store, this)
        .salvarTXT(ViewListSource(ui->lstlista), ui->lblestatus->text(), ui->barraprogresso);
}

void frmprincipal::mnusalvahtml_Click()
{
    ReportCommands(m_platform, m_store, this)
        .salvarHTML(ViewListSource(ui->lstlista), ui->lblestatus->text(), ui->barraprogresso);
}

void frmprincipal::mnusalvacsv_Click()
{
    ReportCommands(m_platform, m_store, this).salvarCSV(ViewListSource(ui->lstlista), ui->barraprogresso);
}

void frmprincipal::mnuimportarical_Click()
{
    if (ExchangeCommands(m_platform, m_store, this).importarICalendar())
        carregarlista();
}

void frmprincipal::mnuexportarical_Click()
{
    ExchangeCommands(m_platform, m_store, this).exportarICalendar();
}

void frmprincipal::mnuimprimir_Click()
{
    ViewListSource list(ui->lstlista);
    ReportCommands(m_platform, m_store, this).imprimir(list, ui->lblestatus->text());
}
