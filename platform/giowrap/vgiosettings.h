// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QObject>
#include <QStringList>
#include <QVariant>

typedef struct _GSettings GSettings;
typedef struct _GSettingsSchema GSettingsSchema;

// A GSettings schema seen through Qt types. Key names are camelCase
// ("ignoreHosts" for "ignore-hosts"). A schema that is not installed, or a
// path that does not fit it, gives an object without keys whose values are
// invalid; nothing aborts.
class VGioSettings : public QObject
{
    Q_OBJECT

public:
    // An empty path uses the schema's own path.
    explicit VGioSettings(const QString &schemaId, const QString &path = QString(),
                          QObject *parent = nullptr);
    ~VGioSettings() override;

    QVariant value(const QString &key) const;
    QStringList keys() const;

Q_SIGNALS:
    void valueChanged(const QString &key, const QVariant &value);

private:
    static void onChanged(GSettings *settings, const char *key, void *self);

    GSettingsSchema *m_schema = nullptr;
    GSettings *m_settings = nullptr;
};
