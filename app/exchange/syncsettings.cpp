#include "exchange/syncsettings.h"

#include "runtime/platform.h"

#include <QUrl>

namespace {
const QString kSection = QStringLiteral("Sincronizacao");
const QString kAddress = QStringLiteral("Endereco");
const QString kUser = QStringLiteral("Usuario");
const QString kAtStart = QStringLiteral("SincronizarAoIniciar");
} // namespace

SyncSettings SyncSettings::load(const runtime::SettingsAccess &settings)
{
    SyncSettings result;
    result.address = settings.read(kSection, kAddress, QString()).trimmed();
    result.user = settings.read(kSection, kUser, QString()).trimmed();
    result.atStart = settings.read(kSection, kAtStart, QStringLiteral("0")) == QLatin1String("1");
    return result;
}

void SyncSettings::save(runtime::SettingsAccess &settings) const
{
    settings.write(kSection, kAddress, address.trimmed());
    settings.write(kSection, kUser, user.trimmed());
    settings.write(kSection, kAtStart, atStart ? QStringLiteral("1") : QStringLiteral("0"));
}

bool SyncSettings::configured() const
{
    const QUrl url(address, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
        && !url.host().isEmpty();
}

QString SyncSettings::account() const
{
    return user + QLatin1Char('@') + address;
}
