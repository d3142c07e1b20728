#include "forms/frmpreferencias.h"
#include "ui_frmpreferencias.h"

#include "alerts/autostart.h"
#include "forms/backgroundpicture.h"

#include "runtime/platform.h"
#include "settings/settingsstore.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <algorithm>

namespace {

// The palette's colours as the user hears them from a screen reader.
const QString kColourNames[] = {
    QStringLiteral("branco"),       QStringLiteral("amarelo claro"), QStringLiteral("laranja claro"),
    QStringLiteral("azul claro"),   QStringLiteral("vermelho claro"), QStringLiteral("cinza claro"),
    QStringLiteral("verde claro"),  QStringLiteral("azul médio"),    QStringLiteral("ciano claro"),
    QStringLiteral("preto"),        QStringLiteral("laranja"),       QStringLiteral("azul-marinho"),
};

// The light yellow behind the two section headings.
constexpr quint32 kHeadingColour = 0xC0FFFF;

// An option button that answers to a click anywhere on its colour, not only
// on its round mark: it has no caption to click instead.
class ColourOption final : public QRadioButton
{
public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint &position) const override { return rect().contains(position); }
};

void makeHeading(QLabel *label)
{
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, settings::colourFromNumber(kHeadingColour));
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

} // namespace

frmpreferencias::frmpreferencias(runtime::Platform &platform, QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::frmpreferencias>())
    , m_platform(platform)
{
    ui->setupUi(this);
    setWindowFlag(Qt::Window);
    makeHeading(ui->Label1);
    makeHeading(ui->Label5);
    createSizeList();
    prepareChoiceBox(ui->cboftamanho);
    prepareChoiceBox(ui->cboffonte);
    createColourGrids();
    connect(ui->cmdsair, &QPushButton::clicked, this, &frmpreferencias::cmdsair_Click);
    connect(ui->chkavisarsessao, &QCheckBox::clicked, this, &frmpreferencias::chkavisarsessao_Click);
    Form_Load();
}

frmpreferencias::~frmpreferencias() = default;

void frmpreferencias::createSizeList()
{
    QStringList sizes;
    for (int size = 6; size <= 22; ++size)
        sizes.append(QString::number(size));
    sizes.sort(); // as text, like every sorted list of this window
    ui->cboftamanho->addItems(sizes);
}

void frmpreferencias::prepareChoiceBox(QComboBox *box)
{
    // The boxes show any stored text, but the user changes it only by
    // choosing an entry: typed keys never reach the text.
    box->lineEdit()->setReadOnly(true);
    box->installEventFilter(this);
    // A choice is kept at once, so closing the window straight from the box
    // loses nothing.
    if (box == ui->cboffonte) {
        connect(box, &QComboBox::textActivated, this,
                [this](const QString &name) { settings::write(m_platform.settings(), settings::keys::Fontenome, name); });
    } else {
        connect(box, &QComboBox::textActivated, this,
                [this](const QString &size) { settings::write(m_platform.settings(), settings::keys::TamanhoFonte, size); });
    }
}

void frmpreferencias::createColourGrids()
{
    m_optcorfonte = createColourGrid(ui->Framecorfonte, QStringLiteral("optcorfonte"), 6,
                                     QStringLiteral("Cor da fonte: "));
    m_optcorfundo1 = createColourGrid(ui->Framecor1, QStringLiteral("optcorfundo1"), 4,
                                      QStringLiteral("Cor 1: "));
    m_optcorfundo2 = createColourGrid(ui->Framecor2, QStringLiteral("optcorfundo2"), 4,
                                      QStringLiteral("Cor 2: "));
    connect(m_optcorfonte, &QButtonGroup::idClicked, this, &frmpreferencias::optcorfonte_Click);
    connect(m_optcorfundo1, &QButtonGroup::idClicked, this, &frmpreferencias::optcorfundo1_Click);
    connect(m_optcorfundo2, &QButtonGroup::idClicked, this, &frmpreferencias::optcorfundo2_Click);
}

// One option button per palette colour, without caption, painted in its
// colour; index = row * columns + column.
QButtonGroup *frmpreferencias::createColourGrid(QGroupBox *frame, const QString &arrayName,
                                                int columns, const QString &accessiblePrefix)
{
    auto *group = new QButtonGroup(this);
    group->setObjectName(arrayName);
    group->setExclusive(true);
    auto *grid = new QGridLayout(frame);
    grid->setSpacing(2);
    const auto &palette = settings::colourPalette();
    for (int index = 0; index < int(palette.size()); ++index) {
        auto *option = new ColourOption(frame);
        option->setObjectName(arrayName + QLatin1Char('_') + QString::number(index));
        option->setAccessibleName(accessiblePrefix + kColourNames[index]);
        option->setToolTip(kColourNames[index]);
        option->setMinimumSize(30, 22);
        QPalette colours = option->palette();
        colours.setColor(QPalette::Window, settings::colourFromNumber(palette[size_t(index)]));
        option->setPalette(colours);
        option->setBackgroundRole(QPalette::Window);
        option->setAutoFillBackground(true);
        group->addButton(option, index);
        grid->addWidget(option, index / columns, index % columns);
    }
    return group;
}

