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
    // The picture is light whatever the desktop's colours: texts drawn straight
    // on it stay dark under a dark palette too.
    palette.setColor(QPalette::WindowText, Qt::black);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    return picture;
}
