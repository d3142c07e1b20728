#pragma once

#include <QColor>
#include <QString>
#include <array>
#include <optional>

namespace runtime {
class SettingsAccess;
}

// The per-user settings: every section and key, the text each holds and the
// default its readers supply. Readers and writers go through here only.
namespace settings {

inline const QString applicationName = QStringLiteral("Zedozarir");
inline const QString configSection = QStringLiteral("Configurações");
inline const QString preferencesSection = QStringLiteral("Preferencias");

struct Key
{
    QString section;
    QString name;
    QString defaultValue;
};

namespace keys {
inline const Key TamanhoFonte{configSection, QStringLiteral("TamanhoFonte"), QStringLiteral("11")};
inline const Key Fontenome{configSection, QStringLiteral("Fontenome"), QStringLiteral("Arial")};
inline const Key Corfonte{configSection, QStringLiteral("Corfonte"), QStringLiteral("0")};
inline const Key CorFundo1{configSection, QStringLiteral("CorFundo1"), QStringLiteral("&HFFFFFF")};
inline const Key CorFundo2{configSection, QStringLiteral("CorFundo2"), QStringLiteral("&HFFFFFF")};
inline const Key Corescolhida{configSection, QStringLiteral("Corescolhida"), QStringLiteral("0")};
inline const Key Corescolhida2{configSection, QStringLiteral("Corescolhida2"), QStringLiteral("0")};
inline const Key Corescolhidafonte{configSection, QStringLiteral("Corescolhidafonte"), QStringLiteral("9")};
inline const Key Exibir{preferencesSection, QStringLiteral("Exibir"), QStringLiteral("todos")};
// Where the resizable windows were left, "x,y,width,height"; empty: the
// designed size, placed by the desktop.
inline const Key JanelaPrincipal{configSection, QStringLiteral("JanelaPrincipal"), QString()};
inline const Key JanelaPorData{configSection, QStringLiteral("JanelaPorData"), QString()};
// The wall-clock time "yyyy-MM-dd HH:mm:ss" up to which the resident program
// announced reminders with a time; empty before its first run.
inline const Key AvisadoAte{configSection, QStringLiteral("AvisadoAte"), QString()};
} // namespace keys

QString read(const runtime::SettingsAccess &access, const Key &key);
// A font size or colour number its reader could not use is written as the
// key's default instead.
void write(runtime::SettingsAccess &access, const Key &key, const QString &value);

// View filters as the filter commands write them.
namespace viewfilter {
inline const QString Todos = QStringLiteral("Todos");
inline const QString Hoje = QStringLiteral("Hoje");
inline const QString Amanha = QStringLiteral("Amanha");
inline const QString SeteDias = QStringLiteral("7dias");
inline const QString QuinzeDias = QStringLiteral("15dias");
} // namespace viewfilter

// The stored view filter, lower-cased as every reader compares it.
QString viewFilter(const runtime::SettingsAccess &access);

// Colour numbers: blue * 65536 + green * 256 + red, as decimal text or "&H"
// followed by hexadecimal digits. Written back in decimal.
std::optional<quint32> parseColourNumber(const QString &text);
QString colourNumberText(quint32 number);
QColor colourFromNumber(quint32 number);
quint32 numberFromColour(const QColor &colour);

// The twelve colours the preferences dialog offers, in index order.
const std::array<quint32, 12> &colourPalette();

// A palette position stored as decimal digits; nothing when the text is not
// a whole number from 0 to 11.
std::optional<int> paletteIndex(const QString &text);

// The list's look as its reader uses it. A stored value that cannot be used
// (a colour that is not a colour number, a size no font takes, an empty font
// name) gives that key's default; the stored text is left as it is.
QColor readColour(const runtime::SettingsAccess &access, const Key &key);
qreal readFontSize(const runtime::SettingsAccess &access);
QString readFontName(const runtime::SettingsAccess &access);

// A point size as a font takes it: a number from 1 to 200, with a point or
// a comma before any decimals.
std::optional<qreal> parseFontSize(const QString &text);

// One of the dialog's three colour choices: the key holding the chosen
// palette position and the key holding its colour number.
struct ColourChoice
{
    Key index;
    Key colour;
};

namespace choices {
inline const ColourChoice CorFundo1{keys::Corescolhida, keys::CorFundo1};
inline const ColourChoice CorFundo2{keys::Corescolhida2, keys::CorFundo2};
inline const ColourChoice Corfonte{keys::Corescolhidafonte, keys::Corfonte};
} // namespace choices

// Writes both keys of a choice: the position and the palette colour at it,
// each as decimal digits. A position outside the palette writes nothing.
void writeColourChoice(runtime::SettingsAccess &access, const ColourChoice &choice, int index);

} // namespace settings
