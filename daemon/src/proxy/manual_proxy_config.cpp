// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "manual_proxy_config.h"

#include <vgiosettings.h>

namespace {

const char *schemaOf(ManualProxyType type)
{
    switch (type) {
    case Http:
        return "com.ostrel.wrap.gnome.system.proxy.http";
    case Https:
        return "com.ostrel.wrap.gnome.system.proxy.https";
    case Ftp:
        return "com.ostrel.wrap.gnome.system.proxy.ftp";
    case Socks:
        return "com.ostrel.wrap.gnome.system.proxy.socks";
    }
    return nullptr;
}

QNetworkProxy::ProxyType proxyTypeOf(ManualProxyType type)
{
    switch (type) {
    case Ftp:
        return QNetworkProxy::FtpCachingProxy;
    case Socks:
        return QNetworkProxy::Socks5Proxy;
    default:
        return QNetworkProxy::HttpProxy; // HTTPS too
    }
}

} // namespace

ManualProxyConfig::ManualProxyConfig(ManualProxyType type, QObject *parent)
    : QObject(parent)
    , m_type(type)
{
    const char *schema = schemaOf(type);
    if (!schema)
        return; // not a protocol of ours
    m_settings = new VGioSettings(QString::fromLatin1(schema), QString(), this);
    m_proxy.setType(proxyTypeOf(type));
    connect(m_settings, &VGioSettings::valueChanged, this,
            &ManualProxyConfig::slotGSettingsValueChanged);
    // Authentication is read before user and password, which count only while it is on.
    for (const char *key :
         {"host", "port", "useAuthentication", "authenticationUser", "authenticationPassword"}) {
        const QString name = QString::fromLatin1(key);
        slotGSettingsValueChanged(name, m_settings->value(name));
    }
}

QNetworkProxy ManualProxyConfig::networkProxy() const
{
    return m_isValid ? m_proxy : QNetworkProxy();
}

void ManualProxyConfig::slotGSettingsValueChanged(const QString &key, const QVariant &value)
{
    if (!m_settings->keys().contains(key))
        return;

    bool changed = false;
    if (key == QLatin1String("host")) {
        const QString host = value.toString();
        if (host != m_proxy.hostName()) {
            m_proxy.setHostName(host);
            changed = true;
        }
    }
    if (key == QLatin1String("port")) {
        const quint16 port = quint16(value.toUInt());
        if (port != m_proxy.port()) {
            m_proxy.setPort(port);
            changed = true;
        }
    }
    bool valid = !m_proxy.hostName().isEmpty() && m_proxy.port() != 0;
    if (valid != m_isValid) {
        m_isValid = valid;
        changed = true;
    }
    if (key == QLatin1String("useAuthentication")) {
        const bool use = m_settings->value(key).toBool();
        if (use != m_useAuthentication) {
            m_useAuthentication = use;
            changed = true;
        }
    }

    if (!m_useAuthentication) {
        m_proxy.setUser(QString());
        m_proxy.setPassword(QString());
    } else {
        if (key == QLatin1String("authenticationUser") && value.toString() != m_proxy.user()) {
            m_proxy.setUser(value.toString());
            changed = true;
        }
        if (key == QLatin1String("authenticationPassword") &&
            value.toString() != m_proxy.password()) {
            m_proxy.setPassword(value.toString());
            changed = true;
        }
        if (m_isValid) {
            valid = !m_proxy.user().isEmpty() && !m_proxy.password().isEmpty();
            if (valid != m_isValid) {
                m_isValid = valid;
                changed = true;
            }
        }
    }

    if (changed)
        Q_EMIT sigManualProxyConfigChanged(m_type);
}
