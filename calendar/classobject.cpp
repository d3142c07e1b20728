// The library's exported entry points: hosts resolve them by name after
// loading the library and create Dayboard controls through the class factory.

#include "almanaqlib.h"
#include "dayboard.h"

#include <QAtomicInt>
#include <cstring>

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
        if (lock)
            serverLocks.ref();
        else
            serverLocks.deref();
    }
};

DayboardFactory dayboardFactory;

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
    return Dayboard::instanceCount() == 0 && almanaq::serverLocks.loadRelaxed() <= 0 ? StatusOk
                                                                                      : StatusFalse;
}
