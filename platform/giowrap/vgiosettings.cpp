// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "vgiosettings.h"

#include "gvariant_qvariant.h"

#include <gio/gio.h>

namespace {

QString toCamelCase(const char *dashed)
{
    QString name;
    bool upper = false;
    for (const char *c = dashed; *c; ++c) {
        if (*c == '-') {
            upper = true;
            continue;
        }
        name.append(upper ? QChar::fromLatin1(*c).toUpper() : QChar::fromLatin1(*c));
        upper = false;
    }
    return name;
}

QByteArray toDashed(const QString &camel)
{
    QByteArray name;
    for (const QChar c : camel) {
        if (c.isUpper()) {
            name += '-';
            name += c.toLower().toLatin1();
        } else {
            name += c.toLatin1();
        }
    }
    return name;
}

// Whether path may be handed to g_settings_new_full() for schema without
// tripping its assertions.
bool pathFits(GSettingsSchema *schema, const QByteArray &path)
{
    const char *own = g_settings_schema_get_path(schema);
    if (path.isEmpty())
        return own != nullptr;
    if (own)
        return path == own;
    return path.startsWith('/') && path.endsWith('/') && !path.contains("//");
}

} // namespace

VGioSettings::VGioSettings(const QString &schemaId, const QString &path, QObject *parent)
    : QObject(parent)
{
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    if (!source)
        return;
    m_schema = g_settings_schema_source_lookup(source, schemaId.toUtf8().constData(), TRUE);
    const QByteArray settingsPath = path.toUtf8();
    if (!m_schema || !pathFits(m_schema, settingsPath))
        return;
    m_settings = g_settings_new_full(m_schema, nullptr,
                                     settingsPath.isEmpty() ? nullptr : settingsPath.constData());
    g_signal_connect(m_settings, "changed", G_CALLBACK(onChanged), this);
}

VGioSettings::~VGioSettings()
{
    if (m_settings) {
        g_signal_handlers_disconnect_by_data(m_settings, this);
        g_object_unref(m_settings);
    }
    if (m_schema)
        g_settings_schema_unref(m_schema);
}

QVariant VGioSettings::value(const QString &key) const
{
    const QByteArray name = toDashed(key);
    if (!m_settings || !g_settings_schema_has_key(m_schema, name.constData()))
        return QVariant();
    GVariant *stored = g_settings_get_value(m_settings, name.constData());
    const QVariant result = GVariantQVariant::toQVariant(stored);
    g_variant_unref(stored);
    return result;
}

QStringList VGioSettings::keys() const
{
    QStringList names;
    if (!m_settings)
        return names;
    gchar **keys = g_settings_schema_list_keys(m_schema);
    for (gchar **key = keys; *key; ++key)
        names.append(toCamelCase(*key));
    g_strfreev(keys);
    return names;
}

void VGioSettings::onChanged(GSettings *, const char *key, void *self)
{
    auto *settings = static_cast<VGioSettings *>(self);
    const QString name = toCamelCase(key);
    Q_EMIT settings->valueChanged(name, settings->value(name));
}
