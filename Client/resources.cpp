#include "resources.h"

#include <QtGlobal>

void initClientResources()
{
    Q_INIT_RESOURCE(client);
}
