#include "alerts/notifier.h"

#include "alerts/desktopid.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QImage>
#include <QDBusReply>
#include <QVariantMap>

namespace alerts {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kOpenAction = QStringLiteral("abrir");
const QString kSnoozeAction = QStringLiteral("adiar");
// A service that hangs must not hold the program (or a scheduler's run) for long.
constexpr int kCallTimeoutMs = 5000;

} // namespace

DesktopNotifier::DesktopNotifier(bool offerOpen, const QDBusConnection &bus, QObject *parent)
    : Notifier(parent)
    , m_bus(bus)
    , m_offerOpen(offerOpen)
{
    if (m_offerOpen && m_bus.isConnected()) {
        m_bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                      SLOT(onActionInvoked(uint,QString)));
        m_bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                      SLOT(onNotificationClosed(uint,uint)));
    }
}

QString DesktopNotifier::applicationName()
{
    return QStringLiteral("Zedozarir");
}

QString DesktopNotifier::iconName()
{
    return desktopId();
}

// The icon's picture travels with the notice: a program run from its own
// folder has no icon in the desktop's theme for the service to find by name.
QVariant DesktopNotifier::iconPicture()
{
    const QImage image = QImage(QStringLiteral(":/janelas/icones/lembrete-64.png"))
                             .convertToFormat(QImage::Format_RGBA8888);
    if (image.isNull())
        return QVariant();
    QDBusArgument picture;
    picture.beginStructure();
    picture << image.width() << image.height() << int(image.bytesPerLine()) << true << 8 << 4
            << QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
    picture.endStructure();
    return QVariant::fromValue(picture);
}

bool DesktopNotifier::serviceReadsMarkup()
{
    if (!m_capabilitiesKnown) {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                           QStringLiteral("GetCapabilities"));
        const QDBusReply<QStringList> reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
        if (!reply.isValid())
            return false; // asked again next time: the service may start later
        m_capabilitiesKnown = true;
        m_bodyMarkup = reply.value().contains(QStringLiteral("body-markup"));
    }
    return m_bodyMarkup;
}

uint DesktopNotifier::show(const Notice &notice, uint replaces)
{
    if (!m_bus.isConnected())
        return 0;
    const QString body = serviceReadsMarkup() ? escapedForMarkup(notice.body) : notice.body;
    QStringList actions;
    if (m_offerOpen) {
        // "default" is what a click on the notice itself sends.
        actions << QStringLiteral("default") << QStringLiteral("Abrir")
                << kOpenAction << QStringLiteral("Abrir");
        if (notice.offersSnooze)
            actions << kSnoozeAction << QStringLiteral("Adiar 10 minutos");
    }
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), desktopId());
    const QVariant picture = iconPicture();
    if (picture.isValid())
        hints.insert(QStringLiteral("image-data"), picture);
    hints.insert(QStringLiteral("category"), QStringLiteral("x-zedozarir.reminder"));

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                       QStringLiteral("Notify"));
    call << applicationName() << replaces << iconName() << notice.summary << body << actions
         << hints << qint32(-1);
    const QDBusReply<uint> reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (!reply.isValid())
        return 0;
    m_shown.insert(reply.value());
    return reply.value();
}

void DesktopNotifier::onActionInvoked(uint id, const QString &actionKey)
{
    // Some services send it to every listener: only this program's notices count.
    if (!m_shown.contains(id))
        return;
    if (actionKey == kOpenAction || actionKey == QLatin1String("default"))
        emit openRequested();
    else if (actionKey == kSnoozeAction)
        emit snoozeRequested(id);
}

void DesktopNotifier::onNotificationClosed(uint id, uint)
{
    m_shown.remove(id);
}

} // namespace alerts
