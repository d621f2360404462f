// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QDBusAbstractInterface>

// The system app-store daemon's interface on the system bus: service
// "com.yarl.appstore.daemon", object "/appstore", interface
// "com.yarl.appstore.daemon.interface". Making it asks the daemon nothing (a
// QDBusInterface would first ask the daemon to introspect itself and wait for
// the answer, which a hung daemon holds for the whole D-Bus timeout). Calls
// by name and the property read through org.freedesktop.DBus.Properties need
// no description of the daemon.
class SystemDaemonInterface : public QDBusAbstractInterface
{
public:
    explicit SystemDaemonInterface(QObject *parent);
};
