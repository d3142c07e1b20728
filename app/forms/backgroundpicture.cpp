#include "forms/backgroundpicture.h"

#include "runtime/platform.h"

#include <QPalette>
#include <QWidget>

QPixmap applyBackgroundPicture(QWidget &window, const runtime::Platform &platform)
{
    const QPixmap picture(platform.resourceFile(QStringLiteral("fundo.gif")));
    if (picture.isNull())
        return picture;
    QPalette palette = window.palette();
    palette.setBrush(QPalette::Window, QBrush(picture));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    return picture;
}
