// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "export.h"
#include "opt_status.h"

#include <QObject>
#include <QPair>
#include <QStringList>
#include <QVariantMap>

class SystemDaemonInterface;

// The bridge between the system app-store daemon and the user's session: a
// process-wide singleton that tracks the session's user, reports the proxy
// environment to the daemon and turns the daemon's signals into notices.
// Its construction and wiring are in appstore_daemon_interface.cpp, each of
// its jobs in a file of its own: user_tracking.cpp, package_notices.cpp (the
// relay included), update_notice.cpp and proxy_reporting.cpp.
class OSTREL_EXPORT AppstoreDaemonInterface : public QObject
{
    Q_OBJECT

public:
    // What reportManualProxy() forwards, as the decimal text of its value.
    enum class ProxyType : int { Http = 0, Https = 1, Ftp = 2, Socks = 3 };

    static AppstoreDaemonInterface *instance();

    explicit AppstoreDaemonInterface(QObject *parent = nullptr);
    ~AppstoreDaemonInterface() override;

    void reportSystemProxyEnvironment(const QString &environmentJson);
    void reportProxyMode(const QString &mode);
    void reportManualProxy(const ProxyType &type, const QString &first, const QString &second);

    // The notice with a "View" action that runs the store client with
    // clientArgument, "--from" and origin.
    void callNotify(const QString &summary, const QString &body, const QString &clientArgument,
                    const QString &origin);
    // The notice for a finished package operation; none for OptNone.
    void callPkgOpNotify(const E_OptStatus &status, const QString &appName,
                         const QString &packageName);
    // (package name, 1) when the brief information asks for the package's own
    // set-up script to run after installation, otherwise ("", -1).
    QPair<QString, int> parseAppInfoJson(const QString &json);

private Q_SLOTS:
    void slotVConfigValueChanged(const QString &appId, const QString &name, QString subpath,
                                 const QString &key, const QVariant &value);
    void slotLocalAppsUpgradeNotify(const QStringList &infos);
    void slotSystemNotificationSent(const QString &noticeJsonStr);
    void slotInstallProgress(const QString &id, const QString &packageName, const int &state,
                             const int &total, const int &progress, const QString &statusMsg);
    void slotSystemProxyEnvironmentChanged();
    void slotUserChanged(const QString &userName);

private:
    void initConnections();
    void initDBusConnections();
    void getLogName();
    QString cachedEnvironmentJson() const;
    bool getLocalUpgradeCheckStatus();
    QString readNotifyTime();
    void writeNotifyTime();

    static AppstoreDaemonInterface *m_appstoreDaemon;

    SystemDaemonInterface *m_daemonInterface = nullptr;
    QString m_userName;
    bool m_relaySystemNotifications = false;
    bool m_isWayland = false;
    QStringList m_ignoredUpdateApps;
    QVariantMap m_systemProxyEnvironment;
};
