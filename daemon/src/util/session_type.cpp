// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "session_type.h"

#include <QString>
#include <QtGlobal>

bool isWaylandSession()
{
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
           qEnvironmentVariable("WAYLAND_DISPLAY")
               .contains(QLatin1String("wayland"), Qt::CaseInsensitive);
}
