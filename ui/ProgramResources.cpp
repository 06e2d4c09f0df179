#include "ui/ProgramResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initIcons()
{
    Q_INIT_RESOURCE(icons);
}

void InitProgramResources()
{
    static const bool done = (initIcons(), true);
    Q_UNUSED(done);
}
