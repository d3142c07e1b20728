#include "forms/listappearance.h"

#include "settings/settingsstore.h"

#include <QPalette>
#include <QAbstractItemView>

namespace {

void paintStripes(QAbstractItemView &list, const QColor &first, const QColor &second)
{
    QPalette palette = list.palette();
    palette.setColor(QPalette::Base, first);
    palette.setColor(QPalette::AlternateBase, second);
    list.setPalette(palette);
    list.setAlternatingRowColors(true);
}

} // namespace

void applyListAppearance(QAbstractItemView &list, const runtime::SettingsAccess &settings)
{
    QFont font = list.font();
    font.setPointSizeF(settings::readFontSize(settings));
    font.setFamily(settings::readFontName(settings));
    list.setFont(font);

    QPalette palette = list.palette();
    palette.setColor(QPalette::Text, settings::readColour(settings, settings::keys::Corfonte));
    list.setPalette(palette);

    const QColor first = settings::readColour(settings, settings::keys::CorFundo1);
    const QColor second = settings::readColour(settings, settings::keys::CorFundo2);
    if (list.model() && list.model()->rowCount() > 0)
        paintStripes(list, first, second);
}
