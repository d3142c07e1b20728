#include "systemregistry.h"

#include "componentregistry.h"

#include <QFile>
#include <QStandardPaths>
#include <QStringList>

namespace almanaq {

namespace {

IniDocument load(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return IniDocument();
    return IniDocument::parse(file.readAll());
}

QString sectionName(RegistryRoot root, const QString &keyName)
{
    return SystemRegistry::rootName(root) + QLatin1Char('\\') + keyName;
}

std::optional<QByteArray> unescape(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray bytes;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (utf8[i] != '\\') {
            bytes += utf8[i];
            continue;
        }
        if (++i == utf8.size())
            return std::nullopt;
        switch (utf8[i]) {
        case '\\': bytes += '\\'; break;
        case '0': bytes += '\0'; break;
        case 'n': bytes += '\n'; break;
        case 'r': bytes += '\r'; break;
        case 't': bytes += '\t'; break;
        default: return std::nullopt;
        }
    }
    return bytes;
}

std::optional<QByteArray> hexBytes(const QString &text)
{
    QByteArray bytes;
    if (text.trimmed().isEmpty())
        return bytes;
    for (const QString &item : text.split(QLatin1Char(','))) {
        bool ok = false;
        const uint byte = item.trimmed().toUInt(&ok, 16);
        if (!ok || byte > 0xff)
            return std::nullopt;
        bytes += char(byte);
    }
    return bytes;
}

} // namespace

QString SystemRegistry::defaultPath()
{
    if (qEnvironmentVariableIsSet("ALMANAQ_SYSTEM_REGISTRY"))
        return qEnvironmentVariable("ALMANAQ_SYSTEM_REGISTRY");
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? QString() : config + QStringLiteral("/Zedozarir/registro-sistema.ini");
}

SystemRegistry::SystemRegistry(const QString &path)
    : m_path(path)
{
}

QString SystemRegistry::rootName(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::ClassesRoot: return QStringLiteral("HKEY_CLASSES_ROOT");
    case RegistryRoot::CurrentUser: return QStringLiteral("HKEY_CURRENT_USER");
    case RegistryRoot::LocalMachine: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case RegistryRoot::Users: return QStringLiteral("HKEY_USERS");
    }
    return QString();
}

bool SystemRegistry::hasKey(RegistryRoot root, const QString &keyName) const
{
    return load(m_path).find(sectionName(root, keyName)) != nullptr;
}

std::optional<RegistryValue> SystemRegistry::queryValue(RegistryRoot root, const QString &keyName,
                                                        const QString &valueName, int maxBytes) const
{
    const IniDocument registry = load(m_path);
    const QString section = sectionName(root, keyName);
    if (!registry.hasValue(section, valueName))
        return std::nullopt;
    std::optional<RegistryValue> value = decode(registry.value(section, valueName));
    if (!value || value->data.size() > maxBytes)
        return std::nullopt;
    return value;
}

std::optional<RegistryValue> SystemRegistry::decode(const QString &text)
{
    if (text.startsWith(QLatin1String("sz:"))) {
        const std::optional<QByteArray> bytes = unescape(text.mid(3));
        if (!bytes)
            return std::nullopt;
        return RegistryValue{RegistryString, *bytes};
    }
    if (text.startsWith(QLatin1String("dword:"))) {
        const QString digits = text.mid(6).trimmed();
        bool ok = false;
        const quint32 number = digits.toUInt(&ok, 16);
        if (!ok || digits.size() > 8)
            return std::nullopt;
        QByteArray bytes;
        for (int shift = 0; shift < 32; shift += 8)
            bytes += char((number >> shift) & 0xff);
        return RegistryValue{RegistryNumber32, bytes};
    }
    if (text.startsWith(QLatin1String("hex("))) {
        const qsizetype close = text.indexOf(QLatin1String("):"));
        bool ok = false;
        const int type = close > 4 ? text.mid(4, close - 4).toInt(&ok) : 0;
        if (!ok)
            return std::nullopt;
        const std::optional<QByteArray> bytes = hexBytes(text.mid(close + 2));
        if (!bytes)
            return std::nullopt;
        return RegistryValue{type, *bytes};
    }
    return std::nullopt;
}

} // namespace almanaq
