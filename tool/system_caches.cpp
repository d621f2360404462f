// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "system_caches.h"

#include <QProcess>
#include <QStringList>

void updateSystemCaches()
{
    // Each tool silences itself; a failure of one never stops the next.
    for (const char *command : {
             "glib-compile-schemas /usr/share/glib-2.0/schemas/ > /dev/null 2>&1",
             "update-desktop-database -q > /dev/null 2>&1",
             "update-mime-database -V /usr/share/mime > /dev/null 2>&1",
             "update-icon-caches /usr/share/icons/* > /dev/null 2>&1",
         })
        QProcess::execute(QStringLiteral("bash"),
                          {QStringLiteral("-c"), QString::fromLatin1(command)});
}
