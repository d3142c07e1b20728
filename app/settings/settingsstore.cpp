#include "settings/settingsstore.h"

#include "runtime/platform.h"

#include <QLocale>

namespace settings {

QString read(const runtime::SettingsAccess &access, const Key &key)
{
    return access.read(key.section, key.name, key.defaultValue);
}

namespace {

// A value the key's reader could not use is written as the key's default, so
// what the program writes it can always read back.
QString usableValue(const Key &key, const QString &value)
{
    const auto is = [&key](const Key &other) {
        return key.section == other.section && key.name == other.name;
    };
    if (is(keys::TamanhoFonte))
        return parseFontSize(value) ? value : key.defaultValue;
    if (is(keys::Corfonte) || is(keys::CorFundo1) || is(keys::CorFundo2))
        return parseColourNumber(value) ? value : key.defaultValue;
    return value;
}

} // namespace

void write(runtime::SettingsAccess &access, const Key &key, const QString &value)
{
    access.write(key.section, key.name, usableValue(key, value));
}

QString viewFilter(const runtime::SettingsAccess &access)
{
    return read(access, keys::Exibir).toLower();
}

std::optional<quint32> parseColourNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    qlonglong value = 0;
    if (trimmed.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
        QString digits = trimmed.mid(2);
        if (digits.endsWith(QLatin1Char('&'))) // the long-integer suffix
            digits.chop(1);
        value = digits.isEmpty() ? -1 : digits.toLongLong(&ok, 16);
    } else {
        value = trimmed.toLongLong(&ok, 10);
    }
    if (!ok || value < 0 || value > 0xFFFFFF)
        return std::nullopt;
    return quint32(value);
}

QString colourNumberText(quint32 number)
{
    return QString::number(number);
}

QColor colourFromNumber(quint32 number)
{
    return QColor(int(number & 0xFF), int((number >> 8) & 0xFF), int((number >> 16) & 0xFF));
}

quint32 numberFromColour(const QColor &colour)
{
    return quint32(colour.blue()) * 65536u + quint32(colour.green()) * 256u + quint32(colour.red());
}

const std::array<quint32, 12> &colourPalette()
{
    static const std::array<quint32, 12> palette{
        16777215u, 12648447u, 12640511u, 16761024u, 12632319u, 14737632u,
        12648384u, 16744576u, 16777152u, 0u,        33023u,    8388608u,
    };
    return palette;
}

std::optional<int> paletteIndex(const QString &text)
{
    bool ok = false;
    const int index = text.trimmed().toInt(&ok, 10);
    if (!ok || index < 0 || index >= int(colourPalette().size()))
        return std::nullopt;
    return index;
}

namespace {

// The point sizes a list font may be given; outside them the list cannot be
// read (a size near zero draws nothing, a huge one a letter per screen).
constexpr qreal kSmallestFontSize = 1.0;
constexpr qreal kLargestFontSize = 200.0;

} // namespace

std::optional<qreal> parseFontSize(const QString &text)
{
    QString digits = text.trimmed();
    digits.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const qreal size = QLocale::c().toDouble(digits, &ok);
    if (!ok || !(size >= kSmallestFontSize) || size > kLargestFontSize)
        return std::nullopt;
    return size;
}

QColor readColour(const runtime::SettingsAccess &access, const Key &key)
{
    const std::optional<quint32> stored = parseColourNumber(read(access, key));
    return colourFromNumber(stored.value_or(parseColourNumber(key.defaultValue).value_or(0)));
}

qreal readFontSize(const runtime::SettingsAccess &access)
{
    const std::optional<qreal> stored = parseFontSize(read(access, keys::TamanhoFonte));
    return stored.value_or(parseFontSize(keys::TamanhoFonte.defaultValue).value_or(11.0));
}

QString readFontName(const runtime::SettingsAccess &access)
{
    const QString stored = read(access, keys::Fontenome);
    return stored.trimmed().isEmpty() ? keys::Fontenome.defaultValue : stored;
}

void writeColourChoice(runtime::SettingsAccess &access, const ColourChoice &choice, int index)
{
    if (index < 0 || index >= int(colourPalette().size()))
        return;
    write(access, choice.index, QString::number(index));
    write(access, choice.colour, colourNumberText(colourPalette()[size_t(index)]));
}

} // namespace settings
