// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The bridge's user tracking: whose session this is, and a fresh proxy
// report whenever the lock service says that this user is current again.

#include "appstore_daemon_interface.h"

#include "current_user.h"
#include "guard.h"
#include "logging_and_config.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <unistd.h>

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

void AppstoreDaemonInterface::slotUserChanged(const QString &userName)
{
    if (userName != m_userName)
        return;
    Guard guard(trimHeap);
    reportSystemProxyEnvironment(cachedEnvironmentJson());
}
