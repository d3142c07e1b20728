// The library's exported entry points: hosts resolve them by name after
// loading the library, create Dayboard controls through the class factory and
// register or unregister the library in the per-user component registry.

#include "almanaqlib.h"
#include "componentregistry.h"
#include "dayboard.h"
#include "libraryinfo.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <cstring>
#include <dlfcn.h>

namespace almanaq {
namespace {

QAtomicInt serverLocks;

class DayboardFactory final : public ClassFactory
{
public:
    QWidget *createInstance(QWidget *parent, ControlSite *site) override
    {
        return new Dayboard(site, parent);
    }

    void lockServer(bool lock) override
    {
        if (lock) {
            serverLocks.ref();
            return;
        }
        // An unlock without a lock is ignored: the count must not go below
        // zero, or a later lock would leave the library looking unloadable.
        for (int locks = serverLocks.loadRelaxed(); locks > 0; locks = serverLocks.loadRelaxed()) {
            if (serverLocks.testAndSetRelaxed(locks, locks - 1))
                return;
        }
    }
};

DayboardFactory dayboardFactory;

// The file this code was loaded from, as an absolute path.
QString libraryFilePath()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void *>(&libraryFilePath), &info) || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

QString versionText()
{
    return QStringLiteral("%1.%2.%3.%4")
            .arg(info::VersionMajor)
            .arg(info::VersionMinor)
            .arg(info::VersionBuild)
            .arg(info::VersionRevision);
}

QString typeLibrarySection()
{
    return ComponentRegistry::typeLibrarySection(QLatin1String(TypeLibraryId), TypeLibraryMajorVersion,
                                                 TypeLibraryMinorVersion);
}

const QString RegistryHeading = QStringLiteral(
        "Componentes registrados para este usuário. Mantido por almanaq-registro; não edite com "
        "programas abertos.");

} // namespace
} // namespace almanaq

extern "C" Q_DECL_EXPORT int DllGetClassObject(const char *classId, const char *interfaceId,
                                                void **factory)
{
    using namespace almanaq;
    if (!factory)
        return StatusInvalidArgument;
    *factory = nullptr;
    if (!classId || !interfaceId)
        return StatusInvalidArgument;
    if (QByteArray(classId).compare(ClassId, Qt::CaseInsensitive) != 0)
        return StatusClassNotAvailable;
    if (std::strcmp(interfaceId, ClassFactoryId) != 0)
        return StatusNoInterface;
    *factory = static_cast<ClassFactory *>(&dayboardFactory);
    return StatusOk;
}

extern "C" Q_DECL_EXPORT int DllCanUnloadNow()
{
    using namespace almanaq;
    return Dayboard::instanceCount() == 0 && serverLocks.loadRelaxed() == 0 ? StatusOk : StatusFalse;
}

extern "C" Q_DECL_EXPORT int DllRegisterServer()
{
    using namespace almanaq;
    const QString library = libraryFilePath();
    // A record is one line: a path that would break it is not written.
    if (library.isEmpty() || library.contains(QLatin1Char('\n')) || library.contains(QLatin1Char('\r')))
        return StatusRegistrationFailed;

    const QString classId = QLatin1String(ClassId);
    const QString typeLibraryId = QLatin1String(TypeLibraryId);
    const bool written = ComponentRegistry().update(
            [&](IniDocument &registry) {
                registry.setSection(ComponentRegistry::classSection(classId),
                                    {{QStringLiteral("Name"), QLatin1String(ClassName)},
                                     {QStringLiteral("ProgID"), QLatin1String(ProgId)},
                                     {QStringLiteral("Control"), QStringLiteral("1")},
                                     {QStringLiteral("InprocServer"), library},
                                     {QStringLiteral("TypeLib"), typeLibraryId},
                                     {QStringLiteral("Version"), versionText()}});
                registry.setSection(QLatin1String(ProgId), {{QStringLiteral("CLSID"), classId}});
                registry.setSection(
                        typeLibrarySection(),
                        {{QStringLiteral("Name"), QLatin1String(TypeLibraryName)},
                         {QStringLiteral("Locale"),
                          QStringLiteral("0x%1").arg(TypeLibraryLocale, 4, 16, QLatin1Char('0'))},
                         {QStringLiteral("Path"), library},
                         {QStringLiteral("HelpFile"), QLatin1String(HelpFileName)}});
            },
            RegistryHeading);
    return written ? StatusOk : StatusRegistrationFailed;
}

extern "C" Q_DECL_EXPORT int DllUnregisterServer()
{
    using namespace almanaq;
    const ComponentRegistry components;
    if (!components.path().isEmpty() && !QFileInfo::exists(components.path()))
        return StatusOk; // nothing was ever registered
    const QString classId = QLatin1String(ClassId);
    const bool written = components.update(
            [&](IniDocument &registry) {
                registry.removeSection(ComponentRegistry::classSection(classId));
                // The identifier is ours only while it still names our class.
                if (registry.value(QLatin1String(ProgId), QStringLiteral("CLSID"))
                            .compare(classId, Qt::CaseInsensitive)
                    == 0)
                    registry.removeSection(QLatin1String(ProgId));
                registry.removeSection(typeLibrarySection());
            },
            RegistryHeading);
    return written ? StatusOk : StatusRegistrationFailed;
}
