#include "dayboardplugin.h"

#include "dayboard.h"
#include "libraryinfo.h"

#include <QIcon>
#include <QPixmap>

DayboardPlugin::DayboardPlugin(QObject *parent)
    : QObject(parent)
{
}

QString DayboardPlugin::name() const
{
    return QStringLiteral("almanaq::Dayboard");
}

QString DayboardPlugin::group() const
{
    return QStringLiteral("Almanaq");
}

QString DayboardPlugin::toolTip() const
{
    return QStringLiteral("Dayboard");
}

QString DayboardPlugin::whatsThis() const
{
    return QStringLiteral("Calendário de um mês; o dia clicado fica em SelectedDate.");
}

QString DayboardPlugin::includeFile() const
{
    return QStringLiteral("dayboard.h");
}

QIcon DayboardPlugin::icon() const
{
    return QIcon(QPixmap(QString::fromLatin1(almanaq::info::ToolboxBitmapResource)));
}

bool DayboardPlugin::isContainer() const
{
    return false;
}

QWidget *DayboardPlugin::createWidget(QWidget *parent)
{
    // Placed on a form anew: the control starts from its defaults.
    auto *board = new almanaq::Dayboard(nullptr, parent);
    board->initProperties();
    return board;
}

QString DayboardPlugin::domXml() const
{
    return QStringLiteral("<ui language=\"c++\">\n"
                          " <widget class=\"almanaq::Dayboard\" name=\"Dayboard1\"/>\n"
                          "</ui>\n");
}
