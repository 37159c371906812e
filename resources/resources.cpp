#include "resources/resources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE declares the registration function in the enclosing namespace, and rcc defines
// it in the global one, so it is used from here rather than from inside namespace resources.
static void InitializeResources() {
    Q_INIT_RESOURCE(resources);
}

namespace resources {

void Initialize() {
    InitializeResources();
}

}  // namespace resources
