// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>

// The plug-in's presence on the session bus: the object
// "/com/ostrel/appstore/daemon" with the interface "com.ostrel.appstore.daemon".
class DBusInterface : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.ostrel.appstore.daemon")

public:
    // name: the host's session connection to use (trimmed); null or empty for
    // the default session bus, on which the well-known name is then claimed.
    DBusInterface(const char *name, QObject *parent);

    bool registerDBus();
    bool registerDBusObject(const QString &name);

public Q_SLOTS:
    Q_SCRIPTABLE void Instance();

private:
    QString m_connectionName;
};
