// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "system_proxy_monitor.h"

#include "proxy_url.h"

#include <vgiosettings.h>

#include <QNetworkProxyFactory>

SystemProxyMonitor *SystemProxyMonitor::m_instance = nullptr;

namespace {

const char kHttp[] = "http_proxy";
const char kHttps[] = "https_proxy";
const char kFtp[] = "ftp_proxy";
const char kSocks[] = "SOCKS_SERVER";
const char kAll[] = "all_proxy";
const char kNoProxy[] = "no_proxy";
const char kAuto[] = "auto_proxy";

void setVariable(const char *name, const QString &value)
{
    qputenv(name, value.toUtf8());
}

} // namespace

SystemProxyMonitor *SystemProxyMonitor::instance()
{
    if (!m_instance)
        m_instance = new SystemProxyMonitor(nullptr);
    return m_instance;
}

SystemProxyMonitor::SystemProxyMonitor(QObject *parent)
    : QObject(parent)
    , m_settings(
          new VGioSettings(QStringLiteral("com.ostrel.wrap.gnome.system.proxy"), QString(), this))
{
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    for (const ManualProxyType type : {Http, Https, Ftp, Socks}) {
        auto *config = new ManualProxyConfig(type, this);
        m_manualProxyConfigs.insert(type, config);
        connect(config, &ManualProxyConfig::sigManualProxyConfigChanged, this,
                &SystemProxyMonitor::slotManualProxyConfigChanged);
    }
    connect(m_settings, &VGioSettings::valueChanged, this,
            &SystemProxyMonitor::slotGSettingsValueChanged);
    // The mode first, so that the other two keys are applied knowing it.
    for (const char *key : {"mode", "autoconfigUrl", "ignoreHosts"}) {
        const QString name = QString::fromLatin1(key);
        slotGSettingsValueChanged(name, m_settings->value(name));
    }
    m_initialized = true;
}

QVariantMap SystemProxyMonitor::getEnvironment() const
{
    QVariantMap environment;
    for (const char *name : {kSocks, kAll, kFtp, kHttp, kHttps, kNoProxy, kAuto}) {
        environment.insert(QString::fromLatin1(name), qEnvironmentVariableIsSet(name)
                                                          ? QString::fromUtf8(qgetenv(name))
                                                          : QString());
    }
    return environment;
}

void SystemProxyMonitor::resetApplicationManualProxy()
{
    for (const ManualProxyType type : {Https, Http, Socks}) {
        const ManualProxyConfig *config = m_manualProxyConfigs.value(type);
        if (config && config->isValid()) {
            QNetworkProxy::setApplicationProxy(config->networkProxy());
            return;
        }
    }
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::DefaultProxy));
}

void SystemProxyMonitor::slotGSettingsValueChanged(const QString &key, const QVariant &value)
{
    if (key == QLatin1String("autoconfigUrl")) {
        if (m_mode == QLatin1String("auto"))
            setVariable(kAuto, value.toString());
        else
            qunsetenv(kAuto);
    } else if (key == QLatin1String("ignoreHosts")) {
        if (m_mode == QLatin1String("manual"))
            setVariable(kNoProxy, value.toStringList().join(QLatin1Char(',')));
        else
            qunsetenv(kNoProxy);
    } else if (key == QLatin1String("mode")) {
        m_mode = value.toString();
        if (m_mode == QLatin1String("none")) {
            for (const char *name : {kSocks, kAll, kFtp, kHttp, kHttps, kNoProxy, kAuto})
                qunsetenv(name);
        } else if (m_mode == QLatin1String("auto")) {
            for (const char *name : {kSocks, kAll, kFtp, kHttp, kHttps, kNoProxy})
                qunsetenv(name);
            setVariable(kAuto, m_settings->value(QStringLiteral("autoconfigUrl")).toString());
        } else if (m_mode == QLatin1String("manual")) {
            // "no_proxy" keeps what the last "ignoreHosts" notification left.
            qunsetenv(kAuto);
            for (const ManualProxyType type : {Http, Https, Ftp, Socks})
                slotManualProxyConfigChanged(type);
        }
    } else {
        return;
    }
    if (m_initialized)
        Q_EMIT sigEnvironmentChanged();
}

void SystemProxyMonitor::slotManualProxyConfigChanged(ManualProxyType proxyType)
{
    if (m_mode != QLatin1String("manual"))
        return;
    const ManualProxyConfig *config = m_manualProxyConfigs.value(proxyType);
    QString url;
    if (config && config->isValid()) {
        const QNetworkProxy proxy = config->networkProxy();
        url = QLatin1String(proxyType == Socks ? "socks5://" : "http://");
        if (config->useAuthentication())
            url += escapeProxyCredential(proxy.user()) + QLatin1Char(':') +
                   escapeProxyCredential(proxy.password()) + QLatin1Char('@');
        url += proxy.hostName() + QLatin1Char(':') + QString::number(proxy.port());
    }

    const auto apply = [&url](const char *name) {
        if (url.isEmpty())
            qunsetenv(name);
        else
            setVariable(name, url);
    };
    switch (proxyType) {
    case Http:
        apply(kHttp);
        break;
    case Https:
        apply(kHttps);
        break;
    case Ftp:
        apply(kFtp);
        break;
    case Socks:
        apply(kSocks);
        apply(kAll);
        break;
    }
    if (m_initialized)
        Q_EMIT sigEnvironmentChanged();
}
