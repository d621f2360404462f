// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "system_daemon_interface.h"

#include <QDBusConnection>

SystemDaemonInterface::SystemDaemonInterface(QObject *parent)
    // The base asks the bus daemon, never the system daemon, who owns the name.
    : QDBusAbstractInterface(QStringLiteral("com.yarl.appstore.daemon"),
                             QStringLiteral("/appstore"), "com.yarl.appstore.daemon.interface",
                             QDBusConnection::systemBus(), parent)
{}
