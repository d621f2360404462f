// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "export.h"

#include <QNetworkProxy>
#include <QObject>

class VGioSettings;

// The manual proxy protocols, each with a GSettings schema of its own.
enum ManualProxyType : qint32 { Http = 0, Https = 1, Ftp = 2, Socks = 3 };
Q_DECLARE_METATYPE(ManualProxyType)

// Mirror of one protocol's manual proxy settings (host, port, authentication).
class OSTREL_EXPORT ManualProxyConfig : public QObject
{
    Q_OBJECT

public:
    explicit ManualProxyConfig(ManualProxyType type, QObject *parent = nullptr);

    bool isValid() const { return m_isValid; }
    bool useAuthentication() const { return m_useAuthentication; }
    // The proxy when the configuration is usable, a default proxy otherwise.
    QNetworkProxy networkProxy() const;

Q_SIGNALS:
    void sigManualProxyConfigChanged(ManualProxyType proxyType);

private Q_SLOTS:
    void slotGSettingsValueChanged(const QString &key, const QVariant &value);

private:
    VGioSettings *m_settings = nullptr;
    ManualProxyType m_type;
    bool m_isValid = false;
    bool m_useAuthentication = false;
    QNetworkProxy m_proxy; // the only store of host, port, user and password
};
