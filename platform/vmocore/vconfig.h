// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QHash>
#include <QObject>
#include <QVariant>

typedef struct _DConfClient DConfClient;

namespace Vmo {
namespace Core {

// One configuration of the desktop configuration service (dconf). The triple
// (appId, name, subpath) names the dconf directory
//     /<appId>/<name>/            or  /<appId>/<name>/<subpath>/
// and each key is an entry of that directory, so
//     dconf write /ostrel-app-store/org.ostrel.app-store/updateAppsNotNotify true
// sets "updateAppsNotNotify" of (ostrel-app-store, org.ostrel.app-store, "").
class VConfig : public QObject
{
    Q_OBJECT

public:
    // Never null; isValid() tells whether the triple could be opened.
    static VConfig *create(const QString &appId, const QString &name, const QString &subpath,
                           QObject *parent = nullptr);
    ~VConfig() override;

    bool isValid() const;
    QVariant value(const QString &key, const QVariant &fallback = QVariant()) const;
    void setValue(const QString &key, const QVariant &value);

Q_SIGNALS:
    // A key of this configuration changed, whichever process changed it. A
    // change of the whole directory or of a directory above it (a reset or
    // a load of it) is told as a change of each key whose value() was read
    // and now reads otherwise.
    void valueChanged(const QString &key);

private:
    VConfig(const QByteArray &dir, QObject *parent);
    QByteArray keyPath(const QString &key) const;
    QVariant read(const QByteArray &path) const;
    static void onChanged(DConfClient *client, const char *prefix, const char *const *changes,
                          const char *tag, void *self);

    QByteArray m_dir;
    DConfClient *m_client = nullptr;
    // What value() last gave for each key it was asked for (invalid: unset).
    mutable QHash<QString, QVariant> m_given;
};

} // namespace Core
} // namespace Vmo
