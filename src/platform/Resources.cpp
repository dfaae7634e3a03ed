#include "platform/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initCompiledResources() { Q_INIT_RESOURCE(resources); }

void ensureResources()
{
    static const bool done = [] {
        initCompiledResources();
        return true;
    }();
    (void)done;
}
