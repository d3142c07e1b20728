#include "forms/frmsobre.h"
#include "ui_frmsobre.h"

#include "forms/backgroundpicture.h"
#include "forms/windowkeys.h"

#include "buildconfig.h"
#include "runtime/platform.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

// The logo lives in the core library's resources, which a static library only
// brings along when asked for by name.
static void initWindowResources()
{
    Q_INIT_RESOURCE(janelas);
}

frmsobre::frmsobre(runtime::Platform &platform, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::frmsobre>())
    , m_platform(platform)
{
    initWindowResources();
    ui->setupUi(this);
    QPalette white = ui->Picture1->palette();
    white.setColor(QPalette::Window, Qt::white);
    ui->Picture1->setPalette(white);
    const QString address = QString::fromUtf8(buildconfig::webAddress);
    ui->Label5->setText(address);
    ui->Label5->setAccessibleName(address);
    ui->Label5->setAccessibleDescription(QStringLiteral("Abre o site no navegador"));
    ui->Label5->installEventFilter(this);
    connect(ui->cmdok, &QPushButton::clicked, this, &frmsobre::cmdok_Click);
    WindowKeys::install(*this, ui->cmdok, true);
    setFixedSize(sizeHint());
    Form_Load();
}

frmsobre::~frmsobre() = default;

void frmsobre::Form_Load()
{
    m_picture = applyBackgroundPicture(*this, m_platform);
}

// The link reacts to a click and, for keyboard users, to Enter or Space.
bool frmsobre::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->Label5) {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton && ui->Label5->rect().contains(mouse->position().toPoint())) {
                Label5_Click();
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                Label5_Click();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmsobre::Label5_Click()
{
    // Whatever the desktop makes of the address, the window says nothing.
    m_platform.shell().open(QString::fromUtf8(buildconfig::webAddress), nullptr);
}

void frmsobre::cmdok_Click()
{
    close();
}