void frmpreferencias::Form_Load()
{
    // Each step goes on whatever the one before managed.
    applyBackgroundPicture(*this, m_platform);
    pegarfontes();
    selectStoredColour(m_optcorfundo1, settings::choices::CorFundo1, &frmpreferencias::optcorfundo1_Click);
    selectStoredColour(m_optcorfundo2, settings::choices::CorFundo2, &frmpreferencias::optcorfundo2_Click);
    const runtime::SettingsAccess &stored = m_platform.settings();
    showStoredText(ui->cboftamanho, settings::read(stored, settings::keys::TamanhoFonte));
    showStoredText(ui->cboffonte, settings::read(stored, settings::keys::Fontenome));
    selectStoredColour(m_optcorfonte, settings::choices::Corfonte, &frmpreferencias::optcorfonte_Click);
    showSessionStart();
}

// The entry itself is the setting: the box shows whether it is there.
void frmpreferencias::showSessionStart()
{
    const auto entry = alerts::AutostartEntry::forUser(QCoreApplication::applicationFilePath(),
                                                       m_platform.layout().isInstalled());
    ui->chkavisarsessao->setChecked(entry.exists());
}

void frmpreferencias::chkavisarsessao_Click(bool checked)
{
    const auto entry = alerts::AutostartEntry::forUser(QCoreApplication::applicationFilePath(),
                                                       m_platform.layout().isInstalled());
    QString error;
    if (!(checked ? entry.write(&error) : entry.remove(&error)))
        m_platform.messages().show(this, runtime::MessageIcon::Critical,
                                   QStringLiteral("Não foi possível mudar o início com a sessão: ") + error,
                                   QStringLiteral("Erro"));
    showSessionStart();
}

void frmpreferencias::pegarfontes()
{
    QStringList names;
    const QStringList families = QFontDatabase::families();
    for (const QString &family : families) {
        if (!family.isEmpty() && !names.contains(family))
            names.append(family);
    }
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    const QString shown = ui->cboffonte->currentText();
    ui->cboffonte->clear();
    ui->cboffonte->addItems(names);
    ui->cboffonte->setEditText(shown);
}

// Selecting at load does what a click does, so the dialog's first opening
// writes both keys of every choice. A stored position outside the palette
// selects nothing and writes nothing.
void frmpreferencias::selectStoredColour(QButtonGroup *group, const settings::ColourChoice &choice,
                                         void (frmpreferencias::*click)(int))
{
    const std::optional<int> index =
        settings::paletteIndex(settings::read(m_platform.settings(), choice.index));
    if (!index)
        return;
    group->button(*index)->setChecked(true);
    (this->*click)(*index);
}

// The stored text shows even when no entry of the list matches it.
void frmpreferencias::showStoredText(QComboBox *box, const QString &text)
{
    const int entry = box->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    box->setCurrentIndex(entry);
    if (entry < 0)
        box->setEditText(text);
}

void frmpreferencias::optcorfonte_Click(int index)
{
    settings::writeColourChoice(m_platform.settings(), settings::choices::Corfonte, index);
}

void frmpreferencias::optcorfundo1_Click(int index)
{
    settings::writeColourChoice(m_platform.settings(), settings::choices::CorFundo1, index);
}

void frmpreferencias::optcorfundo2_Click(int index)
{
    settings::writeColourChoice(m_platform.settings(), settings::choices::CorFundo2, index);
}

void frmpreferencias::cboffonte_LostFocus()
{
    settings::write(m_platform.settings(), settings::keys::Fontenome, ui->cboffonte->currentText());
}

void frmpreferencias::cboftamanho_LostFocus()
{
    settings::write(m_platform.settings(), settings::keys::TamanhoFonte, ui->cboftamanho->currentText());
}

void frmpreferencias::cmdsair_Click()
{
    close();
}

bool frmpreferencias::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut
        && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
        // Opening the box's own list is not leaving the box.
        if (watched == ui->cboffonte)
            cboffonte_LostFocus();
        else if (watched == ui->cboftamanho)
            cboftamanho_LostFocus();
    }
    return QWidget::eventFilter(watched, event);
}
