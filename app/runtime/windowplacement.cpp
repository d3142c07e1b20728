#include "runtime/windowplacement.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStringList>
#include <QWidget>

#include <algorithm>

namespace runtime::windowplacement {

namespace {

qint64 overlap(const QRect &a, const QRect &b)
{
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

int keptWithin(int start, int length, int areaStart, int areaLength)
{
    return std::clamp(start, areaStart, areaStart + areaLength - length);
}

} // namespace

QRect keptOnScreen(const QRect &wanted, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return wanted;
    const QRect *area = &screens.constFirst();
    for (const QRect &screen : screens) {
        if (overlap(wanted, screen) > overlap(wanted, *area))
            area = &screen;
    }
    const QSize size = wanted.size().boundedTo(area->size());
    return {keptWithin(wanted.x(), size.width(), area->x(), area->width()),
            keptWithin(wanted.y(), size.height(), area->y(), area->height()), size.width(), size.height()};
}

QList<QRect> availableScreens()
{
    QList<QRect> areas;
    if (QScreen *primary = QGuiApplication::primaryScreen())
        areas << primary->availableGeometry();
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            areas << screen->availableGeometry();
    }
    return areas;
}

void centreOver(QWidget &window, const QWidget &owner)
{
    // A window placed on purpose (a remembered place) keeps it.
    if (window.testAttribute(Qt::WA_Moved))
        return;
    // The size the window will show in: a fixed layout sets it when it runs,
    // and a window never sized takes its hint when shown.
    if (QLayout *layout = window.layout())
        layout->activate();
    if (!window.testAttribute(Qt::WA_Resized))
        window.adjustSize();
    const QWidget *ownerWindow = owner.window();
    QRect place(QPoint(), window.size());
    place.moveCenter(ownerWindow->frameGeometry().center());
    window.move(keptOnScreen(place, availableScreens()).topLeft());
}

QRect parse(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return {};
    int numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return {};
    }
    if (numbers[2] <= 0 || numbers[3] <= 0)
        return {};
    return {numbers[0], numbers[1], numbers[2], numbers[3]};
}

QString text(const QRect &place)
{
    return QStringLiteral("%1,%2,%3,%4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
}

void restore(QWidget &window, const QString &remembered)
{
    QRect place = parse(remembered);
    if (place.isEmpty())
        return;
    place.setSize(place.size().expandedTo(window.minimumSize()));
    place = keptOnScreen(place, availableScreens());
    window.resize(place.size().expandedTo(window.minimumSize()));
    window.move(place.topLeft());
}

QString remember(const QWidget &window)
{
    return text(QRect(window.pos(), window.size()));
}

} // namespace runtime::windowplacement
