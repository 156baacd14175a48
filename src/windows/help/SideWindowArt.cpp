#include "windows/help/SideWindowArt.h"

// Qt
#include <QtGlobal>

// Resources of a static library must be registered by hand, outside any namespace.
static void registerSideWindowResources() {
    Q_INIT_RESOURCE(sidewindows);
}

namespace pelvo::sidewindows {

void initResources() {
    static const bool done = (registerSideWindowResources(), true);
    Q_UNUSED(done);
}

} // namespace pelvo::sidewindows
