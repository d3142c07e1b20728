#pragma once

#include "alerts/notices.h"

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QStringList>

namespace alerts {

// Where notices go. The real one is the desktop's notification service.
class Notifier : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Shows a notice, replacing the one with id replaces (0: none). Returns the
    // notice's id, or 0 when no notification service answered.
    virtual uint show(const Notice &notice, uint replaces = 0) = 0;

signals:
    // The user chose "Abrir" on one of this notifier's notices.
    void openRequested();
    // The user chose "Adiar 10 minutos" on the notice with this id.
    void snoozeRequested(uint id);
};

// The freedesktop org.freedesktop.Notifications service on a D-Bus connection.
class DesktopNotifier final : public Notifier
{
    Q_OBJECT
public:
    // offerOpen adds the "Abrir" action, and "Adiar 10 minutos" to a notice
    // that offers it; only a program that stays running to hear the answer
    // should offer them.
    explicit DesktopNotifier(bool offerOpen, const QDBusConnection &bus = QDBusConnection::sessionBus(),
                             QObject *parent = nullptr);

    uint show(const Notice &notice, uint replaces = 0) override;

    static QString applicationName();
    static QString iconName();
    static QVariant iconPicture();

private slots:
    void onActionInvoked(uint id, const QString &actionKey);
    void onNotificationClosed(uint id, uint reason);

private:
    bool serviceReadsMarkup();

    QDBusConnection m_bus;
    bool m_offerOpen;
    bool m_capabilitiesKnown = false;
    bool m_bodyMarkup = false;
    QSet<uint> m_shown;
};

} // namespace alerts
