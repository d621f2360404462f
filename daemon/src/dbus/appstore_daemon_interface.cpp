// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "appstore_daemon_interface.h"

#include "current_user.h"
#include "guard.h"
#include "plugin.h"
#include "proxy_url.h"
#include "session_type.h"
#include "system_proxy_monitor.h"
#include "vconfig_watcher.h"

#include <vsysinfo.h>

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QJsonDocument>

#include <unistd.h>

namespace {

const QString kDaemonService = QStringLiteral("com.yarl.appstore.daemon");
const QString kDaemonPath = QStringLiteral("/appstore");
const QString kDaemonInterface = QStringLiteral("com.yarl.appstore.daemon.interface");
const QString kLockService = QStringLiteral("org.ostrel.kse.LockService1");
const QString kLockPath = QStringLiteral("/org/ostrel/kse/LockService1");

} // namespace

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
    m_daemonInterface = new QDBusInterface(kDaemonService, kDaemonPath, kDaemonInterface,
                                           QDBusConnection::systemBus(), this);
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

void AppstoreDaemonInterface::getLogName()
{
    m_userName = processLoginName();
    if (m_userName.isEmpty())
        m_userName = passwordEntryName(getuid());
    if (!m_userName.isEmpty())
        return;

    const QDBusMessage reply = QDBusConnection::systemBus().call(QDBusMessage::createMethodCall(
        kLockService, kLockPath, kLockService, QStringLiteral("CurrentUser")));
    if (reply.type() != QDBusMessage::ReplyMessage)
        return;
    if (reply.arguments().isEmpty()) {
        qCWarning(logMain) << "CurrentUser replied without arguments";
        return;
    }
    m_userName = currentUserName(reply.arguments().constFirst().toByteArray());
}

QString AppstoreDaemonInterface::cachedEnvironmentJson() const
{
    return QString::fromUtf8(QJsonDocument::fromVariant(QVariant(m_systemProxyEnvironment))
                                 .toJson(QJsonDocument::Compact));
}

void AppstoreDaemonInterface::slotUserChanged(const QString &userName)
{
    if (userName != m_userName)
        return;
    Guard guard(trimHeap);
    reportSystemProxyEnvironment(cachedEnvironmentJson());
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
