#pragma once

#include <QString>
#include <QVariantMap>

class QDate;
class QObject;
class QWidget;

namespace runtime {

class Platform;

// Creates the components that forms embed (the calendar control Dayboard) from
// their libraries at run time. The program never links those libraries: the
// host finds the library for a programmatic identifier in the user's component
// registry (see almanaq::ComponentRegistry), else in the program's folder, loads
// it, asks its class-object entry point for the class factory and puts the
// control it creates into a placeholder of the form. The form then talks to
// the control only through property names, signals and invokable methods.
class ControlHost
{
public:
    explicit ControlHost(Platform &platform);

    // Creates the control registered as progId, named name, covering
    // placeholder, and loads it with the form's saved properties (keys missing
    // from the map take the control's defaults). Returns the control, owned by
    // the placeholder; or nullptr after telling the user why it could not be
    // loaded, in which case the form goes on without it.
    QWidget *create(const QString &progId, const QString &name, QWidget *placeholder,
                    const QVariantMap &savedProperties = {});

    // The month calendar the program's forms hold: a Dayboard named
    // "calendario" covering placeholder, starting on day, whose Click() event
    // reaches receiver's clickSlot. nullptr when it cannot be loaded.
    QWidget *createCalendar(QWidget *placeholder, const QDate &day, QObject *receiver,
                            const char *clickSlot);

    // The control's properties as a form saves them: values equal to their
    // defaults are left out. Empty for a widget that is not a hosted control.
    static QVariantMap save(QWidget *control);

    // Where the library of progId is looked for; empty for an unknown identifier.
    QString libraryPath(const QString &progId) const;

private:
    QWidget *instantiate(const QString &progId, QWidget *placeholder, QString *failure);
    void reportFailure(QWidget *owner, const QString &progId, const QString &failure);

    Platform &m_platform;
    QString m_registryPath;
};

} // namespace runtime
