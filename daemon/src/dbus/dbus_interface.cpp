// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "dbus_interface.h"

#include "logging_and_config.h"

#include <QDBusConnection>
#include <QDBusError>

namespace {

const QString kServiceName = QStringLiteral("com.ostrel.appstore.daemon");
const QString kObjectPath = QStringLiteral("/com/ostrel/appstore/daemon");

} // namespace

DBusInterface::DBusInterface(const char *name, QObject *parent)
    : QObject(parent)
    , m_connectionName(QString::fromUtf8(name).trimmed())
{}

bool DBusInterface::registerDBus()
{
    if (!m_connectionName.isEmpty())
        return registerDBusObject(m_connectionName);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerService(kServiceName)) {
        qCCritical(logMain) << "Register D-Bus service failed:" << bus.lastError().message();
        return false;
    }
    m_connectionName = bus.name();
    return registerDBusObject(m_connectionName);
}

bool DBusInterface::registerDBusObject(const QString &name)
{
    if (name.isEmpty())
        return false;
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
    const bool registered =
        bus.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableContents);
    if (!registered)
        qCCritical(logMain) << "Register D-Bus object failed:" << bus.lastError().message();
    return registered;
}

void DBusInterface::Instance()
{
    qCDebug(logMain) << "Ostrel Appstore Session Daemon started";
}
