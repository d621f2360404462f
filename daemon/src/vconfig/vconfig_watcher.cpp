// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "vconfig_watcher.h"

#include "logging_and_config.h"

#include <vconfig.h>

using Vmo::Core::VConfig;

VConfigWatcher *VConfigWatcher::m_watcher = nullptr;

VConfigWatcher *VConfigWatcher::instance()
{
    if (!m_watcher)
        m_watcher = new VConfigWatcher(nullptr);
    return m_watcher;
}

VConfigWatcher::VConfigWatcher(QObject *parent)
    : QObject(parent)
{
    addVConfig(QString::fromLatin1(kVConfigAppStoreAppId),
               QString::fromLatin1(kVConfigAppStoreName), QString());
}

VConfigWatcher::~VConfigWatcher()
{
    for (VConfig *config : qAsConst(m_configs)) {
        if (!config)
            continue;
        disconnect(config, nullptr, nullptr, nullptr);
        delete config;
    }
}

VConfigWatcher::Triple VConfigWatcher::triple(const QString &appId, const QString &name,
                                              const QString &subpath)
{
    // Null strings become empty ones so that both order and compare alike.
    const auto normal = [](const QString &s) {
        return s.isNull() ? QString(QLatin1String("")) : s;
    };
    return Triple(normal(appId), normal(name), normal(subpath));
}

// The exported interface takes the application id by value.
// NOLINTBEGIN(performance-unnecessary-value-param)
bool VConfigWatcher::addVConfig(QString appId, const QString &name, const QString &subpath)
{
    const Triple key = triple(appId, name, subpath);
    if (m_configs.contains(key))
        return true;
    VConfig *config = VConfig::create(appId, name, subpath, this);
    if (config->isValid()) {
        connect(config, &VConfig::valueChanged, this, &VConfigWatcher::slotValueChanged,
                Qt::UniqueConnection);
        m_configs.insert(key, config);
        return true;
    }
    qCWarning(logMain) << Q_FUNC_INFO
                       << QStringLiteral("VConfig is invalid: appId = %1, name = %2, subpath = %3")
                              .arg(appId, name, subpath);
    delete config;
    return false;
}

// cppcheck-suppress passedByValue
void VConfigWatcher::removeVConfig(QString appId, const QString &name, const QString &subpath)
{
    const auto it = m_configs.find(triple(appId, name, subpath));
    if (it == m_configs.end())
        return;
    delete it.value();
    m_configs.erase(it);
}

void VConfigWatcher::setValue(QString appId, const QString &name, const QString &subpath,
                              const QString &key, const QVariant &value)
{
    VConfig *config = m_configs.value(triple(appId, name, subpath));
    if (!config) {
        qCWarning(logMain) << Q_FUNC_INFO
                           << QStringLiteral("find VConfig failed: appId = %1, name = %2, "
                                             "subpath = %3")
                                  .arg(appId, name, subpath);
        return;
    }
    config->setValue(key, value);
}

QVariant VConfigWatcher::getValueSync(QString appId, const QString &name, const QString &subpath,
                                      const QString &key)
{
    VConfig *config = m_configs.value(triple(appId, name, subpath));
    if (!config) {
        qCWarning(logMain) << Q_FUNC_INFO
                           << QStringLiteral("find VConfig failed: appId = %1, name = %2, "
                                             "subpath = %3")
                                  .arg(appId, name, subpath);
        return QVariant();
    }
    return config->value(key, QVariant());
}

// cppcheck-suppress passedByValue
void VConfigWatcher::getValueAsync(QString appId, const QString &name, const QString &subpath,
                                   const QString &key)
{
    const QVariant value = getValueSync(appId, name, subpath, key);
    if (value.isValid())
        Q_EMIT sigValueChanged(appId, name, subpath, key, value);
}
// NOLINTEND(performance-unnecessary-value-param)

void VConfigWatcher::slotValueChanged(const QString &key)
{
    auto *config = qobject_cast<VConfig *>(sender());
    if (!config) {
        qCWarning(logMain) << Q_FUNC_INFO << "cast to VConfig failed";
        return;
    }
    for (auto it = m_configs.cbegin(); it != m_configs.cend(); ++it) {
        if (it.value() == config) {
            Q_EMIT sigValueChanged(std::get<0>(it.key()), std::get<1>(it.key()),
                                   std::get<2>(it.key()), key, config->value(key, QVariant()));
            return;
        }
    }
    qCWarning(logMain) << Q_FUNC_INFO << "find VConfig failed";
}
