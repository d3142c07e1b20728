#include "frmabout.h"

#include "libraryinfo.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

#include <cmath>

namespace almanaq {

namespace {

constexpr int TwipsPerPixel = 15;
constexpr int ClientWidthTwips = 5730;
constexpr int ClientHeightTwips = 4035;
// The value buffer of a registry query, in bytes.
constexpr int ValueBufferSize = 1024;

const QString DesignCaption = QStringLiteral("About");
const QString UnavailableText = QStringLiteral("System Information Is Unavailable At This Time");

// Where the system-information program is recorded.
const QString InfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString InfoValue = QStringLiteral("PATH");
const QString InfoLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString InfoLocationValue = QStringLiteral("MSINFO");
const QString InfoProgram = QStringLiteral("MSINFO32.EXE");

int toPixels(int twips)
{
    return int(std::lround(double(twips) / TwipsPerPixel));
}

void placeAt(QWidget *control, int left, int top, int width, int height)
{
    control->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

QLabel *staticText(QWidget *parent, const char *name, const QString &text, bool wrap = false)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(wrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QFrame *separator(QWidget *parent, int index)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line1"));
    line->setProperty("Index", index);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

// ---- Services --------------------------------------------------------------------

bool AboutServices::startProgram(const QString &path)
{
    return QProcess::startDetached(path, {});
}

void AboutServices::showMessage(QWidget *owner, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, owner);
    box.exec();
}

bool AboutServices::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

AboutServices &AboutServices::standard()
{
    static AboutServices services;
    return services;
}

// ---- LinkLabel ---------------------------------------------------------------------

LinkLabel::LinkLabel(QWidget *parent)
    : QLabel(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor(0, 0, 0xff));
    setPalette(colours);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

// ---- frmAbout ----------------------------------------------------------------------

frmAbout::frmAbout(QWidget *parent, const SystemRegistry &registry, AboutServices &services)
    : QDialog(parent)
    , m_registry(registry)
    , m_services(services)
{
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);
    setWindowTitle(DesignCaption);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSizeF(8.25);
    setFont(tahoma);
    setFixedSize(toPixels(ClientWidthTwips), toPixels(ClientHeightTwips));
    createControls();
    Form_Load();
}

void frmAbout::createControls()
{
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameShape(QFrame::Panel);
    Picture1->setFrameShadow(QFrame::Sunken);
    placeAt(Picture1, 240, 240, 660, 660);
    imgIcon = new QLabel(Picture1);
    imgIcon->setObjectName(QStringLiteral("imgIcon"));
    imgIcon->setAlignment(Qt::AlignCenter);
    imgIcon->setGeometry(Picture1->contentsRect());

    lblTitle = staticText(this, "lblTitle", QStringLiteral("Control Title"));
    QFont bold = font();
    bold.setBold(true);
    bold.setPointSizeF(10);
    lblTitle->setFont(bold);
    placeAt(lblTitle, 1110, 240, 4380, 330);
    lblVersion = staticText(this, "lblVersion", QStringLiteral("Version"));
    placeAt(lblVersion, 1110, 600, 4380, 225);
    lblCopyright = staticText(this, "lblCopyright", QStringLiteral("Copyright"), true);
    placeAt(lblCopyright, 1110, 840, 4380, 225);
    lblTradeMark = staticText(this, "lblTradeMark", QString(), true);
    placeAt(lblTradeMark, 1110, 1080, 4380, 420);

    placeAt(separator(this, 0), 120, 1560, 5490, 30);

    Label2 = staticText(this, "Label2",
                        QStringLiteral("This tool is part of %1. To get more information click the links below:")
                                .arg(QLatin1String(info::ProductFamily)),
                        true);
    placeAt(Label2, 240, 1680, 5250, 420);

    const std::array<QString, 2> linkCaptions = {QLatin1String(info::WebAddress),
                                                 QLatin1String(info::EmailAddress)};
    const std::array<QString, 2> linkNames = {QStringLiteral("Página do produto na internet"),
                                              QStringLiteral("Enviar e-mail ao fabricante")};
    const std::array<QString, 2> captions = {QStringLiteral("Web:"), QStringLiteral("E-mail:")};
    for (int i = 0; i < 2; ++i) {
        Label1[i] = staticText(this, "Label1", captions[i]);
        Label1[i]->setProperty("Index", i);
        placeAt(Label1[i], 240, 2160 + i * 255, 780, 225);
        lblLink[i] = new LinkLabel(this);
        lblLink[i]->setObjectName(QStringLiteral("lblLink"));
        lblLink[i]->setProperty("Index", i);
        lblLink[i]->setText(linkCaptions[i]);
        lblLink[i]->setAccessibleName(linkNames[i]);
        placeAt(lblLink[i], 1110, 2160 + i * 255, 4380, 225);
        connect(lblLink[i], &LinkLabel::clicked, this, [this, i] { lblLink_Click(i); });
    }

    placeAt(separator(this, 1), 120, 2760, 5490, 30);

    Label3 = staticText(this, "Label3",
                        QStringLiteral("Warning: this program is protected by law. Copying or distributing "
                                       "it, in whole or in part, without authorisation may be prosecuted."),
                        true);
    placeAt(Label3, 240, 2880, 3900, 1035);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setAccessibleName(QStringLiteral("OK"));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    placeAt(cmdOK, 4260, 2880, 1260, 375);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    cmdSysInfo = new QPushButton(QStringLiteral("System &Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setAccessibleName(QStringLiteral("System Info"));
    cmdSysInfo->setAutoDefault(false);
    placeAt(cmdSysInfo, 4260, 3360, 1260, 375);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    setTabOrder(cmdOK, cmdSysInfo);
    setTabOrder(cmdSysInfo, lblLink[0]);
    setTabOrder(lblLink[0], lblLink[1]);
    cmdOK->setFocus();
}

QString frmAbout::versionText()
{
    return QStringLiteral("%1.%2.%3")
            .arg(info::VersionMajor)
            .arg(info::VersionMinor, 2, 10, QLatin1Char('0'))
            .arg(info::VersionRevision, 4, 10, QLatin1Char('0'));
}

void frmAbout::Form_Load()
{
    const QString title = QString::fromUtf8(info::Title);
    setWindowTitle(DesignCaption + QLatin1Char(' ') + title);

    const QIcon icon(QString::fromLatin1(info::IconResource));
    if (!icon.isNull()) {
        imgIcon->setPixmap(icon.pixmap(32, 32));
        setWindowIcon(icon);
    }

    lblVersion->setText(QStringLiteral("Version ") + versionText());
    lblTitle->setText(title);
    lblCopyright->setText(QString::fromUtf8(info::LegalCopyright));
    lblTradeMark->setText(QString::fromUtf8(info::LegalTrademarks));
}

void frmAbout::cmdOK_Click()
{
    accept();
}

// Escape, like Enter, closes the form through cmdOK.
void frmAbout::reject()
{
    cmdOK->click();
}

void frmAbout::lblLink_Click(int index)
{
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const QString caption = lblLink[index]->text();
    const QUrl target(index == 0 ? caption : QStringLiteral("mailto:") + caption);
    m_services.openUrl(target); // a link that does not open is not reported
    QApplication::restoreOverrideCursor();
}

void frmAbout::StartSysInfo()
{
    QString path;
    QString value;
    if (GetKeyValue(RegistryRoot::LocalMachine, InfoKey, InfoValue, value)) {
        path = value;
    } else if (GetKeyValue(RegistryRoot::LocalMachine, InfoLocationKey, InfoLocationValue, value)) {
        const QString candidate = QDir(value).filePath(InfoProgram);
        if (QFileInfo(candidate).isFile())
            path = candidate;
    }
    if (!path.isEmpty() && m_services.startProgram(path))
        return;
    m_services.showMessage(this, UnavailableText, QString::fromUtf8(info::Title));
}

bool frmAbout::GetKeyValue(RegistryRoot KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                           QString &KeyVal) const
{
    // Read access is all this needs: asking for more would fail for a user
    // who may read the key but not change it.
    if (!m_registry.hasKey(KeyRoot, KeyName)) {
        KeyVal.clear();
        return false;
    }
    const std::optional<RegistryValue> value =
            m_registry.queryValue(KeyRoot, KeyName, SubKeyRef, ValueBufferSize);
    if (!value) {
        KeyVal.clear();
        return false;
    }

    QByteArray bytes = value->data;
    switch (value->type) {
    case RegistryString:
        if (bytes.endsWith('\0'))
            bytes.chop(1); // the terminating zero byte
        KeyVal = QString::fromUtf8(bytes);
        break;
    case RegistryNumber32:
        // Hexadecimal digits from the high byte down, two per byte.
        KeyVal = QStringLiteral("&h");
        for (qsizetype i = bytes.size() - 1; i >= 0; --i)
            KeyVal += QStringLiteral("%1").arg(quint8(bytes[i]), 2, 16, QLatin1Char('0')).toUpper();
        break;
    default:
        break; // other types leave KeyVal as it was
    }
    return true;
}

void frmAbout::showModal(QWidget *owner)
{
    static QPointer<frmAbout> form;
    if (form) {
        form->raise();
        form->activateWindow();
        return;
    }
    form = new frmAbout(owner ? owner->window() : nullptr);
    form->exec();
    delete form; // closing unloads the form; the next call loads it anew
}

} // namespace almanaq
