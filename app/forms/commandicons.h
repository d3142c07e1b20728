#pragma once

#include <QIcon>
#include <QString>

// Icons of the main window's commands: the desktop theme's icon when it has a
// fitting one, else one drawn here, so they show on a bare machine too.
// Names: novo, editar, remover, sair, software, site, html, txt, imprimir,
// preferencias, sobre.
QIcon commandIcon(const QString &name);

// The program's own icon (windows, task bar), the same artwork the desktop
// entry shows.
QIcon programIcon();
