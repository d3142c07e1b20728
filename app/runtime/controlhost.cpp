#include "runtime/controlhost.h"

#include "runtime/platform.h"

#include <almanaqlib.h>
#include <componentregistry.h>

#include <QFileInfo>
#include <QLayout>
#include <QLibrary>
#include <QVBoxLayout>
#include <QWidget>

namespace runtime {

namespace {

// The container side of a hosted control: ambient date, time and locale and
// its message boxes come from the program's platform, so they follow the same
// clock and the same test doubles as the rest of the program.
class HostedControlSite final : public QObject, public almanaq::ControlSite
{
public:
    HostedControlSite(Platform &platform, QObject *owner)
        : QObject(owner)
        , m_platform(platform)
    {
    }

    bool canPropertyChange(const QString &) override { return true; }

    // The program's forms are not saved at run time, so there is no document
    // to mark as modified.
    void propertyChanged(const QString &) override {}

    QDateTime now() const override { return m_platform.clock().now(); }
    QLocale locale() const override { return m_platform.clock().locale(); }

    void warn(QWidget *owner, const QString &text, const QString &title) override
    {
        m_platform.messages().show(owner, MessageIcon::Warning, text, title, MessageButtons::Ok);
    }

private:
    Platform &m_platform;
};

struct Registration
{
    QString libraryPath;
    QByteArray classId;
};

// A component is looked for in the user's component registry first; when it
// is not registered there, or its registered file is gone, the calendar
// library is looked for in the program's folder (an installation's private
// folder).
bool lookUp(const Platform &platform, const QString &registryPath, const QString &progId,
            Registration *registration)
{
    almanaq::ComponentLocation location;
    if (almanaq::ComponentRegistry(registryPath).find(progId, &location)
        && QFileInfo(location.libraryPath).isFile()) {
        *registration = {location.libraryPath, location.classId.toLatin1()};
        return true;
    }
    if (progId.compare(QLatin1String(almanaq::ProgId), Qt::CaseInsensitive) == 0) {
        *registration = {platform.privateFile(QString::fromLatin1(almanaq::LibraryFileName)),
                         QByteArray(almanaq::ClassId)};
        return true;
    }
    return false;
}

QString statusText(int status)
{
    return QStringLiteral("0x") + QString::number(quint32(status), 16).toUpper();
}

} // namespace

ControlHost::ControlHost(Platform &platform)
    : m_platform(platform)
    , m_registryPath(almanaq::ComponentRegistry::defaultPath())
{
}

QString ControlHost::libraryPath(const QString &progId) const
{
    Registration registration;
    if (!lookUp(m_platform, m_registryPath, progId, &registration))
        return QString();
    return registration.libraryPath;
}

QWidget *ControlHost::create(const QString &progId, const QString &name, QWidget *placeholder,
                             const QVariantMap &savedProperties)
{
    QString failure;
    QWidget *control = instantiate(progId, placeholder, &failure);
    if (!control) {
        reportFailure(placeholder ? placeholder->window() : nullptr, progId, failure);
        return nullptr;
    }

    control->setObjectName(name);
    auto *userControl = qobject_cast<almanaq::UserControl *>(control);
    const almanaq::MapPropertyBag bag(savedProperties);
    userControl->readProperties(bag);

    if (placeholder) {
        QLayout *layout = placeholder->layout();
        if (!layout) {
            layout = new QVBoxLayout(placeholder);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(0);
        }
        layout->addWidget(control);
    }
    control->show();
    return control;
}

QWidget *ControlHost::instantiate(const QString &progId, QWidget *placeholder, QString *failure)
{
    Registration registration;
    if (!lookUp(m_platform, m_registryPath, progId, &registration)) {
        *failure = QStringLiteral("o componente não é conhecido pelo programa.");
        return nullptr;
    }

    const QString &path = registration.libraryPath;
    if (!QFileInfo::exists(path)) {
        *failure = QStringLiteral("o arquivo %1 não foi encontrado.").arg(path);
        return nullptr;
    }

    // The library stays loaded for the rest of the run: controls made from it
    // may live as long as their forms.
    QLibrary library(path);
    if (!library.load()) {
        *failure = QStringLiteral("o arquivo %1 não pôde ser carregado (%2).")
                           .arg(path, library.errorString());
        return nullptr;
    }

    const auto getClassObject = reinterpret_cast<almanaq::GetClassObjectFunction>(
            library.resolve(almanaq::GetClassObjectSymbol));
    if (!getClassObject) {
        *failure = QStringLiteral("o arquivo %1 não é uma biblioteca de componentes.").arg(path);
        return nullptr;
    }

    void *object = nullptr;
    const int status = getClassObject(registration.classId.constData(), almanaq::ClassFactoryId, &object);
    if (status < 0 || !object) {
        *failure = QStringLiteral("a biblioteca %1 não fornece o componente (código %2).")
                           .arg(path, statusText(status));
        return nullptr;
    }

    auto *factory = static_cast<almanaq::ClassFactory *>(object);
    auto *site = new HostedControlSite(m_platform, nullptr);
    QWidget *control = factory->createInstance(placeholder, site);
    if (!control || !qobject_cast<almanaq::UserControl *>(control)) {
        delete control;
        delete site;
        *failure = QStringLiteral("a biblioteca %1 não criou um controle.").arg(path);
        return nullptr;
    }
    // The site goes with the control it serves.
    site->setParent(control);
    return control;
}

void ControlHost::reportFailure(QWidget *owner, const QString &progId, const QString &failure)
{
    m_platform.messages().show(
            owner, MessageIcon::Critical,
            QStringLiteral("Não foi possível carregar o controle %1: %2\n"
                           "A janela será aberta sem ele.")
                    .arg(progId, failure),
            QStringLiteral("Erro"));
}

QVariantMap ControlHost::save(QWidget *control)
{
    auto *userControl = qobject_cast<almanaq::UserControl *>(control);
    if (!userControl)
        return {};
    almanaq::MapPropertyBag bag;
    userControl->writeProperties(bag);
    return bag.values();
}

QWidget *ControlHost::createCalendar(QWidget *placeholder, const QDate &day, QObject *receiver,
                                     const char *clickSlot)
{
    const QVariantMap saved{{QLatin1String(almanaq::DateKey), almanaq::toAutomationDate(day)}};
    QWidget *calendar = create(QLatin1String(almanaq::ProgId), QStringLiteral("calendario"),
                               placeholder, saved);
    if (calendar)
        QObject::connect(calendar, SIGNAL(Click()), receiver, clickSlot);
    return calendar;
}

} // namespace runtime
