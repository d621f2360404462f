// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "export.h"

#include <QMap>
#include <QObject>
#include <QVariant>

#include <tuple>

namespace Vmo {
namespace Core {
class VConfig;
}
} // namespace Vmo

// The single registry of open desktop configurations, keyed by the triple
// (application id, configuration name, subpath), with one change signal for
// every key of every registered configuration.
class OSTREL_EXPORT VConfigWatcher : public QObject
{
    Q_OBJECT

public:
    static VConfigWatcher *instance();

    explicit VConfigWatcher(QObject *parent = nullptr);
    ~VConfigWatcher() override;

    bool addVConfig(QString appId, const QString &name, const QString &subpath);
    void removeVConfig(QString appId, const QString &name, const QString &subpath);
    void setValue(QString appId, const QString &name, const QString &subpath, const QString &key,
                  const QVariant &value);
    QVariant getValueSync(QString appId, const QString &name, const QString &subpath,
                          const QString &key);
    // Emits sigValueChanged with the current value, before returning, when it is valid.
    void getValueAsync(QString appId, const QString &name, const QString &subpath,
                       const QString &key);

Q_SIGNALS:
    void sigValueChanged(const QString &appId, const QString &name, QString subpath,
                         const QString &key, const QVariant &value);

private Q_SLOTS:
    void slotValueChanged(const QString &key);

private:
    // Compared member by member; null and empty strings compare equal.
    using Triple = std::tuple<QString, QString, QString>;
    static Triple triple(const QString &appId, const QString &name, const QString &subpath);

    static VConfigWatcher *m_watcher;
    QMap<Triple, Vmo::Core::VConfig *> m_configs;
};
