// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The bridge's construction and its wiring to the watchers and the buses.

#include "appstore_daemon_interface.h"

#include "current_user.h"
#include "logging_and_config.h"
#include "session_type.h"
#include "system_daemon_interface.h"
#include "system_proxy_monitor.h"
#include "vconfig_watcher.h"

#include <vsysinfo.h>

#include <QDBusConnection>

AppstoreDaemonInterface *AppstoreDaemonInterface::m_appstoreDaemon = nullptr;

AppstoreDaemonInterface *AppstoreDaemonInterface::instance()
{
    if (!m_appstoreDaemon) {
        auto *bridge = new AppstoreDaemonInterface(nullptr);
        m_appstoreDaemon = bridge;
    }
    return m_appstoreDaemon;
}

AppstoreDaemonInterface::AppstoreDaemonInterface(QObject *parent)
    : QObject(parent)
{
    getLogName();
    m_relaySystemNotifications = Vmo::Core::VSysInfo::evnEditionType() == 3;
    m_isWayland = isWaylandSession();
    initConnections();
    // Delivered through sigValueChanged, already connected, before this returns.
    VConfigWatcher::instance()->getValueAsync(QString::fromLatin1(kVConfigAppStoreAppId),
                                              QString::fromLatin1(kVConfigAppStoreName), QString(),
                                              QStringLiteral("appsIgnoreUpdates"));
    m_daemonInterface = new SystemDaemonInterface(this);
    initDBusConnections();
    slotSystemProxyEnvironmentChanged();
}

AppstoreDaemonInterface::~AppstoreDaemonInterface()
{
    // A later instance() must build a new bridge, never hand out this one.
    if (m_appstoreDaemon == this)
        m_appstoreDaemon = nullptr;
}

void AppstoreDaemonInterface::initConnections()
{
    connect(VConfigWatcher::instance(), &VConfigWatcher::sigValueChanged, this,
            &AppstoreDaemonInterface::slotVConfigValueChanged);
    connect(SystemProxyMonitor::instance(), &SystemProxyMonitor::sigEnvironmentChanged, this,
            &AppstoreDaemonInterface::slotSystemProxyEnvironmentChanged);
}

// Match rules on the bus, not calls to the daemon: they hold whether or not
// the daemon runs, and however it answers.
void AppstoreDaemonInterface::initDBusConnections()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    bus.connect(m_daemonInterface->service(), m_daemonInterface->path(),
                m_daemonInterface->interface(), QStringLiteral("sigLocalAppsUpgradeNotify"), this,
                SLOT(slotLocalAppsUpgradeNotify(QStringList)));
    bus.connect(m_daemonInterface->service(), m_daemonInterface->path(),
                m_daemonInterface->interface(), QStringLiteral("sigSystemNotificationSent"), this,
                SLOT(slotSystemNotificationSent(QString)));
    bus.connect(kLockService, kLockPath, kLockService, QStringLiteral("UserChanged"), this,
                SLOT(slotUserChanged(QString)));
}
