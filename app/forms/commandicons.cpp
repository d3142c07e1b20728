#include "forms/commandicons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

struct IconLook
{
    const char *themeName;
    QColor colour;
    QString glyph;
};

const QHash<QString, IconLook> &looks()
{
    static const QHash<QString, IconLook> table{
        {QStringLiteral("novo"), {"document-new", QColor(46, 139, 87), QStringLiteral("+")}},
        {QStringLiteral("editar"), {"document-edit", QColor(30, 110, 190), QStringLiteral("✎")}},
        {QStringLiteral("remover"), {"edit-delete", QColor(190, 40, 40), QStringLiteral("×")}},
        {QStringLiteral("sair"), {"application-exit", QColor(110, 110, 110), QStringLiteral("⏻")}},
        {QStringLiteral("software"), {"help-about", QColor(40, 90, 170), QStringLiteral("i")}},
        {QStringLiteral("sobre"), {"help-about", QColor(40, 90, 170), QStringLiteral("i")}},
        {QStringLiteral("site"), {"internet-web-browser", QColor(0, 130, 150), QStringLiteral("@")}},
        {QStringLiteral("html"), {"text-html", QColor(220, 110, 20), QStringLiteral("<>")}},
        {QStringLiteral("txt"), {"text-x-generic", QColor(90, 90, 140), QStringLiteral("T")}},
        {QStringLiteral("imprimir"), {"document-print", QColor(70, 70, 70), QStringLiteral("⎙")}},
        {QStringLiteral("preferencias"), {"preferences-system", QColor(130, 80, 160), QStringLiteral("⚙")}},
    };
    return table;
}

QPixmap drawIcon(const IconLook &look, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(1, 1, size - 2, size - 2);
    QPainterPath path;
    path.addRoundedRect(frame, size / 5.0, size / 5.0);
    painter.fillPath(path, look.colour);
    painter.setPen(look.colour.darker(140));
    painter.drawPath(path);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(look.glyph.size() > 1 ? size * 4 / 10 : size * 7 / 10);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(frame, Qt::AlignCenter, look.glyph);
    return pixmap;
}

} // namespace

QIcon commandIcon(const QString &name)
{
    const auto found = looks().constFind(name);
    if (found == looks().constEnd())
        return QIcon();
    const QIcon themed = QIcon::fromTheme(QLatin1String(found->themeName));
    if (!themed.isNull())
        return themed;
    QIcon drawn;
    for (int size : {16, 24, 32})
        drawn.addPixmap(drawIcon(*found, size));
    return drawn;
}

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/janelas/icones/lembrete-%1.png").arg(size), QSize(size, size));
    return icon;
}
