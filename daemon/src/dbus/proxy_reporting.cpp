// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The bridge's proxy reporting: the session user's proxy environment, sent
// to the system daemon at start and whenever it changes.

#include "appstore_daemon_interface.h"

#include "guard.h"
#include "logging_and_config.h"
#include "proxy_url.h"
#include "system_daemon_interface.h"
#include "system_proxy_monitor.h"

#include <QJsonDocument>

QString AppstoreDaemonInterface::cachedEnvironmentJson() const
{
    return QString::fromUtf8(QJsonDocument::fromVariant(QVariant(m_systemProxyEnvironment))
                                 .toJson(QJsonDocument::Compact));
}

void AppstoreDaemonInterface::slotSystemProxyEnvironmentChanged()
{
    Guard guard(trimHeap);
    const QVariantMap environment = SystemProxyMonitor::instance()->getEnvironment();
    if (environment == m_systemProxyEnvironment)
        return;
    m_systemProxyEnvironment = environment;
    reportSystemProxyEnvironment(cachedEnvironmentJson());
}

void AppstoreDaemonInterface::reportSystemProxyEnvironment(const QString &environmentJson)
{
    m_daemonInterface->call(QDBus::NoBlock, QStringLiteral("SetSystemProxy"), m_userName,
                            environmentJson);
    // The journal is readable by administrators: no password goes there.
    qCDebug(logMain).noquote() << "System Proxy:" << maskProxyPasswords(environmentJson);
}

void AppstoreDaemonInterface::reportProxyMode(const QString &mode)
{
    m_daemonInterface->call(QDBus::NoBlock, QStringLiteral("reportMode"), mode);
}

void AppstoreDaemonInterface::reportManualProxy(const ProxyType &type, const QString &first,
                                                const QString &second)
{
    m_daemonInterface->call(QDBus::NoBlock, QStringLiteral("reportManualInfo"),
                            QString::number(int(type)), first, second);
}
