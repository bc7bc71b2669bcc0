// The artwork lives in a static library, whose resources must be registered by name.

#include <QtCore/qglobal.h>

static void InitResourcesOutsideNamespace() {
    Q_INIT_RESOURCE(resources);
}

namespace tarvisk {
void InitTarviskResources() {
    InitResourcesOutsideNamespace();
}
}  // namespace tarvisk
