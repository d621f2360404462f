#include "session_type.h"

#include <QString>
#include <QtGlobal>

bool isWaylandSession()
{
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
           qEnvironmentVariable("WAYLAND_DISPLAY")
               .contains(QLatin1String("wayland"), Qt::CaseInsensitive);
}
