// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "export.h"
#include "manual_proxy_config.h"

#include <QMap>
#include <QObject>
#include <QVariantMap>

class VGioSettings;

// Follows the desktop proxy settings and keeps the process's proxy
// environment variables ("http_proxy", "https_proxy", "ftp_proxy",
// "SOCKS_SERVER", "all_proxy", "no_proxy", "auto_proxy") in line with them.
class OSTREL_EXPORT SystemProxyMonitor : public QObject
{
    Q_OBJECT

public:
    static SystemProxyMonitor *instance();

    explicit SystemProxyMonitor(QObject *parent = nullptr);

    // The seven variables as the process environment holds them now; unset
    // ones are null strings.
    QVariantMap getEnvironment() const;
    // Makes the first usable manual proxy (HTTPS, HTTP, SOCKS) the Qt
    // application proxy, or the default proxy when none is usable.
    void resetApplicationManualProxy();

Q_SIGNALS:
    void sigEnvironmentChanged();

private Q_SLOTS:
    void slotGSettingsValueChanged(const QString &key, const QVariant &value);
    void slotManualProxyConfigChanged(ManualProxyType proxyType);

private:
    VGioSettings *m_settings = nullptr;
    bool m_initialized = false;
    QString m_mode;
    QMap<ManualProxyType, ManualProxyConfig *> m_manualProxyConfigs;
    static SystemProxyMonitor *m_instance;
};
