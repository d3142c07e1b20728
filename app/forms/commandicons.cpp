#include "forms/commandicons.h"

#include <QHash>

namespace {

// The desktop theme's name for each command; where the theme has none (a bare
// desktop has no theme at all), the program's own picture, never a font glyph.
const QHash<QString, QString> &themeNames()
{
    static const QHash<QString, QString> table{
        {QStringLiteral("novo"), QStringLiteral("document-new")},
        {QStringLiteral("editar"), QStringLiteral("document-edit")},
        {QStringLiteral("remover"), QStringLiteral("edit-delete")},
        {QStringLiteral("sair"), QStringLiteral("application-exit")},
        {QStringLiteral("software"), QStringLiteral("help-about")},
        {QStringLiteral("sobre"), QStringLiteral("help-about")},
        {QStringLiteral("site"), QStringLiteral("internet-web-browser")},
        {QStringLiteral("html"), QStringLiteral("text-html")},
        {QStringLiteral("txt"), QStringLiteral("text-x-generic")},
        {QStringLiteral("imprimir"), QStringLiteral("document-print")},
        {QStringLiteral("preferencias"), QStringLiteral("preferences-system")},
    };
    return table;
}

QIcon ownIcon(const QString &name)
{
    // "software" is the about command of the menu, "sobre" the toolbar's.
    const QString picture = name == QLatin1String("software") ? QStringLiteral("sobre") : name;
    QIcon icon;
    for (int size : {16, 24, 32})
        icon.addFile(QStringLiteral(":/icones/%1-%2.png").arg(picture).arg(size), QSize(size, size));
    return icon;
}

} // namespace

// Resources of a static library are registered by hand, outside any namespace.
static void registerOwnIcons()
{
    Q_INIT_RESOURCE(icones);
}

QIcon commandIcon(const QString &name)
{
    static const bool registered = (registerOwnIcons(), true);
    Q_UNUSED(registered);
    const auto found = themeNames().constFind(name);
    if (found == themeNames().constEnd())
        return QIcon();
    const QIcon themed = QIcon::fromTheme(*found);
    return themed.isNull() ? ownIcon(name) : themed;
}

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/janelas/icones/lembrete-%1.png").arg(size), QSize(size, size));
    return icon;
}
